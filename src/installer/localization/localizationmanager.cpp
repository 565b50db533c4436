#include "localizationmanager.h"

#include "installerstrings.h"

#include "common/languages.h"
#include "platform/platform.h"

#include <QPointer>
#include <QQmlEngine>

#include <initializer_list>

namespace vistrel {

namespace {

const StringTable &emptyTable() {
    static const StringTable table;
    return table;
}

struct DisplayRow {
    QStringView code;
    QStringView englishName;
    QStringView nativeName;
    QStringView flag;
};

const DisplayRow displayRows[] = {
    {u"en", u"English", u"English", u"🇺🇸"},  {u"es", u"Spanish", u"Español", u"🇪🇸"},
    {u"fr", u"French", u"Français", u"🇫🇷"},  {u"de", u"German", u"Deutsch", u"🇩🇪"},
    {u"it", u"Italian", u"Italiano", u"🇮🇹"}, {u"pt", u"Portuguese", u"Português", u"🇵🇹"},
    {u"ja", u"Japanese", u"日本語", u"🇯🇵"},  {u"zh-Hans", u"Chinese", u"中文简体", u"🇨🇳"},
    {u"ru", u"Russian", u"Русский", u"🇷🇺"},
};

} // namespace

LocalizationManager::LocalizationManager(Platform &platform, QObject *parent)
    : QObject(parent)
    , m_platform(platform)
    , m_strings(&emptyTable()) {
    const QVariant stored = m_platform.userDefault(QString::fromUtf16(selectedLanguageKey));
    // A stored choice wins whatever it says; the detected language is only a default.
    if (stored.isValid() && stored.canConvert<QString>())
        m_currentLanguage = stored.toString();
    else
        m_currentLanguage = detectSystemLanguage(m_platform.preferredLanguages());
    m_strings = &stringTable(m_currentLanguage);
}

void LocalizationManager::setCurrentLanguage(const QString &code) {
    m_currentLanguage = code;
    m_platform.setUserDefault(QString::fromUtf16(selectedLanguageKey), code);
    m_strings = &stringTable(code);
    m_views.use(m_strings->translator());
    emit currentLanguageChanged();
}

QString LocalizationManager::localizedString(const QString &key) const {
    return lookupText(*m_strings, key);
}

QVariantMap LocalizationManager::languageDisplayInfo(const QString &code) const {
    const LanguageDisplayInfo info = displayInfo(code);
    return {{QStringLiteral("englishName"), info.englishName},
            {QStringLiteral("nativeName"), info.nativeName},
            {QStringLiteral("flag"), info.flag}};
}

QStringList LocalizationManager::supportedLanguages() {
    return installerLanguageCodes();
}

LanguageDisplayInfo LocalizationManager::displayInfo(const QString &code) {
    const DisplayRow *row = &displayRows[0];
    for (const DisplayRow &candidate : displayRows) {
        if (candidate.code == code)
            row = &candidate;
    }
    return {row->englishName.toString(), row->nativeName.toString(), row->flag.toString()};
}

QString LocalizationManager::detectSystemLanguage(const QStringList &preferredLanguages) {
    return vistrel::detectSystemLanguage(preferredLanguages);
}

const StringTable &LocalizationManager::stringTable(const QString &code) {
    return installerStringTable(code);
}

void LocalizationManager::useForViews(QQmlEngine &engine) {
    m_views.follow(
        [views = QPointer<QQmlEngine>(&engine)] {
            if (views)
                views->retranslate();
        },
        m_strings->translator());
}

} // namespace vistrel
