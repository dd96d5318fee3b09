// The playing time of a Flash Video file's packets across the breaks in its timestamps.
// Files joined from parts by putting their tags one after another (as downloaders join a
// site's segments) start their timestamps again with each part, and a recording that was
// stopped and went on jumps ahead. Each stream's timestamps are followed on their own: a
// stream whose time runs back starts a new part, placed right after where that stream
// left off; a stretch with nothing at all in the file moves both streams up to it.
#pragma once

#include <array>
#include <cstdint>
#include <limits>
#include <vector>

namespace zimo::media {

// A jump in a Flash Video file's timestamps larger than this, with no tag in
// between, is a break in its timeline, not a pause: playing goes straight on.
inline constexpr double kMaxTimestampGap = 10.0;
// A stream whose time runs back by more than this starts over: a new part. Less is
// taken as an encoder's rounding or a restarted clock, and played where it says.
inline constexpr double kMaxStepBack = 1.0;

class FlvTimeline {
public:
    enum Slot { Picture = 0, Sound = 1 };

    // What placing the next packet depends on; a reading resumed at a packet with the
    // state it was placed with places everything after it as before.
    struct State {
        std::array<double, 2> shift{};             // playing time = time in the file - shift
        std::array<double, 2> first{kNone, kNone}; // each stream's first packet, playing time
        std::array<double, 2> last{kNone, kNone};  // each stream's last packet, playing time
        std::array<double, 2> next{kNone, kNone};  // where that packet ends
        std::array<double, 2> step{};              // from each stream's packet to the next
        double latest = kNone;                     // the furthest packet of either stream
        // A stream that just started over, until its next packet: the shift it had, and
        // where it had got to then.
        std::array<double, 2> shiftBefore{kNone, kNone};
        std::array<double, 2> lastBefore{kNone, kNone};
    };

    // The playing time of a packet of `slot` at `fileTime` (seconds), lasting `duration`
    // (0 when the demuxer does not know: as long as from the stream's packet before).
    double place(Slot slot, double fileTime, double duration);

    // The streams the file's header says it has: one it does not that comes all the same
    // may be brought by a later part of a joined file.
    void setAnnounced(bool pictures, bool sound) { announced_ = {pictures, sound}; }

    const State& state() const { return state_; }
    void restore(const State& state) { state_ = state; }
    void reset() { state_ = State{}; }
    // Whether any placing since the file was opened closed a break.
    bool sawBreak() const { return sawBreak_; }

private:
    static constexpr double kNone = std::numeric_limits<double>::quiet_NaN();
    State state_;
    std::array<bool, 2> announced_{true, true};
    bool sawBreak_ = false;
};

// Places a reading of a whole file may resume at: key frames of the stream seeks are
// judged by, with the timeline's state there. Kept half a second apart at least, so a
// file of key frames alone (or of sound alone) keeps a small list.
class FlvResumePoints {
public:
    struct Point {
        double time = 0;             // playing time of the key frame
        std::int64_t pos = 0;        // of its tag in the file
        FlvTimeline::State state;    // before it was placed
        std::array<int, 2> setups{}; // the decoder set-up of each stream there
    };

    void clear() { points_.clear(); }
    void note(Point point);
    // The last point at or before `time`; null when there is none.
    const Point* atOrBefore(double time) const;

private:
    std::vector<Point> points_;
};

} // namespace zimo::media
