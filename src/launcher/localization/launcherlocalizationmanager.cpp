#include "launcherlocalizationmanager.h"

#include "launcherstrings.h"

#include "common/diagnostics.h"
#include "common/languages.h"
#include "common/paths.h"
#include "common/porttext.h"
#include "common/smallfile.h"
#include "common/textformat.h"
#include "platform/platform.h"

#include <QFile>
#include <QPointer>
#include <QQmlEngine>

#include <initializer_list>
#include <optional>
#include <utility>

namespace vistrel {

namespace {

const StringTable &emptyTable() {
    static const StringTable table;
    return table;
}

// Server codes as the installer writes them, compared after lower-casing.
constexpr std::pair<QStringView, QStringView> languageFileCodes[] = {
    {u"en", u"en"}, {u"es", u"es"}, {u"fr", u"fr"},         {u"de", u"de"},         {u"it", u"it"},
    {u"pt", u"pt"}, {u"ja", u"ja"}, {u"zh-cn", u"zh-Hans"}, {u"zh-tw", u"zh-Hant"}, {u"ru", u"ru"},
};

} // namespace

LauncherLocalizationManager::LauncherLocalizationManager(Platform &platform, QObject *parent)
    : QObject(parent)
    , m_platform(platform)
    , m_installPath(paths::installRoot(platform.homeDirectory()))
    , m_currentLanguage(QStringLiteral("en"))
    , m_strings(&emptyTable()) {
    m_currentLanguage = readLanguageFile();
    m_strings = &stringTable(m_currentLanguage);
}

void LauncherLocalizationManager::setCurrentLanguage(const QString &code) {
    if (code == m_currentLanguage)
        return;
    m_currentLanguage = code;
    m_strings = &stringTable(code);
    m_views.use(m_strings->translator());
    emit currentLanguageChanged();
}

QString LauncherLocalizationManager::localizedString(const QString &key) const {
    return lookupText(*m_strings, key);
}

QString LauncherLocalizationManager::formatWithInteger(const QString &key, qint64 value) const {
    return formatText(localizedString(key), {value});
}

QString LauncherLocalizationManager::formatWithText(const QString &key, const QString &value) const {
    return formatText(localizedString(key), {value});
}

QString LauncherLocalizationManager::normalizeLanguageCode(const QString &trimmedText) {
    const QString lower = trimmedText.toLower();
    for (const auto &[fileCode, code] : languageFileCodes) {
        if (lower == fileCode)
            return code.toString();
    }
    return QStringLiteral("en");
}

QString LauncherLocalizationManager::detectSystemLanguage(const QStringList &preferredLanguages) {
    return vistrel::detectSystemLanguage(preferredLanguages);
}

const StringTable &LauncherLocalizationManager::stringTable(const QString &code) {
    return launcherStringTable(code);
}

QString LauncherLocalizationManager::readLanguageFile() const {
    const QString path = m_installPath + QStringLiteral("/lang.txt");
    QString failure;
    std::optional<QString> text;
    // Bounded and never blocking: a FIFO or an endless file in its place must not hold the start.
    QString reason;
    if (const std::optional<QByteArray> bytes = readSmallFile(path, smallFileLimit, &reason)) {
        if (!(text = decodeUtf8(*bytes)))
            failure =
                QStringLiteral("The file \u201Clang.txt\u201D couldn\u2019t be read because it isn\u2019t UTF-8 text.");
    } else {
        failure = QStringLiteral("The file \u201Clang.txt\u201D ") + reason;
    }
    if (!text) {
        printLine(QStringLiteral("Could not read lang.txt file: ") + failure);
        return detectSystemLanguage(m_platform.preferredLanguages());
    }
    const QString trimmed = text->trimmed();
    const QString code = normalizeLanguageCode(trimmed);
    // The file's text goes to a terminal: no control sequences, one short line.
    printLine(QStringLiteral("Read language from lang.txt: %1 -> %2").arg(printableExcerpt(trimmed), code));
    return code;
}

void LauncherLocalizationManager::useForViews(QQmlEngine &engine) {
    m_views.follow(
        [views = QPointer<QQmlEngine>(&engine)] {
            if (views)
                views->retranslate();
        },
        m_strings->translator());
}

} // namespace vistrel
