#pragma once

#include <QHash>
#include <QString>
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

// Builds the dictionary of an ordered entry list. Callers keep the result in a function-local
// static, so that each table is built once per process and safely when two threads ask at once.
StringTable buildStringTable(std::span<const StringEntry> entries);

// The lookup rule of both programs: the active table's text, else the key itself unchanged.
// There is no fallback to another language.
QString lookupText(const StringTable &table, const QString &key);

} // namespace vistrel
