#include "languages.h"

#include <QStringView>

#include <initializer_list>

namespace vistrel {

namespace {

struct LanguagePrefixes {
    QStringView code;
    std::initializer_list<QStringView> identifiers;
};

// The first two letters of every identifier belong to its code alone, so the order of the codes
// never decides a match.
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

} // namespace

QString detectSystemLanguage(const QStringList &preferredLanguages) {
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

} // namespace vistrel
