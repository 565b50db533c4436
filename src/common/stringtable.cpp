#include "stringtable.h"

namespace vistrel {

StringTable buildStringTable(std::span<const StringEntry> entries) {
    StringTable table;
    table.reserve(qsizetype(entries.size()));
    for (const StringEntry &entry : entries)
        table.insert(entry.key.toString(), entry.text.toString());
    return table;
}

const LanguageTable &languageTableFor(std::span<const LanguageTable> languages, QStringView code) {
    for (const LanguageTable &language : languages) {
        if (language.code == code)
            return language;
    }
    return languages.front();
}

QStringList languageCodes(std::span<const LanguageTable> languages) {
    QStringList codes;
    for (const LanguageTable &language : languages)
        codes.append(language.code.toString());
    return codes;
}

QString lookupText(const StringTable &table, const QString &key) {
    if (table.isEmpty())
        return key;
    const auto it = table.constFind(key);
    return it == table.constEnd() ? key : *it;
}

} // namespace vistrel
