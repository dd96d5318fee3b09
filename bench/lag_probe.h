// The shown-picture lag: how far the picture on the screen trails a player's own position.
// The bench clips carry their picture number as a strip of bars at the top left of the
// picture (bit k is band k of twelve bands 20 x 16 pixels, light for 1); a probe reads it
// back from a grab of the screen and holds it against the position at that moment.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QRect>

#include <cstdint>

namespace zimo::bench {

// The picture rate of the bench clips.
inline constexpr double kClipRate = 30;
// The screen is read this often: not a multiple of the picture interval, so the samples
// fall at every phase of it.
inline constexpr int kLagSampleMs = 97;
// The strip's place in a picture shown at its own size.
inline constexpr QRect kStripRect{0, 0, 240, 16};

// The picture number in a grab of the strip shown at `scale` times its size, or -1 when
// the grab does not read as a strip.
int stripNumber(const QImage& grab, double scale = 1.0);

class LagProbe {
public:
    explicit LagProbe(double framesPerSecond) : fps_(framesPerSecond) {}
    // A grab of the strip, and the player's position (seconds) when it was taken.
    void sample(const QImage& grab, double position, double scale = 1.0);
    // lag_mean_ms=.. lag_maxabs_ms=.. lag_samples=.. (lag: position minus the time of the
    // picture on the screen).
    QByteArray figures() const;

private:
    double fps_;
    std::uint64_t samples_ = 0;
    double sum_ = 0;
    double maxAbs_ = 0;
};

} // namespace zimo::bench
