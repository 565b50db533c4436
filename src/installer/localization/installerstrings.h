#pragma once

#include "common/stringtable.h"

#include <QStringList>
#include <QStringView>

namespace vistrel {

// The installer's language codes (translations/installer_<code>.ts) in the order the language
// menu lists them.
QStringList installerLanguageCodes();

// The texts of a code. Exact, case-sensitive match; every code without texts of its own
// (zh-Hant, "", "DE", ...) gets English. Loaded the first time that language is asked for and
// kept for the rest of the process.
const StringTable &installerStringTable(QStringView code);

} // namespace vistrel
