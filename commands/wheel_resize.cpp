#include "wheel_resize.h"

#include "shell/globals.h"
#include "window_modes.h"

#include <QMainWindow>

#include <algorithm>
#include <cstdlib>

namespace {

// The movement since the last whole notch, in eighths of a degree.
int WheelRemainder = 0;

// Rounds toward zero.
int Trunc(double value) {
    return static_cast<int>(value);
}

} // namespace

std::optional<QRect> WheelResizeRect(const QRect& frame, int delta, int screenWidth,
                                     int screenHeight) {
    const int step = delta > 0 ? WheelStep : -WheelStep;
    const int width = frame.width();
    const int height = frame.height();
    if (width <= 0 || height <= 0) return std::nullopt;
    int newWidth = 0;
    int newHeight = 0;
    if (height < width) {
        // Wider than tall: the height leads. The ratio is taken afresh each time, so
        // the proportions may drift by a pixel over many steps.
        const double ratio = static_cast<double>(width) / height;
        const bool mayGrow = height + step < screenHeight && Trunc(height * ratio) < screenWidth;
        if (!mayGrow && step >= 0) return std::nullopt;
        newHeight = std::max(height + step, MinWindowHeight);
        newWidth = std::max(Trunc(newHeight * ratio), MinWindowWidth);
    } else {
        const double ratio = static_cast<double>(height) / width;
        const bool mayGrow = width + step < screenWidth && Trunc(width * ratio) < screenHeight;
        if (!mayGrow && step >= 0) return std::nullopt;
        newWidth = std::max(width + step, MinWindowWidth);
        newHeight = std::max(Trunc(newWidth * ratio), MinWindowHeight);
    }
    const int left = frame.left() - Trunc((newWidth - width) / 2.0);
    const int top = frame.top() - Trunc((newHeight - height) / 2.0);
    return QRect(left, top, newWidth, newHeight);
}

void WheelResize(int delta) {
    if (!MainWindow || IsZoomed()) return;
    const auto frame = WheelResizeRect(MainWindowRect(), delta, ScreenMetrics.screenWidth,
                                       ScreenMetrics.screenHeight);
    if (frame) SetFrameGeometry(*frame);
}

int WheelNotch(int angleDelta) {
    if ((angleDelta > 0 && WheelRemainder < 0) || (angleDelta < 0 && WheelRemainder > 0))
        WheelRemainder = 0;
    // Movement beyond a notch is dropped rather than summed, so no flood overflows it.
    WheelRemainder += std::clamp(angleDelta, -WheelNotchDelta, WheelNotchDelta);
    if (std::abs(WheelRemainder) < WheelNotchDelta) return 0;
    const int notch = WheelRemainder > 0 ? 1 : -1;
    WheelRemainder -= notch * WheelNotchDelta;
    return notch;
}
