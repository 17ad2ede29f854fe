#include "view/tag_scanner.h"

#include <algorithm>
#include <array>

#include "app/browser_state.h"
#include "app/format.h"
#include "app/ui_strings.h"
#include "tools/ansi_case.h"
#include "tools/attribute_text.h"
#include "tools/text_decoders.h"
#include "tools/text_replace.h"
#include "view/source_decode.h"

namespace qm {
namespace {

constexpr int32_t kMaxReferenceCount = 10; // a name holds up to 11 characters

bool IsQuote(char c) {
    return c == '"' || c == '\'';
}
bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

std::string AsciiUpper(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// Part of s from index start with the given length, clipped to s.
std::string Clip(const std::string& s, int64_t start, int64_t length) {
    start = std::clamp<int64_t>(start, 0, static_cast<int64_t>(s.size()));
    length = std::clamp<int64_t>(length, 0, static_cast<int64_t>(s.size()) - start);
    return s.substr(static_cast<size_t>(start), static_cast<size_t>(length));
}

std::string Amp(std::string_view value) {
    return ReplaceText(value, "&amp;", "&", ReplaceFlags::ReplaceAll);
}

void AddAttribute(std::string_view token, TagAttributes& attrs) {
    size_t eq = token.find('=');
    if (eq == std::string_view::npos) {
        attrs.AttrNames.push_back(AsciiUpper(token));
        attrs.AttrValues.emplace_back();
    } else {
        attrs.AttrNames.push_back(AsciiUpper(token.substr(0, eq)));
        attrs.AttrValues.emplace_back(token.substr(eq + 1));
    }
}

const std::string* FirstValue(const TagAttributes& attrs, std::string_view name) {
    for (size_t i = 0; i < attrs.AttrNames.size(); ++i)
        if (attrs.AttrNames[i] == name) return &attrs.AttrValues[i];
    return nullptr;
}

const std::string* LastValue(const TagAttributes& attrs, std::string_view name) {
    for (size_t i = attrs.AttrNames.size(); i-- > 0;)
        if (attrs.AttrNames[i] == name) return &attrs.AttrValues[i];
    return nullptr;
}

// The first value of that name, empty when the attribute is missing.
std::string Value(const TagAttributes& attrs, std::string_view name) {
    const std::string* value = FirstValue(attrs, name);
    return value ? *value : std::string();
}

bool Given(const TagAttributes& attrs, std::string_view name) {
    return !Value(attrs, name).empty();
}

bool IsOneOf(const std::string& name, std::initializer_list<std::string_view> names) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

constexpr std::array<std::string_view, 12> kAccentTags = {
    "SPAN", "EM", "STRONG", "SMALL", "BIG", "SUB", "SUP", "B", "I", "Q", "S", "U"};

bool IsAccent(std::string_view name) {
    return std::find(kAccentTags.begin(), kAccentTags.end(), name) != kAccentTags.end();
}

bool IsAccentCloser(const std::string& name) {
    return name.size() > 1 && name[0] == '/' && IsAccent(std::string_view(name).substr(1));
}

} // namespace

int32_t postag(std::string_view s) {
    bool quoted = false;
    for (size_t i = 0; i < s.size(); ++i) {
        if (IsQuote(s[i]))
            quoted = !quoted;
        else if (s[i] == ' ' && !quoted)
            return static_cast<int32_t>(i + 1);
    }
    return 0;
}

void ParseTag(std::string_view tag, TagAttributes& attrs) {
    attrs.AttrNames.clear();
    attrs.AttrValues.clear();
    std::string_view rest = Trim(tag);
    if (rest.empty()) return;
    if (rest.back() == '/') rest.remove_suffix(1);
    bool nameRead = false;
    for (int32_t p = postag(rest); p != 0; p = postag(rest)) {
        if (nameRead) AddAttribute(rest.substr(0, p - 1), attrs);
        nameRead = true;
        rest.remove_prefix(p);
    }
    if (nameRead) AddAttribute(rest, attrs);
}

std::string GetLastTagArg(std::string_view tag, TagAttributes& attrs) {
    ParseTag(tag, attrs);
    return attrs.AttrValues.empty() ? std::string() : attrs.AttrValues.back();
}

TagScanner::TagScanner(BrowserState& browser, const ViewOptions& options, RenderMode mode,
                       qm::ViewMode viewMode)
    : browser_(browser), options_(options), mode_(mode), viewMode_(viewMode) {}

std::string& TagScanner::Source() {
    return browser_.DecodedSource;
}

int32_t TagScanner::SourceLength() const {
    return static_cast<int32_t>(browser_.DecodedSource.size());
}

std::string TagScanner::Ui(int index) const {
    return UiString(index, browser_.LanguageIndex);
}

void TagScanner::RestartAt(int32_t position) {
    s_ = ScanState{};
    s_.position = position;
}

bool TagScanner::BlocksLeft() const {
    return s_.blockDisplay || s_.pendingResource || s_.pendingLink || s_.pendingComment ||
           s_.pendingScript || s_.pendingStyle || s_.pendingForm || s_.pendingMeta ||
           !s_.rippedUrls.empty();
}

bool TagScanner::IsClean() const {
    return s_.plainText && !BlocksLeft() && !s_.inTag && !s_.inComment && !s_.inReference &&
           !s_.referenceFailed && !s_.rawBlock && !s_.preformatted && !s_.newLine &&
           !s_.forcedBreak && !s_.borderRequest;
}

// ---- Reading ------------------------------------------------------------------------------

bool TagScanner::ReadCharacter(std::string& text) {
    text.clear();
    return s_.blockDisplay ? ReadDisplayCharacter(text) : ReadSourceCharacter(text);
}

bool TagScanner::ReadDisplayCharacter(std::string& text) {
    if (s_.displayPos >= s_.displayText.size()) return false;
    char c = s_.displayText[s_.displayPos++];
    if (static_cast<unsigned char>(c) < ' ') {
        if (c == '\r' || c == '\n') s_.newLine = true;
        return false;
    }
    text.assign(1, c);
    return true;
}

bool TagScanner::ReadSourceCharacter(std::string& text) {
    const std::string& src = Source();
    if (s_.position < 0 || s_.position >= SourceLength()) return false;
    char c = src[s_.position++];
    if (static_cast<unsigned char>(c) < ' ') {
        const bool lineBreak = c == '\r' || c == '\n';
        if (s_.rawBlock) {
            // Raw blocks keep line breaks as they are; nothing in them is drawn.
            if (!lineBreak) return false;
            if (s_.preformatted) {
                s_.newLine = true;
                return false;
            }
        } else if (s_.preformatted && !s_.inTag) {
            if (lineBreak) s_.newLine = true;
            return false;
        } else {
            // Between words and inside tags a line break or tab separates like a space; a
            // CR LF pair is one separator.
            if (!lineBreak && c != '\t') return false;
            if (c == '\r' && s_.position < SourceLength() && src[s_.position] == '\n')
                ++s_.position;
            c = ' ';
        }
    }
    if (c == '<' && !s_.inComment && !s_.inReference) {
        StartTag();
        return false;
    }
    if (s_.inTag) {
        if (c == '>')
            EndTag();
        else
            AppendToTag(c);
        return false;
    }
    if (s_.rawBlock) return false;
    if (s_.plainText && !options_.ShowText && viewMode_ == qm::ViewMode::Html) return false;
    return ScanText(c, text);
}

bool TagScanner::ScanText(char c, std::string& text) {
    if (s_.inReference) {
        if (c == ';') {
            s_.inReference = false;
            text = AmpToStr(s_.referenceBuffer);
            s_.referenceBuffer.clear();
            s_.referenceCount = 0;
            return true;
        }
        if (s_.referenceCount <= kMaxReferenceCount && SourceLeft()) {
            s_.referenceBuffer += c;
            ++s_.referenceCount;
            return false;
        }
        // Too long or cut off by the end: the "&" is read again and drawn as it stands.
        s_.inReference = false;
        s_.referenceFailed = true;
        s_.referenceBuffer.clear();
        s_.referenceCount = 0;
        s_.position = s_.referenceStart - 1;
        return false;
    }
    if (c == '&') {
        if (s_.referenceFailed || !SourceLeft()) {
            s_.referenceFailed = false;
            text = "&";
            return true;
        }
        s_.inReference = true;
        s_.referenceBuffer.clear();
        s_.referenceCount = 0;
        s_.referenceStart = s_.position;
        return false;
    }
    text.assign(1, c);
    return true;
}

// ---- Tags ---------------------------------------------------------------------------------

void TagScanner::StartTag() {
    s_.inTag = true;
    s_.tagStart = s_.position;
    s_.tagBuffer.clear();
}

void TagScanner::AppendToTag(char c) {
    s_.tagBuffer += c;
    if (!s_.rawBlock && !s_.inComment && s_.tagBuffer == "!--") s_.inComment = true;
}

void TagScanner::EndTag() {
    std::string& buffer = s_.tagBuffer;
    if (s_.inComment) {
        if (buffer.size() > 2 && buffer.ends_with("--")) {
            s_.inTag = false;
            s_.inComment = false;
            s_.commentText = Clip(buffer, 3, static_cast<int64_t>(buffer.size()) - 5);
            if (options_.Comments) {
                s_.forcedBreak = true;
                s_.pendingComment = true;
            }
        } else {
            buffer += '>';
        }
        return;
    }
    // A ">" inside a quoted value that is still open belongs to the value.
    std::string last = GetLastTagArg(buffer, attrs_);
    if (!last.empty() && IsQuote(last[0]) && (last.size() == 1 || last.back() != last[0])) {
        buffer += '>';
        return;
    }
    s_.inTag = false;
    std::string upper = AsciiUpper(buffer);
    std::string name = upper.substr(0, upper.find(' '));
    if (!s_.rawBlock && options_.AllUrls && s_.position != s_.rippedPosition && RipUrls(name))
        return;
    Classify(name);
}

bool TagScanner::RipUrls(const std::string& name) {
    s_.rippedUrls.clear();
    for (size_t i = attrs_.AttrValues.size(); i-- > 0;) {
        const std::string& value = attrs_.AttrValues[i];
        if (value.find('/') == std::string::npos) continue;
        s_.rippedUrls.push_back(
            {DeAmper(value), Ui(125) + name + "@" + attrs_.AttrNames[i] + ": "});
    }
    if (s_.rippedUrls.empty()) return false;
    s_.rippedTag = s_.tagBuffer;
    s_.rippedPosition = s_.position;
    s_.rippedTagStart = s_.tagStart;
    s_.forcedBreak = true;
    return true;
}

void TagScanner::Classify(const std::string& name) {
    if (!s_.rawBlock) {
        if (name == "SCRIPT") {
            s_.scriptKinds.clear();
            s_.scriptSource.clear();
            s_.scriptHasSource = false;
            for (size_t i = 0; i < attrs_.AttrNames.size(); ++i) {
                const std::string& attr = attrs_.AttrNames[i];
                const std::string& value = attrs_.AttrValues[i];
                if ((attr == "LANGUAGE" || attr == "TYPE") && !value.empty())
                    s_.scriptKinds += (s_.scriptKinds.empty() ? "" : ",") + value;
                if (attr == "SRC" && !value.empty() && !s_.scriptHasSource) {
                    s_.scriptSource = value;
                    s_.scriptHasSource = true;
                }
            }
            OpenRawBlock("/SCRIPT");
        } else if (name == "STYLE") {
            OpenRawBlock("/STYLE");
        } else if (name == "FORM") {
            OpenRawBlock("/FORM");
            s_.formResume = s_.position;
        } else if (name == "META") {
            OpenRawBlock("META");
        }
    }
    if (s_.rawBlock && name == s_.rawEndTag) CloseRawBlock(name);
    ApplyLineBreakRules(name);
    ApplyBorderRules(name);
    ApplyTitleRules(name);
    if (s_.rawBlock) return;
    if (name == "PRE") s_.preformatted = true;
    if (name == "/PRE") s_.preformatted = false;
    if (name == "BASE") {
        if (const std::string* href = FirstValue(attrs_, "HREF"))
            browser_.BaseURL = DeQuote(Amp(*href));
    }
    ApplyResourceRules(name);
    ApplyLinkRules(name);
}

void TagScanner::OpenRawBlock(const std::string& endTag) {
    s_.rawBlock = true;
    s_.rawEndTag = endTag;
    s_.blockStart = s_.tagStart - 1;
}

void TagScanner::CloseRawBlock(const std::string& name) {
    const std::string& src = Source();
    const int32_t length = s_.position - s_.blockStart;
    if (name == "/FORM") {
        s_.formSource = Clip(src, s_.blockStart, length);
        // The content of the form is shown again as page content after the form block.
        s_.position = s_.formResume;
        if (options_.Forms) {
            s_.pendingForm = true;
            s_.forcedBreak = true;
        }
    } else {
        const bool script = name == "/SCRIPT", style = name == "/STYLE";
        const bool keepCode = script ? options_.ScriptsCode : style ? options_.StylesCode : true;
        const bool show = script ? options_.Scripts : style ? options_.Styles : options_.Meta;
        if (keepCode) s_.blockCode = Clip(src, s_.blockStart, length);
        s_.codeStart = s_.blockStart + 1;
        s_.codeLength = length;
        if (mode_ == RenderMode::Prepare && !show) CutBlock(style ? 7 : 0);
        if (show) {
            (script ? s_.pendingScript : style ? s_.pendingStyle : s_.pendingMeta) = true;
            if (!script && !style) s_.forcedBreak = true;
        }
    }
    s_.rawBlock = false;
    s_.rawEndTag.clear();
}

void TagScanner::CutBlock(int32_t stepBack) {
    std::string& src = Source();
    const int32_t start = std::clamp(s_.blockStart, 0, SourceLength());
    const int32_t length = std::clamp(s_.position - start, 0, SourceLength() - start);
    src.erase(static_cast<size_t>(start), static_cast<size_t>(length));
    s_.position = std::max(0, start - stepBack);
}

void TagScanner::ApplyLineBreakRules(const std::string& name) {
    if (IsOneOf(name,
                {"DIV", "P", "ARTICLE", "INPUT", "TEXTAREA", "TABLE", "BLOCKQUOTE", "BR", "BR/"}))
        s_.newLine = true;
    if (options_.Accents && IsAccent(name)) s_.newLine = true;
    if (name.empty() || name[0] != '/') return;
    if (IsAccentCloser(name))
        s_.newLine = options_.Accents;
    else
        s_.newLine = name != "/NOBR" && name != "/NOSCRIPT";
}

void TagScanner::RequestBorder(int32_t kind) {
    s_.borderRequest = true;
    s_.borderKind = kind;
    s_.newLine = true;
}

void TagScanner::ApplyBorderRules(const std::string& name) {
    if (options_.TopBorders) {
        if (IsOneOf(name, {"TABLE", "DIV", "TR"})) RequestBorder(0);
        if (IsOneOf(name, {"BLOCKQUOTE", "TD"})) RequestBorder(1);
        if (options_.Accents && IsAccent(name)) RequestBorder(1);
    }
    if (options_.Borders) {
        if (IsOneOf(name, {"/TABLE", "/DIV", "/TR"})) RequestBorder(2);
        if (IsOneOf(name, {"/BLOCKQUOTE", "/TD"})) RequestBorder(3);
        if (options_.Accents && IsAccentCloser(name)) RequestBorder(3);
    }
}

void TagScanner::ApplyTitleRules(const std::string& name) {
    if (name == "TITLE") {
        s_.titleEnd = s_.position;
        return;
    }
    // A closing tag without an opening one has no title to give.
    if (name != "/TITLE" || mode_ != RenderMode::Prepare || s_.titleEnd < 0) return;
    const int32_t end = s_.position - 8; // "</title>" itself is not part of the title
    std::string title = DeAmper(Clip(Source(), s_.titleEnd, end - s_.titleEnd));
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
    s_.blockAttributes = attrs_;
    s_.pendingResource = true;
    s_.forcedBreak = true;
}

void TagScanner::SetPendingLink(std::string label, std::string attribute, bool anchor) {
    s_.linkLabel = std::move(label);
    s_.linkAttribute = std::move(attribute);
    s_.linkHasAnchor = anchor;
    s_.blockAttributes = attrs_;
    s_.pendingLink = true;
    s_.forcedBreak = true;
}

void TagScanner::ApplyResourceRules(const std::string& name) {
    const TagAttributes& a = attrs_;
    if (name == "LINK") {
        if (!options_.Linked) return;
        std::string label = Ui(82), details;
        for (std::string_view attr : {"REL", "TITLE", "TYPE"}) {
            if (!Given(a, attr)) continue;
            details += (details.empty() ? "" : ",") + AnsiUpperCase(Value(a, attr));
        }
        if (!details.empty()) label += " (" + details + ")";
        SetPendingResource(label + ": ", "HREF");
        return;
    }
    if (!options_.Media) return;
    if (name == "IMG") {
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
    } else if (name == "APPLET" || name == "OBJECT") {
        const bool applet = name == "APPLET";
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
        if (data && Given(a, "ARCHIVE")) label += " " + Value(a, "ARCHIVE");
        SetPendingResource(label + ":", data ? "DATA" : "ARCHIVE");
    } else if (name == "TRACK") {
        std::string label = Ui(81);
        if (Given(a, "KIND") || Given(a, "SRCLANG") || Given(a, "LABEL")) {
            label += " (";
            static constexpr std::array<std::string_view, 5> kKinds = {
                "SUBTITLES", "CAPTIONS", "DESCRIPTIONS", "CHAPTERS", "METADATA"};
            std::string kind = AnsiUpperCase(DeQuote(Value(a, "KIND")));
            for (size_t i = 0; i < kKinds.size(); ++i)
                if (kind == kKinds[i]) label += " " + Ui(76 + static_cast<int>(i));
            for (std::string_view attr : {"SRCLANG", "LABEL"})
                if (Given(a, attr)) label += " " + AnsiUpperCase(Value(a, attr));
            label += ")";
        }
        SetPendingResource(label + ": ", "SRC");
    } else if (IsOneOf(name, {"BODY", "TABLE", "TD", "TH"})) {
        SetPendingResource(Ui(68), "BACKGROUND");
    } else if (IsOneOf(name, {"EMBED", "BGSOUND", "AUDIO", "VIDEO", "SOURCE", "INPUT"})) {
        if (Given(a, "SRC") || !Given(a, "POSTER")) {
            std::string label = Ui(69);
            if (Given(a, "POSTER")) label += " (" + Ui(117) + Value(a, "POSTER") + ")";
            SetPendingResource(label + ": ", "SRC");
        } else {
            SetPendingResource(Ui(117), "POSTER");
        }
    }
}

void TagScanner::ApplyLinkRules(const std::string& name) {
    if (name == "A" && (options_.Links || options_.Anchors))
        SetPendingLink(Ui(24), "HREF", true);
    else if (name == "AREA" && options_.Links)
        SetPendingLink(Ui(24), "HREF", false);
    else if (IsOneOf(name, {"IFRAME", "FRAME", "PORTAL"}) && options_.Links)
        SetPendingLink(Ui(70), "SRC", false);
}

// ---- Display blocks -----------------------------------------------------------------------

std::optional<DisplayBlock> TagScanner::TakePendingBlock() {
    if (s_.blockDisplay) return std::nullopt;
    std::optional<DisplayBlock> block;
    // A pending item that turns out to show nothing is dropped and the next one is tried.
    while (!block) {
        if (!s_.rippedUrls.empty()) {
            block = RippedBlock();
        } else if (s_.pendingResource) {
            s_.pendingResource = false;
            block = ResourceBlock();
        } else if (s_.pendingLink) {
            s_.pendingLink = false;
            block = LinkBlock();
        } else if (s_.pendingComment) {
            s_.pendingComment = false;
            block = CommentBlock();
        } else if (s_.pendingScript) {
            s_.pendingScript = false;
            block = ScriptBlock();
        } else if (s_.pendingStyle) {
            s_.pendingStyle = false;
            block = StyleBlock();
        } else if (s_.pendingForm) {
            s_.pendingForm = false;
            block = FormBlock();
        } else if (s_.pendingMeta) {
            s_.pendingMeta = false;
            block = MetaBlock();
        } else {
            return std::nullopt;
        }
    }
    s_.blockDisplay = true;
    s_.displayText = block->text;
    s_.displayPos = 0;
    s_.plainText = false;
    return block;
}

void TagScanner::EndDisplayBlock() {
    const bool reenter = s_.displayIsRipped && s_.rippedUrls.empty();
    s_.blockDisplay = false;
    s_.displayText.clear();
    s_.displayPos = 0;
    s_.displayIsRipped = false;
    s_.plainText = true;
    s_.newLine = true;
    if (!reenter) return;
    // The ripped tag is read again from its ">" and classified this time.
    s_.inTag = true;
    s_.tagBuffer = s_.rippedTag;
    s_.tagStart = s_.rippedTagStart;
    s_.position = s_.rippedPosition - 1;
}

std::optional<DisplayBlock> TagScanner::RippedBlock() {
    RippedUrl entry = std::move(s_.rippedUrls.back());
    s_.rippedUrls.pop_back();
    s_.displayIsRipped = true;
    DisplayBlock block;
    block.text = entry.label + DecodeURL(entry.url, browser_.Utf8Decoding, UrlDecoding::Raw) + "\r";
    block.role = ColorRole::Media;
    block.hasObject = true;
    block.objectKind = ViewObjectKind::Resource;
    block.objectText = DeQuote(entry.url);
    return block;
}

std::optional<DisplayBlock> TagScanner::ResourceBlock() {
    const std::string* raw = FirstValue(s_.blockAttributes, s_.resourceAttribute);
    if (!raw || raw->empty()) return std::nullopt;
    std::string value = Amp(*raw);
    DisplayBlock block;
    block.text = s_.resourceLabel + DecodeURL(value, browser_.Utf8Decoding) + "\r";
    block.role = ColorRole::Media;
    block.hasObject = true;
    block.objectKind = ViewObjectKind::Resource;
    block.objectText = DeQuote(value);
    return block;
}

std::optional<DisplayBlock> TagScanner::LinkBlock() {
    DisplayBlock block;
    block.role = ColorRole::Links;
    const std::string* link = LastValue(s_.blockAttributes, s_.linkAttribute);
    if (options_.Links && link && !link->empty()) {
        std::string value = Amp(*link);
        block.text = s_.linkLabel + DecodeURL(value, browser_.Utf8Decoding) + "\r";
        block.hasObject = true;
        block.objectKind = ViewObjectKind::Link;
        block.objectText = DeQuote(value);
    }
    const std::string* anchor = LastValue(s_.blockAttributes, "NAME");
    if (s_.linkHasAnchor && options_.Anchors && anchor && !anchor->empty())
        block.text += Ui(25) + *anchor;
    if (block.text.empty()) return std::nullopt;
    return block;
}

DisplayBlock TagScanner::CommentBlock() {
    DisplayBlock block;
    block.text = Ui(22) + s_.commentText + "\r";
    block.role = ColorRole::Comments;
    return block;
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
    if (options_.ScriptsCode && s_.codeLength > 0) block.text += "\r" + s_.blockCode;
    return block;
}

DisplayBlock TagScanner::StyleBlock() {
    DisplayBlock block;
    block.role = ColorRole::Styles;
    block.text = Ui(18) + CharactersText(s_.codeLength);
    if (options_.StylesCode) block.text += "\r" + s_.blockCode;
    block.hasObject = true;
    block.objectKind = ViewObjectKind::Code;
    block.objectText = std::to_string(s_.codeStart) + " " + std::to_string(s_.codeLength);
    return block;
}

DisplayBlock TagScanner::FormBlock() {
    DisplayBlock block;
    block.role = ColorRole::Forms;
    block.text = Ui(36) + CharactersText(static_cast<int32_t>(s_.formSource.size()));
    if (options_.FormsCode) block.text += "\r" + s_.formSource;
    block.hasObject = true;
    block.objectKind = ViewObjectKind::Form;
    block.objectText = s_.formSource;
    return block;
}

DisplayBlock TagScanner::MetaBlock() {
    DisplayBlock block;
    block.role = ColorRole::Meta;
    block.text = Ui(84) + CharactersText(s_.codeLength);
    if (options_.MetaCode) block.text += "\r" + s_.blockCode;
    block.hasObject = true;
    block.objectKind = ViewObjectKind::Code;
    block.objectText = std::to_string(s_.codeStart) + " " + std::to_string(s_.codeLength);
    return block;
}

} // namespace qm
