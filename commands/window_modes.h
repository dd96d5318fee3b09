// Full screen, compact mode (no title bar, no menu bar), always-on-top and the hiding
// of the cursor in full screen.
#pragma once

class QRect;

// The cursor hides this long after full screen begins or the mouse last moved.
inline constexpr int CursorHideDelay = 1500;
// The bottom band of the picture where the movie's control panel lies.
inline constexpr int ControlBandHeight = 28;

// Whether the main window is maximised or in full screen.
bool IsZoomed();
// Whether the main window carries its title bar.
bool HasCaption();

void SetCursorVisible(bool show);
void SetScreenSaverActive(bool active);
void SetMenuBarVisible(bool show);
void SetCaptionVisible(bool show);
void EnterFullScreen();
// Called when the main window's size changes: in full screen, the caption goes once the
// window covers the screen; just after full screen, a size that differs from the normal
// placement by the frame alone is put back.
void MainWindowResized();
void LeaveFullScreen();
void ToggleFullScreen();
void SetTopmost(bool on);
void ToggleTopmost();
void StartCursorTimer();
// Called when the cursor timer fires.
void CursorTimerProc(int timerId);
void ToggleCompactMode();

// The main window's outer rectangle on the screen, title bar and borders included.
QRect MainWindowRect();
// Places the main window so that its outer frame, title bar and borders included,
// covers frame on the screen.
void SetFrameGeometry(const QRect& frame);
