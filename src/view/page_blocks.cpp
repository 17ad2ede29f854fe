#include "view/page_blocks.h"

#include <algorithm>
#include <climits>

#include "base/ascii_case.h"
#include "net/link_test.h"
#include "state/browser_state.h"
#include "tools/attribute_text.h"
#include "tools/source_decode.h"
#include "view/tag_scanner.h"

namespace qm {
namespace {

std::vector<size_t> LineStarts(const std::string& text) {
    std::vector<size_t> starts{0};
    for (size_t i = text.find_first_of("\r\n"); i != std::string::npos;
         i = text.find_first_of("\r\n", i)) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        starts.push_back(++i);
    }
    return starts;
}

std::string_view FirstLine(std::string_view text) { return text.substr(0, text.find('\r')); }

std::string_view WithoutColon(std::string_view label) {
    while (!label.empty() && (label.back() == ' ' || label.back() == ':'))
        label.remove_suffix(1);
    return label;
}

// The start tag of a script, style or meta block, whose code begins with it.
std::string_view CodeTag(std::string_view source, int32_t codeStart, int32_t codeLength) {
    const size_t start = static_cast<size_t>(std::max(1, codeStart) - 1);
    if (start >= source.size()) return {};
    std::string_view code = source.substr(start, static_cast<size_t>(std::max(0, codeLength)));
    code = code.substr(0, code.find('>'));
    if (!code.empty() && code.front() == '<') code.remove_prefix(1);
    return code;
}

PageBlockKind KindOf(const DisplayBlock& block, const ScanState& s, std::string_view tag) {
    if (block.hidden) return PageBlockKind::Hidden;
    if (s.displayIsRipped) return PageBlockKind::MaybeUrl;
    switch (s.shownItem) {
    case PendingItem::Link:
        return block.hasObject ? PageBlockKind::Link : PageBlockKind::Anchor;
    case PendingItem::Resource:
        return EqualsNoCase(tag.substr(0, tag.find(' ')), "LINK") ? PageBlockKind::LinkedFile
                                                                  : PageBlockKind::Media;
    case PendingItem::Comment:
        return PageBlockKind::Comment;
    case PendingItem::Script:
        return PageBlockKind::Script;
    case PendingItem::Style:
        return PageBlockKind::Style;
    case PendingItem::Form:
        return PageBlockKind::Form;
    default:
        return PageBlockKind::Meta;
    }
}

std::string Label(const DisplayBlock& block, const ScanState& s, bool hasAddress) {
    if (s.shownItem == PendingItem::Link && !s.displayIsRipped && !block.hidden)
        return std::string(WithoutColon(s.linkLabel));
    if (s.shownItem == PendingItem::Resource && !s.displayIsRipped && !block.hidden)
        return std::string(WithoutColon(s.resourceLabel));
    // The block's text has gone to the scanner, which shows it from there.
    const std::string_view line = FirstLine(s.displayText ? *s.displayText : block.text);
    if (!hasAddress) return std::string(line);
    return std::string(WithoutColon(line.substr(0, line.find(": "))));
}

std::vector<std::pair<std::string, std::string>> Attributes(const TagAttributes& attrs) {
    std::vector<std::pair<std::string, std::string>> named;
    for (size_t i = 0; i < attrs.AttrNames.size(); ++i) {
        if (attrs.AttrNames[i].empty()) continue;
        std::string name = attrs.AttrNames[i];
        for (char& c : name)
            c = AsciiLower(c);
        named.emplace_back(std::move(name), DeQuote(attrs.AttrValues[i]));
    }
    return named;
}

} // namespace

int32_t PageWalk::LineAt(size_t offset) const {
    return static_cast<int32_t>(std::upper_bound(lineStarts.begin(), lineStarts.end(), offset) -
                                lineStarts.begin());
}

PageWalk WalkPageBlocks(const BrowserState& page, const ViewOptions& options,
                        const BlockVisitor& visit) {
    BrowserState scan;
    CopyPageDecoding(page, scan);
    scan.PageSource = page.PageSource;
    scan.BaseURL = page.BaseURL;
    DecodeSite(scan);
    scan.PageSource.clear();
    PageWalk walk;
    walk.lineStarts = LineStarts(scan.DecodedSource);

    TagScanner scanner(scan, options, RenderMode::Paint, qm::ViewMode::Html);
    ScanState& s = scanner.State();
    std::string text;
    while (scanner.SourceLeft() || scanner.BlocksLeft()) {
        // Nothing is laid out: line and border requests have no one to read them.
        s.newLine = s.forcedBreak = s.borderRequest = false;
        if (scanner.DisplayUsedUp()) {
            scanner.EndDisplayBlock();
            continue;
        }
        if (scanner.HasPendingBlock()) {
            const std::string tag = s.tagBuffer;
            if (auto block = scanner.TakePendingBlock()) visit(*block, s, tag);
            continue;
        }
        if (const std::string_view run = scanner.DrawableRun(INT32_MAX); !run.empty()) {
            scanner.ConsumeDrawable(run.size());
            continue;
        }
        if (scanner.ScanUndrawn(INT32_MAX)) continue;
        scanner.ReadCharacter(text);
    }
    walk.source = std::move(scan.DecodedSource);
    walk.baseUrl = std::move(scan.BaseURL);
    return walk;
}

const char* PageBlockKindName(PageBlockKind kind) {
    static const char* const kNames[] = {"link", "anchor",  "media",   "linked-file",
                                         "script", "style", "form",    "meta",
                                         "comment", "maybe-url", "hidden"};
    return kNames[static_cast<size_t>(kind)];
}

std::vector<PageBlock> CollectPageBlocks(const BrowserState& page, const ViewOptions& options) {
    struct Place {
        size_t offset = 0;
        int32_t codeStart = 0, codeLength = 0; // of a script, style or meta block
    };
    std::vector<PageBlock> blocks;
    std::vector<Place> places;
    TagAttributes attrs;
    const PageWalk walk = WalkPageBlocks(
        page, options, [&](const DisplayBlock& block, const ScanState& s, std::string_view tag) {
            PageBlock& entry = blocks.emplace_back();
            Place& place = places.emplace_back();
            entry.kind = KindOf(block, s, tag);
            place.offset = static_cast<size_t>(std::max(1, s.tagStart) - 1);
            entry.addressed = block.hasObject && block.objectKind != ViewObjectKind::Code &&
                              block.objectKind != ViewObjectKind::Form;
            if (entry.addressed) entry.written = block.objectText;
            entry.label = Label(block, s, entry.addressed);
            entry.where = block.where;
            const bool ownTag = (s.shownItem == PendingItem::Link ||
                                 s.shownItem == PendingItem::Resource) &&
                                !s.displayIsRipped && !block.hidden;
            if (ownTag) {
                entry.attributes = Attributes(s.blockAttributes);
            } else if (entry.kind == PageBlockKind::Script || entry.kind == PageBlockKind::Style ||
                       entry.kind == PageBlockKind::Meta) {
                place.codeStart = s.codeStart;
                place.codeLength = s.codeLength;
            } else if (entry.kind != PageBlockKind::Comment && entry.kind != PageBlockKind::Form) {
                ParseTag(s.displayIsRipped ? std::string_view(s.rippedTag) : tag, attrs);
                entry.attributes = Attributes(attrs);
            }
        });
    for (size_t i = 0; i < blocks.size(); ++i) {
        PageBlock& entry = blocks[i];
        const Place& place = places[i];
        entry.line = walk.LineAt(place.offset);
        if (place.codeLength > 0) {
            ParseTag(CodeTag(walk.source, place.codeStart, place.codeLength), attrs);
            entry.attributes = Attributes(attrs);
        }
        if (entry.addressed) entry.address = ResolveLink(walk.baseUrl, entry.written);
    }
    return blocks;
}

ViewOptions EveryBlock(bool hiddenAddresses) {
    ViewOptions options;
    options.Links = options.Anchors = options.Media = options.Linked = true;
    options.Comments = options.Scripts = options.Styles = options.Forms = options.Meta = true;
    options.HiddenAddresses = hiddenAddresses;
    return options;
}

} // namespace qm
