#include "view/control_bar.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "base/view_colors.h"

namespace qm {
namespace {

ControlBarSize AtLeastOne(ControlBarSize size) {
    size.width = std::max(1, size.width);
    size.height = std::max(1, size.height);
    size.viewWidth = std::max(1, size.viewWidth);
    return size;
}

void VerticalLine(Bitmap& bitmap, int x, int top, int bottom, uint32_t colour) {
    for (int y = top; y <= bottom; ++y)
        SetPixelz(bitmap, x, colour, y);
}

// Fills the rounded rectangle [left, right) x [top, bottom) whose corners are quarters of an
// ellipse cornerW x cornerH; an ellipse is the case where the corners span the whole box.
void FillRoundRect(Bitmap& bitmap, int left, int top, int right, int bottom, int cornerW,
                   int cornerH, uint32_t colour) {
    const double rx = std::min(cornerW, right - left) / 2.0;
    const double ry = std::min(cornerH, bottom - top) / 2.0;
    for (int y = std::max(top, 0); y < std::min(bottom, bitmap.height); ++y) {
        for (int x = std::max(left, 0); x < std::min(right, bitmap.width); ++x) {
            if (rx > 0 && ry > 0) {
                const double px = x + 0.5;
                const double py = y + 0.5;
                const double cx = std::clamp(px, left + rx, right - rx);
                const double cy = std::clamp(py, top + ry, bottom - ry);
                const double dx = (px - cx) / rx;
                const double dy = (py - cy) / ry;
                if (dx * dx + dy * dy > 1.0) continue;
            }
            SetPixelz(bitmap, x, colour, y);
        }
    }
}

void FillEllipse(Bitmap& bitmap, int left, int top, int right, int bottom, uint32_t colour) {
    FillRoundRect(bitmap, left, top, right, bottom, right - left, bottom - top, colour);
}

// A rectangle filled with the brush inside a one-pixel pen outline.
void Rectangle(Bitmap& bitmap, int left, int top, int right, int bottom, uint32_t pen,
               uint32_t brush) {
    if (right <= left || bottom <= top) return;
    FillRect(bitmap, left, top, right, bottom, brush);
    for (int x = left; x < right; ++x) {
        SetPixelz(bitmap, x, pen, top);
        SetPixelz(bitmap, x, pen, bottom - 1);
    }
    VerticalLine(bitmap, left, top, bottom - 1, pen);
    VerticalLine(bitmap, right - 1, top, bottom - 1, pen);
}

// Room the page leaves below the window, in view pixels: the range of the thumb.
int64_t ScrollRange(const ViewState& view, int32_t height) {
    return static_cast<int64_t>(view.ContentHeight) - height / std::max(1, view.PixelZoom);
}

int32_t ToInt32(double value) {
    constexpr double lo = std::numeric_limits<int32_t>::min();
    constexpr double hi = std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(std::clamp(value, lo, hi));
}

} // namespace

int32_t ThumbHeight(ControlBarSize size) {
    size = AtLeastOne(size);
    return static_cast<int32_t>(static_cast<int64_t>(size.height) * (size.width / 2) /
                                size.viewWidth);
}

int32_t ThumbTop(const ViewState& view, ControlBarSize size) {
    size = AtLeastOne(size);
    const int64_t range = ScrollRange(view, size.height);
    // A page no taller than the window keeps the thumb at the top.
    const double fraction = range > 0 ? static_cast<double>(view.ScrollY) / range : 0.0;
    return ToInt32(std::floor(fraction * (size.height - ThumbHeight(size))));
}

int32_t KnobCentre(const ViewState& view, ControlBarSize size, double scrollSpeed) {
    size = AtLeastOne(size);
    const int32_t w = size.width;
    const int32_t h = size.height;
    if (view.MaxScrollSpeed <= 0) return h / 2;
    const double max = view.MaxScrollSpeed;
    const double speed = std::clamp(scrollSpeed, -max, max);
    return h / 2 + ToInt32(std::round((h - 2 * (w / 4)) / 2.0 * speed / max));
}

Bitmap DrawControlBar(const ViewState& view, const ViewOptions& options, ControlBarSize size,
                      double scrollSpeed) {
    size = AtLeastOne(size);
    const int w = size.width;
    const int h = size.height;
    const uint32_t back = options.Color(ColorRole::Back);
    const uint32_t text = options.Color(ColorRole::Text);
    Bitmap bar(w, h, PixelFromColor(back));

    for (int x : {0, w / 2, w - 1})
        VerticalLine(bar, x, 0, h - 1, text);

    const int knobX = 3 * w / 4;
    Rectangle(bar, knobX - 2, w / 4, knobX + 2, h - 1 - w / 4, text, back);

    const int k = KnobCentre(view, size, scrollSpeed);
    FillEllipse(bar, knobX - w / 4 + 4, k - w / 4 + 4, knobX + w / 4 - 4, k + w / 4 - 4,
                kControlBarBody);
    FillEllipse(bar, knobX - w / 6 + 4, k - w / 6 + 4, knobX, k, kControlBarShine);

    const int t = ThumbHeight(size);
    const int q = ThumbTop(view, size);
    const int corner = (w / 2) / 5;
    FillRoundRect(bar, 4, q, w / 2 - 3, q + t - 1, corner, corner, kControlBarBody);
    FillRoundRect(bar, 4, q, w / 2 - 4, q + t / 2, corner, corner, kControlBarShine);
    return bar;
}

ControlBarResult ControlBar::MouseDown(MouseButtons held, int32_t x, int32_t y) {
    half_ = x <= std::max(1, size_.width) / 2 ? ControlBarHalf::Thumb : ControlBarHalf::Knob;
    return MouseMove(held, y);
}

ControlBarResult ControlBar::MouseMove(MouseButtons held, int32_t y) {
    ControlBarResult result;
    if (!held.left) return result;
    const ControlBarSize size = AtLeastOne(size_);
    const int32_t h = size.height;
    if (half_ == ControlBarHalf::Knob) {
        const double max = std::max(0, view_.MaxScrollSpeed);
        const double travel = (h - 2 * (size.width / 4)) / 2.0;
        const double offset = y - h / 2;
        // A bar too short for the knob's travel gives full speed in the pointer's direction.
        const double speed = travel > 0 ? offset * max / travel : (offset > 0 ? max : -max);
        scrollSpeed_ = offset == 0 ? 0.0 : std::clamp(speed, -max, max);
        result = TimerTick();
        result.redrawBar = true;
        result.startTimer = true;
        result.stopTimer = false;
        return result;
    }
    const int32_t t = ThumbHeight(size);
    // A thumb as tall as the bar cannot move: the page stays at the top.
    const double scrolled =
        h > t ? std::floor(static_cast<double>(ScrollRange(view_, h)) * (y - t / 2) / (h - t))
              : 0.0;
    view_.ScrollY = ToInt32(scrolled);
    result.paint = true;
    return result;
}

ControlBarResult ControlBar::MouseUp() {
    scrollSpeed_ = 0;
    ControlBarResult result;
    result.stopTimer = true;
    result.redrawBar = true;
    result.focusAddressBar = true;
    return result;
}

ControlBarResult ControlBar::TimerTick() {
    ControlBarResult result;
    if (scrollSpeed_ == 0) {
        result.stopTimer = true;
        return result;
    }
    if (browser_.RenderBusy) return result;
    view_.ScrollY = ToInt32(static_cast<double>(view_.ScrollY) + std::round(scrollSpeed_));
    result.paint = true;
    return result;
}

} // namespace qm
