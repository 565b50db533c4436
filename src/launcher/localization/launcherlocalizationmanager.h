#pragma once

#include "common/stringtable.h"
#include "common/viewtranslator.h"

#include <QObject>
#include <QString>
#include <QStringList>

class QQmlEngine;

namespace vistrel {

class Platform;

// The launcher's language and text lookup. The language comes from lang.txt in the install root
// (written by the installer in the server's codes), else from the system's preferred languages;
// it is decided once, at construction, and kept for the run.
class LauncherLocalizationManager : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString currentLanguage READ currentLanguage NOTIFY currentLanguageChanged)

public:
    explicit LauncherLocalizationManager(Platform &platform, QObject *parent = nullptr);

    QString currentLanguage() const { return m_currentLanguage; }
    // Switches the active table with the code (no part of the launcher does this after start).
    void setCurrentLanguage(const QString &code);

    // The active dictionary (the table of currentLanguage).
    const StringTable &strings() const { return *m_strings; }
    const QString &tarvikInstallPath() const { return m_installPath; }

    // The active table's text for key, else the key itself.
    Q_INVOKABLE QString localizedString(const QString &key) const;
    // The key's text used as a format with one integer (%d) or one text (%@). A missing key is
    // its own format and comes back without the value.
    Q_INVOKABLE QString formatWithInteger(const QString &key, qint64 value) const;
    Q_INVOKABLE QString formatWithText(const QString &key, const QString &value) const;

    // The language file's trimmed text (any case) to a language code; unknown text gives "en".
    static QString normalizeLanguageCode(const QString &trimmedText);
    // The first preferred identifier that begins with a known identifier decides; else "en".
    static QString detectSystemLanguage(const QStringList &preferredLanguages);
    // A code's dictionary: exact match of a code with a table, English for everything else.
    static const StringTable &stringTable(const QString &code);

    // Makes this instance's texts the ones qsTrId finds in the views of engine, now and after
    // every change of language, which retranslates every visible text at once.
    void useForViews(QQmlEngine &engine);

signals:
    void currentLanguageChanged();

private:
    QString readLanguageFile() const;

    Platform &m_platform;
    QString m_installPath;
    QString m_currentLanguage;
    const StringTable *m_strings;
    ViewTranslator m_views;
};

} // namespace vistrel
