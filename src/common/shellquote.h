#pragma once

#include <QString>

namespace vistrel {

// The one way a path goes into a bash command line: single quotes, with every single quote
// inside written as '\''. Spaces, double quotes, $, backticks, & and newlines stay literal.
QString shellQuote(const QString &text);

// The five XML special characters as entities, for text written into a plist.
QString xmlEscape(const QString &text);

} // namespace vistrel
