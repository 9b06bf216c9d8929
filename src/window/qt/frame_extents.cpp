#include "window/qt/frame_extents.h"

#include <QGuiApplication>
#include <QWidget>

#ifdef SKYQUILL_HAVE_XCB
#include <QElapsedTimer>
#include <QLibrary>
#include <QThread>

#include <xcb/xcb.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <memory>
#include <string_view>
#include <type_traits>
#include <vector>
#endif

namespace skyquill {

#ifdef SKYQUILL_HAVE_XCB
namespace {

// Qt's xcb platform has libxcb loaded already. Its functions are looked up
// there at run time rather than linked, so that starting on any other
// platform, or before any X11 question, costs nothing for them.
struct Xcb {
    decltype(&xcb_intern_atom) internAtom = nullptr;
    decltype(&xcb_intern_atom_reply) internAtomReply = nullptr;
    decltype(&xcb_get_property) getProperty = nullptr;
    decltype(&xcb_get_property_reply) getPropertyReply = nullptr;
    decltype(&xcb_get_setup) getSetup = nullptr;
    decltype(&xcb_setup_roots_iterator) setupRootsIterator = nullptr;
    decltype(&xcb_send_event) sendEvent = nullptr;
    decltype(&xcb_flush) flush = nullptr;

    bool load()
    {
        QLibrary library(QStringLiteral("xcb"), 1);
        bool found = true;
        const auto get = [&library, &found](auto& function, const char* name) {
            function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(library.resolve(name));
            found = found && function != nullptr;
        };
        get(internAtom, "xcb_intern_atom");
        get(internAtomReply, "xcb_intern_atom_reply");
        get(getProperty, "xcb_get_property");
        get(getPropertyReply, "xcb_get_property_reply");
        get(getSetup, "xcb_get_setup");
        get(setupRootsIterator, "xcb_setup_roots_iterator");
        get(sendEvent, "xcb_send_event");
        get(flush, "xcb_flush");
        return found;
    }
};

template <typename Reply>
std::unique_ptr<Reply, decltype(&std::free)> owned(Reply* reply)
{
    return {reply, &std::free};
}

// Looks the names up in one round trip; a name no client has used yet is
// XCB_ATOM_NONE, and none is created.
template <std::size_t N>
std::array<xcb_atom_t, N> atoms(const Xcb& x, xcb_connection_t* connection, const std::array<std::string_view, N>& names)
{
    std::array<xcb_intern_atom_cookie_t, N> cookies{};
    for (std::size_t i = 0; i < N; ++i)
        cookies.at(i) = x.internAtom(connection, 1, static_cast<uint16_t>(names.at(i).size()), names.at(i).data());
    std::array<xcb_atom_t, N> found{};
    for (std::size_t i = 0; i < N; ++i) {
        const auto reply = owned(x.internAtomReply(connection, cookies.at(i), nullptr));
        found.at(i) = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    }
    return found;
}

// A property of 32-bit values, or nothing if it isn't set.
std::vector<uint32_t> property(const Xcb& x, xcb_connection_t* connection, xcb_window_t window, xcb_atom_t name,
                               xcb_atom_t type)
{
    const auto reply = owned(x.getPropertyReply(connection, x.getProperty(connection, 0, window, name, type, 0, 4096),
                                                nullptr));
    if (!reply || reply->format != 32)
        return {};
    // The values follow the reply's fixed part.
    const auto* values = reinterpret_cast<const uint32_t*>(reply.get() + 1);
    return {values, values + reply->value_len};
}

}  // namespace

std::optional<QMargins> frameExtentsBeforeMap(QWidget& window)
{
    // Only the xcb platform has a manager to ask; offscreen answers for X11
    // too, and even looking that up costs more than the rest of this.
    if (QGuiApplication::platformName() != QLatin1String("xcb") || window.isVisible())
        return std::nullopt;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 != nullptr ? x11->connection() : nullptr;
    Xcb x;
    if (connection == nullptr || !x.load())
        return std::nullopt;
    const auto id = static_cast<xcb_window_t>(window.winId());
    const xcb_window_t root = x.setupRootsIterator(x.getSetup(connection)).data->root;
    const auto [supported, request, extents] =
        atoms<3>(x, connection, {"_NET_SUPPORTED", "_NET_REQUEST_FRAME_EXTENTS", "_NET_FRAME_EXTENTS"});
    // Without a manager that answers, waiting would only delay the window.
    const std::vector<uint32_t> answers = property(x, connection, root, supported, XCB_ATOM_ATOM);
    if (request == XCB_ATOM_NONE || extents == XCB_ATOM_NONE ||
        std::find(answers.begin(), answers.end(), request) == answers.end())
        return std::nullopt;

    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = id;
    message.type = request;
    x.sendEvent(connection, 0, root, XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                reinterpret_cast<const char*>(&message));
    x.flush(connection);

    // Managers answer within a few milliseconds; a silent one costs a tenth
    // of a second once, and the window is then placed without its frame.
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 100) {
        // Left, right, top, bottom, in device pixels; the window is placed in
        // logical ones.
        const std::vector<uint32_t> v = property(x, connection, id, extents, XCB_ATOM_CARDINAL);
        if (v.size() == 4)
            return QMargins(static_cast<int>(v[0]), static_cast<int>(v[2]), static_cast<int>(v[1]),
                            static_cast<int>(v[3])) /
                   window.devicePixelRatioF();
        QThread::msleep(1);
    }
    return std::nullopt;
}

#else

std::optional<QMargins> frameExtentsBeforeMap(QWidget& /*window*/)
{
    return std::nullopt;
}

#endif

}  // namespace skyquill
