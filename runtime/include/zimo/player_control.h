// The contract between the shell and the player component.
//
// The component is a shared library that the shell loads at run time by name
// (ZIMO_PLAYER_LIBRARY) and whose one entry point it looks up by name
// (ZIMO_PLAYER_ENTRY). The entry point creates the control inside a host
// window: one child widget that covers the host's client area (the central
// widget of a QMainWindow), follows its size and receives painting, keys, mouse
// and drops. It returns null when the control cannot be created.
#pragma once

#include <QByteArray>
#include <QString>

class QEvent;
class QWidget;

namespace zimo {

class PlayerControl {
public:
    virtual ~PlayerControl() = default;

    // The control's own child window inside the host.
    virtual QWidget* window() = 0;

    // The control's own handling of an event on its window. The shell filters the
    // window's events first and hands on those it does not consume through this.
    // Returns whether the control consumed the event.
    virtual bool controlEvent(QEvent* event) = 0;

    // Loads a movie from a file. The whole file has been read and validated
    // (signature, version, length, inflation) by the time this returns, so the
    // caller may delete the file right after. Returns false on a bad movie.
    virtual bool putMovie(const QString& path) = 0;

    // Sets a named string variable on the movie's root. Any watcher the movie
    // registered for the name has run by the time this returns.
    virtual void setVariable(const QString& name, const QString& value) = 0;

    // Reads a variable or an item property by path ("Ff", "controlpanel._alpha",
    // "controlpanel.timer.seek_time"), as a string; empty when it does not exist.
    virtual QString getVariable(const QString& path) = 0;

    // The bytes of the movie file as read by the last successful putMovie.
    virtual QByteArray loadedMovie() const = 0;
};

using CreateControlFunction = PlayerControl* (*)(QWidget* host);

} // namespace zimo

#define ZIMO_PLAYER_LIBRARY "zimoplayer"
#define ZIMO_PLAYER_ENTRY "zimo_CreateControl"

extern "C" zimo::PlayerControl* zimo_CreateControl(QWidget* host);
