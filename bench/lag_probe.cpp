#include "lag_probe.h"

#include <algorithm>
#include <cmath>

namespace zimo::bench {

int stripNumber(const QImage& grab, double scale) {
    const int y = static_cast<int>(kStripRect.height() * scale / 2);
    const int lastX = static_cast<int>((11 * 20 + 10) * scale);
    if (grab.width() <= lastX || grab.height() <= y) return -1;
    int number = 0;
    for (int bit = 0; bit < 12; ++bit) {
        const int g = qGray(grab.pixel(static_cast<int>((bit * 20 + 10) * scale), y));
        if (g > 160)
            number |= 1 << bit;
        else if (g > 96)
            return -1; // neither light nor dark: not the strip, or a picture half drawn
    }
    return number;
}

void LagProbe::sample(const QImage& grab, double position, double scale) {
    const int number = stripNumber(grab, scale);
    // The first picture stands as a still until playing starts: not counted.
    if (number <= 0) return;
    const double lag = position - number / fps_;
    ++samples_;
    sum_ += lag;
    maxAbs_ = std::max(maxAbs_, std::abs(lag));
}

QByteArray LagProbe::figures() const {
    const double n = samples_ ? double(samples_) : 1.0;
    return QByteArray("lag_mean_ms=") + QByteArray::number(1000 * sum_ / n, 'f', 1) +
           " lag_maxabs_ms=" + QByteArray::number(1000 * maxAbs_, 'f', 1) +
           " lag_samples=" + QByteArray::number(qulonglong(samples_));
}

} // namespace zimo::bench
