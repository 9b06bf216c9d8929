// The platform asked of Qt in each kind of session, and the frame's place on
// screens it fits and doesn't.
#include "core/desktop.h"

#include <gtest/gtest.h>

using namespace skyquill;
using namespace Qt::StringLiterals;

TEST(Desktop, OnlyGnomeOnWaylandWithXwaylandRunsThroughXcbUnlessThePlayerChose)
{
    const QString gnome = u"XDG_CURRENT_DESKTOP=ubuntu:GNOME XDG_SESSION_TYPE=wayland"_s;
    const struct { QString environment; QStringList arguments; const char* platform; } sessions[] = {
        {gnome + u" DISPLAY=:0"_s, {}, "xcb;wayland"},
        {gnome, {}, ""},  // no Xwayland
        {gnome + u" DISPLAY=:0 QT_QPA_PLATFORM=wayland"_s, {}, ""},
        {gnome + u" DISPLAY=:0"_s, {u"skyquill"_s, u"-platform"_s, u"wayland"_s}, ""},
        {gnome + u" DISPLAY=:0"_s, {u"skyquill"_s, u"--platform"_s, u"wayland"_s}, ""},
        {u"XDG_CURRENT_DESKTOP=GNOME XDG_SESSION_TYPE=x11 WAYLAND_DISPLAY=wayland-0 DISPLAY=:0 QT_QPA_PLATFORM="_s, {}, "xcb;wayland"},
        {u"XDG_CURRENT_DESKTOP=GNOME XDG_SESSION_TYPE=x11 DISPLAY=:0"_s, {}, ""},  // Qt takes X11 itself
        {u"XDG_CURRENT_DESKTOP=KDE XDG_SESSION_TYPE=wayland WAYLAND_DISPLAY=wayland-0 DISPLAY=:1"_s, {}, ""},
    };
    for (const auto& [variables, arguments, expected] : sessions) {
        QProcessEnvironment environment;
        for (const QString& variable : variables.split(u' '))
            environment.insert(variable.section(u'=', 0, 0), variable.section(u'=', 1));
        EXPECT_EQ(preferredPlatform(environment, arguments).value_or(QString()).toStdString(), expected) << variables.toStdString();
    }
}

TEST(Desktop, AFrameIsCentredWhereItFitsElseItsTopAndLeftAreOnTheScreen)
{
    const struct { QRect frame, screen; QPoint at; } placements[] = {
        {{0, 0, 400, 300}, {1280, 0, 1920, 1080}, {2040, 390}},
        {{0, 0, 400, 1000}, {0, 0, 1280, 800}, {440, 0}},
        {{0, 0, 1400, 900}, {1280, 100, 1280, 800}, {1280, 100}},
    };
    for (const auto& [frame, screen, at] : placements)
        EXPECT_EQ(placeFrame(frame, screen), QRect(at, frame.size()));
}
