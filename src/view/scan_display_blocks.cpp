// The tag scanner's display blocks: the pending items in their order, their labels and the text
// each block shows.

#include "view/tag_scanner.h"

#include "base/ansi_case.h"
#include "base/format.h"
#include "state/browser_state.h"
#include "state/ui_strings.h"
#include "tools/source_decode.h"
#include "view/scan_helpers.h"

namespace qm {

using namespace scan;

// ---- Display blocks -----------------------------------------------------------------------

std::optional<DisplayBlock> TagScanner::TakePendingBlock(const BlockRestart* recorded) {
    if (s_.blockDisplay) return std::nullopt;
    std::optional<DisplayBlock> block;
    PendingItem item = PendingItem::None;
    // A pending item that turns out to show nothing is dropped and the next one is tried.
    while (!block) {
        item = NextPendingItem();
        if (item == PendingItem::None) return std::nullopt;
        if (recorded && Shows(item)) {
            s_ = recorded->state;
            s_.displayPos = 0;
            ForgetRun();
            return recorded->block;
        }
        block = MakeBlock(item);
    }
    s_.blockDisplay = true;
    s_.shownItem = item;
    // The renderer needs only the rest of the block.
    s_.displayText = std::make_shared<const std::string>(std::move(block->text));
    s_.displayPos = 0;
    ForgetRun();
    s_.plainText = false;
    return block;
}

PendingItem TagScanner::NextPendingItem() {
    if (!s_.rippedUrls.empty()) return PendingItem::Ripped;
    const std::pair<bool&, PendingItem> flags[] = {
        {s_.pendingResource, PendingItem::Resource}, {s_.pendingLink, PendingItem::Link},
        {s_.pendingComment, PendingItem::Comment},   {s_.pendingScript, PendingItem::Script},
        {s_.pendingStyle, PendingItem::Style},       {s_.pendingForm, PendingItem::Form},
        {s_.pendingMeta, PendingItem::Meta}};
    for (const auto& [flag, item] : flags) {
        if (!flag) continue;
        flag = false;
        return item;
    }
    return s_.HiddenLeft() ? PendingItem::Hidden : PendingItem::None;
}

bool TagScanner::Shows(PendingItem item) const {
    if (item == PendingItem::Resource) {
        const std::string* value = ResourceValue();
        return value && !value->empty();
    }
    if (item == PendingItem::Link) {
        const std::string* link = LinkValue();
        const std::string* anchor = LastValue(s_.blockAttributes, "NAME");
        return (options_.Links && link && !link->empty()) ||
               (s_.linkHasAnchor && options_.Anchors && anchor && !anchor->empty());
    }
    return item != PendingItem::None;
}

std::optional<DisplayBlock> TagScanner::MakeBlock(PendingItem item) {
    switch (item) {
    case PendingItem::Ripped:
        return RippedBlock();
    case PendingItem::Resource:
        return ResourceBlock();
    case PendingItem::Link:
        return LinkBlock();
    case PendingItem::Comment:
        return CommentBlock();
    case PendingItem::Script:
        return ScriptBlock();
    case PendingItem::Style:
        return StyleBlock();
    case PendingItem::Form:
        return FormBlock();
    case PendingItem::Meta:
        return MetaBlock();
    case PendingItem::Hidden:
        return HiddenBlock();
    case PendingItem::None:
        break;
    }
    return std::nullopt;
}

std::string TagScanner::ShownObjectText() const {
    const std::string* value = nullptr;
    if (s_.shownItem == PendingItem::Resource) value = ResourceValue();
    if (s_.shownItem == PendingItem::Link) value = LinkValue();
    std::string buffer;
    if (value) return DeQuote(Amp(*value, buffer));
    return s_.shownItem == PendingItem::Form ? FormSource() : std::string();
}

const std::string* TagScanner::ResourceValue() const {
    return FirstValue(s_.blockAttributes, s_.resourceAttribute);
}

const std::string* TagScanner::LinkValue() const {
    return LastValue(s_.blockAttributes, s_.linkAttribute);
}

std::string TagScanner::FormSource() const {
    return SourceText(s_.formStart, s_.formLength);
}

int32_t TagScanner::FormLength() const {
    const int32_t start = std::clamp(s_.formStart, 0, SourceLength());
    return std::clamp(s_.formLength, 0, SourceLength() - start);
}

void TagScanner::EndDisplayBlock() {
    const bool reenter = s_.displayIsRipped && s_.rippedUrls.empty();
    s_.blockDisplay = false;
    s_.displayText.reset();
    s_.displayPos = 0;
    ForgetRun();
    s_.displayIsRipped = false;
    s_.plainText = true;
    s_.newLine = true;
    if (!reenter) return;
    // The ripped tag is read again from its ">" and classified this time.
    s_.inTag = true;
    s_.tagBuffer = s_.rippedTag;
    s_.tagStart = s_.rippedTagStart;
    ResumeAt(s_.rippedPosition - 1);
}

std::optional<DisplayBlock> TagScanner::RippedBlock() {
    RippedUrl entry = std::move(s_.rippedUrls.back());
    s_.rippedUrls.pop_back();
    s_.displayIsRipped = true;
    DisplayBlock block;
    block.text = std::move(entry.label);
    AppendDecodedUrl(block.text, entry.url, browser_.Utf8Decoding, UrlDecoding::Raw);
    block.text += '\r';
    block.role = ColorRole::Media;
    block.hasObject = true;
    block.objectKind = ViewObjectKind::Resource;
    block.objectText = DeQuote(entry.url);
    return block;
}

std::optional<DisplayBlock> TagScanner::ResourceBlock() {
    const std::string* raw = ResourceValue();
    if (!raw || raw->empty()) return std::nullopt;
    std::string buffer;
    const std::string_view value = Amp(*raw, buffer);
    DisplayBlock block;
    block.text = s_.resourceLabel;
    AppendDecodedUrl(block.text, value, browser_.Utf8Decoding, UrlDecoding::Shown);
    AppendLinkMark(block, value);
    block.text += '\r';
    block.role = ColorRole::Media;
    block.hasObject = true;
    block.objectKind = ViewObjectKind::Resource;
    if (RecordsObjects()) block.objectText = DeQuote(value);
    return block;
}

std::optional<DisplayBlock> TagScanner::LinkBlock() {
    DisplayBlock block;
    block.role = ColorRole::Links;
    const std::string* link = LinkValue();
    if (options_.Links && link && !link->empty()) {
        std::string buffer;
        const std::string_view value = Amp(*link, buffer);
        block.text = s_.linkLabel;
        AppendDecodedUrl(block.text, value, browser_.Utf8Decoding, UrlDecoding::Shown);
        AppendLinkMark(block, value);
        block.text += '\r';
        block.hasObject = true;
        block.objectKind = ViewObjectKind::Link;
        if (RecordsObjects()) block.objectText = DeQuote(value);
    }
    const std::string* anchor = LastValue(s_.blockAttributes, "NAME");
    if (s_.linkHasAnchor && options_.Anchors && anchor && !anchor->empty())
        block.text += Ui(25) + *anchor;
    if (block.text.empty()) return std::nullopt;
    return block;
}

void TagScanner::AppendLinkMark(DisplayBlock& block, std::string_view value) const {
    if (browser_.LinkMarks.empty()) return;
    const auto mark = browser_.LinkMarks.find(DeQuote(value));
    if (mark == browser_.LinkMarks.end()) return;
    block.text += " [" + mark->second.code + "]";
    block.broken = mark->second.broken;
}

DisplayBlock TagScanner::CommentBlock() {
    DisplayBlock block;
    block.text = Ui(22) + s_.commentText + "\r";
    block.role = ColorRole::Comments;
    return block;
}

void TagScanner::AppendCode(std::string& text) const {
    text += '\r';
    AppendSourceText(text, s_.codeStart - 1, s_.codeLength);
}

std::string TagScanner::CharactersText(int32_t length) const {
    return BytesToStr(length) + Ui(13);
}

DisplayBlock TagScanner::ScriptBlock() {
    DisplayBlock block;
    block.role = ColorRole::Scripts;
    block.text = Ui(14) + (s_.scriptKinds.empty() ? ": " : " (" + s_.scriptKinds + "): ");
    block.hasObject = true;
    if (s_.scriptHasSource) {
        block.text += s_.scriptSource;
        block.objectKind = ViewObjectKind::Resource;
        block.objectText = DeQuote(s_.scriptSource);
    } else {
        block.text += CharactersText(s_.codeLength);
        block.objectKind = ViewObjectKind::Code;
        block.objectText = std::to_string(s_.codeStart) + " " + std::to_string(s_.codeLength);
    }
    if (options_.ScriptsCode && s_.codeLength > 0) AppendCode(block.text);
    return block;
}

DisplayBlock TagScanner::StyleBlock() {
    DisplayBlock block;
    block.role = ColorRole::Styles;
    block.text = Ui(18) + CharactersText(s_.codeLength);
    if (options_.StylesCode) AppendCode(block.text);
    block.hasObject = true;
    block.objectKind = ViewObjectKind::Code;
    block.objectText = std::to_string(s_.codeStart) + " " + std::to_string(s_.codeLength);
    return block;
}

DisplayBlock TagScanner::FormBlock() {
    DisplayBlock block;
    block.role = ColorRole::Forms;
    block.text = Ui(36) + CharactersText(FormLength());
    if (options_.FormsCode) {
        block.text += '\r';
        AppendSourceText(block.text, s_.formStart, s_.formLength);
    }
    block.hasObject = true;
    block.objectKind = ViewObjectKind::Form;
    if (RecordsObjects()) block.objectText = FormSource();
    return block;
}

DisplayBlock TagScanner::MetaBlock() {
    DisplayBlock block;
    block.role = ColorRole::Meta;
    block.text = Ui(84) + CharactersText(s_.codeLength);
    if (options_.MetaCode) AppendCode(block.text);
    block.hasObject = true;
    block.objectKind = ViewObjectKind::Code;
    block.objectText = std::to_string(s_.codeStart) + " " + std::to_string(s_.codeLength);
    return block;
}

DisplayBlock TagScanner::HiddenBlock() {
    const HiddenAddress& entry = (*s_.hiddenUrls)[s_.hiddenNext++];
    DisplayBlock block;
    const std::string& where = entry.where == "script text" ? Ui(323) : entry.where;
    block.text = Ui(322) + " (" + where + "): ";
    AppendDecodedUrl(block.text, entry.value, browser_.Utf8Decoding, UrlDecoding::Shown);
    AppendLinkMark(block, entry.value);
    block.text += '\r';
    block.role = ColorRole::Links;
    block.hasObject = true;
    block.objectKind = ViewObjectKind::Link;
    block.objectText = entry.value;
    block.hidden = true;
    block.hiddenUse = entry.use;
    block.where = entry.where;
    if (!s_.HiddenLeft()) s_.hiddenUrls.reset();
    return block;
}

} // namespace qm
