#include "launcherstrings.h"

namespace vistrel {

namespace {

const StringCatalog &catalog() {
    static const StringCatalog languages(QStringLiteral("launcher"), {u"en"_qs, u"es"_qs, u"fr"_qs, u"de"_qs, u"it"_qs,
                                                                      u"pt"_qs, u"ja"_qs, u"zh-Hans"_qs, u"ru"_qs});
    return languages;
}

} // namespace

QStringList launcherLanguageCodes() {
    return catalog().codes();
}

const StringTable &launcherStringTable(QStringView code) {
    return catalog().table(code);
}

} // namespace vistrel
