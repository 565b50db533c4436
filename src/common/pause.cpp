#include "pause.h"

#include <QCoro/QCoroTimer>
#include <QTimer>

namespace vistrel {

QCoro::Task<void> pauseFor(std::chrono::milliseconds duration) {
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    timer.setSingleShot(true);
    timer.start(duration);
    co_await timer;
}

} // namespace vistrel
