#pragma once
// The source view's own state: scroll offset, layout results of the last passes, the
// clickable blocks of the painted window and the restart checkpoints of the page. One
// instance, owned by the main window; the renderer and the view interaction read and write it.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qm {

struct BlockRestart;
class FormContentRecord;

enum class RenderMode : int32_t { Paint = 0, Mark = 1, Prepare = 2 };
enum class ViewMode : int32_t { Html = 0, Text = 1, Hex = 2 };
enum class ViewObjectKind : int32_t { Link = 0, Resource = 1, Form = 2, Code = 3 };

// A clickable block of the painted window. Rows are view pixels (before PixelZoom) of the
// render bitmap: the block covers [Top, Bottom).
struct ViewObject {
    int32_t Top = 0;
    int32_t Bottom = 0;
    ViewObjectKind Kind = ViewObjectKind::Link;
    // Link, Resource: the address without quotes (maybe relative). Form: the form's source.
    // Code: "start length", the 1-based start in DecodedSource and the length of the block.
    std::string Text;
    bool Broken = false; // the page's link check found the address broken
};

// A clean line start recorded by the mark pass, after a line break or a wrap; a paint pass
// may start there. Only whether the two lengths are zero matters.
struct RenderCheckpoint {
    int32_t X = 1;
    int32_t Y = 1;
    int32_t Position = 0;
    int32_t CurrentLineLength = 0;
    int32_t PreviousLineLength = 0;
    // The line lies inside a preformatted section (PRE): long sections still get restart points.
    bool Preformatted = false;
    bool LineStarted = false; // a wrapped line has dropped its indentation already
    // Inside a display block: the block's restart state, and the offset of the next character
    // in its text.
    int32_t BlockOffset = 0;
    std::shared_ptr<const BlockRestart> Block;
};

// The hidden scroll bar sb1: it only holds position and range.
struct ScrollBarState {
    int32_t Position = 0;
    int32_t Max = 0;
    int32_t SmallStep = 1;
    int32_t LargeStep = 1;
};

struct ViewState {
    int32_t ScrollY = 0;       // window offset from the top of the page, view pixels
    int32_t ContentHeight = 0; // set by the mark pass
    int32_t LineHeight = 16;   // computed by every pass
    int32_t MaxScrollSpeed = 32;
    int32_t PixelZoom = 1;
    qm::ViewMode ViewMode = qm::ViewMode::Html;
    int32_t FontSize = 11; // point size of the system font

    // Size of the view image Image1 in screen pixels; the window keeps it current through
    // SetImageSize.
    int32_t ImageWidth = 1;
    int32_t ImageHeight = 1;
    // A size the window took while the image export ran; it applies when the export ends, so
    // that every strip of the image has the geometry of the first.
    int32_t PendingImageWidth = 0;
    int32_t PendingImageHeight = 0;

    bool RenderSuspended = false; // passes are skipped (theme application)
    bool AtTop = false;
    bool AtBottom = false;
    bool ImageExportActive = false; // the BMP export paints strips and keeps the bitmap

    // Highlighted line range in page y, set by the mouse.
    bool SelectionActive = false;
    int32_t SelectionTop = 0;
    int32_t SelectionBottom = 0;
    bool ClickFeedback = false;

    // The next paint pass copies the text of the lines in [CopyTop - LineHeight, CopyBottom).
    bool CopyRequest = false;
    int32_t CopyTop = 0;
    int32_t CopyBottom = 0;

    ScrollBarState ScrollBar;
    std::vector<RenderCheckpoint> RenderCheckpoints;
    // What the mark pass read of form contents, for the paint passes of the same layout.
    std::vector<std::shared_ptr<const FormContentRecord>> FormRecords;
    std::vector<ViewObject> ViewObjects;

    void SetImageSize(int32_t width, int32_t height) {
        (ImageExportActive ? PendingImageWidth : ImageWidth) = width;
        (ImageExportActive ? PendingImageHeight : ImageHeight) = height;
    }
    void ApplyPendingImageSize() {
        if (PendingImageWidth > 0) ImageWidth = PendingImageWidth;
        if (PendingImageHeight > 0) ImageHeight = PendingImageHeight;
        PendingImageWidth = PendingImageHeight = 0;
    }
};

// ScrollY after a new layout (font, bold, charset, zoom or theme change) that keeps the window
// at the same relative place of the page: floor(newHeight * oldScrollY / oldHeight), where an
// old height of 0 counts as 1.
inline int32_t RelativeScrollY(int32_t oldScrollY, int32_t oldHeight, int32_t newHeight) {
    const int64_t scaled = static_cast<int64_t>(newHeight) * oldScrollY;
    const int64_t height = oldHeight == 0 ? 1 : oldHeight;
    int64_t result = scaled / height;
    if (scaled % height != 0 && (scaled < 0) != (height < 0)) --result; // floor, not truncation
    return static_cast<int32_t>(result);
}

} // namespace qm
