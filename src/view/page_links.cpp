#include "view/page_links.h"

#include <algorithm>
#include <optional>
#include <unordered_set>

#include "base/ascii_case.h"
#include "base/view_colors.h"
#include "state/browser_state.h"
#include "view/page_blocks.h"
#include "view/tag_scanner.h"

namespace qm {
namespace {

constexpr uint32_t kBrokenColour = RgbColor(255, 0, 0);
// The frame stays clear of the text, which starts at the second column and fills the band's
// height; the right side, where text seldom reaches, stands out.
constexpr int32_t kFrameLine = 1;
constexpr int32_t kFrameRight = 3;

// tag: the text of the tag that set the block, which is still the scanner's last one.
std::optional<LinkBlockKind> KindOfBlock(const DisplayBlock& block, std::string_view tag,
                                         bool ripped, ScriptSources scripts) {
    if (!block.hasObject) return std::nullopt;
    if (block.hidden) {
        switch (block.hiddenUse) {
        case HiddenUse::Media: return LinkBlockKind::Media;
        case HiddenUse::LinkedFile: return LinkBlockKind::LinkedFile;
        case HiddenUse::Link: return LinkBlockKind::Link;
        }
    }
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
    std::vector<PageLink> links;
    std::vector<size_t> offsets;
    const PageWalk walk = WalkPageBlocks(
        page, options, [&](const DisplayBlock& block, const ScanState& s, std::string_view tag) {
            const auto kind = KindOfBlock(block, tag, s.displayIsRipped, scripts);
            if (!kind) return;
            offsets.push_back(static_cast<size_t>(std::max(1, s.tagStart) - 1));
            links.push_back({0, *kind, block.objectText, {},
                             *kind == LinkBlockKind::LinkedFile && !block.hidden &&
                                 IsNavigation(tag)});
        });
    for (size_t i = 0; i < links.size(); ++i) {
        links[i].line = walk.LineAt(offsets[i]);
        links[i].address = ResolveLink(walk.baseUrl, links[i].written);
    }
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
