#include "stepfailure.h"

#include "error.h"

namespace vistrel {

QCoro::Task<std::optional<QString>> failureOf(QCoro::Task<void> step) {
    try {
        co_await step;
    } catch (const Error &e) {
        co_return e.description();
    } catch (const std::exception &e) {
        co_return QString::fromLocal8Bit(e.what());
    }
    co_return std::nullopt;
}

} // namespace vistrel
