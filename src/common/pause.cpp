#include "pause.h"

#include <QTimer>

#include <coroutine>

namespace vistrel {

namespace {

// The timer belongs to the event loop, not to the frame: the frame may end inside the timeout
// that resumes it without destroying the timer in the middle of its own signal.
struct Pause {
    std::chrono::milliseconds duration;
    bool await_ready() const noexcept { return false; }
    void await_suspend(std::coroutine_handle<> handle) const {
        QTimer::singleShot(duration, Qt::PreciseTimer, [handle] { handle.resume(); });
    }
    void await_resume() const noexcept {}
};

} // namespace

QCoro::Task<void> pauseFor(std::chrono::milliseconds duration) {
    co_await Pause{duration};
}

} // namespace vistrel
