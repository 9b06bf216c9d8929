// How wide a frame the window manager will put around a top-level window,
// asked before the window is mapped so it can be placed once, without a jump,
// and watched after the map for a manager that tells it only then.
#pragma once

#include <QMargins>

#include <functional>
#include <optional>

class QWidget;

namespace skyquill {

// The frame's left, top, right and bottom widths, or std::nullopt where no
// window manager will say (no X11, a manager without _NET_REQUEST_FRAME_EXTENTS,
// or no answer in time). Creates the widget's native window if need be.
std::optional<QMargins> frameExtentsBeforeMap(QWidget& window);

// Calls `differs` once with the frame the manager has set when the window is
// mapped, or first sets after, if that is not `known`. The watch ends there or
// at the player's first key; without X11 it never starts.
void onFrameDiffering(QWidget& window, const QMargins& known, std::function<void(const QMargins&)> differs);

}  // namespace skyquill
