#pragma once
// The control bar Image31 beside the view: its left half holds the scroll thumb, its right
// half the speed knob. Dragging the thumb jumps through the page; holding the knob off centre
// scrolls continuously through the 10 ms speed timer (Timer6) at a speed set by the offset.

#include <cstdint>

#include "state/browser_state.h"
#include "base/bitmap.h"
#include "view/view_interaction.h"
#include "state/view_options.h"
#include "state/view_state.h"

namespace qm {

// The colours of the thumb and the knob, and of their highlights (Windows colour values).
inline constexpr uint32_t kControlBarBody = RgbColor(0, 110, 110);
inline constexpr uint32_t kControlBarShine = RgbColor(0, 180, 40);

struct ControlBarSize {
    int32_t width = 1;     // w: Image31
    int32_t height = 1;    // h: Image31
    int32_t viewWidth = 1; // v: Image1
};

// Paints the bar: the thumb at ScrollY, the knob at scrollSpeed (view pixels per tick).
// Rectangles and ellipses cover [left, right) x [top, bottom) of the coordinates given.
Bitmap DrawControlBar(const ViewState& view, const ViewOptions& options, ControlBarSize size,
                      double scrollSpeed);

// Thumb height t and top row q of the thumb drawn for the view's offset.
int32_t ThumbHeight(ControlBarSize size);
int32_t ThumbTop(const ViewState& view, ControlBarSize size);
// Centre row of the knob for a speed.
int32_t KnobCentre(const ViewState& view, ControlBarSize size, double scrollSpeed);

enum class ControlBarHalf { Thumb, Knob };

struct ControlBarResult {
    bool redrawBar = false;
    bool paint = false;
    bool startTimer = false; // Timer6
    bool stopTimer = false;
    bool focusAddressBar = false; // when the main window is active
};

class ControlBar {
  public:
    ControlBar(ViewState& view, const BrowserState& browser) : view_(view), browser_(browser) {}

    void SetSize(ControlBarSize size) { size_ = size; }
    ControlBarSize Size() const { return size_; }

    ControlBarResult MouseDown(MouseButtons held, int32_t x, int32_t y);
    ControlBarResult MouseMove(MouseButtons held, int32_t y);
    ControlBarResult MouseUp();
    // One tick of the speed timer.
    ControlBarResult TimerTick();

    ControlBarHalf PressedHalf() const { return half_; }
    double ScrollSpeed() const { return scrollSpeed_; }
    // Keyboard scrolling shows its step on the knob.
    void SetScrollSpeed(double speed) { scrollSpeed_ = speed; }

    Bitmap Draw(const ViewOptions& options) const {
        return DrawControlBar(view_, options, size_, scrollSpeed_);
    }

  private:
    ViewState& view_;
    const BrowserState& browser_;
    ControlBarSize size_;
    ControlBarHalf half_ = ControlBarHalf::Thumb;
    double scrollSpeed_ = 0;
};

} // namespace qm
