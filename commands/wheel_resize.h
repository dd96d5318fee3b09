// Growing and shrinking the main window with the mouse wheel, keeping its proportions
// and its centre.
#pragma once

#include <QRect>

#include <optional>

inline constexpr int WheelStep = 20;
inline constexpr int MinWindowWidth = 200;
inline constexpr int MinWindowHeight = 170;

// The outer frame after one wheel step of delta (positive grows, zero or negative
// shrinks) on a screen of the given size; nothing when the window may not grow.
std::optional<QRect> WheelResizeRect(const QRect& frame, int delta, int screenWidth,
                                     int screenHeight);

// One wheel step on the main window; nothing while it is maximised.
void WheelResize(int delta);
