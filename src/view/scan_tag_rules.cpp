// The tag scanner's rules per tag: line breaks, borders, the title, and the resources and links
// that become pending blocks.

#include "view/tag_scanner.h"

#include "base/ansi_case.h"
#include "base/format.h"
#include "state/browser_state.h"
#include "state/ui_strings.h"
#include "tools/source_decode.h"
#include "view/scan_helpers.h"

namespace qm {

using namespace scan;

void TagScanner::ApplyLineBreakRules(bool closing, uint32_t flags) {
    if (flags & kBreaks) s_.newLine = true;
    if (options_.Accents && (flags & kAccent)) s_.newLine = true;
    if (!closing) return;
    if (flags & kAccentCloser)
        s_.newLine = options_.Accents;
    else
        s_.newLine = !(flags & kKeepsLine);
}

void TagScanner::RequestBorder(int32_t kind) {
    s_.borderRequest = true;
    s_.borderKind = kind;
    s_.newLine = true;
}

void TagScanner::ApplyBorderRules(uint32_t flags) {
    if (options_.TopBorders) {
        if (flags & kTopSolid) RequestBorder(0);
        if (flags & kTopDotted) RequestBorder(1);
        if (options_.Accents && (flags & kAccent)) RequestBorder(1);
    }
    if (options_.Borders) {
        if (flags & kBottomSolid) RequestBorder(2);
        if (flags & kBottomDotted) RequestBorder(3);
        if (options_.Accents && (flags & kAccentCloser)) RequestBorder(3);
    }
}

void TagScanner::ApplyTitleRules(TagId id) {
    if (id == TagId::Title) {
        s_.titleEnd = s_.position;
        return;
    }
    // A closing tag without an opening one has no title to give.
    if (id != TagId::CloseTitle || mode_ != RenderMode::Prepare || s_.titleEnd < 0) return;
    const int32_t end = s_.position - 8; // "</title>" itself is not part of the title
    std::string title = DeAmper(SourceText(s_.titleEnd, end - s_.titleEnd));
    title = ReplaceText(title, "\r\n", " ", ReplaceFlags::ReplaceAll);
    std::replace(title.begin(), title.end(), '\r', ' ');
    std::replace(title.begin(), title.end(), '\n', ' ');
    browser_.PageTitle = title;
    if (titleHandler_) titleHandler_(title);
}

// ---- Resource and link blocks -----------------------------------------------------------

void TagScanner::SetPendingResource(std::string label, std::string attribute) {
    s_.resourceLabel = std::move(label);
    s_.resourceAttribute = std::move(attribute);
    TakeTagAttrs();
    s_.pendingResource = true;
    s_.forcedBreak = true;
}

void TagScanner::SetPendingLink(std::string label, std::string attribute, bool anchor) {
    s_.linkLabel = std::move(label);
    s_.linkAttribute = std::move(attribute);
    s_.linkHasAnchor = anchor;
    TakeTagAttrs();
    s_.pendingLink = true;
    s_.forcedBreak = true;
}

void TagScanner::ApplyResourceRules(TagId id) {
    if (id == TagId::Link) {
        if (!options_.Linked) return;
        const TagAttributes& a = TagAttrs();
        std::string label = Ui(82), details;
        for (std::string_view attr : {"REL", "TITLE", "TYPE"}) {
            if (!Given(a, attr)) continue;
            if (!details.empty()) details += ',';
            details += AnsiUpperCase(Value(a, attr));
        }
        if (!details.empty()) label += " (" + details + ")";
        SetPendingResource(label + ": ", "HREF");
        return;
    }
    if (!options_.Media) return;
    switch (id) {
    case TagId::Img:
    case TagId::Applet:
    case TagId::Object:
    case TagId::Track:
    case TagId::Background:
    case TagId::Media:
        break;
    default:
        return;
    }
    const TagAttributes& a = TagAttrs();
    if (id == TagId::Img) {
        std::string details;
        if (Given(a, "WIDTH") || Given(a, "HEIGHT")) {
            auto size = [&](std::string_view attr) {
                return Given(a, attr) ? Value(a, attr) : std::string("???");
            };
            details = size("WIDTH") + " x " + size("HEIGHT");
        }
        std::string alt = Value(a, "ALT");
        if (!alt.empty() && alt != "\"\"") details += (details.empty() ? "" : ", ") + DeAmper(alt);
        SetPendingResource(Ui(11) + (details.empty() ? "" : " (" + details + ")") + ": ", "SRC");
    } else if (id == TagId::Applet || id == TagId::Object) {
        const bool applet = id == TagId::Applet;
        std::string label = Ui(applet ? 71 : 74);
        std::string code = Amp(Value(a, "CODE")), codebase = Amp(Value(a, "CODEBASE"));
        if (!code.empty() || !codebase.empty())
            label +=
                " (" + Ui(applet ? 72 : 75) + "\"" + code + "\"" + Ui(73) + "\"" + codebase + "\")";
        if (applet) {
            SetPendingResource(label + ":", "ARCHIVE");
            return;
        }
        const bool data = Given(a, "DATA");
        if (data && Given(a, "ARCHIVE")) label.append(" ").append(Value(a, "ARCHIVE"));
        SetPendingResource(label + ":", data ? "DATA" : "ARCHIVE");
    } else if (id == TagId::Track) {
        std::string label = Ui(81);
        if (Given(a, "KIND") || Given(a, "SRCLANG") || Given(a, "LABEL")) {
            label += " (";
            static constexpr std::array<std::string_view, 5> kKinds = {
                "SUBTITLES", "CAPTIONS", "DESCRIPTIONS", "CHAPTERS", "METADATA"};
            std::string kind = AnsiUpperCase(DeQuote(Value(a, "KIND")));
            for (size_t i = 0; i < kKinds.size(); ++i)
                if (kind == kKinds[i]) label += " " + Ui(76 + static_cast<int>(i));
            for (std::string_view attr : {"SRCLANG", "LABEL"})
                if (Given(a, attr)) label.append(" ").append(AnsiUpperCase(Value(a, attr)));
            label += ")";
        }
        SetPendingResource(label + ": ", "SRC");
    } else if (id == TagId::Background) {
        SetPendingResource(Ui(68), "BACKGROUND");
    } else if (id == TagId::Media) {
        if (Given(a, "SRC") || !Given(a, "POSTER")) {
            std::string label = Ui(69);
            if (Given(a, "POSTER")) label += " (" + Ui(117) + Value(a, "POSTER") + ")";
            SetPendingResource(label + ": ", "SRC");
        } else {
            SetPendingResource(Ui(117), "POSTER");
        }
    }
}

void TagScanner::ApplyLinkRules(TagId id) {
    if (id == TagId::A && (options_.Links || options_.Anchors))
        SetPendingLink(Ui(24), "HREF", true);
    else if (id == TagId::Area && options_.Links)
        SetPendingLink(Ui(24), "HREF", false);
    else if (id == TagId::Frame && options_.Links)
        SetPendingLink(Ui(70), "SRC", false);
}

} // namespace qm
