#include "qt/frame_extents.h"

#include <QGuiApplication>
#include <QWidget>

#ifdef SKYQUILL_HAVE_XCB
#include <QAbstractNativeEventFilter>
#include <QElapsedTimer>
#include <QThread>

#include <xcb/xcb.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>
#endif

namespace skyquill {

#ifdef SKYQUILL_HAVE_XCB
namespace {

template <typename Reply>
std::unique_ptr<Reply, decltype(&std::free)> owned(Reply* reply)
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

// A property of 32-bit values, or nothing if it isn't set or the window is
// gone. The error is taken here, so it never reaches Qt's event queue.
std::vector<uint32_t> property(xcb_connection_t* connection, xcb_get_property_cookie_t cookie)
{
    xcb_generic_error_t* error = nullptr;
    const auto reply = owned(xcb_get_property_reply(connection, cookie, &error));
    std::free(error);
    if (!reply || reply->format != 32)
        return {};
    const auto* values = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
    return {values, values + xcb_get_property_value_length(reply.get()) / 4};
}

xcb_get_property_cookie_t ask(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t name, xcb_atom_t type)
{
    return xcb_get_property(connection, 0, window, name, type, 0, 4096);
}

// The root of the screen a window is on (with DISPLAY=:0.1 not the first
// screen's), or none if there is no such window.
xcb_window_t rootOf(xcb_connection_t* connection, xcb_query_tree_cookie_t cookie)
{
    xcb_generic_error_t* error = nullptr;
    const auto tree = owned(xcb_query_tree_reply(connection, cookie, &error));
    std::free(error);
    return tree ? tree->root : xcb_window_t{XCB_WINDOW_NONE};
}

// Left, right, top, bottom, in device pixels; the window is placed in
// logical ones.
std::optional<QMargins> extentsOf(xcb_connection_t* connection, const QWidget& window, xcb_atom_t extents)
{
    const auto id = static_cast<xcb_window_t>(window.winId());
    const std::vector<uint32_t> v = property(connection, ask(connection, id, extents, XCB_ATOM_CARDINAL));
    if (v.size() != 4)
        return std::nullopt;
    return QMargins(static_cast<int>(v[0]), static_cast<int>(v[2]), static_cast<int>(v[1]), static_cast<int>(v[3])) /
           window.devicePixelRatioF();
}

xcb_connection_t* x11()
{
    return qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
}

// Sees the window's events before Qt does, which already asks for its map
// and its property changes. The frame to go by is the one the manager has
// set by the time the window is mapped, or else the first it sets after:
// until then the player has no frame to move the window by.
class FrameWatch final : public QObject, public QAbstractNativeEventFilter {
public:
    FrameWatch(QWidget& window, xcb_atom_t extents, const QMargins& known,
               std::function<void(const QMargins&)> differs)
        : QObject(&window), window_(window), extents_(extents), known_(known), differs_(std::move(differs))
    {
        QCoreApplication::instance()->installNativeEventFilter(this);
    }

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr* /*result*/) override
    {
        if (type != "xcb_generic_event_t")
            return false;
        const auto id = static_cast<xcb_window_t>(window_.winId());
        switch (static_cast<const xcb_generic_event_t*>(message)->response_type & 0x7F) {
        case XCB_MAP_NOTIFY:
            if (static_cast<const xcb_map_notify_event_t*>(message)->window == id) {
                mapped_ = true;
                judge();
            }
            break;
        case XCB_PROPERTY_NOTIFY: {
            // Before the map, this is the answer already known, or a frame
            // still to be settled.
            const auto* notify = static_cast<const xcb_property_notify_event_t*>(message);
            if (mapped_ && notify->window == id && notify->atom == extents_)
                judge();
            break;
        }
        case XCB_KEY_PRESS:
            stop();  // the player may be typing: the window stays
            break;
        default:
            break;
        }
        return false;
    }

private:
    void judge()
    {
        const std::optional<QMargins> drawn = extentsOf(x11(), window_, extents_);
        if (!drawn)
            return;  // none yet
        if (*drawn != known_)
            differs_(*drawn);
        stop();
    }

    void stop()
    {
        QCoreApplication::instance()->removeNativeEventFilter(this);
        deleteLater();
    }

    QWidget& window_;
    xcb_atom_t extents_;
    QMargins known_;
    std::function<void(const QMargins&)> differs_;
    bool mapped_ = false;
};

// A manager that has exited leaves _NET_SUPPORTED on the root behind. One
// that runs keeps a window of its own named in _NET_SUPPORTING_WM_CHECK, on
// the root and on that window itself; a stale id names no window, or one
// that doesn't point to itself. The window must also be on this screen: a
// manager of another screen may have been given the same id since.
bool managerRuns(xcb_connection_t* connection, xcb_window_t root, xcb_atom_t check)
{
    const std::vector<uint32_t> named = property(connection, ask(connection, root, check, XCB_ATOM_WINDOW));
    if (named.size() != 1)
        return false;
    const auto itselfCookie = ask(connection, named[0], check, XCB_ATOM_WINDOW);
    const auto treeCookie = xcb_query_tree(connection, named[0]);
    const std::vector<uint32_t> itself = property(connection, itselfCookie);
    return rootOf(connection, treeCookie) == root && itself == named;
}

}  // namespace

std::optional<QMargins> frameExtentsBeforeMap(QWidget& window)
{
    // Only the xcb platform has a manager to ask; offscreen answers for X11
    // too, and even looking that up costs more than the rest of this.
    if (QGuiApplication::platformName() != QLatin1String("xcb") || window.isVisible())
        return std::nullopt;
    xcb_connection_t* connection = x11();
    const auto id = static_cast<xcb_window_t>(window.winId());
    const xcb_window_t root = rootOf(connection, xcb_query_tree(connection, id));
    const auto [check, supported, request, extents] = atoms<4>(
        connection, {"_NET_SUPPORTING_WM_CHECK", "_NET_SUPPORTED", "_NET_REQUEST_FRAME_EXTENTS", "_NET_FRAME_EXTENTS"});
    // Without a manager that answers, waiting would only delay the window.
    if (root == XCB_WINDOW_NONE || request == XCB_ATOM_NONE || extents == XCB_ATOM_NONE ||
        !managerRuns(connection, root, check))
        return std::nullopt;
    const std::vector<uint32_t> answers = property(connection, ask(connection, root, supported, XCB_ATOM_ATOM));
    if (std::find(answers.begin(), answers.end(), request) == answers.end())
        return std::nullopt;

    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = id;
    message.type = request;
    xcb_send_event(connection, 0, root, XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(connection);

    // Managers answer within a few milliseconds; a silent one (Fluxbox lists
    // the request, yet sets the frame only on the map) costs a tenth of a
    // second once, and the window is placed without its frame until then.
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 100) {
        if (const std::optional<QMargins> answer = extentsOf(connection, window, extents))
            return answer;
        QThread::msleep(1);
    }
    return std::nullopt;
}

void onFrameDiffering(QWidget& window, const QMargins& known, std::function<void(const QMargins&)> differs)
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    // Qt has made the name already, for frames of its own.
    const auto [extents] = atoms<1>(x11(), {"_NET_FRAME_EXTENTS"});
    new FrameWatch(window, extents, known, std::move(differs));
}

#else

std::optional<QMargins> frameExtentsBeforeMap(QWidget& /*window*/)
{
    return std::nullopt;
}

void onFrameDiffering(QWidget& /*window*/, const QMargins& /*known*/, std::function<void(const QMargins&)> /*differs*/)
{
}

#endif

}  // namespace skyquill
