#pragma once

#include "common/stringtable.h"

#include <array>
#include <cstddef>

// The launcher's nine compiled-in tables, one file per language.
namespace vistrel::launcherstrings {

inline constexpr std::size_t keyCount = 71;

extern const std::array<StringEntry, keyCount> en;
extern const std::array<StringEntry, keyCount> es;
extern const std::array<StringEntry, keyCount> fr;
extern const std::array<StringEntry, keyCount> de;
extern const std::array<StringEntry, keyCount> it;
extern const std::array<StringEntry, keyCount> pt;
extern const std::array<StringEntry, keyCount> ja;
extern const std::array<StringEntry, keyCount> zhHans;
extern const std::array<StringEntry, keyCount> ru;

} // namespace vistrel::launcherstrings
