#pragma once
// The mouse on the view image Image1: drag to scroll, right-drag line selection with its copy
// request, and clicks on marked blocks. The logic only decides; the window executes the
// returned action with the go action, the downloader and the form editor, and draws the frame.

#include <cstdint>
#include <optional>
#include <string>

#include "state/browser_state.h"
#include "state/view_options.h"
#include "state/view_state.h"

namespace qm {

enum class MouseButton { Left, Right, Middle };

struct MouseButtons {
    bool left = false;
    bool right = false;
    bool middle = false;
};

enum class KeyModifier { None, Ctrl };

enum class ViewCursor { Default, Hand };

enum class ClickActionKind {
    None,
    FollowLink,      // address bar := address, Referer = baseUrl, go action, Referer cleared
    FillObjectField, // object URL field := address, nothing more (traffic saver full)
    TestLink,        // object URL field := address, then the link test (download mode 2)
    SaveResource,    // object URL field := address, then the quick save of the linked file
    ShowCode,        // object info area := text
    OpenForm,        // form editor: request fields emptied, source := text, not advanced,
                     // ProcessForm, shown with baseUrl
    ChooseCharset,   // the page is decoded again in the charset the address (text) names
};

struct ClickAction {
    ClickActionKind kind = ClickActionKind::None;
    std::string address; // AddDomain(BaseURL, Text) for the link and resource kinds
    std::string text;    // ShowCode: the code as shown; OpenForm: the form's source
    std::string baseUrl; // BaseURL at the click: the Referer of requests, the form's base
};

// The frame drawn around a clicked block on the picture already shown, in screen pixels: a
// rectangle outline from (left, top) to (right, bottom), no fill.
struct ClickFrame {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    int32_t penWidth = 1;
    uint32_t colour = 0; // Windows colour value (Text)
};

// What an event asks of the window; everything else it changed lives in ViewState.
struct ViewMouseResult {
    bool paint = false;               // request a paint pass
    bool focusAddressBar = false;     // when the main window is active
    std::optional<ViewCursor> cursor; // set by moves only
    std::optional<ClickFrame> frame;  // drawn (and shown at once) before the action runs
    ClickAction action;
};

// LineHeight / 2, at least 2: moves below it still count as a click.
int32_t ClickThreshold(int32_t lineHeight);

// The text a Code block shows in the object info area: "start length" (start 1-based) cut out
// of the decoded source, line ends made CR LF, tabs removed. Empty for a malformed field.
std::string CodeObjectText(const std::string& decodedSource, const std::string& field);

class ViewMouse {
  public:
    ViewMouse(ViewState& view, const BrowserState& browser, const ViewOptions& options)
        : view_(view), browser_(browser), options_(options) {}

    // x, y: screen pixels of Image1, before the pixel zoom.
    ViewMouseResult MouseDown(MouseButton button, int32_t x, int32_t y);
    ViewMouseResult MouseMove(MouseButtons held, int32_t x, int32_t y);
    ViewMouseResult MouseUp(MouseButton button, KeyModifier keys, int32_t x, int32_t y);

    // The last raw position of a move: keyboard scrolling with the right button held moves
    // the selection along by replaying MouseMove there.
    int32_t LastX() const { return lastX_; }
    int32_t LastY() const { return lastY_; }

  private:
    int32_t Zoomed(int32_t coordinate) const;
    bool Small(int32_t distance) const;
    const ViewObject* ObjectAt(int32_t y) const;
    ClickFrame FrameFor(const ViewObject& object) const;
    ClickAction Decide(const ViewObject& object, bool rightClick, KeyModifier keys) const;
    ClickActionKind ObjectFieldKind() const;

    ViewState& view_;
    const BrowserState& browser_;
    const ViewOptions& options_;
    int32_t lastX_ = 0;
    int32_t lastY_ = 0;
    int32_t downX_ = 0;
    int32_t downY_ = 0;
    int32_t downScrollY_ = 0;
};

// sb1 change: ScrollY follows the bar; returns the caption "offset / max px - StatusText"
// (screen pixels). The window then redraws the control bar and requests a paint pass.
std::string ScrollBarChanged(ViewState& view, const BrowserState& browser);

// The control bar's visibility. Ctrl+F11 and the popup item flip the check box; the check box
// itself has already changed when it calls.
enum class ShowScrollCaller { CheckBox, KeyOrMenu };

struct ShowScrollLayout {
    bool checked = true;      // CheckBox35 and the check mark of the popup item N20
    bool stripVisible = true; // Panel45
    int32_t imageWidth = 0;   // Image1
    // Then a mark and a paint pass; the bar is drawn when visible.
};

ShowScrollLayout SwitchShowScroll(ShowScrollCaller caller, bool checkBoxChecked,
                                  int32_t parentWidth, int32_t stripWidth);

} // namespace qm
