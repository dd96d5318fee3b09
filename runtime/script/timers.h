// setTimeout / setInterval on a clock the host steps.
#pragma once

#include "script/value.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace zimo::script {

class Tracer;

struct Timer {
    std::uint32_t id = 0;
    double due = 0;      // clock time in milliseconds
    double interval = 0; // 0 for a one-shot timer
    Value function;      // a function, or the object whose method is named below
    std::string method;  // set for setInterval(object, "name", ...)
    std::vector<Value> args;
};

class TimerQueue {
public:
    std::uint32_t add(Timer t);
    bool remove(std::uint32_t id);
    // The earliest timer due at or before `now` (ties in order of creation), taken out of
    // the queue; a repeating timer is put back with its next due time.
    std::optional<Timer> takeDue(double now);
    bool empty() const { return timers_.empty(); }
    void trace(Tracer& t) const;

private:
    std::vector<Timer> timers_;
    std::uint32_t nextId_ = 1;
};

} // namespace zimo::script
