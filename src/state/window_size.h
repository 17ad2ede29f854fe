#pragma once
// The window size cycle (F2): window, screen, full screen and back. What each step changes is
// decided here; the window only applies it.

#include "state/browser_state.h"

namespace qm {

enum class WindowPlacement { Maximized, WholeScreen, RememberedBounds };

struct WindowSizeChange {
    WindowSize to = WindowSize::Window;
    bool rememberBounds = false;  // keep the normal window's bounds before leaving it
    int borderWidth = 0;          // inner margin around every control, in pixels
    int addressBarTop = 8;
    bool captionLabelShown = false;  // full screen has no title bar: a label shows the caption
    WindowPlacement placement = WindowPlacement::RememberedBounds;
};

WindowSizeChange NextWindowSize(WindowSize from);

} // namespace qm
