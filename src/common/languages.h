#pragma once

#include <QString>
#include <QStringList>

namespace vistrel {

// The program language that the user's preferred languages select: the first preferred
// identifier that begins with one of a language's identifiers decides ("en-IN" begins with "en",
// "zh-Hant-TW" with "zh"); nothing matching, or no preference at all, gives "en".
QString detectSystemLanguage(const QStringList &preferredLanguages);

} // namespace vistrel
