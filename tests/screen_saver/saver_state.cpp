// Prints the X server's screen-saver state and the time since the last input, as the
// server's screen-saver extension reports them: "on 5012", "off 130", "disabled 4000".
#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>

#include <cstdio>

int main() {
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fputs("no X display\n", stderr);
        return 1;
    }
    int eventBase = 0;
    int errorBase = 0;
    XScreenSaverInfo* info = XScreenSaverAllocInfo();
    if (!info || !XScreenSaverQueryExtension(display, &eventBase, &errorBase) ||
        !XScreenSaverQueryInfo(display, DefaultRootWindow(display), info)) {
        std::fputs("no screen-saver extension\n", stderr);
        return 1;
    }
    const char* state = info->state == ScreenSaverOn    ? "on"
                        : info->state == ScreenSaverOff ? "off"
                                                        : "disabled";
    std::printf("%s %lu\n", state, info->idle);
    XFree(info);
    XCloseDisplay(display);
    return 0;
}
