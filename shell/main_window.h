// The main window: its creation, first placement and the screen's measures.
#pragma once

class QMainWindow;

inline constexpr int MainWindowWidth = 429;
inline constexpr int MainWindowHeight = 322;

// The outer frame's top-left corner for a screen: centred, halves truncated toward zero.
int InitialWindowLeft(int screenWidth);
int InitialWindowTop(int screenHeight);

void ReadScreenMetrics();
QMainWindow* CreateMainWindow();
// Shows the main window with its outer frame (title bar and borders included) at the
// initial size and place.
void ShowMainWindow();
