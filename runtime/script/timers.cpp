#include "script/timers.h"

#include "script/object.h"

#include <algorithm>

namespace zimo::script {

std::uint32_t TimerQueue::add(Timer t) {
    t.id = nextId_++;
    if (nextId_ == 0) nextId_ = 1;
    timers_.push_back(std::move(t));
    return timers_.back().id;
}

bool TimerQueue::remove(std::uint32_t id) {
    auto it =
        std::find_if(timers_.begin(), timers_.end(), [&](const Timer& t) { return t.id == id; });
    if (it == timers_.end()) return false;
    timers_.erase(it);
    return true;
}

std::optional<Timer> TimerQueue::takeDue(double now) {
    auto best = timers_.end();
    for (auto it = timers_.begin(); it != timers_.end(); ++it) {
        if (it->due > now) continue;
        // Timers are kept in creation order, so the first of equal due times wins.
        if (best == timers_.end() || it->due < best->due) best = it;
    }
    if (best == timers_.end()) return std::nullopt;
    Timer fired = *best;
    if (best->interval > 0) {
        // Put back at the end so timers due together keep taking turns.
        Timer again = std::move(*best);
        again.due += again.interval;
        timers_.erase(best);
        timers_.push_back(std::move(again));
    } else {
        timers_.erase(best);
    }
    return fired;
}

void TimerQueue::trace(Tracer& t) const {
    for (const Timer& timer : timers_) {
        t.mark(timer.function);
        for (const Value& v : timer.args)
            t.mark(v);
    }
}

} // namespace zimo::script
