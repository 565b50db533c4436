#include "localizationmanager.h"

#include "installerstrings.h"

#include "platform/platform.h"

#include <initializer_list>

namespace vistrel {

namespace {

const StringTable &emptyTable() {
    static const StringTable table;
    return table;
}

struct LanguagePrefixes {
    QStringView code;
    std::initializer_list<QStringView> identifiers;
};

const LanguagePrefixes languagePrefixes[] = {
    {u"en", {u"en", u"en-US", u"en-GB", u"en-CA", u"en-AU"}},
    {u"es", {u"es", u"es-ES", u"es-MX", u"es-AR", u"es-CO"}},
    {u"fr", {u"fr", u"fr-FR", u"fr-CA"}},
    {u"de", {u"de", u"de-DE", u"de-AT", u"de-CH"}},
    {u"it", {u"it", u"it-IT", u"it-CH"}},
    {u"pt", {u"pt", u"pt-BR", u"pt-PT"}},
    {u"ja", {u"ja", u"ja-JP"}},
    {u"zh-Hans", {u"zh", u"zh-CN", u"zh-Hans", u"zh-Hans-CN"}},
    {u"ru", {u"ru", u"ru-RU"}},
};

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
    for (const QString &preferred : preferredLanguages) {
        for (const LanguagePrefixes &language : languagePrefixes) {
            for (const QStringView identifier : language.identifiers) {
                if (preferred.startsWith(identifier))
                    return language.code.toString();
            }
        }
    }
    return QStringLiteral("en");
}

const StringTable &LocalizationManager::stringTable(const QString &code) {
    return installerStringTable(code);
}

} // namespace vistrel
