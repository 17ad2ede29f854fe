#pragma once
// RenderPass: the state of one run of RenderSite. Its setup and finish, its loop, its display
// blocks and its text and painting live in files of their own and share this class.

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "base/bitmap.h"
#include "base/bitmap_font.h"
#include "base/interfaces.h"
#include "state/browser_state.h"
#include "state/ui_strings.h"
#include "view/renderer.h"
#include "view/tag_scanner.h"

namespace qm {

// The text placed on one line, kept as its extent: the layout only asks whether its trimmed
// text is empty, and checkpoints record the trimmed length.
class LineText {
  public:
    // A line of that many non-blank characters (a line restored from a checkpoint).
    static LineText Placeholder(int32_t length) {
        LineText line;
        if (length > 0) {
            line.length_ = length;
            line.first_ = 0;
            line.last_ = length - 1;
        }
        return line;
    }
    void Append(char c) {
        if (static_cast<unsigned char>(c) > ' ') {
            if (first_ < 0) first_ = length_;
            last_ = length_;
        }
        ++length_;
    }
    void Append(std::string_view text) {
        const auto above = [](char c) { return static_cast<unsigned char>(c) > ' '; };
        const auto first = std::find_if(text.begin(), text.end(), above);
        if (first != text.end()) {
            if (first_ < 0) first_ = length_ + static_cast<int32_t>(first - text.begin());
            last_ = length_ + static_cast<int32_t>(
                                  text.rend() - std::find_if(text.rbegin(), text.rend(), above)) -
                    1;
        }
        length_ += static_cast<int32_t>(text.size());
    }
    bool TrimmedEmpty() const { return first_ < 0; }
    int32_t TrimmedLength() const { return first_ < 0 ? 0 : last_ - first_ + 1; }

  private:
    int32_t length_ = 0;
    int32_t first_ = -1; // first and last character above a space
    int32_t last_ = -1;
};

// With PumpPace::Throttled the clock is read only at every so many lines; progress steps, at
// most a hundred a pass, read it every time.
inline constexpr int kLinesPerClockRead = 16;
enum class PumpPlace { Line, ProgressStep };

// One run of RenderSite: the state that lives for the pass, the loop and its drawing.
class RenderPass {
  public:
    RenderPass(Renderer& renderer, RenderMode mode);
    void Run();

  private:
    void SetUp();
    void MeasureFont();
    void ClampScroll();
    void ChooseStart();
    void Loop();
    void Finish();

    void Progress();
    void Pump(PumpPlace place = PumpPlace::Line);
    void TakeCheckpoint();
    void RestartAt(const RenderCheckpoint& point);
    void LineBreakTurn();
    void TakeBlock();
    // The restart state the mark pass kept for a block that starts on the line at page y y.
    std::shared_ptr<const BlockRestart> RecordedBlock(int32_t y) const;
    void StartBlock(DisplayBlock block);
    void SetBlockColours(ColorRole role);
    void OpenObject(int32_t top, const DisplayBlock& block);
    // Below the window the rest of a block only gives the bottom of its object; the mark pass
    // keeps it for blocks long enough to hold restart points. True when nothing is left to do.
    bool BlockEndKnown();
    void EndBlock();
    // Ends the page at the height limit with a line that says so.
    void CutPage();
    void Draw(const std::string& text);
    size_t DrawRun(std::string_view run);
    size_t LayOutRun(std::string_view run);
    size_t PlaceUniformRun(std::string_view run, int32_t width, LayoutSink* sink);
    int32_t PlaceChar(char c);
    void Wrap();
    void PaintText(std::string_view text, int32_t width);
    void DrawBorder(int32_t kind, int32_t row, int32_t lineY);
    void FillBand();
    void DrawGlyphs(int32_t x, int32_t lineY, std::string_view text, uint32_t colour);
    void FlushRun();
    void Zoom();

    bool Painting() const { return mode_ == RenderMode::Paint; }
    bool Visible(int32_t y) const {
        return y >= scrollY_ - lineHeight_ && y < scrollY_ + viewHeight_;
    }
    bool InCopyRange(int32_t y) const {
        return copying_ && y >= view_.CopyTop - lineHeight_ && y < view_.CopyBottom;
    }
    int32_t Width(std::string_view text) const;
    uint32_t RoleColor(ColorRole role) const { return options_.Color(role); }
    std::string Ui(int index) const { return UiString(index, browser_.LanguageIndex); }
    FontSpec SystemFont(bool bold) const;
    BitmapTextOptions BitmapOptions(bool bold) const;
    // Closes the open object at the page y below its last line; false when the window layer
    // emptied the list meanwhile.
    bool CloseObject(int32_t bottomY);
    // Drops the object just closed unless its band reaches into the window.
    void DropUnlessVisible();

    Renderer& r_;
    BrowserState& browser_;
    ViewState& view_;
    RenderHost& host_;
    const RenderMode mode_;
    // Options, view mode and fonts are taken once, so that changes made from inside the
    // message pump cannot mix two layouts in one picture.
    const ViewOptions options_;
    const qm::ViewMode viewMode_;
    TagScanner scanner_;
    ScanState& s_;

    int32_t viewWidth_ = 1;
    int32_t viewHeight_ = 1;
    int32_t zoom_ = 1;
    int32_t scrollY_ = 0;
    int32_t lineHeight_ = 1;
    int32_t lineGap_ = 0;
    int32_t topOffset_ = 0;
    bool bitmapFont_ = false;
    std::array<std::array<int32_t, 256>, 2> widths_{}; // [bold][byte]
    // The width every ASCII character a run can hold (no control character) takes, 0 when
    // they differ.
    std::array<int32_t, 2> uniformWidths_{}; // [bold]
    std::array<FontSpec, 2> systemFonts_;              // [bold]
    std::array<BitmapTextOptions, 2> bitmapOptions_;   // [bold]
    Bitmap bitmap_;

    int32_t penX_ = 1;
    int32_t pageY_ = 1;
    bool lineStarted_ = false;
    bool bandFilled_ = false;
    bool lineBegun_ = false; // a line break or a wrap has started a new line
    LineText currentLine_;
    LineText previousLine_;
    uint32_t fontColor_ = 0;
    uint32_t bandColor_ = 0;
    bool bold_ = false;
    ColorRole role_ = ColorRole::Text;

    bool objectOpen_ = false;
    int32_t blockTop_ = 0; // page y of the first line of the display block shown
    DisplayBlock block_;   // mark pass: the block shown, until its restart state takes it
    std::shared_ptr<BlockRestart> blockRestart_;       // mark pass: of the block shown
    std::shared_ptr<const BlockRestart> shownRestart_; // paint pass: of the block shown
    int64_t checkpointRead_ = 0;                       // characters read at the last restart point
    bool copying_ = false;
    std::string copyText_;
    int32_t lastBorderRow_ = -1;
    bool lastBorderSolid_ = false;

    int32_t progressStep_ = 1;
    int32_t progressLength_ = -1;
    int64_t lastPercent_ = -1;
    int32_t nextProgress_ = 0; // the position at which the percentage next grows
    std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
    std::chrono::steady_clock::time_point lastPump_ = started_;
    int pumpCountdown_ = kLinesPerClockRead;

    struct TextRun {
        int32_t x = 0, y = 0, endX = 0;
        uint32_t colour = 0;
        bool bold = false;
        std::string text;
    } run_;
};

} // namespace qm
