#include "installerstrings.h"

#include "installerstringdata.h"

namespace vistrel {

namespace {

std::span<const LanguageTable> languages() {
    using namespace installerstrings;
    static const LanguageTable all[] = {
        {u"en", en, &builtStringTable<en>}, {u"es", es, &builtStringTable<es>},
        {u"fr", fr, &builtStringTable<fr>}, {u"de", de, &builtStringTable<de>},
        {u"it", it, &builtStringTable<it>}, {u"pt", pt, &builtStringTable<pt>},
        {u"ja", ja, &builtStringTable<ja>}, {u"zh-Hans", zhHans, &builtStringTable<zhHans>},
        {u"ru", ru, &builtStringTable<ru>},
    };
    return all;
}

} // namespace

QStringList installerLanguageCodes() {
    return languageCodes(languages());
}

std::span<const StringEntry> installerStringEntries(QStringView code) {
    return languageTableFor(languages(), code).entries;
}

const StringTable &installerStringTable(QStringView code) {
    return languageTableFor(languages(), code).table();
}

} // namespace vistrel
