// Time sources for playback. The stream runs on a Clock; the system clock in
// normal use, a manual one in tests so they step time by hand.
#pragma once

#include <atomic>
#include <cstdint>

namespace zimo::media {

class Clock {
public:
    virtual ~Clock() = default;
    // Monotonic time in microseconds from an arbitrary origin. Thread-safe.
    virtual std::int64_t nowUs() const = 0;
};

class SystemClock final : public Clock {
public:
    std::int64_t nowUs() const override;
};

// Stands still until advanced.
class ManualClock final : public Clock {
public:
    std::int64_t nowUs() const override { return now_.load(); }
    void advanceMs(std::int64_t ms) { now_ += ms * 1000; }
    void advanceUs(std::int64_t us) { now_ += us; }

private:
    std::atomic<std::int64_t> now_{0};
};

} // namespace zimo::media
