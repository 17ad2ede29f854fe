// The tag scanner's raw blocks (scripts, styles, comments, form contents) and the gaps that
// cut blocks leave in the source.

#include "view/tag_scanner.h"

#include <unordered_set>

#include "base/ansi_case.h"
#include "base/format.h"
#include "state/browser_state.h"
#include "state/ui_strings.h"
#include "tools/source_decode.h"
#include "view/hidden_tag_finder.h"
#include "view/scan_helpers.h"

namespace qm {

using namespace scan;

void TagScanner::OpenRawBlock(TagId endTag) {
    s_.rawBlock = true;
    s_.rawEndTag = endTag;
    s_.blockStart = s_.tagStart - 1;
}

void TagScanner::CloseRawBlock(TagId endTag) {
    const int32_t length = s_.position - s_.blockStart;
    if (endTag == TagId::CloseForm) {
        s_.formStart = s_.blockStart;
        s_.formLength = length;
        // The content of the form is shown again as page content after the form block.
        ResumeAt(s_.formResume);
        if (options_.Forms) {
            s_.pendingForm = true;
            s_.forcedBreak = true;
        }
    } else {
        const bool script = endTag == TagId::CloseScript, style = endTag == TagId::CloseStyle;
        const bool show = script ? options_.Scripts : style ? options_.Styles : options_.Meta;
        s_.codeStart = s_.blockStart + 1;
        s_.codeLength = length;
        // A block whose hidden addresses are to be shown stays for the passes that show them.
        const bool hidden = options_.HiddenAddresses && QueueHiddenOfRawBlock(endTag);
        if (mode_ == RenderMode::Prepare && !show && !hidden) CutBlock(style ? 7 : 0);
        if (show) {
            (script ? s_.pendingScript : style ? s_.pendingStyle : s_.pendingMeta) = true;
            if (!script && !style) s_.forcedBreak = true;
        }
    }
    s_.rawBlock = false;
    s_.rawEndTag = TagId::Other;
}

bool TagScanner::QueueHiddenOfRawBlock(TagId endTag) {
    std::vector<HiddenAddress> found;
    if (endTag == TagId::Meta) {
        HiddenAddressesOfTag("META", TagAttrs(), {options_.Media, options_.Linked}, found);
        return QueueHidden(std::move(found));
    }
    const std::string block = SourceText(s_.blockStart, s_.position - s_.blockStart);
    const size_t open = block.find('>'), close = block.rfind('<');
    if (open == std::string::npos || close == std::string::npos || close <= open) return false;
    const std::string_view text = std::string_view(block).substr(open + 1, close - open - 1);
    if (endTag == TagId::CloseStyle) {
        HiddenAddressesInStyle(text, found);
    } else {
        const bool jsonLd = AnsiUpperCase(block.substr(0, open)).find("LD+JSON") != std::string::npos;
        HiddenAddressesInScript(text, jsonLd, found);
        // A script names the same address again and again; one block is enough.
        std::unordered_set<std::string> seen;
        std::erase_if(found, [&seen](const HiddenAddress& a) { return !seen.insert(a.value).second; });
    }
    return QueueHidden(std::move(found));
}

void TagScanner::ReadFormContent() {
    // Once two line breaks are given nothing more advances, except in the text view with Gaps.
    const bool compress = viewMode_ != qm::ViewMode::Text || !options_.Gaps;
    if (auto record = FindFormRecord(s_.position)) {
        formReplay_.Start(std::move(record), s_.position, compress);
        return;
    }
    formRecording_ = std::make_shared<FormContentRecord>(s_.position, s_.preformatted);
}

std::shared_ptr<const FormContentRecord> TagScanner::FindFormRecord(int32_t from) const {
    if (lastFormRecord_ && lastFormRecord_->Covers(from, s_.preformatted)) return lastFormRecord_;
    if (mode_ != RenderMode::Paint || !formRecords_) return nullptr;
    auto after = std::upper_bound(
        formRecords_->begin(), formRecords_->end(), from,
        [](int32_t p, const std::shared_ptr<const FormContentRecord>& r) { return p < r->From(); });
    if (after == formRecords_->begin() || !(*std::prev(after))->Covers(from, s_.preformatted))
        return nullptr;
    return *std::prev(after);
}

void TagScanner::KeepFormEffects(TagId id, int32_t tagStart, int32_t end) {
    if (s_.rawBlock) {
        formRecording_->TagEnded(end);
        const bool title = id == TagId::Title || id == TagId::CloseTitle;
        formRecording_->Add(
            {end, s_.newLine, s_.borderRequest, s_.borderKind, title ? id : TagId::Other});
        return;
    }
    formRecording_->Finish(tagStart, end, s_.tagBuffer);
    lastFormRecord_ = std::move(formRecording_);
    formRecording_.reset();
    if (mode_ != RenderMode::Mark || !formRecords_) return;
    auto after = std::upper_bound(
        formRecords_->begin(), formRecords_->end(), lastFormRecord_->From(),
        [](int32_t p, const std::shared_ptr<const FormContentRecord>& r) { return p < r->From(); });
    formRecords_->insert(after, lastFormRecord_);
}

void TagScanner::FormSourceCut(int32_t start, int32_t length) {
    formRecording_.reset();
    formReplay_.Stop();
    if (lastFormRecord_ && !lastFormRecord_->SourceCut(start, length)) lastFormRecord_.reset();
}

bool TagScanner::ReplayFormContent(int32_t stop) {
    FormContentReplay::Step step = formReplay_.Next(stop);
    using Kind = FormContentReplay::Step::Kind;
    if (step.kind == Kind::Wait && step.position <= s_.position) {
        // Nothing to replay before the limit: read on as usual.
        formReplay_.Stop();
        return false;
    }
    // A replay reads nothing: the characters it passes over are not counted as read.
    if (step.kind != Kind::Border) s_.position = step.position;
    switch (step.kind) {
    case Kind::Wait:
        break;
    case Kind::Effect:
        s_.newLine = step.effect.newLine;
        s_.borderRequest = step.effect.borderRequest;
        s_.borderKind = step.effect.borderKind;
        ApplyTitleRules(step.effect.title);
        break;
    case Kind::Border:
        RequestBorder(step.borderKind);
        break;
    case Kind::EndTag:
        s_.inTag = true;
        s_.tagBuffer = std::move(step.endTag);
        s_.tagStart = step.endTagStart;
        break;
    }
    return true;
}

void TagScanner::CutBlock(int32_t stepBack) {
    const int32_t start = std::clamp(s_.blockStart, 0, SourceLength());
    const int32_t length = std::clamp(s_.position - start, 0, SourceLength() - start);
    // The cut joins the gap instead of moving the rest of the page.
    ForgetRun();
    hiddenSearchFrom_ = -1; // the text after the cut moved
    FormSourceCut(start, length);
    MoveGap(static_cast<size_t>(start));
    gapLength_ += static_cast<size_t>(length);
    ResumeAt(std::max(0, start - stepBack));
}

bool TagScanner::NothingLeftToCut() {
    if (!IsClean() || formReplay_.Active()) return false;
    const int32_t position = s_.position, length = SourceLength();
    if (hiddenSearchFrom_ < 0 || position < hiddenSearchFrom_ || position > hiddenTagAt_) {
        if (!hiddenTags_) hiddenTags_ = std::make_unique<HiddenTagFinder>(options_);
        hiddenSearchFrom_ = position;
        hiddenTagAt_ = static_cast<int32_t>(
            hiddenTags_->Find(Ahead(), static_cast<size_t>(position), static_cast<size_t>(length)));
    }
    return hiddenTagAt_ >= length;
}

void TagScanner::MoveGap(size_t to) {
    char* data = source_.data();
    if (gapLength_ == 0) {
        gapStart_ = to;
    } else if (to < gapStart_) {
        std::memmove(data + to + gapLength_, data + to, gapStart_ - to);
    } else if (to > gapStart_) {
        std::memmove(data + gapStart_, data + gapStart_ + gapLength_, to - gapStart_);
    }
    gapStart_ = to;
}

void TagScanner::ResumeAt(int32_t position) {
    s_.position = position;
    if (gapLength_ > 0 && static_cast<size_t>(std::max(0, position)) < gapStart_)
        MoveGap(static_cast<size_t>(std::max(0, position)));
}

void TagScanner::CloseGap() {
    if (gapLength_ == 0) return;
    source_.erase(gapStart_, gapLength_);
    gapStart_ = 0;
    gapLength_ = 0;
}

std::string TagScanner::SourceText(int32_t start, int32_t length) const {
    std::string text;
    AppendSourceText(text, start, length);
    return text;
}

void TagScanner::AppendSourceText(std::string& text, int32_t start, int32_t length) const {
    const int64_t size = SourceLength();
    const int64_t from = std::clamp<int64_t>(start, 0, size);
    const int64_t to = from + std::clamp<int64_t>(length, 0, size - from);
    const int64_t gap = static_cast<int64_t>(gapStart_);
    text.reserve(text.size() + static_cast<size_t>(to - from));
    if (from < gap)
        text.append(source_.data() + from, static_cast<size_t>(std::min(to, gap) - from));
    if (to > gap) {
        const int64_t after = std::max(from, gap);
        text.append(Ahead() + after, static_cast<size_t>(to - after));
    }
}

} // namespace qm
