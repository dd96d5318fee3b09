#include "media/flv_timeline.h"

#include <algorithm>
#include <cmath>

namespace zimo::media {

namespace {

constexpr double kPointSpacing = 0.5;

} // namespace

double FlvTimeline::place(Slot slot, double fileTime, double duration) {
    State& s = state_;
    // A single packet stamped back by a fault is passed over: when the packet after it
    // goes on from where the stream had got to, the stream had not started over.
    if (!std::isnan(s.shiftBefore[slot])) {
        const double before = fileTime - s.shiftBefore[slot];
        if (before > s.lastBefore[slot] && before <= s.lastBefore[slot] + kMaxStepBack)
            s.shift[slot] = s.shiftBefore[slot];
        s.shiftBefore[slot] = s.lastBefore[slot] = kNone;
    }
    // A stream's first packet is of the part the other stream has got to: a later part of
    // a joined file may bring a stream the first had not.
    const int other = 1 - slot;
    const bool firstPacket = std::isnan(s.last[slot]);
    if (firstPacket) s.shift[slot] = s.shift[other];
    double t = fileTime - s.shift[slot];
    if (firstPacket && !announced_[slot] && t >= s.first[other] && t < s.latest - kMaxStepBack) {
        // A stream the header did not announce, at a time the other stream has been
        // through already: a later part starts here, so it goes on where the other had got
        // to. (One the header announced may lie well ahead of the other in the file.)
        s.shift[slot] += t - s.next[other];
        t = s.next[other];
        sawBreak_ = true;
    } else if (!std::isnan(s.latest) && t - s.latest > kMaxTimestampGap) {
        // Nothing at all in the file for that long: a break, not a pause.
        const double gap = t - s.latest;
        s.shift[Picture] += gap;
        s.shift[Sound] += gap;
        t -= gap;
        sawBreak_ = true;
    } else if (!std::isnan(s.last[slot]) && t < s.last[slot] - kMaxStepBack) {
        // This stream starts over: it goes on where it left off.
        s.shiftBefore[slot] = s.shift[slot];
        s.lastBefore[slot] = s.last[slot];
        s.shift[slot] += t - s.next[slot];
        t = s.next[slot];
        sawBreak_ = true;
    }
    if (firstPacket) s.first[slot] = t;
    if (t > s.last[slot]) s.step[slot] = t - s.last[slot];
    s.last[slot] = t;
    s.next[slot] = t + (duration > 0 ? duration : s.step[slot]);
    // The furthest either stream has got: a packet the muxer laid down late, behind the
    // other stream's, does not take it back.
    s.latest = std::isnan(s.latest) ? t : std::max(s.latest, t);
    return t;
}

void FlvResumePoints::note(Point point) {
    if (!points_.empty() && point.time < points_.back().time + kPointSpacing) return;
    points_.push_back(std::move(point));
}

const FlvResumePoints::Point* FlvResumePoints::atOrBefore(double time) const {
    const auto after = std::upper_bound(points_.begin(), points_.end(), time,
                                        [](double t, const Point& p) { return t < p.time; });
    return after == points_.begin() ? nullptr : &*(after - 1);
}

} // namespace zimo::media
