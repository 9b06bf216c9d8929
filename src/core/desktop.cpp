#include "core/desktop.h"

#include <algorithm>

namespace skyquill {

using namespace Qt::StringLiterals;

namespace {

// XDG_CURRENT_DESKTOP is a list, most specific first: "ubuntu:GNOME".
bool isGnome(const QProcessEnvironment& environment)
{
    const QStringList desktops = environment.value(u"XDG_CURRENT_DESKTOP"_s).split(u':');
    return std::ranges::any_of(desktops, [](const QString& d) { return d.compare(u"GNOME"_s, Qt::CaseInsensitive) == 0; });
}

// Where Qt itself would go native: a Wayland session, or a Wayland display
// named whatever the session says.
bool isWayland(const QProcessEnvironment& environment)
{
    return environment.value(u"XDG_SESSION_TYPE"_s) == u"wayland"_s || !environment.value(u"WAYLAND_DISPLAY"_s).isEmpty();
}

// The player's own choice, read as Qt reads it: an empty variable is none.
bool playerChose(const QProcessEnvironment& environment, const QStringList& arguments)
{
    return !environment.value(u"QT_QPA_PLATFORM"_s).isEmpty() || arguments.mid(1).contains(u"-platform"_s) ||
           arguments.mid(1).contains(u"--platform"_s);
}

}  // namespace

std::optional<QString> preferredPlatform(const QProcessEnvironment& environment, const QStringList& arguments)
{
    // Mutter draws no title bar for a Wayland client, so Qt draws its own
    // (cut title, a maximise button on a fixed window), and a Wayland client
    // can't place itself: mutter puts it where it likes. Through Xwayland the
    // window is framed and centred as under GNOME on X11. Compositors that
    // frame Wayland clients themselves (kwin, sway) keep them native.
    if (playerChose(environment, arguments) || environment.value(u"DISPLAY"_s).isEmpty())
        return std::nullopt;
    // Native Wayland after all where Xwayland can't be reached (a DISPLAY
    // left from elsewhere, an Xwayland that failed to start): Qt tries the
    // plugins in turn.
    if (isGnome(environment) && isWayland(environment))
        return u"xcb;wayland"_s;
    return std::nullopt;
}

QRect placeFrame(QRect frame, const QRect& screen)
{
    frame.moveCenter(screen.center());
    // Centring alone would put the top of a frame taller than the screen,
    // and with it the title bar the player moves the window by, above the
    // screen; and the left of a wider one, with the menus, left of it.
    frame.moveTopLeft({std::max(frame.left(), screen.left()), std::max(frame.top(), screen.top())});
    return frame;
}

}  // namespace skyquill
