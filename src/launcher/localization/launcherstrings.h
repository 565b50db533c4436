#pragma once

#include "common/stringtable.h"

#include <QStringList>
#include <QStringView>

namespace vistrel {

// The language codes that have launcher texts (translations/launcher_<code>.ts), English first.
QStringList launcherLanguageCodes();

// The texts of a code. Exact, case-sensitive match; every code without texts of its own
// (zh-Hant, "", "DE", ...) gets English. Loaded the first time that language is asked for and
// kept for the rest of the process.
const StringTable &launcherStringTable(QStringView code);

} // namespace vistrel
