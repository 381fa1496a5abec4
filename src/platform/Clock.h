#pragma once

namespace vimbrel::platform {

// The time of day the show paces itself by.
class Clock {
public:
    virtual ~Clock() = default;
    // Seconds since midnight, with fractions; wraps to 0 at midnight.
    virtual double Timer() const = 0;
};

class SystemClock final : public Clock {
public:
    double Timer() const override;
};

} // namespace vimbrel::platform
