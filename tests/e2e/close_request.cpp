// Asks a window to close the way a window manager does when the player
// clicks the close box: a WM_DELETE_WINDOW client message (ICCCM 4.2.8.1).
// Under Xvfb there is no window manager to send it.
//
// Usage: e2e_close_request <window id>   (uses $DISPLAY)
// Exit status: 0 sent, 2 bad use or no display, 3 the window does not take
// the request (a window manager would have to kill it instead).
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <window id>\n", argv[0]);
        return 2;
    }
    char* end = nullptr;
    const Window window = std::strtoul(argv[1], &end, 0);
    if (end == argv[1] || *end != '\0' || window == 0) {
        std::fprintf(stderr, "not a window id: %s\n", argv[1]);
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "cannot open the display\n");
        return 2;
    }
    const Atom protocols = XInternAtom(display, "WM_PROTOCOLS", False);
    const Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);

    bool takesDelete = false;
    Atom* list = nullptr;
    int count = 0;
    if (XGetWMProtocols(display, window, &list, &count) != 0) {
        for (int i = 0; i < count; ++i)
            takesDelete = takesDelete || list[i] == deleteWindow;
        XFree(list);
    }
    if (!takesDelete) {
        std::fprintf(stderr, "window 0x%lx does not list WM_DELETE_WINDOW in WM_PROTOCOLS\n", window);
        XCloseDisplay(display);
        return 3;
    }

    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = protocols;
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(deleteWindow);
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XSync(display, False);
    XCloseDisplay(display);
    return 0;
}
