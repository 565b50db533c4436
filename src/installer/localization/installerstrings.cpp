#include "installerstrings.h"

#include "installerstringdata.h"

namespace vistrel {

namespace {

using Entries = std::array<StringEntry, installerstrings::keyCount>;

template<const Entries &entries>
const StringTable &tableOf() {
    // Built once per language; a function-local static makes the first build thread-safe.
    static const StringTable table = buildStringTable(entries);
    return table;
}

struct Language {
    QStringView code;
    const Entries &entries;
    const StringTable &(*table)();
};

std::span<const Language> languages() {
    using namespace installerstrings;
    static const Language all[] = {
        {u"en", en, &tableOf<en>}, {u"es", es, &tableOf<es>},
        {u"fr", fr, &tableOf<fr>}, {u"de", de, &tableOf<de>},
        {u"it", it, &tableOf<it>}, {u"pt", pt, &tableOf<pt>},
        {u"ja", ja, &tableOf<ja>}, {u"zh-Hans", zhHans, &tableOf<zhHans>},
        {u"ru", ru, &tableOf<ru>},
    };
    return all;
}

const Language &languageFor(QStringView code) {
    for (const Language &language : languages()) {
        if (language.code == code)
            return language;
    }
    return languages().front(); // English
}

} // namespace

QStringList installerLanguageCodes() {
    QStringList codes;
    for (const Language &language : languages())
        codes.append(language.code.toString());
    return codes;
}

std::span<const StringEntry> installerStringEntries(QStringView code) {
    return languageFor(code).entries;
}

const StringTable &installerStringTable(QStringView code) {
    return languageFor(code).table();
}

} // namespace vistrel
