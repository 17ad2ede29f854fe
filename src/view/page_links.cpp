#include "view/page_links.h"

#include <algorithm>
#include <climits>
#include <optional>
#include <unordered_set>

#include "base/ascii_case.h"
#include "base/view_colors.h"
#include "state/browser_state.h"
#include "tools/source_decode.h"
#include "view/tag_scanner.h"

namespace qm {
namespace {

constexpr uint32_t kBrokenColour = RgbColor(255, 0, 0);
// The frame stays clear of the text, which starts at the second column and fills the band's
// height; the right side, where text seldom reaches, stands out.
constexpr int32_t kFrameLine = 1;
constexpr int32_t kFrameRight = 3;

// Offsets at which the lines of a text begin; a CR LF pair, a lone CR and a LF each end one.
std::vector<size_t> LineStarts(const std::string& text) {
    std::vector<size_t> starts{0};
    for (size_t i = text.find_first_of("\r\n"); i != std::string::npos;
         i = text.find_first_of("\r\n", i)) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        starts.push_back(++i);
    }
    return starts;
}

int32_t LineAt(const std::vector<size_t>& starts, size_t offset) {
    return static_cast<int32_t>(std::upper_bound(starts.begin(), starts.end(), offset) -
                                starts.begin());
}

// tag: the text of the tag that set the block, which is still the scanner's last one.
std::optional<LinkBlockKind> KindOfBlock(const DisplayBlock& block, std::string_view tag,
                                         bool ripped, ScriptSources scripts) {
    if (!block.hasObject) return std::nullopt;
    if (block.objectKind == ViewObjectKind::Link) return LinkBlockKind::Link;
    if (scripts == ScriptSources::AsLinkedFiles && block.role == ColorRole::Scripts &&
        block.objectKind == ViewObjectKind::Resource)
        return LinkBlockKind::LinkedFile;
    // Script sources are resources in the script colour; ripped values are only guesses.
    if (block.objectKind != ViewObjectKind::Resource || block.role != ColorRole::Media || ripped)
        return std::nullopt;
    const bool linked = EqualsNoCase(tag.substr(0, tag.find(' ')), "LINK");
    return linked ? LinkBlockKind::LinkedFile : LinkBlockKind::Media;
}

// The rel words of a LINK tag that name a file the page needs rather than another page.
bool IsNavigation(std::string_view tag) {
    if (!StartsWithNoCase(tag, "LINK")) return false;
    std::string lower(tag);
    for (char& c : lower)
        c = AsciiLower(c);
    const size_t rel = lower.find("rel=");
    if (rel == std::string::npos) return true;
    const std::string_view words = std::string_view(lower).substr(rel + 4, lower.find('=', rel + 4) - rel - 4);
    for (std::string_view needed : {"stylesheet", "icon", "preload", "manifest"})
        if (words.find(needed) != std::string_view::npos) return false;
    return true;
}

} // namespace

std::vector<PageLink> CollectPageLinks(const BrowserState& page, const ViewOptions& options,
                                       ScriptSources scripts) {
    BrowserState scan;
    scan.PageSource = page.PageSource;
    scan.Utf8Decoding = page.Utf8Decoding;
    scan.LanguageIndex = page.LanguageIndex;
    scan.BaseURL = page.BaseURL;
    DecodeSite(scan);
    scan.PageSource.clear();
    const std::vector<size_t> lines = LineStarts(scan.DecodedSource);

    std::vector<PageLink> links;
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
            const size_t at = static_cast<size_t>(std::max(1, s.tagStart) - 1);
            if (auto block = scanner.TakePendingBlock())
                if (auto kind = KindOfBlock(*block, tag, s.displayIsRipped, scripts))
                    links.push_back({LineAt(lines, at), *kind, block->objectText, {},
                                     *kind == LinkBlockKind::LinkedFile && IsNavigation(tag)});
            continue;
        }
        if (const std::string_view run = scanner.DrawableRun(INT32_MAX); !run.empty()) {
            scanner.ConsumeDrawable(run.size());
            continue;
        }
        if (scanner.ScanUndrawn(INT32_MAX)) continue;
        scanner.ReadCharacter(text);
    }
    for (PageLink& link : links)
        link.address = ResolveLink(scan.BaseURL, link.written);
    return links;
}

std::vector<size_t> FirstOfEachAddress(const std::vector<PageLink>& links) {
    std::vector<size_t> first;
    std::unordered_set<std::string_view> seen;
    for (size_t i = 0; i < links.size(); ++i)
        if (seen.insert(links[i].address).second) first.push_back(i);
    return first;
}

void FrameBrokenObjects(Bitmap& picture, const std::vector<ViewObject>& objects, int32_t zoom) {
    zoom = std::max(1, zoom);
    const int32_t line = kFrameLine * zoom;
    const int32_t right = kFrameRight * zoom;
    const int32_t width = picture.width;
    for (const ViewObject& object : objects) {
        if (!object.Broken) continue;
        const int32_t top = object.Top * zoom;
        const int32_t bottom = object.Bottom * zoom;
        FillRect(picture, 0, top, width, top + line, kBrokenColour);
        FillRect(picture, 0, bottom - line, width, bottom, kBrokenColour);
        FillRect(picture, 0, top, line, bottom, kBrokenColour);
        FillRect(picture, width - right, top, width, bottom, kBrokenColour);
    }
}

} // namespace qm
