// One run of the real program on the test's X server, driven as a user drives it: the
// pointer, its buttons and wheel, and the keyboard go through xdotool, and what the
// program shows is read from screenshots of its window.
#pragma once

#include "../shell/program_run.h"
#include "frame.h"

#include <QPointF>
#include <QRect>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

// Polls condition every stepMs until it holds or timeoutMs have passed.
bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = 10000, int stepMs = 50);
// A short pause for the X server and the window manager to pass an event on.
void Settle(int ms = 60);

class Session {
public:
    ~Session();

    // Installs the program with its player in a fresh folder, starts it with arguments,
    // waits for its window and measures its menu bar. False (with a reason in error)
    // when any of it fails.
    bool start(const QStringList& arguments);
    QString error;

    ProgramRun run;
    QString window;  // the main window's id
    int menuBar = 0; // its height: the stage starts below it

    QRect client() const; // the client area on the screen
    Frame grab() const;   // a screenshot of the client area

    // The pointer, at stage coordinates; the screen is looked up afresh each time, so
    // the window may move and grow in between.
    void moveTo(QPointF stage) const;
    void moveAway() const; // to a corner of the screen outside the window
    void click(QPointF stage, int button = 1) const;
    // Presses the left button at from, moves to to in steps and releases there.
    void drag(QPointF from, QPointF to, int steps = 8) const;
    void wheel(QPointF stage, bool forward) const;
    void key(const QString& name) const; // activates the window and presses the key

    // Moves the pointer diagonally over the control band near x until the panel shows
    // at full opacity; the frame that shows it (invalid after timeoutMs).
    Frame wakePanel(double x = 120, int timeoutMs = 8000) const;
    // Waits for a frame that satisfies shows; invalid after timeoutMs.
    Frame waitForFrame(const std::function<bool(const Frame&)>& shows, int timeoutMs = 10000) const;

    // With ZIMO_E2E_SHOTS set to a folder, saves the window with its frame there as
    // name.png (pictures for the README).
    void saveShot(const QString& name) const;
};

// Whether the control panel shows at full opacity along the stage's bottom edge.
bool PanelShown(const Frame& f);
// Whether no part of the panel's background shows there.
bool PanelHidden(const Frame& f);
// Panel places on a stage of width w and height h (panel height 26.57).
QPointF PlayButtonCentre(const Frame& f);
QRect PlayButtonArea(const Frame& f);
QRect TimeTextArea(const Frame& f);
QRect VolumeBarsArea(const Frame& f);
// The x of the seek knob's centre found in the frame's seek groove, or -1.
int KnobX(const Frame& f);
// Where the knob sits for a part (0..1) of the duration.
double KnobXFor(const Frame& f, double part);
double GrooveY(const Frame& f);

// The clip's position (0..1) read from its progress band, for an upright picture in
// rect; -1 when the band is not where it should be.
double BandProgress(const Frame& f, const QRect& picture);

// The glyphs of the time text ("00:21 / 00:30" gives eleven), each as the dark pixels of
// its columns, left to right.
std::vector<QImage> TimeGlyphs(const Frame& f);
// Whether two glyphs are the same character.
bool SameGlyph(const QImage& a, const QImage& b);
