#include "view/view_interaction.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>

#include "base/file_io.h"
#include "base/format.h"
#include "state/ui_strings.h"
#include "net/url.h"
#include "base/codepage.h"
#include "tools/source_decode.h"

namespace qm {
namespace {

bool ParseDecimal(std::string_view text, int64_t& value) {
    const char* end = text.data() + text.size();
    auto [stop, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && stop == end && !text.empty();
}

} // namespace

int32_t ClickThreshold(int32_t lineHeight) {
    return std::max(2, lineHeight / 2);
}

std::string CodeObjectText(const std::string& decodedSource, const std::string& field) {
    const size_t space = field.find(' ');
    int64_t start = 0;
    int64_t length = 0;
    if (space == std::string::npos ||
        !ParseDecimal(std::string_view(field).substr(0, space), start) ||
        !ParseDecimal(std::string_view(field).substr(space + 1), length))
        return {};
    // A start before the first character counts from the first, as a substring copy does.
    const int64_t size = static_cast<int64_t>(decodedSource.size());
    const int64_t first = std::max<int64_t>(start, 1) - 1;
    if (first >= size || length <= 0) return {};
    const int64_t count = std::min(length, size - first);

    std::string text;
    text.reserve(static_cast<size_t>(count) + static_cast<size_t>(count) / 16);
    for (int64_t i = first; i < first + count; ++i) {
        const char c = decodedSource[static_cast<size_t>(i)];
        if (c == '\t') continue;
        if (c == '\r' || c == '\n') {
            // CR LF, a lone CR and a lone LF are each one line end.
            if (c == '\r' && i + 1 < first + count &&
                decodedSource[static_cast<size_t>(i + 1)] == '\n')
                ++i;
            text += "\r\n";
            continue;
        }
        text += c;
    }
    return text;
}

int32_t ViewMouse::Zoomed(int32_t coordinate) const {
    return view_.PixelZoom > 1 ? coordinate / view_.PixelZoom : coordinate;
}

bool ViewMouse::Small(int32_t distance) const {
    return std::abs(distance) < ClickThreshold(view_.LineHeight);
}

const ViewObject* ViewMouse::ObjectAt(int32_t y) const {
    for (const ViewObject& object : view_.ViewObjects)
        if (y >= object.Top && y < object.Bottom) return &object;
    return nullptr;
}

ViewMouseResult ViewMouse::MouseDown(MouseButton button, int32_t x, int32_t y) {
    ViewMouseResult result;
    result.focusAddressBar = true;
    x = Zoomed(x);
    y = Zoomed(y);
    downX_ = x;
    downY_ = y;
    downScrollY_ = view_.ScrollY;
    if (button == MouseButton::Right) {
        view_.ClickFeedback = true;
        view_.CopyTop = view_.SelectionTop = view_.SelectionBottom = y + view_.ScrollY;
        view_.SelectionActive = true;
        result.paint = true;
    }
    return result;
}

ViewMouseResult ViewMouse::MouseMove(MouseButtons held, int32_t x, int32_t y) {
    ViewMouseResult result;
    lastX_ = x;
    lastY_ = y;
    x = Zoomed(x);
    y = Zoomed(y);
    result.cursor = ObjectAt(y) ? ViewCursor::Hand : ViewCursor::Default;
    view_.ClickFeedback = false;
    if (held.left) {
        // The page follows the pointer; the paint pass clamps the offset.
        view_.ScrollY = downY_ + downScrollY_ - y;
        result.paint = true;
    }
    if (view_.SelectionActive) {
        view_.ClickFeedback =
            Small(downX_ - x) && Small(downY_ - y) && Small(view_.ScrollY - downScrollY_);
        view_.SelectionTop = view_.CopyTop;
        view_.SelectionBottom = y + view_.ScrollY;
        if (view_.SelectionBottom < view_.SelectionTop)
            std::swap(view_.SelectionTop, view_.SelectionBottom);
        result.paint = true;
    }
    return result;
}

ViewMouseResult ViewMouse::MouseUp(MouseButton button, KeyModifier keys, int32_t x, int32_t y) {
    ViewMouseResult result;
    x = Zoomed(x);
    y = Zoomed(y);
    // Horizontal movement does not spoil a left click: the left button only scrolls vertically.
    const bool still = Small(downY_ - y) && Small(view_.ScrollY - downScrollY_);
    const bool leftClick = button == MouseButton::Left && still;
    const bool rightClick = button == MouseButton::Right && still && Small(downX_ - x);
    view_.ClickFeedback = rightClick;

    if (leftClick || rightClick) {
        if (const ViewObject* object = ObjectAt(y)) {
            result.frame = FrameFor(*object);
            result.action = Decide(*object, rightClick, keys);
        }
    }
    if (button != MouseButton::Right) return result;

    view_.SelectionActive = false;
    if (!rightClick) {
        view_.CopyBottom = y + view_.ScrollY;
        if (view_.CopyBottom < view_.CopyTop) std::swap(view_.CopyTop, view_.CopyBottom);
        view_.CopyRequest = true;
    }
    result.paint = true; // removes the highlight
    return result;
}

ClickFrame ViewMouse::FrameFor(const ViewObject& object) const {
    const int32_t zoom = std::max(1, view_.PixelZoom);
    ClickFrame frame;
    frame.left = zoom - 1;
    frame.top = object.Top * zoom;
    frame.right = view_.ImageWidth - zoom - 1;
    frame.bottom = object.Bottom * zoom;
    frame.penWidth = zoom;
    frame.colour = options_.Color(ColorRole::Text);
    return frame;
}

ClickAction ViewMouse::Decide(const ViewObject& object, bool rightClick, KeyModifier keys) const {
    ClickAction action;
    action.baseUrl = browser_.BaseURL;
    switch (object.Kind) {
    case ViewObjectKind::Code:
        action.kind = ClickActionKind::ShowCode;
        action.text = CodeObjectText(browser_.DecodedSource, object.Text);
        return action;
    case ViewObjectKind::Form:
        action.kind = ClickActionKind::OpenForm;
        action.text = object.Text;
        return action;
    case ViewObjectKind::Link: {
        // A link of the charset line decodes the page again, whatever the traffic saver says.
        if (CharsetOfAddress(object.Text)) {
            action.kind = ClickActionKind::ChooseCharset;
            action.text = object.Text;
            return action;
        }
        // Under the full traffic saver a plain click only previews; the alternative follows.
        bool follow = !rightClick && keys != KeyModifier::Ctrl;
        if (browser_.TrafficSaverMode == 1) follow = !follow;
        if (follow) {
            action.kind = ClickActionKind::FollowLink;
            action.address = AddDomain(browser_.BaseURL, object.Text);
            return action;
        }
        break;
    }
    case ViewObjectKind::Resource:
        break;
    }
    action.kind = ObjectFieldKind();
    action.address = AddDomain(browser_.BaseURL, object.Text);
    return action;
}

ClickActionKind ViewMouse::ObjectFieldKind() const {
    switch (browser_.TrafficSaverMode) {
    case 0:
        return ClickActionKind::TestLink;
    case 1:
        return ClickActionKind::FillObjectField;
    default:
        return ClickActionKind::SaveResource;
    }
}

std::string ScrollBarChanged(ViewState& view, const BrowserState& browser) {
    view.ScrollY = view.ScrollBar.Position;
    const int64_t zoom = std::max(1, view.PixelZoom);
    const int64_t max =
        std::max<int64_t>(0, static_cast<int64_t>(view.ContentHeight) - view.ImageHeight / zoom);
    const int64_t shown = std::min<int64_t>(max, std::max(0, view.ScrollY));
    return Bytes64ToStr(shown * zoom) + " / " + Bytes64ToStr(max * zoom) +
           UiString(115, browser.LanguageIndex) + " - " + browser.StatusText;
}

ShowScrollLayout SwitchShowScroll(ShowScrollCaller caller, bool checkBoxChecked,
                                  int32_t parentWidth, int32_t stripWidth) {
    ShowScrollLayout layout;
    layout.checked = caller == ShowScrollCaller::CheckBox ? checkBoxChecked : !checkBoxChecked;
    layout.stripVisible = layout.checked;
    layout.imageWidth = layout.checked ? std::max(0, parentWidth - stripWidth) : parentWidth;
    return layout;
}

} // namespace qm
