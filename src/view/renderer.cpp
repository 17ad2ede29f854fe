#include "view/renderer.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <climits>
#include <cmath>

#include "state/browser_state.h"
#include "state/ui_strings.h"
#include "base/interfaces.h"
#include "state/bitmap_font_state.h"
#include "tools/source_decode.h"
#include "base/format.h"
#include "view/progress_caption.h"
#include "view/site_to_hex.h"
#include "view/tag_scanner.h"
#include "base/view_colors.h"

namespace qm {
namespace {

constexpr int kUiHeightLimit = 272;
constexpr int kUiHeightLimitEnd = 273;

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
        for (char c : text)
            Append(c);
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
constexpr int kLinesPerClockRead = 16;
enum class PumpPlace { Line, ProgressStep };

// Delphi's Round: halves go to the even neighbour.
int64_t RoundHalfEven(double value) {
    return static_cast<int64_t>(std::nearbyint(value));
}

} // namespace

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

RenderPass::RenderPass(Renderer& renderer, RenderMode mode)
    : r_(renderer), browser_(renderer.c_.browser), view_(renderer.c_.view),
      host_(renderer.c_.host ? *renderer.c_.host : renderer.defaultHost_), mode_(mode),
      options_(renderer.c_.options), viewMode_(renderer.c_.view.ViewMode),
      scanner_(renderer.c_.browser, options_, mode, renderer.c_.view.ViewMode),
      s_(scanner_.State()) {
    scanner_.SetTitleHandler([this](const std::string& title) { host_.PageTitleFound(title); });
}

void RenderPass::Run() {
    SetUp();
    Loop();
    Finish();
}

FontSpec RenderPass::SystemFont(bool bold) const {
    FontSpec font;
    font.name = options_.FontName;
    font.charset = options_.Charset;
    font.pointSize = view_.FontSize;
    font.bold = bold;
    font.antialiasing = options_.Antialiasing;
    return font;
}

BitmapTextOptions RenderPass::BitmapOptions(bool bold) const {
    return ViewTextOptions(
        r_.c_.fonts, viewMode_ == qm::ViewMode::Hex ? DosSubstitution::Off : DosSubstitution::On,
        bold ? BoldText::On : BoldText::Off);
}

void RenderPass::SetUp() {
    if (Painting()) {
        view_.ViewObjects.clear();
    } else {
        view_.RenderCheckpoints.assign(1, RenderCheckpoint{});
        view_.FormRecords.clear();
    }
    if (mode_ != RenderMode::Prepare) scanner_.SetFormRecords(&view_.FormRecords);
    if (mode_ == RenderMode::Prepare) browser_.PageTitle = browser_.DefaultPageTitle;
    if (Painting() && view_.CopyRequest) {
        view_.CopyRequest = false;
        copying_ = true;
    }
    const bool html = viewMode_ == qm::ViewMode::Html;
    if (mode_ == RenderMode::Prepare) {
        if (viewMode_ == qm::ViewMode::Text) {
            SiteToHex(r_.c_, host_, ConvertedView::Text);
        } else if (viewMode_ == qm::ViewMode::Hex) {
            SiteToHex(r_.c_, host_, ConvertedView::Hex);
        }
        DecodeSiteIfNeeded(browser_, r_.c_.decode);
    }
    zoom_ = std::max(1, view_.PixelZoom);
    viewWidth_ = std::max(1, std::max(1, view_.ImageWidth) / zoom_);
    viewHeight_ = std::max(1, std::max(1, view_.ImageHeight) / zoom_);
    // Only the paint pass draws; the other passes need no picture.
    if (Painting()) bitmap_ = Bitmap(viewWidth_, viewHeight_);

    const BitmapFontState& fonts = r_.c_.fonts;
    bitmapFont_ = fonts.BitmapFontActive && (fonts.Font.Loaded() || !r_.c_.rasterizer);
    lineGap_ = html ? (bitmapFont_ ? 3 : 2) : 0;
    topOffset_ = html ? (bitmapFont_ ? 2 : 1) : 0;
    MeasureFont();
    view_.LineHeight = lineHeight_;
    view_.MaxScrollSpeed = 2 * lineHeight_;

    if (Painting() && !view_.ImageExportActive) ClampScroll();
    scrollY_ = view_.ScrollY;
    if (Painting()) FillRect(bitmap_, 0, 0, viewWidth_, viewHeight_, RoleColor(ColorRole::Back));

    fontColor_ = RoleColor(ColorRole::Text);
    bold_ = options_.IsBold(ColorRole::Text);
    bandColor_ = RoleColor(ColorRole::Back);
    if (Painting()) ChooseStart();
}

void RenderPass::MeasureFont() {
    for (int bold = 0; bold < 2; ++bold) {
        systemFonts_[bold] = SystemFont(bold != 0);
        bitmapOptions_[bold] = BitmapOptions(bold != 0);
    }
    if (bitmapFont_) {
        const BitmapFontState& fonts = r_.c_.fonts;
        lineHeight_ = static_cast<int32_t>(std::min<int64_t>(
            kMaxLineHeight,
            int64_t{BitmapFontHeight(fonts.Font)} * std::max(1, fonts.BitmapFontScale) + lineGap_));
        for (int bold = 0; bold < 2; ++bold) {
            const BitmapTextOptions& textOptions = bitmapOptions_[bold];
            for (int byte = 0; byte < 256; ++byte) {
                const char c = static_cast<char>(byte);
                widths_[bold][byte] =
                    BitmapTextWidth(fonts.Font, std::string_view(&c, 1), textOptions);
            }
        }
    } else if (TextRasterizer* rasterizer = r_.c_.rasterizer) {
        for (int bold = 0; bold < 2; ++bold) {
            rasterizer->SetFont(systemFonts_[bold]);
            for (int byte = 0; byte < 256; ++byte)
                widths_[bold][byte] = rasterizer->CharWidth(static_cast<unsigned char>(byte));
        }
        rasterizer->SetFont(systemFonts_[options_.IsBold(ColorRole::Text) ? 1 : 0]);
        lineHeight_ = std::min(kMaxLineHeight, rasterizer->LineHeight() + lineGap_);
    } else {
        lineHeight_ = lineGap_;
    }
    lineHeight_ = std::max(1, lineHeight_);
}

void RenderPass::ClampScroll() {
    if (view_.ContentHeight - viewHeight_ < view_.ScrollY) {
        view_.AtBottom = true;
        view_.ScrollY = view_.ContentHeight - viewHeight_;
    } else {
        view_.AtBottom = false;
    }
    if (view_.ScrollY < 0) view_.ScrollY = 0;
    view_.AtTop = view_.ScrollY < 1;
    view_.ScrollBar.Position = view_.ScrollY;
    view_.ScrollBar.Max = std::max(0, view_.ContentHeight - viewHeight_);
    view_.ScrollBar.SmallStep = lineHeight_;
    view_.ScrollBar.LargeStep = std::max(1, view_.ImageHeight);
}

// Restarts at the last checkpoint that lies wholly above everything this pass must draw,
// copy or record: the band and borders of the line above it stay off the picture, and a block
// ending on that line would lie more than a line above the window, where its object is
// dropped. So a restart gives the same picture and objects as a pass from the top.
void RenderPass::ChooseStart() {
    int32_t start = scrollY_;
    if (copying_) start = std::min(start, view_.CopyTop - lineHeight_);
    start -= lineHeight_;
    const auto& points = view_.RenderCheckpoints;
    auto after = std::lower_bound(points.begin(), points.end(), start,
                                  [](const RenderCheckpoint& p, int32_t y) { return p.Y < y; });
    if (after != points.begin()) RestartAt(*std::prev(after));
}

void RenderPass::RestartAt(const RenderCheckpoint& point) {
    penX_ = point.X;
    pageY_ = point.Y;
    lineStarted_ = point.LineStarted;
    currentLine_ = LineText::Placeholder(point.CurrentLineLength);
    previousLine_ = LineText::Placeholder(point.PreviousLineLength);
    if (!point.Block) {
        scanner_.RestartAt(point.Position, point.Preformatted);
        return;
    }
    const BlockRestart& restart = *point.Block;
    scanner_.RestartInBlock(restart, static_cast<size_t>(point.BlockOffset));
    SetBlockColours(restart.block.role);
    blockTop_ = restart.top;
    shownRestart_ = point.Block;
    if (restart.block.hasObject)
        OpenObject(restart.top, restart.block);
}

void RenderPass::TakeCheckpoint() {
    std::vector<RenderCheckpoint>& points = view_.RenderCheckpoints;
    const int64_t read = scanner_.CharactersRead();
    if (pageY_ - points.back().Y < kCheckpointLines * lineHeight_ &&
        read - checkpointRead_ < kCheckpointCharacters)
        return;
    std::shared_ptr<const BlockRestart> block;
    if (s_.blockDisplay) {
        if (!scanner_.NoLineRequest()) return;
        // One restart state serves every restart point of the block.
        if (!blockRestart_) {
            if (block_.hasObject && block_.objectText.empty())
                block_.objectText = scanner_.ShownObjectText();
            blockRestart_ = std::make_shared<BlockRestart>(
                BlockRestart{scanner_.BlockState(), std::move(block_), blockTop_});
        }
        block = blockRestart_;
    } else if (!scanner_.IsClean()) {
        return;
    }
    const int32_t offset = block ? static_cast<int32_t>(s_.displayPos) : 0;
    points.push_back({penX_, pageY_, s_.position, currentLine_.TrimmedLength(),
                      previousLine_.TrimmedLength(), s_.preformatted, lineStarted_, offset,
                      std::move(block)});
    checkpointRead_ = read;
}

void RenderPass::Loop() {
    std::string text;
    while (scanner_.SourceLeft() || scanner_.BlocksLeft()) {
        if (browser_.ProcessAbort) {
            browser_.ProcessAbort = false;
            r_.stopped_ = true;
            break;
        }
        if (pageY_ > kPageHeightLimit) {
            CutPage();
            break;
        }
        if (mode_ == RenderMode::Mark && lineBegun_) TakeCheckpoint();
        lineBegun_ = false;
        if (!Painting() &&
            (s_.position >= nextProgress_ || scanner_.SourceLength() != progressLength_))
            Progress();
        if (Painting() && pageY_ >= scrollY_ + viewHeight_ &&
            (!copying_ || pageY_ >= view_.CopyBottom) && BlockEndKnown())
            break;
        if (scanner_.DisplayUsedUp()) {
            EndBlock();
            continue;
        }
        if (s_.newLine || s_.forcedBreak) {
            LineBreakTurn();
            continue;
        }
        if (scanner_.HasPendingBlock()) TakeBlock();
        // A stretch of characters that take one turn each with nothing else happening between
        // them is taken at once; it ends where the progress shown would grow.
        const int32_t limit = Painting() ? INT32_MAX : nextProgress_;
        if (const std::string_view run = scanner_.DrawableRun(limit); !run.empty()) {
            scanner_.ConsumeDrawable(DrawRun(run));
            continue;
        }
        if (scanner_.ScanUndrawn(limit)) continue;
        if (scanner_.ReadCharacter(text)) Draw(text);
    }
}

void RenderPass::Progress() {
    const int32_t length = scanner_.SourceLength();
    if (length != progressLength_) {
        // The prepare pass shortens the source when it cuts hidden blocks.
        progressLength_ = length;
        progressStep_ = static_cast<int32_t>(std::max<int64_t>(1, RoundHalfEven(length / 100.0)));
        nextProgress_ =
            static_cast<int32_t>(std::min<int64_t>(INT32_MAX, (lastPercent_ + 1) * progressStep_));
    }
    if (s_.position < nextProgress_) return;
    const int64_t percent = s_.position / progressStep_;
    lastPercent_ = percent;
    nextProgress_ =
        static_cast<int32_t>(std::min<int64_t>(INT32_MAX, (percent + 1) * progressStep_));
    const int prefix = mode_ == RenderMode::Prepare ? 121 : 176;
    host_.SetCaption(ProgressCaption(Ui(prefix), percent, started_, Ui(200)));
    Pump(PumpPlace::ProgressStep);
}

void RenderPass::Pump(PumpPlace place) {
    if (r_.c_.pumpPace == PumpPace::Throttled) {
        if (place == PumpPlace::Line && --pumpCountdown_ > 0) return;
        pumpCountdown_ = kLinesPerClockRead;
        const auto now = std::chrono::steady_clock::now();
        if (now - lastPump_ < std::chrono::milliseconds(kPumpIntervalMs)) return;
        lastPump_ = now;
    }
    // Event handlers may read the page.
    scanner_.CloseGap();
    r_.c_.pump.ProcessEvents();
}

void RenderPass::LineBreakTurn() {
    const bool current = !currentLine_.TrimmedEmpty();
    const bool previous = !previousLine_.TrimmedEmpty();
    bool advance;
    if (viewMode_ == qm::ViewMode::Text)
        advance = options_.Gaps || current;
    else
        advance = options_.Gaps ? previous || current : current;

    if (!advance && s_.borderRequest) {
        // A bottom border of an empty line becomes the top border of the same line.
        const int32_t kind = s_.borderKind >= 2 ? s_.borderKind - 2 : s_.borderKind;
        DrawBorder(kind, pageY_ - scrollY_ - 1, pageY_);
    }
    if (advance) {
        if (Painting() && Visible(pageY_) && options_.Highlight && !bandFilled_) FillBand();
        if (s_.borderRequest && s_.borderKind >= 2)
            DrawBorder(s_.borderKind, pageY_ + lineHeight_ - scrollY_ - 1, pageY_);
        pageY_ += lineHeight_;
        lineBegun_ = true;
        bandFilled_ = false;
        if (InCopyRange(pageY_)) copyText_ += "\r\n";
        lineStarted_ = false;
        if (s_.borderRequest && s_.borderKind < 2)
            DrawBorder(s_.borderKind, pageY_ - scrollY_ - 1, pageY_);
        Pump();
    }
    s_.borderRequest = false;
    penX_ = 1;
    previousLine_ = currentLine_;
    currentLine_ = LineText();
    // A forced break leaves a plain line break for the next turn: a block after text starts
    // on a new line, after one empty line when Gaps is on.
    s_.newLine = s_.forcedBreak;
    s_.forcedBreak = false;
}

void RenderPass::TakeBlock() {
    std::shared_ptr<const BlockRestart> recorded;
    if (Painting()) recorded = RecordedBlock(pageY_);
    std::optional<DisplayBlock> block = scanner_.TakePendingBlock(recorded.get());
    if (!block) return;
    StartBlock(std::move(*block));
    if (recorded) shownRestart_ = std::move(recorded);
}

std::shared_ptr<const BlockRestart> RenderPass::RecordedBlock(int32_t y) const {
    // The block's restart points follow its first line.
    const auto& points = view_.RenderCheckpoints;
    auto after = std::upper_bound(points.begin(), points.end(), y,
                                  [](int32_t top, const RenderCheckpoint& p) { return top < p.Y; });
    if (after != points.end() && after->Block && after->Block->top == y) return after->Block;
    return nullptr;
}

void RenderPass::StartBlock(DisplayBlock block) {
    SetBlockColours(block.role);
    blockTop_ = pageY_;
    blockRestart_.reset();
    shownRestart_.reset();
    if (Painting() && block.hasObject)
        OpenObject(pageY_, block);
    if (mode_ == RenderMode::Mark) block_ = std::move(block);
}

void RenderPass::SetBlockColours(ColorRole role) {
    role_ = role;
    fontColor_ = RoleColor(role);
    bold_ = options_.IsBold(role);
    if (options_.Highlight) {
        bandColor_ = ColorSumm(RoleColor(role), RoleColor(ColorRole::Back));
        bandFilled_ = false;
    }
}

void RenderPass::OpenObject(int32_t top, const DisplayBlock& block) {
    view_.ViewObjects.push_back({top - scrollY_, 0, block.objectKind, block.objectText, block.broken});
    objectOpen_ = true;
}

bool RenderPass::CloseObject(int32_t bottomY) {
    objectOpen_ = false;
    if (view_.ViewObjects.empty()) return false;
    view_.ViewObjects.back().Bottom = bottomY - scrollY_;
    return true;
}

void RenderPass::DropUnlessVisible() {
    const ViewObject& object = view_.ViewObjects.back();
    if (!(object.Bottom >= -lineHeight_ && object.Top <= viewHeight_)) view_.ViewObjects.pop_back();
}

bool RenderPass::BlockEndKnown() {
    if (!objectOpen_) return true;
    if (!shownRestart_) shownRestart_ = RecordedBlock(blockTop_);
    if (!shownRestart_ || shownRestart_->bottom < 0) return false;
    if (CloseObject(shownRestart_->bottom)) DropUnlessVisible();
    return true;
}

void RenderPass::EndBlock() {
    if (objectOpen_ && CloseObject(pageY_ + lineHeight_)) DropUnlessVisible();
    if (blockRestart_) blockRestart_->bottom = pageY_ + lineHeight_;
    blockRestart_.reset();
    shownRestart_.reset();
    role_ = ColorRole::Text;
    fontColor_ = RoleColor(ColorRole::Text);
    bold_ = options_.IsBold(ColorRole::Text);
    bandColor_ = RoleColor(ColorRole::Back);
    scanner_.EndDisplayBlock();
}

void RenderPass::CutPage() {
    // The notice takes a line of its own, the line just begun when nothing is on it yet.
    const bool lineEmpty = penX_ == 1 && currentLine_.TrimmedEmpty();
    const int32_t noticeY = lineEmpty ? pageY_ : pageY_ + lineHeight_;
    if (objectOpen_ && CloseObject(noticeY)) DropUnlessVisible();
    role_ = ColorRole::Text;
    fontColor_ = RoleColor(ColorRole::Text);
    bold_ = options_.IsBold(ColorRole::Text);
    bandColor_ = RoleColor(ColorRole::Back);
    bandFilled_ = false;
    pageY_ = noticeY;
    penX_ = 1;
    lineStarted_ = false;
    currentLine_ = LineText();
    const std::string notice = Ui(kUiHeightLimit) + BytesToStr(kPageHeightLimit) + Ui(kUiHeightLimitEnd);
    for (char c : notice)
        Draw(std::string(1, c));
}

int32_t RenderPass::Width(std::string_view text) const {
    const auto& table = widths_[bold_ ? 1 : 0];
    int32_t width = 0;
    for (char c : text)
        width += table[static_cast<unsigned char>(c)];
    return width;
}

void RenderPass::Wrap() {
    penX_ = 1;
    pageY_ += lineHeight_;
    bandFilled_ = false;
    lineBegun_ = true;
    Pump();
}

void RenderPass::Draw(const std::string& text) {
    if (viewMode_ == qm::ViewMode::Html && !s_.preformatted && !lineStarted_) {
        // Indentation of the source is not shown.
        if (text.find_first_not_of(' ') == std::string::npos) return;
        lineStarted_ = true;
    }
    const int32_t width = Width(text);
    // A reference that gives no text still takes the wrap step at the right edge.
    if (penX_ + width >= viewWidth_ && penX_ > 1) Wrap();
    if (text.empty()) return;
    currentLine_.Append(text);
    if (Painting() && Visible(pageY_)) PaintText(text, width);
    if (InCopyRange(pageY_)) copyText_ += text;
    // Text that takes no room is drawn as nothing.
    if (r_.sink_ && width > 0) r_.sink_->PlaceText(pageY_, penX_, text, role_);
    penX_ += width;
}

// Draw for a text of one character, except that the layout sink is left to the caller.
// Returns the x at which the character was placed, or -1 when it was dropped.
int32_t RenderPass::PlaceChar(char c) {
    if (!lineStarted_ && viewMode_ == qm::ViewMode::Html && !s_.preformatted) {
        if (c == ' ') return -1;
        lineStarted_ = true;
    }
    const int32_t width = widths_[bold_ ? 1 : 0][static_cast<unsigned char>(c)];
    if (penX_ + width >= viewWidth_ && penX_ > 1) Wrap();
    currentLine_.Append(c);
    if (Painting() && Visible(pageY_)) PaintText(std::string_view(&c, 1), width);
    if (InCopyRange(pageY_)) copyText_ += c;
    const int32_t x = penX_;
    penX_ += width;
    return x;
}

// Draws the characters of a run one by one, as that many turns would. Stops after a wrap,
// because the loop checks for F5 and for the end of the window there. Neighbouring characters
// of the sink's piece width reach the layout sink as one piece; characters that take no room
// do not reach it.
size_t RenderPass::DrawRun(std::string_view run) {
    LayoutSink* sink = r_.sink_;
    if (!Painting() && !copying_ && !sink) return LayOutRun(run);
    const int32_t pieceWidth = sink ? sink->PieceCharWidth() : 0;
    size_t pieceStart = 0;
    int32_t pieceX = 0, pieceY = 0;
    bool pieceOpen = false;
    auto flush = [&](size_t end) {
        if (pieceOpen)
            sink->PlaceText(pieceY, pieceX, run.substr(pieceStart, end - pieceStart), role_);
        pieceOpen = false;
    };
    for (size_t i = 0; i < run.size(); ++i) {
        const int32_t lineY = pageY_;
        const int32_t x = PlaceChar(run[i]);
        const bool wrapped = pageY_ != lineY;
        if (sink) {
            const bool drawsNothing = penX_ == x;
            if (wrapped || drawsNothing) flush(i);
            if (x >= 0 && !drawsNothing) {
                if (!pieceOpen) {
                    pieceOpen = true;
                    pieceStart = i;
                    pieceX = x;
                    pieceY = pageY_;
                }
                if (pieceWidth <= 0 || penX_ - x != pieceWidth) flush(i + 1);
            }
        }
        if (wrapped) {
            if (sink) flush(i + 1);
            return i + 1;
        }
    }
    if (sink) flush(run.size());
    return run.size();
}

// DrawRun when nothing is drawn, copied or reported: only the pen, the line and its text move,
// and they are kept in registers.
size_t RenderPass::LayOutRun(std::string_view run) {
    const auto& widths = widths_[bold_ ? 1 : 0];
    const bool dropsIndent = viewMode_ == qm::ViewMode::Html && !s_.preformatted;
    int32_t x = penX_;
    bool started = lineStarted_;
    LineText line = currentLine_;
    size_t i = 0;
    for (; i < run.size(); ++i) {
        const char c = run[i];
        if (!started && dropsIndent) {
            if (c == ' ') continue;
            started = true;
        }
        const int32_t width = widths[static_cast<unsigned char>(c)];
        if (x + width >= viewWidth_ && x > 1) {
            lineStarted_ = started;
            currentLine_ = line;
            Wrap();
            currentLine_.Append(c);
            penX_ += width;
            return i + 1;
        }
        line.Append(c);
        x += width;
    }
    penX_ = x;
    lineStarted_ = started;
    currentLine_ = line;
    return i;
}

void RenderPass::PaintText(std::string_view text, int32_t width) {
    if (options_.Highlight && !bandFilled_) FillBand();
    uint32_t colour = fontColor_;
    if (view_.SelectionActive && pageY_ >= view_.SelectionTop - lineHeight_ &&
        pageY_ < view_.SelectionBottom) {
        auto select = view_.ClickFeedback ? RotColor : InvColor;
        FlushRun();
        FillRect(bitmap_, penX_, pageY_ - scrollY_, penX_ + width, pageY_ - scrollY_ + lineHeight_,
                 select(bandColor_));
        colour = select(fontColor_);
    }
    DrawGlyphs(penX_, pageY_, text, colour);
}

void RenderPass::FillBand() {
    FlushRun();
    // The band leaves the last column of the view as it is.
    FillRect(bitmap_, 0, pageY_ - scrollY_, viewWidth_ - 1, pageY_ - scrollY_ + lineHeight_,
             bandColor_);
    bandFilled_ = true;
}

void RenderPass::DrawBorder(int32_t kind, int32_t row, int32_t lineY) {
    if (!Painting() || !Visible(lineY) || row < 0 || row >= viewHeight_) return;
    const bool solid = kind == 0 || kind == 2;
    // A dotted border never hides a solid one on the same row.
    if (!solid && lastBorderSolid_ && lastBorderRow_ == row) return;
    FlushRun();
    const uint32_t text = RoleColor(ColorRole::Text), back = RoleColor(ColorRole::Back);
    uint32_t* pixels = bitmap_.Row(row);
    const uint32_t dot = PixelFromColor(ColorSumm12(text, back)), gap = PixelFromColor(back);
    for (int32_t x = 0; x < viewWidth_; ++x)
        pixels[x] = solid ? PixelFromColor(text) : (x % 4 == 0 ? dot : gap);
    lastBorderRow_ = row;
    lastBorderSolid_ = solid;
}

void RenderPass::DrawGlyphs(int32_t x, int32_t lineY, std::string_view text, uint32_t colour) {
    const int32_t top = lineY - scrollY_ - 1 + topOffset_;
    if (bitmapFont_) {
        DrawBitmapText(r_.c_.fonts.Font, bitmap_, text, x, top, colour,
                       bitmapOptions_[bold_ ? 1 : 0]);
        return;
    }
    if (!r_.c_.rasterizer) return;
    // Neighbouring characters of one colour go to the rasteriser as one string.
    if (!run_.text.empty() && run_.y == top && run_.endX == x && run_.colour == colour &&
        run_.bold == bold_) {
        run_.text += text;
        run_.endX += Width(text);
        return;
    }
    FlushRun();
    run_ = {x, top, x + Width(text), colour, bold_, std::string(text)};
}

void RenderPass::FlushRun() {
    if (run_.text.empty()) return;
    TextRasterizer& rasterizer = *r_.c_.rasterizer;
    rasterizer.SetFont(systemFonts_[run_.bold ? 1 : 0]);
    rasterizer.Draw(bitmap_, run_.x, run_.y, run_.text, run_.colour);
    run_.text.clear();
}

void RenderPass::Zoom() {
    Bitmap zoomed(std::max(1, view_.ImageWidth), std::max(1, view_.ImageHeight),
                  PixelFromColor(RoleColor(ColorRole::Back)));
    const int32_t width = std::min(zoomed.width, viewWidth_ * zoom_);
    const int32_t height = std::min(zoomed.height, viewHeight_ * zoom_);
    for (int32_t y = 0; y < height; ++y) {
        const uint32_t* source = bitmap_.Row(y / zoom_);
        uint32_t* target = zoomed.Row(y);
        for (int32_t x = 0; x < width; ++x)
            target[x] = source[x / zoom_];
    }
    bitmap_ = std::move(zoomed);
}

void RenderPass::Finish() {
    scanner_.CloseGap();
    FlushRun();
    if (!Painting()) host_.SetCaption("Quillmar " + browser_.VersionString);
    if (Painting() && objectOpen_ && CloseObject(pageY_ + lineHeight_)) {
        const ViewObject& object = view_.ViewObjects.back();
        if (object.Top < -lineHeight_ && object.Bottom < -lineHeight_) view_.ViewObjects.pop_back();
    }
    if (Painting() && zoom_ > 1) Zoom();
    if (Painting() && !view_.ImageExportActive) host_.ShowPicture(bitmap_);
    if (mode_ == RenderMode::Mark) {
        view_.ContentHeight = std::max(0, pageY_ + lineHeight_);
        const int32_t maxScroll = std::max(0, view_.ContentHeight - viewHeight_);
        if (view_.ScrollY > maxScroll) view_.ScrollY = maxScroll;
        view_.ScrollBar.Position = view_.ScrollY;
        view_.ScrollBar.Max = maxScroll;
        view_.ScrollBar.SmallStep = lineHeight_;
        view_.ScrollBar.LargeStep = std::max(1, view_.ImageHeight);
        host_.ScrollBarChanged();
    }
    if (copying_) host_.SetObjectInfoText(copyText_);
    if (Painting() && view_.ImageExportActive) r_.exportBitmap_ = std::move(bitmap_);
}

Renderer::Renderer(RenderContext context) : c_(context) {}
Renderer::~Renderer() = default;

bool Renderer::RenderSite(RenderMode mode) {
    if (c_.view.RenderSuspended || c_.browser.RenderBusy) return false;
    c_.browser.RenderBusy = true;
    stopped_ = false;
    struct BusyGuard {
        Renderer& renderer;
        ~BusyGuard() {
            RenderHost& host = renderer.c_.host ? *renderer.c_.host : renderer.defaultHost_;
            host.RestoreStopCaption();
            renderer.c_.browser.RenderBusy = false;
        }
    } guard{*this};
    RenderPass pass(*this, mode);
    pass.Run();
    return true;
}

} // namespace qm
