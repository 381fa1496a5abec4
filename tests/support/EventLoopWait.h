#pragma once

#include <QElapsedTimer>
#include <QTest>
#include <chrono>
#include <functional>

namespace vimbrel::test {

// Runs the event loop until the condition holds or the time is up; true
// when it held.
inline bool WaitUntil(const std::function<bool()>& condition,
                      std::chrono::milliseconds limit = std::chrono::seconds(6)) {
    QElapsedTimer elapsed;
    elapsed.start();
    while (!condition()) {
        if (elapsed.hasExpired(limit.count())) {
            return false;
        }
        QTest::qWait(5);
    }
    return true;
}

} // namespace vimbrel::test
