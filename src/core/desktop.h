// How the window meets the desktop: the window system Qt is asked for, and
// where the frame goes on the screen. Pure functions, so that a table of
// sessions and of screens tests them without a display.
#pragma once

#include <QProcessEnvironment>
#include <QRect>
#include <QStringList>

#include <optional>

namespace skyquill {

// The platform plugin to ask Qt for, if not its own default, given the
// session's environment and the command line (its name first): Xwayland
// first ("xcb;wayland") in GNOME's Wayland session where DISPLAY is set,
// unless the player chose with QT_QPA_PLATFORM or -platform.
std::optional<QString> preferredPlatform(const QProcessEnvironment& environment, const QStringList& arguments);

// A frame of this size centred on the screen, but never above or left of it.
QRect placeFrame(QRect frame, const QRect& screen);

}  // namespace skyquill
