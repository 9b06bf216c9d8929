// How wide a frame the window manager will put around a top-level window,
// asked before the window is mapped so it can be placed once, without a jump.
#pragma once

#include <QMargins>

#include <optional>

class QWidget;

namespace skyquill {

// The frame's left, top, right and bottom widths, or std::nullopt where no
// window manager will say (no X11, a manager without _NET_REQUEST_FRAME_EXTENTS,
// or no answer in time). Creates the widget's native window if need be.
std::optional<QMargins> frameExtentsBeforeMap(QWidget& window);

}  // namespace skyquill
