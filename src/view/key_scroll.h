#pragma once
// Keyboard and wheel scrolling of the view, driven by the 10 ms scrolling timer: the first
// tick of a held key acts, the next 23 wait, then every tick acts.

#include <cstdint>

#include "state/view_state.h"

namespace qm {

struct ScrollKeys {
    bool ctrl = false;
    bool pageUp = false;
    bool up = false;
    bool pageDown = false;
    bool down = false;
    bool Any() const { return pageUp || up || pageDown || down; }
};

class KeyScroll {
public:
    // First key-down in the address bar after a key-up: the snapshot the next tick uses.
    void KeyDown(const ScrollKeys& keys);
    // Key-up in the address bar: scrolling stops and the control bar shows no speed.
    void KeyUp();
    void Wheel(bool down) { (down ? wheelDown_ : wheelUp_) = true; }
    bool WheelPending() const { return wheelDown_ || wheelUp_; }
    bool Active() const { return active_; }
    int32_t RepeatCount() const { return repeatCount_; }
    double ScrollSpeed() const { return scrollSpeed_; }

    // One timer tick with the keys as they are now (used when no fresh snapshot waits).
    // Returns true when ScrollY was stepped, so the caller requests a paint pass.
    bool Tick(const ScrollKeys& liveKeys, ViewState& view);

private:
    void Step(const ScrollKeys& keys, ViewState& view);

    bool active_ = false;
    bool fresh_ = false;
    ScrollKeys snapshot_;
    int32_t repeatCount_ = 0;
    bool wheelDown_ = false;
    bool wheelUp_ = false;
    double scrollSpeed_ = 0;
};

} // namespace qm
