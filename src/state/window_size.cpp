#include "state/window_size.h"

namespace qm {

WindowSizeChange NextWindowSize(WindowSize from) {
    WindowSizeChange change;
    switch (from) {
    case WindowSize::Window:
        change.to = WindowSize::Screen;
        change.rememberBounds = true;
        change.placement = WindowPlacement::Maximized;
        break;
    case WindowSize::Screen:
        change.to = WindowSize::FullScreen;
        change.borderWidth = 6;
        change.addressBarTop = 4;
        change.captionLabelShown = true;
        change.placement = WindowPlacement::WholeScreen;
        break;
    case WindowSize::FullScreen:
        break;  // the defaults are the normal window
    }
    return change;
}

} // namespace qm
