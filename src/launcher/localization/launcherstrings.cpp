#include "launcherstrings.h"

#include "launcherstringdata.h"

namespace vistrel {

namespace {

std::span<const LanguageTable> languages() {
    using namespace launcherstrings;
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

QStringList launcherLanguageCodes() {
    return languageCodes(languages());
}

std::span<const StringEntry> launcherStringEntries(QStringView code) {
    return languageTableFor(languages(), code).entries;
}

const StringTable &launcherStringTable(QStringView code) {
    return languageTableFor(languages(), code).table();
}

} // namespace vistrel
