#include "screen_saver_x11.h"

#include <QGuiApplication>

#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>

namespace {

bool Suspended = false;

// The program's own connection to the X server, when it runs on one.
Display* X11Display() {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) return nullptr;
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->display() : nullptr;
}

// Suspending came with version 1.1 of the extension.
bool CanSuspend(Display* display) {
    int eventBase = 0;
    int errorBase = 0;
    int major = 0;
    int minor = 0;
    return XScreenSaverQueryExtension(display, &eventBase, &errorBase) &&
           XScreenSaverQueryVersion(display, &major, &minor) &&
           (major > 1 || (major == 1 && minor >= 1));
}

} // namespace

bool SuspendX11ScreenSaver() {
    if (Suspended) return true;
    Display* display = X11Display();
    if (!display || !CanSuspend(display)) return false;
    XScreenSaverSuspend(display, True);
    XFlush(display);
    Suspended = true;
    return true;
}

void ResumeX11ScreenSaver() {
    if (!Suspended) return;
    Suspended = false;
    if (Display* display = X11Display()) {
        XScreenSaverSuspend(display, False);
        XFlush(display);
    }
}

bool X11ScreenSaverSuspended() {
    return Suspended;
}
