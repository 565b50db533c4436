#pragma once

#include "common/stringtable.h"

#include <QStringList>
#include <QStringView>

#include <span>

namespace vistrel {

// The language codes that have a launcher table, English first.
QStringList launcherLanguageCodes();

// The ordered entries of a code's table. Exact, case-sensitive match; every code without a
// table of its own (zh-Hant, "", "DE", ...) gets the English entries.
std::span<const StringEntry> launcherStringEntries(QStringView code);

// The dictionary of a code's table, built the first time that language is asked for and kept
// for the rest of the process. Same selection rule as launcherStringEntries.
const StringTable &launcherStringTable(QStringView code);

} // namespace vistrel
