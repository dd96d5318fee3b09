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

// A notch of the wheel, in the toolkit's eighths of a degree.
inline constexpr int WheelNotchDelta = 120;

// Whether a wheel event's vertical movement completes a notch: 1 forward, -1 back, 0 not
// yet. A mouse wheel moves a notch per event; a touchpad or a free-spinning wheel moves by
// parts of one, which add up across events, and a turn the other way starts afresh. An
// event that does not move (the start or end of a touchpad gesture) completes none, and
// one event completes one notch at most, as a window takes one step per event.
int WheelNotch(int angleDelta);
