#pragma once

#include <QCoro/QCoroTask>

#include <chrono>

namespace vistrel {

// A fixed wait of the products, awaited on the event loop. It never ends early: QCoro::sleepFor
// uses a coarse timer, which may fire up to 5 % before its time.
QCoro::Task<void> pauseFor(std::chrono::milliseconds duration);

} // namespace vistrel
