#include "window/qt/frame_extents.h"

#include <QGuiApplication>
#include <QWidget>

#ifdef SKYQUILL_HAVE_XCB
#include <QElapsedTimer>
#include <QThread>

#include <xcb/xcb.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <memory>
#include <string_view>
#endif

namespace skyquill {

#ifdef SKYQUILL_HAVE_XCB
namespace {

template <typename Reply>
using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

template <typename Reply>
ReplyPtr<Reply> owned(Reply* reply)
{
    return {reply, &std::free};
}

// Looks the names up in one round trip; a name no client has used yet is
// XCB_ATOM_NONE, and none is created.
template <std::size_t N>
std::array<xcb_atom_t, N> atoms(xcb_connection_t* connection, const std::array<std::string_view, N>& names)
{
    std::array<xcb_intern_atom_cookie_t, N> cookies{};
    for (std::size_t i = 0; i < N; ++i)
        cookies.at(i) = xcb_intern_atom(connection, 1, static_cast<uint16_t>(names.at(i).size()), names.at(i).data());
    std::array<xcb_atom_t, N> found{};
    for (std::size_t i = 0; i < N; ++i) {
        const auto reply = owned(xcb_intern_atom_reply(connection, cookies.at(i), nullptr));
        found.at(i) = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    }
    return found;
}

bool managerAnswers(xcb_connection_t* connection, xcb_window_t root, xcb_atom_t supported, xcb_atom_t request)
{
    const auto reply = owned(xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, root, supported, XCB_ATOM_ATOM, 0, 4096), nullptr));
    if (!reply || reply->format != 32)
        return false;
    const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
    const int count = xcb_get_property_value_length(reply.get()) / 4;
    return std::find(atoms, atoms + count, request) != atoms + count;
}

std::optional<QMargins> readExtents(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t extents)
{
    const auto reply = owned(xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, extents, XCB_ATOM_CARDINAL, 0, 4), nullptr));
    if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) != 16)
        return std::nullopt;
    const auto* v = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
    // The property holds left, right, top, bottom.
    return QMargins(static_cast<int>(v[0]), static_cast<int>(v[2]), static_cast<int>(v[1]), static_cast<int>(v[3]));
}

}  // namespace

std::optional<QMargins> frameExtentsBeforeMap(QWidget& window)
{
    // Only the xcb platform has a manager to ask. The platform is checked
    // first: offscreen answers for X11 too, and looking it up there costs
    // more than the rest of this together.
    if (QGuiApplication::platformName() != QLatin1String("xcb") || window.isVisible())
        return std::nullopt;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 != nullptr ? x11->connection() : nullptr;
    if (connection == nullptr)
        return std::nullopt;
    const auto id = static_cast<xcb_window_t>(window.winId());
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const auto [supported, request, extents] = atoms<3>(
        connection, {"_NET_SUPPORTED", "_NET_REQUEST_FRAME_EXTENTS", "_NET_FRAME_EXTENTS"});
    // Without a manager that answers, waiting would only delay the window.
    if (request == XCB_ATOM_NONE || extents == XCB_ATOM_NONE || !managerAnswers(connection, root, supported, request))
        return std::nullopt;

    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = id;
    message.type = request;
    xcb_send_event(connection, 0, root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(connection);

    // Managers answer within a few milliseconds; a silent one costs a tenth
    // of a second once, and the window is then placed without its frame.
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 100) {
        // The manager counts device pixels; the window is placed in logical ones.
        if (std::optional<QMargins> margins = readExtents(connection, id, extents))
            return *margins / window.devicePixelRatioF();
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
