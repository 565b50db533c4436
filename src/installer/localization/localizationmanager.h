#pragma once

#include "common/stringtable.h"
#include "common/viewtranslator.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>

class QQmlEngine;

namespace vistrel {

class Platform;

// How the language menu shows a language.
struct LanguageDisplayInfo {
    QString englishName;
    QString nativeName;
    QString flag;
};

// The installer's language and text lookup. The user's choice is kept in the installer's user
// defaults under "selectedLanguage"; without one the system's preferred languages decide, and
// that guess is not stored until the user picks a language. The window keeps one instance; the
// engine makes short-lived ones, which see the stored choice.
class LocalizationManager : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString currentLanguage READ currentLanguage WRITE setCurrentLanguage NOTIFY currentLanguageChanged)
    Q_PROPERTY(QStringList supportedLanguages READ supportedLanguages CONSTANT)

public:
    static constexpr char16_t selectedLanguageKey[] = u"selectedLanguage";

    explicit LocalizationManager(Platform &platform, QObject *parent = nullptr);

    QString currentLanguage() const { return m_currentLanguage; }
    // Every write, also of the code already active, stores the code and reloads the texts, and
    // then announces the change.
    void setCurrentLanguage(const QString &code);

    // The active dictionary (the table of currentLanguage).
    const StringTable &strings() const { return *m_strings; }

    // The active table's text for key, else the key itself. The views ask qsTrId, which finds
    // the same table once useForViews has installed it.
    Q_INVOKABLE QString localizedString(const QString &key) const;
    // {"englishName", "nativeName", "flag"} for the language menu.
    Q_INVOKABLE QVariantMap languageDisplayInfo(const QString &code) const;

    // en, es, fr, de, it, pt, ja, zh-Hans, ru: the menu's order.
    static QStringList supportedLanguages();
    static LanguageDisplayInfo displayInfo(const QString &code);
    // The first preferred identifier that begins with one of a language's identifiers decides;
    // an empty list or no match gives "en".
    static QString detectSystemLanguage(const QStringList &preferredLanguages);
    // Exact, case-sensitive code match; English for every other code.
    static const StringTable &stringTable(const QString &code);

    // Makes this instance's texts the ones qsTrId finds in the views of engine, now and after
    // every change of language, which retranslates every visible text at once.
    void useForViews(QQmlEngine &engine);

signals:
    void currentLanguageChanged();

private:
    Platform &m_platform;
    QString m_currentLanguage;
    const StringTable *m_strings;
    ViewTranslator m_views;
};

} // namespace vistrel
