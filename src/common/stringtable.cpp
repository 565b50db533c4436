#include "stringtable.h"

namespace vistrel {

StringTable buildStringTable(std::span<const StringEntry> entries) {
    StringTable table;
    table.reserve(qsizetype(entries.size()));
    for (const StringEntry &entry : entries)
        table.insert(entry.key.toString(), entry.text.toString());
    return table;
}

QString lookupText(const StringTable &table, const QString &key) {
    if (table.isEmpty())
        return key;
    const auto it = table.constFind(key);
    return it == table.constEnd() ? key : *it;
}

} // namespace vistrel
