// The loop of a render pass: restart points, progress and the message pump, line breaks and
// the cut at the page height limit.
#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>

#include "base/format.h"
#include "view/progress_caption.h"
#include "view/render_pass.h"

namespace qm {
namespace {

constexpr int kUiHeightLimit = 272;
constexpr int kUiHeightLimitEnd = 273;

// Halves go to the even neighbour, so the progress step of a page is the one the captions count.
int64_t RoundHalfEven(double value) {
    return static_cast<int64_t>(std::nearbyint(value));
}

} // namespace

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
    if (restart.block.hasObject) OpenObject(restart.top, restart.block);
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
        // Past the last block it could cut and the last title, the prepare pass would change
        // nothing more.
        if (mode_ == RenderMode::Prepare && lineBegun_ && scanner_.NothingLeftToCut()) break;
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
    const std::string notice =
        Ui(kUiHeightLimit) + BytesToStr(kPageHeightLimit) + Ui(kUiHeightLimitEnd);
    for (char c : notice)
        Draw(std::string(1, c));
}

} // namespace qm
