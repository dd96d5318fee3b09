// Works out which media time is being heard from what a sound device reports.
//
// The device is given runs of samples, each stamped with the media time it
// starts at, and reports two figures: how much of its stream it has played
// (its "processed" time) and how much of what it was given still waits in its
// buffer. Neither can be taken as it stands. A sound server reports a played
// time that runs ahead of the sound before it knows its own latency, then
// stands still until the sound catches up, and later advances in small
// stalls and leaps; the buffer level moves in whole blocks as the server
// takes them. So the heard time is kept as a line that runs with the system
// clock: it starts where the server begins taking the sound, and is drawn
// gently towards each fresh played reading. Only a reading far off the line
// (a real break in the sound) moves it at once. The device counts as stopped
// when neither figure has moved for a while, or it has played all it was given
// and not been read for as long.
//
// Not thread-safe: the owner guards it.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>

namespace zimo::media {

class HeardClock {
public:
    // A device whose figures both stand still this long has stopped.
    static constexpr std::int64_t kStallUs = 500'000;
    // A fresh reading this far off the line is a break in the sound.
    static constexpr double kJumpSeconds = 0.15;
    // The share of a fresh reading's difference the line takes for every 10 ms
    // since the reading before (whatever the device's rate of readings): the line
    // follows over about two seconds, which evens out the played time's swings
    // of a few tens of milliseconds.
    static constexpr double kFollowGain = 0.005;
    static constexpr double kFollowStepUs = 10'000;

    // `lengthUs` of device time given to the device, starting at media time
    // `pts` (not a number: samples of no position, heard but not as time).
    void give(double lengthUs, double pts);
    // Everything given so far belongs to a position left behind (a seek, a
    // new file): it will still be played, but it is not heard as time.
    void untimeGiven();
    // The device stops and later resumes (pause): the line starts afresh.
    void interrupt();

    // One reading of the device at `nowUs`: the played time of its stream and
    // how much of what it was given it still holds, both in microseconds.
    void observe(double playedUs, double queuedUs, std::int64_t nowUs);

    // The media time heard at `nowUs`, while timed sound is being heard.
    std::optional<double> heard(std::int64_t nowUs) const;
    // Whether the line has reached the end of the timed sound given.
    bool heardToTheEnd(std::int64_t nowUs) const;
    // Whether timed samples given to the device are still to be heard.
    bool pending() const;
    // Whether anything at all was given since the clock was made.
    bool anyGiven() const { return givenUs_ > 0; }

private:
    struct Run {
        double startUs = 0; // in the device's stream
        double lengthUs = 0;
        double pts = 0; // not a number: no position
    };
    std::optional<double> ptsAt(double deviceUs) const;
    double lineAt(std::int64_t nowUs) const;

    std::deque<Run> runs_; // given, not yet known to be played
    double givenUs_ = 0;
    double timedEndPts_ = 0; // where the last timed run ends

    double lastPlayedUs_ = -1;
    std::int64_t lastProgressUs_ = 0;
    double lastConsumedUs_ = 0;
    double takenFromUs_ = 0; // where the server began taking the sound, while not flowing
    std::int64_t lastReadingUs_ = 0;

    bool flowing_ = false;
    double linePts_ = 0; // heard at lineAtUs_
    std::int64_t lineAtUs_ = 0;
};

} // namespace zimo::media
