#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <span>

namespace vistrel {

// One (key, text) pair of a compiled-in string table.
struct StringEntry {
    QStringView key;
    QStringView text;
};

// The dictionary a language's table turns into on first use.
using StringTable = QHash<QString, QString>;

// Builds the dictionary of an ordered entry list.
StringTable buildStringTable(std::span<const StringEntry> entries);

// A program's compiled-in language: its code, its ordered entries and its dictionary.
struct LanguageTable {
    QStringView code;
    std::span<const StringEntry> entries;
    const StringTable &(*table)();
};

// The dictionary of one compiled-in entry list, built on first use and kept for the process; a
// function-local static makes the first build safe when two threads ask at once.
template<const auto &entries>
const StringTable &builtStringTable() {
    static const StringTable table = buildStringTable(entries);
    return table;
}

// The language with exactly this code (case-sensitive); every other code gets the first, English.
const LanguageTable &languageTableFor(std::span<const LanguageTable> languages, QStringView code);

// The codes in table order.
QStringList languageCodes(std::span<const LanguageTable> languages);

// The lookup rule of both programs: the active table's text, else the key itself unchanged.
// There is no fallback to another language.
QString lookupText(const StringTable &table, const QString &key);

} // namespace vistrel
