#pragma once

#include <QCoro/QCoroTask>
#include <QString>

#include <optional>

namespace vistrel {

// Runs one step of a run to its end: nothing when it finished, else the user-readable
// description of what it threw (the error's own description, or the exception's text).
QCoro::Task<std::optional<QString>> failureOf(QCoro::Task<void> step);

} // namespace vistrel
