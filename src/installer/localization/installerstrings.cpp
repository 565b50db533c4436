#include "installerstrings.h"

namespace vistrel {

namespace {

const StringCatalog &catalog() {
    static const StringCatalog languages(QStringLiteral("installer"), {u"en"_qs, u"es"_qs, u"fr"_qs, u"de"_qs, u"it"_qs,
                                                                       u"pt"_qs, u"ja"_qs, u"zh-Hans"_qs, u"ru"_qs});
    return languages;
}

} // namespace

QStringList installerLanguageCodes() {
    return catalog().codes();
}

const StringTable &installerStringTable(QStringView code) {
    return catalog().table(code);
}

} // namespace vistrel
