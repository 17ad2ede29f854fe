// Display blocks in a render pass: starting and ending them, their colours, the window
// objects they open, and the restart state the mark pass keeps for them.
#include <algorithm>

#include "base/view_colors.h"
#include "view/render_pass.h"

namespace qm {

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
    if (Painting() && block.hasObject) OpenObject(pageY_, block);
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
    view_.ViewObjects.push_back(
        {top - scrollY_, 0, block.objectKind, block.objectText, block.broken});
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

} // namespace qm
