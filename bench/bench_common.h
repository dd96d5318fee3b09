// Small helpers the bench commands share.
#pragma once

#include <QMainWindow>
#include <QSize>
#include <QString>

#include <cstdint>
#include <span>

namespace zimo {
class PlayerWidget;
}

namespace zimo::bench {

// The player movie built into the program.
std::span<const std::uint8_t> embeddedMovie();
// CPU seconds (user + system) this process has used so far, all threads.
double processCpuSeconds();
// Shows the window at `size`, or full screen.
void showWindow(QWidget& window, QSize size, bool fullScreen);
// A window of `size` (or full screen) hosting the player control with the built-in movie
// loaded, as the program shows it; null when the movie does not load.
PlayerWidget* showPlayer(QMainWindow& window, QSize size, bool fullScreen);
// "640x360" as a size; an invalid size when it does not read.
QSize parseSize(const QString& text);

// The commands; each returns the process's exit code.
int runPlay(int argc, char** argv);
int runTick(int argc, char** argv);
int runCpu(int argc, char** argv);
int runWake(int argc, char** argv);
int runPictures(int argc, char** argv);
int runPeerLag(int argc, char** argv);
int runBound(int argc, char** argv);

} // namespace zimo::bench
