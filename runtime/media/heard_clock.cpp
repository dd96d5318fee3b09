#include "media/heard_clock.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace zimo::media {

void HeardClock::give(double lengthUs, double pts) {
    if (lengthUs <= 0) return;
    runs_.push_back({givenUs_, lengthUs, pts});
    givenUs_ += lengthUs;
    if (!std::isnan(pts)) timedEndPts_ = pts + lengthUs / 1e6;
}

void HeardClock::untimeGiven() {
    for (Run& r : runs_)
        r.pts = std::numeric_limits<double>::quiet_NaN();
    flowing_ = false;
}

void HeardClock::interrupt() {
    flowing_ = false;
    lastPlayedUs_ = -1; // the next reading starts the stall watch afresh
}

std::optional<double> HeardClock::ptsAt(double deviceUs) const {
    for (const Run& r : runs_) {
        if (deviceUs < r.startUs) return std::nullopt; // a gap: nothing given there
        if (deviceUs < r.startUs + r.lengthUs) {
            if (std::isnan(r.pts)) return std::nullopt;
            return r.pts + (deviceUs - r.startUs) / 1e6;
        }
    }
    return std::nullopt;
}

double HeardClock::lineAt(std::int64_t nowUs) const {
    return linePts_ + static_cast<double>(nowUs - lineAtUs_) / 1e6;
}

void HeardClock::observe(double playedUs, double queuedUs, std::int64_t nowUs) {
    const double consumed = std::max(0.0, givenUs_ - std::max(0.0, queuedUs));
    const bool fresh = playedUs != lastPlayedUs_;
    if (fresh || consumed != lastConsumedUs_) lastProgressUs_ = nowUs;
    lastPlayedUs_ = playedUs;
    const bool stalled = nowUs - lastProgressUs_ > kStallUs;
    const std::optional<double> reading = ptsAt(playedUs);
    if (stalled || consumed <= 0 || !reading) {
        flowing_ = false;
        // Where the server began taking the sound: what it had taken while the taking
        // stood still. A reading that finds it moving but nothing heard yet (the played
        // time ran ahead to the end of what was given) leaves it be.
        if (consumed == lastConsumedUs_) takenFromUs_ = consumed;
    } else if (!flowing_) {
        // The sound is heard from where the device began taking it, which may
        // be behind the played time it reports at first.
        const std::optional<double> from = ptsAt(std::min(playedUs, takenFromUs_));
        flowing_ = true;
        linePts_ = from ? *from : *reading;
        lineAtUs_ = nowUs;
    } else if (fresh) {
        const double line = lineAt(nowUs);
        const double off = *reading - line;
        const double steps =
            std::clamp(static_cast<double>(nowUs - lastReadingUs_) / kFollowStepUs, 0.0, 100.0);
        const double gain = 1.0 - std::pow(1.0 - kFollowGain, steps);
        linePts_ = std::abs(off) > kJumpSeconds ? *reading : line + off * gain;
        lineAtUs_ = nowUs;
    }
    lastConsumedUs_ = consumed;
    lastReadingUs_ = nowUs;
    // Runs behind both figures will not be looked up again; before the sound flows, nor
    // those from where the server began taking it, where the line will start.
    double behind = std::min(playedUs, consumed);
    if (!flowing_) behind = std::min(behind, takenFromUs_);
    while (!runs_.empty() && runs_.front().startUs + runs_.front().lengthUs <= behind)
        runs_.pop_front();
}

std::optional<double> HeardClock::heard(std::int64_t nowUs) const {
    // Flowing means a timed run is being played, so timedEndPts_ is its end or later.
    if (!flowing_) return std::nullopt;
    const double line = lineAt(nowUs);
    // A device that has played all it was given and is no longer read at all (its sound
    // server went away) has stopped as surely as one whose figures stand still.
    if (line >= timedEndPts_ && nowUs - lastReadingUs_ > kStallUs) return std::nullopt;
    return std::min(line, timedEndPts_);
}

bool HeardClock::heardToTheEnd(std::int64_t nowUs) const {
    return flowing_ && lineAt(nowUs) >= timedEndPts_;
}

bool HeardClock::pending() const {
    return std::any_of(runs_.begin(), runs_.end(), [this](const Run& r) {
        return !std::isnan(r.pts) && r.startUs + r.lengthUs > lastPlayedUs_;
    });
}

} // namespace zimo::media
