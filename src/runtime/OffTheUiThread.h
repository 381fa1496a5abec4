#pragma once

#include <QCoreApplication>
#include <QMetaObject>
#include <exception>
#include <functional>
#include <thread>
#include <utility>

namespace vimbrel {

// Runs work on a thread of its own and hands its result to deliver on the UI
// thread, through the event loop, one notification at a time like any other.
// The thread is left to itself: one held by a file on a hung mount holds
// nothing but itself, and ends with the program. Nothing may leave the
// thread: an exception from work is handed to deliver as failed(exception)'s
// result instead.
template <typename Result>
void RunOffTheUiThread(std::function<Result()> work, std::function<void(Result)> deliver,
                       std::function<Result(const std::exception&)> failed) {
    std::thread([work = std::move(work), deliver = std::move(deliver),
                 failed = std::move(failed)]() mutable {
        Result result;
        try {
            result = work();
        } catch (const std::exception& error) {
            result = failed(error);
        }
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [deliver = std::move(deliver), result = std::move(result)]() mutable {
                deliver(std::move(result));
            },
            Qt::QueuedConnection);
    }).detach();
}

} // namespace vimbrel
