#pragma once

#include "common/error.h"

#include <QCoro/QCoroTask>
#include <QEventLoop>

#include <exception>
#include <optional>
#include <type_traits>

namespace vistrel::test {

// Runs a task to its end in a nested event loop and returns its result, rethrowing what it threw.
// (QCoro::waitFor never returns when the awaited task throws.)
template<typename T>
T await(QCoro::Task<T> task) {
    QEventLoop loop;
    bool done = false;
    std::exception_ptr failure;
    std::conditional_t<std::is_void_v<T>, bool, std::optional<T>> result{};
    auto runner = [&]() -> QCoro::Task<> {
        try {
            if constexpr (std::is_void_v<T>)
                co_await task;
            else
                result = co_await task;
        } catch (...) {
            failure = std::current_exception();
        }
        done = true;
        loop.quit();
    };
    runner();
    if (!done)
        loop.exec();
    if (failure)
        std::rethrow_exception(failure);
    if constexpr (!std::is_void_v<T>)
        return std::move(*result);
}

// Runs a task to its end; the error it threw, if any.
inline std::optional<Error> thrownError(QCoro::Task<void> task) {
    try {
        await(std::move(task));
    } catch (const Error &e) {
        return e;
    }
    return std::nullopt;
}

} // namespace vistrel::test
