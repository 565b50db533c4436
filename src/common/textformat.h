#pragma once

#include <QString>

#include <initializer_list>
#include <variant>

namespace vistrel {

// One value for a table text used as a format.
using FormatArg = std::variant<qint64, double, QString>;

// Fills a printf-style text from the string tables: "%d" takes an integer (written in decimal),
// "%@" a text, "%.1f" a number with one decimal, "%%" is a percent sign. Arguments are taken in
// order; a placeholder without a matching argument, or of another kind, stays as written, and so
// does any other '%' sequence. A format without placeholders (for example a key that the table
// lacks, standing in for its text) comes back unchanged.
QString formatText(const QString &format, std::initializer_list<FormatArg> args);

} // namespace vistrel
