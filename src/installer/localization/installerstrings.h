#pragma once

#include "common/stringtable.h"

#include <QStringList>
#include <QStringView>

#include <span>

namespace vistrel {

// The installer's language codes in the order the language menu lists them.
QStringList installerLanguageCodes();

// The ordered entries of a code's table. Exact, case-sensitive match; every code without a
// table of its own ("zh-Hant", "", "DE", ...) gets the English entries.
std::span<const StringEntry> installerStringEntries(QStringView code);

// The dictionary of a code's table, built the first time that language is asked for and kept
// for the rest of the process, shared by every LocalizationManager. Same selection rule.
const StringTable &installerStringTable(QStringView code);

} // namespace vistrel
