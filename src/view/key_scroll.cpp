#include "view/key_scroll.h"

#include <algorithm>

namespace qm {

void KeyScroll::KeyDown(const ScrollKeys& keys) {
    if (active_) return;
    active_ = true;
    fresh_ = true;
    snapshot_ = keys;
}

void KeyScroll::KeyUp() {
    active_ = false;
    fresh_ = false;
    repeatCount_ = 0;
    scrollSpeed_ = 0;
}

bool KeyScroll::Tick(const ScrollKeys& liveKeys, ViewState& view) {
    ScrollKeys keys = liveKeys;
    if (fresh_) {
        keys = snapshot_;
        fresh_ = false;
    }
    bool wheel = false;
    // A wheel step with Ctrl is a page; without Ctrl it is three lines.
    if (wheelDown_ || wheelUp_) {
        bool downward = wheelDown_;
        wheelDown_ = wheelUp_ = false;
        bool ctrl = keys.ctrl;
        keys = ScrollKeys{};
        keys.ctrl = !ctrl;
        (downward ? (ctrl ? keys.pageDown : keys.down) : (ctrl ? keys.pageUp : keys.up)) = true;
        wheel = true;
    }
    if (!keys.Any()) return false;
    repeatCount_ = wheel ? 1 : repeatCount_ + 1;
    if (repeatCount_ >= 2 && repeatCount_ <= 24) return false;
    Step(keys, view);
    // A wheel step is single: the key pressed next must act at once, not wait as a repeat.
    if (wheel) repeatCount_ = 0;
    return true;
}

void KeyScroll::Step(const ScrollKeys& keys, ViewState& view) {
    int32_t zoom = std::max(1, view.PixelZoom);
    int32_t line = std::max(1, view.LineHeight);
    int32_t height = view.ImageHeight / zoom;
    int32_t screen = height / line * line;
    int32_t step = 0;
    if (keys.pageUp) step = keys.ctrl ? 0 : -screen;
    else if (keys.up) step = keys.ctrl ? -3 * line : -line;
    else if (keys.pageDown) step = keys.ctrl ? 0 : screen;
    else if (keys.down) step = keys.ctrl ? 3 * line : line;
    bool upward = keys.pageUp || keys.up;
    scrollSpeed_ = step;
    if (upward ? view.AtTop : view.AtBottom) return;
    if (keys.ctrl && keys.pageUp) view.ScrollY = 0;
    else if (keys.ctrl && keys.pageDown) view.ScrollY = view.ContentHeight - height;
    else view.ScrollY += step;
}

} // namespace qm
