#include "view/tag_scanner.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "state/browser_state.h"
#include "base/format.h"
#include "state/ui_strings.h"
#include "base/ansi_case.h"
#include "tools/attribute_text.h"
#include "tools/text_decoders.h"
#include "tools/text_replace.h"
#include "tools/source_decode.h"

namespace qm {
namespace {

constexpr int32_t kMaxReferenceCount = 10; // a name holds up to 11 characters
// How far ahead a drawable run is looked for at a time: a paint pass that draws a few lines of
// a long run reads little more than those lines.
constexpr size_t kRunStretch = 4096;
constexpr size_t kKeptTagCapacity = 65536;

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

// Bytes that end a stretch of ordinary ones: control characters when asked, and a few others.
// Long stretches (a data: address, a minified script) are crossed eight bytes at a time.
template <bool kControls, char... kChars> struct Stops {
    static bool Is(char c) { return kIs[static_cast<unsigned char>(c)]; }
    // The first stop in text[i, end), or end. Short stretches (most tags) are read a byte at
    // a time.
    static size_t Find(const char* text, size_t i, size_t end) {
        if (end - i < 32) return FindByBytes(text, i, end);
        for (; i + 8 <= end; i += 8) {
            uint64_t word;
            std::memcpy(&word, text + i, 8);
            const uint64_t hit =
                (kControls ? Below(word, ' ') : 0) |
                (Below(word ^ (kOnes * static_cast<unsigned char>(kChars)), 1) | ... | 0);
            if (hit) break;
        }
        return FindByBytes(text, i, end);
    }
    static size_t FindByBytes(const char* text, size_t i, size_t end) {
        while (i < end && !Is(text[i]))
            ++i;
        return i;
    }

  private:
    static constexpr std::array<bool, 256> kIs = [] {
        std::array<bool, 256> is{};
        for (int c = 0; c < 256; ++c)
            is[c] = (kControls && c < ' ') || ((c == static_cast<unsigned char>(kChars)) || ...);
        return is;
    }();
    static constexpr uint64_t kOnes = 0x0101010101010101, kHigh = 0x8080808080808080;
    // Whether a byte of the word is below n (n at most 128).
    static uint64_t Below(uint64_t word, uint64_t n) { return (word - kOnes * n) & ~word & kHigh; }
};

using DrawStops = Stops<true, '<', '&'>; // end of the characters page text draws as they stand
using DisplayStops = Stops<true>;        // the same in a display block
using TagStops = Stops<true, '<', '>'>;  // end of a stretch of tag characters
using CommentStops = Stops<true, '>'>;   // the same inside a comment
using SplitStops = Stops<false, '"', '\'', ' '>; // what splits a tag into attributes

// Part of s from index start with the given length, clipped to s.
std::string Clip(const std::string& s, int64_t start, int64_t length) {
    start = std::clamp<int64_t>(start, 0, static_cast<int64_t>(s.size()));
    length = std::clamp<int64_t>(length, 0, static_cast<int64_t>(s.size()) - start);
    return s.substr(static_cast<size_t>(start), static_cast<size_t>(length));
}

std::string Amp(std::string_view value) {
    if (value.find("&amp;") == std::string_view::npos) return std::string(value);
    return ReplaceText(value, "&amp;", "&", ReplaceFlags::ReplaceAll);
}

// Amp without a copy of a value that has no "&amp;" (an address may be megabytes long); a
// replaced value is kept in buffer.
std::string_view Amp(std::string_view value, std::string& buffer) {
    if (value.find("&amp;") == std::string_view::npos) return value;
    buffer = ReplaceText(value, "&amp;", "&", ReplaceFlags::ReplaceAll);
    return buffer;
}

// DecodeURL appended to out; an address with no percent code (and, where DecodeURL would read
// it as UTF-8, only ASCII) is its own result.
void AppendDecodedUrl(std::string& out, std::string_view url, bool utf8Mode, UrlDecoding decoding) {
    const bool plain = url.find('%') == std::string_view::npos &&
                       (decoding == UrlDecoding::Raw || !utf8Mode ||
                        std::all_of(url.begin(), url.end(),
                                    [](char c) { return static_cast<unsigned char>(c) < 0x80; }));
    if (plain) {
        out.reserve(out.size() + url.size() + 1); // and the line break after it
        out += url;
    } else {
        out += DecodeURL(url, utf8Mode, decoding);
    }
}

// Attribute index of the list, reusing the strings an earlier tag left there.
void SetAttribute(size_t index, std::string_view token, TagAttributes& attrs) {
    if (attrs.AttrNames.size() <= index) attrs.AttrNames.resize(index + 1);
    if (attrs.AttrValues.size() <= index) attrs.AttrValues.resize(index + 1);
    const size_t eq = token.find('=');
    std::string& name = attrs.AttrNames[index];
    name.assign(token.substr(0, eq));
    for (char& c : name)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    attrs.AttrValues[index].assign(eq == std::string_view::npos ? std::string_view()
                                                                : token.substr(eq + 1));
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

constexpr std::array<std::string_view, 12> kAccentTags = {
    "SPAN", "EM", "STRONG", "SMALL", "BIG", "SUB", "SUP", "B", "I", "Q", "S", "U"};

constexpr std::array<std::string_view, 12> kAccentClosers = {
    "/SPAN", "/EM", "/STRONG", "/SMALL", "/BIG", "/SUB", "/SUP", "/B", "/I", "/Q", "/S", "/U"};

// What the line-break and border rules see in a tag name.
enum TagFlag : uint32_t {
    kBreaks = 1,         // DIV, P, ARTICLE, INPUT, TEXTAREA, TABLE, BLOCKQUOTE, BR, BR/
    kAccent = 2,         // the accent set
    kAccentCloser = 4,   // its closing tags
    kKeepsLine = 8,      // /NOBR, /NOSCRIPT
    kTopSolid = 16,      // TABLE, DIV, TR
    kTopDotted = 32,     // BLOCKQUOTE, TD
    kBottomSolid = 64,   // /TABLE, /DIV, /TR
    kBottomDotted = 128, // /BLOCKQUOTE, /TD
};

// Every tag is looked up once instead of being compared with each rule's names.
class TagTable {
  public:
    TagTable() {
        for (std::string_view accent : kAccentTags)
            Add(accent, TagId::Other, kAccent);
        for (std::string_view closer : kAccentClosers)
            Add(closer, TagId::Other, kAccentCloser);
        Add("SCRIPT", TagId::Script);
        Add("/SCRIPT", TagId::CloseScript);
        Add("STYLE", TagId::Style);
        Add("/STYLE", TagId::CloseStyle);
        Add("FORM", TagId::Form);
        Add("/FORM", TagId::CloseForm);
        Add("META", TagId::Meta);
        Add("TITLE", TagId::Title);
        Add("/TITLE", TagId::CloseTitle);
        Add("PRE", TagId::Pre);
        Add("/PRE", TagId::ClosePre);
        Add("BASE", TagId::Base);
        Add("LINK", TagId::Link);
        Add("IMG", TagId::Img);
        Add("APPLET", TagId::Applet);
        Add("OBJECT", TagId::Object);
        Add("TRACK", TagId::Track);
        Add("BODY", TagId::Background);
        Add("TABLE", TagId::Background, kBreaks | kTopSolid);
        Add("TD", TagId::Background, kTopDotted);
        Add("TH", TagId::Background);
        for (std::string_view media : {"EMBED", "BGSOUND", "AUDIO", "VIDEO", "SOURCE"})
            Add(media, TagId::Media);
        Add("INPUT", TagId::Media, kBreaks);
        Add("A", TagId::A);
        Add("AREA", TagId::Area);
        for (std::string_view frame : {"IFRAME", "FRAME", "PORTAL"})
            Add(frame, TagId::Frame);
        for (std::string_view name : {"P", "ARTICLE", "TEXTAREA", "BR", "BR/"})
            Add(name, TagId::Other, kBreaks);
        Add("DIV", TagId::Other, kBreaks | kTopSolid);
        Add("BLOCKQUOTE", TagId::Other, kBreaks | kTopDotted);
        Add("TR", TagId::Other, kTopSolid);
        Add("/NOBR", TagId::Other, kKeepsLine);
        Add("/NOSCRIPT", TagId::Other, kKeepsLine);
        for (std::string_view name : {"/TABLE", "/DIV", "/TR"})
            Add(name, TagId::Other, kBottomSolid);
        for (std::string_view name : {"/BLOCKQUOTE", "/TD"})
            Add(name, TagId::Other, kBottomDotted);
    }

    // The name in any case.
    TagInfo Find(std::string_view name) const {
        if (name.empty() || name.size() > kLongest) return {};
        char upper[kLongest];
        for (size_t i = 0; i < name.size(); ++i)
            upper[i] = name[i] >= 'a' && name[i] <= 'z' ? static_cast<char>(name[i] - 32) : name[i];
        for (const Entry& entry : slots_[Slot(upper[0], name.size())]) {
            size_t i = 0;
            while (i < name.size() && entry.name[i] == upper[i])
                ++i;
            if (i == name.size()) return entry.info;
        }
        return {};
    }

  private:
    static constexpr size_t kLongest = 11; // "/BLOCKQUOTE"
    struct Entry {
        std::string_view name;
        TagInfo info;
    };

    // Names of one length and one first character (up to case) share a slot.
    static size_t Slot(char first, size_t length) {
        return length * 32 + (static_cast<unsigned char>(first) & 31);
    }

    void Add(std::string_view name, TagId id, uint32_t flags = 0) {
        std::vector<Entry>& slot = slots_[Slot(name[0], name.size())];
        auto it = std::find_if(slot.begin(), slot.end(),
                               [&](const Entry& entry) { return entry.name == name; });
        if (it == slot.end()) it = slot.insert(slot.end(), Entry{name, {}});
        if (id != TagId::Other) it->info.id = id;
        it->info.flags |= flags;
    }

    std::array<std::vector<Entry>, (kLongest + 1) * 32> slots_;
};

const TagTable& Tags() {
    static const TagTable table;
    return table;
}

// The tag name as written: the buffer up to its first space.
std::string_view TagName(std::string_view buffer) {
    return buffer.substr(0, buffer.find(' '));
}

// Whether the last attribute value of the tag (as GetLastTagArg gives it) opens a quote it
// does not close, so that a ">" belongs to the value. ParseTag splits at every space met
// outside quotes, and the quote flag is clear at each split, so one scan finds the last split.
bool LastValueOpensQuote(std::string_view tag) {
    tag = Trim(tag);
    if (tag.empty()) return false;
    if (tag.back() == '/') tag.remove_suffix(1);
    bool quoted = false;
    size_t lastSpace = std::string_view::npos;
    const char* text = tag.data();
    for (size_t i = SplitStops::Find(text, 0, tag.size()); i < tag.size();
         i = SplitStops::Find(text, i + 1, tag.size())) {
        if (text[i] != ' ')
            quoted = !quoted;
        else if (!quoted)
            lastSpace = i;
    }
    if (lastSpace == std::string_view::npos) return false;
    const std::string_view token = tag.substr(lastSpace + 1);
    const size_t eq = token.find('=');
    if (eq == std::string_view::npos) return false;
    const std::string_view value = token.substr(eq + 1);
    return !value.empty() && IsQuote(value[0]) && (value.size() == 1 || value.back() != value[0]);
}

bool IsCommentOpener(std::string_view buffer) {
    return buffer.size() == 3 && buffer[0] == '!' && buffer[1] == '-' && buffer[2] == '-';
}

enum class RunText { Page, Display };

// The end of the drawable characters in text[begin, end): no control character, and in page
// text no "<" or "&" either.
size_t DrawableEnd(const char* text, size_t begin, size_t end, RunText kind) {
    return kind == RunText::Page ? DrawStops::Find(text, begin, end)
                                 : DisplayStops::Find(text, begin, end);
}

} // namespace

int32_t postag(std::string_view s) {
    bool quoted = false;
    for (size_t i = SplitStops::Find(s.data(), 0, s.size()); i < s.size();
         i = SplitStops::Find(s.data(), i + 1, s.size())) {
        if (s[i] != ' ')
            quoted = !quoted;
        else if (!quoted)
            return static_cast<int32_t>(i + 1);
    }
    return 0;
}

void ParseTag(std::string_view tag, TagAttributes& attrs) {
    size_t count = 0;
    std::string_view rest = Trim(tag);
    if (!rest.empty()) {
        if (rest.back() == '/') rest.remove_suffix(1);
        bool nameRead = false;
        for (int32_t p = postag(rest); p != 0; p = postag(rest)) {
            if (nameRead) SetAttribute(count++, rest.substr(0, p - 1), attrs);
            nameRead = true;
            rest.remove_prefix(p);
        }
        if (nameRead) SetAttribute(count++, rest, attrs);
    }
    attrs.AttrNames.resize(count);
    attrs.AttrValues.resize(count);
}

std::string GetLastTagArg(std::string_view tag, TagAttributes& attrs) {
    ParseTag(tag, attrs);
    return attrs.AttrValues.empty() ? std::string() : attrs.AttrValues.back();
}

TagScanner::TagScanner(BrowserState& browser, const ViewOptions& options, RenderMode mode,
                       qm::ViewMode viewMode)
    : browser_(browser), source_(browser.DecodedSource), options_(options), mode_(mode),
      viewMode_(viewMode) {}

const std::string& TagScanner::Ui(int index) const {
    return UiString(index, browser_.LanguageIndex);
}

void TagScanner::RestartAt(int32_t position, bool preformatted) {
    s_ = ScanState{};
    ResumeAt(position);
    s_.preformatted = preformatted;
}

void TagScanner::RestartInBlock(const BlockRestart& restart, size_t offset) {
    s_ = restart.state;
    s_.displayPos = offset;
    ResumeAt(s_.position);
    ForgetRun();
}

ScanState TagScanner::BlockState() {
    // What only an open tag or the taking of a pending block reads is left out: it may be as
    // long as the block itself. It is set aside for the copy instead of being copied.
    std::string tag, comment;
    TagAttributes attributes;
    if (!s_.inTag) std::swap(tag, s_.tagBuffer);
    if (!s_.pendingResource && !s_.pendingLink) std::swap(attributes, s_.blockAttributes);
    if (!s_.pendingComment) std::swap(comment, s_.commentText);
    ScanState state = s_;
    if (!s_.inTag) std::swap(tag, s_.tagBuffer);
    if (!s_.pendingResource && !s_.pendingLink) std::swap(attributes, s_.blockAttributes);
    if (!s_.pendingComment) std::swap(comment, s_.commentText);
    return state;
}

bool TagScanner::BlocksLeft() const {
    return s_.blockDisplay || s_.pendingResource || s_.pendingLink || s_.pendingComment ||
           s_.pendingScript || s_.pendingStyle || s_.pendingForm || s_.pendingMeta ||
           !s_.rippedUrls.empty();
}

bool TagScanner::IsClean() const {
    return s_.plainText && !BlocksLeft() && !s_.inTag && !s_.inComment && !s_.inReference &&
           !s_.referenceFailed && !s_.rawBlock && !s_.newLine && !s_.forcedBreak &&
           !s_.borderRequest;
}

// ---- Reading ------------------------------------------------------------------------------

bool TagScanner::ReadCharacter(std::string& text) {
    text.clear();
    return s_.blockDisplay ? ReadDisplayCharacter(text) : ReadSourceCharacter(text);
}

bool TagScanner::ReadDisplayCharacter(std::string& text) {
    if (s_.displayPos >= s_.displayText->size()) return false;
    char c = (*s_.displayText)[s_.displayPos++];
    ++read_;
    if (static_cast<unsigned char>(c) < ' ') {
        if (c == '\r' || c == '\n') s_.newLine = true;
        return false;
    }
    text.assign(1, c);
    return true;
}

bool TagScanner::ReadSourceCharacter(std::string& text) {
    if (s_.position < 0 || s_.position >= SourceLength()) return false;
    const char* src = Ahead();
    char c = src[s_.position++];
    ++read_;
    // In the hex view a control byte can only be a character cell the bitmap font draws: its
    // line breaks are tags, so the byte is drawn as it stands to keep the column's width.
    const bool hexCell = viewMode_ == qm::ViewMode::Hex && !s_.inTag && !s_.inComment;
    if (static_cast<unsigned char>(c) < ' ' && !hexCell) {
        const bool lineBreak = c == '\r' || c == '\n';
        if (s_.rawBlock) {
            // Raw blocks keep line breaks as they are; nothing in them is drawn.
            if (!lineBreak) return false;
            if (s_.preformatted) {
                s_.newLine = true;
                if (formRecording_) formRecording_->Add({.position = s_.position, .newLine = true});
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
        if (s_.referenceCount <= kMaxReferenceCount && TextLeft()) {
            s_.referenceBuffer += c;
            ++s_.referenceCount;
            return false;
        }
        // Too long or cut off by the end: the "&" is read again and drawn as it stands.
        s_.inReference = false;
        s_.referenceFailed = true;
        s_.referenceBuffer.clear();
        s_.referenceCount = 0;
        ResumeAt(s_.referenceStart - 1);
        return false;
    }
    if (c == '&') {
        if (s_.referenceFailed || !TextLeft()) {
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

// A reference must fail while its characters can still be read again, so only characters that
// reach this point count: dropped control characters and the line breaks of a preformatted
// section do not.
bool TagScanner::TextLeft() const {
    const char* src = Ahead();
    for (int32_t p = s_.position; p < SourceLength(); ++p) {
        const unsigned char c = static_cast<unsigned char>(src[p]);
        if (c >= ' ' || (!s_.preformatted && (c == '\r' || c == '\n' || c == '\t'))) return true;
    }
    return false;
}

// ---- Runs ---------------------------------------------------------------------------------

std::string_view TagScanner::DrawableRun(int32_t limit) const {
    auto known = [&](bool display, int64_t from) {
        return runInDisplay_ == display && from >= runFrom_ && from < runTo_;
    };
    if (s_.blockDisplay) {
        const std::string& text = *s_.displayText;
        const size_t from = s_.displayPos;
        if (!known(true, static_cast<int64_t>(from))) {
            runInDisplay_ = true;
            runFrom_ = static_cast<int64_t>(from);
            runTo_ = static_cast<int64_t>(DrawableEnd(
                text.data(), from, std::min(text.size(), from + kRunStretch), RunText::Display));
        }
        return std::string_view(text).substr(from, static_cast<size_t>(runTo_) - from);
    }
    if (s_.inTag || s_.rawBlock || s_.inReference) return {};
    if (s_.plainText && !options_.ShowText && viewMode_ == qm::ViewMode::Html) return {};
    const int64_t stop = std::clamp(limit, 0, SourceLength());
    const int64_t begin = std::max(0, s_.position);
    if (begin >= stop) return {};
    if (!known(false, begin)) {
        const size_t end =
            std::min(static_cast<size_t>(SourceLength()), static_cast<size_t>(begin) + kRunStretch);
        runInDisplay_ = false;
        runFrom_ = begin;
        runTo_ = static_cast<int64_t>(
            DrawableEnd(Ahead(), static_cast<size_t>(begin), end, RunText::Page));
    }
    return std::string_view(Ahead() + begin, static_cast<size_t>(std::min(runTo_, stop) - begin));
}

void TagScanner::ConsumeDrawable(size_t count) {
    if (s_.blockDisplay)
        s_.displayPos += count;
    else
        s_.position += static_cast<int32_t>(count);
    read_ += static_cast<int64_t>(count);
}

bool TagScanner::ScanUndrawn(int32_t limit) {
    if (s_.blockDisplay || s_.inReference || s_.position < 0) return false;
    const int32_t stop = std::min(limit, SourceLength());
    if (formReplay_.Active() && ReplayFormContent(stop)) return true;
    const int32_t start = s_.position;
    const bool hiddenText = s_.plainText && !options_.ShowText && viewMode_ == qm::ViewMode::Html;
    while (s_.position < stop) {
        if (s_.inTag) {
            if (!CollectTag(stop)) break;
            if (s_.position >= stop || Ahead()[s_.position] != '>') break;
            ++s_.position;
            read_ += s_.position - start;
            EndTag();
            return true;
        }
        int32_t pos = s_.position;
        if (s_.rawBlock) {
            // Nothing of a raw block is shown; only a tag, or a line break of a preformatted
            // section, matters.
            const char* begin = Ahead() + pos;
            const char* end = Ahead() + stop;
            const char* next =
                s_.preformatted
                    ? std::find_if(begin, end,
                                   [](char c) { return c == '<' || c == '\r' || c == '\n'; })
                    : static_cast<const char*>(std::memchr(begin, '<', end - begin));
            pos = static_cast<int32_t>((next ? next : end) - Ahead());
        } else if (hiddenText) {
            while (pos < stop && Ahead()[pos] != '<' &&
                   static_cast<unsigned char>(Ahead()[pos]) >= ' ')
                ++pos;
        }
        s_.position = pos;
        if (pos >= stop || Ahead()[pos] != '<') break;
        ++s_.position;
        StartTag();
    }
    read_ += s_.position - start;
    return s_.position != start;
}

// Appends the characters of the open tag up to its ">", a "<" that restarts it, the limit or
// a character only ReadCharacter handles. False when nothing could be read.
bool TagScanner::CollectTag(int32_t stop) {
    const char* text = Ahead();
    int32_t pos = s_.position;
    // The comment opener is recognised only when the buffer holds exactly "!--", so the first
    // three characters are checked as they complete it, and a control character among them is
    // left to ReadCharacter.
    auto opening = [&] { return !s_.inComment && !s_.rawBlock && s_.tagBuffer.size() < 3; };
    if (opening()) {
        const size_t need = 3 - s_.tagBuffer.size();
        size_t take = 0;
        while (take < need && pos + static_cast<int32_t>(take) < stop &&
               !TagStops::Is(text[pos + take]))
            ++take;
        s_.tagBuffer.append(text + pos, take);
        pos += static_cast<int32_t>(take);
        if (s_.tagBuffer.size() == 3 && IsCommentOpener(s_.tagBuffer)) s_.inComment = true;
    }
    if (opening() && pos < stop && static_cast<unsigned char>(text[pos]) < ' ') {
        const bool moved = pos != s_.position;
        s_.position = pos;
        return moved;
    }
    auto find = s_.inComment ? &CommentStops::Find : &TagStops::Find;
    int32_t from = pos;
    while (pos < stop) {
        pos = static_cast<int32_t>(find(text, static_cast<size_t>(pos), static_cast<size_t>(stop)));
        if (pos >= stop) break;
        const char c = text[pos];
        if (static_cast<unsigned char>(c) >= ' ' || s_.rawBlock) break;
        // Outside raw blocks a tab or line break in a tag is a space (a CR LF pair is one);
        // other control characters are dropped.
        s_.tagBuffer.append(text + from, static_cast<size_t>(pos - from));
        if (c == '\t' || c == '\n' || c == '\r') s_.tagBuffer += ' ';
        if (c == '\r' && pos + 1 < SourceLength() && text[pos + 1] == '\n') ++pos;
        from = ++pos;
    }
    s_.tagBuffer.append(text + from, static_cast<size_t>(pos - from));
    const bool moved = pos != s_.position;
    s_.position = pos;
    return moved || (pos < stop && text[pos] == '>');
}

// ---- Tags ---------------------------------------------------------------------------------

void TagScanner::StartTag() {
    s_.inTag = true;
    s_.tagStart = s_.position;
    s_.tagBuffer.clear();
}

void TagScanner::AppendToTag(char c) {
    s_.tagBuffer += c;
    if (!s_.rawBlock && !s_.inComment && s_.tagBuffer.size() == 3 && IsCommentOpener(s_.tagBuffer))
        s_.inComment = true;
}

void TagScanner::EndTag() {
    std::string& buffer = s_.tagBuffer;
    if (s_.inComment) {
        if (buffer.size() > 2 && buffer.ends_with("--")) {
            s_.inTag = false;
            s_.inComment = false;
            s_.commentText = Clip(buffer, 3, static_cast<int64_t>(buffer.size()) - 5);
            if (buffer.capacity() > kKeptTagCapacity) std::string().swap(buffer);
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
    if (LastValueOpensQuote(buffer)) {
        buffer += '>';
        return;
    }
    s_.inTag = false;
    attrsParsed_ = false;
    const std::string_view name = TagName(buffer);
    if (!s_.rawBlock && options_.AllUrls && s_.position != s_.rippedPosition &&
        RipUrls(AsciiUpper(name)))
        return;
    const bool formContent = s_.rawBlock && formRecording_;
    const int32_t tagStart = s_.tagStart, end = s_.position;
    const TagInfo tag = Tags().Find(name);
    Classify(tag, !name.empty() && name[0] == '/');
    if (formContent) KeepFormEffects(tag.id, tagStart, end);
    // The buffer of a long tag (a data: address) is not kept for the short tags after it.
    if (buffer.capacity() > kKeptTagCapacity) std::string().swap(buffer);
}

const TagAttributes& TagScanner::TagAttrs() {
    if (!attrsParsed_) {
        ParseTag(s_.tagBuffer, attrs_);
        attrsParsed_ = true;
    }
    return attrs_;
}

void TagScanner::TakeTagAttrs() {
    TagAttrs();
    std::swap(s_.blockAttributes, attrs_);
    attrsParsed_ = false;
}

bool TagScanner::RipUrls(const std::string& name) {
    s_.rippedUrls.clear();
    const TagAttributes& attrs = TagAttrs();
    for (size_t i = attrs.AttrValues.size(); i-- > 0;) {
        const std::string& value = attrs.AttrValues[i];
        if (value.find('/') == std::string::npos) continue;
        s_.rippedUrls.push_back({DeAmper(value), Ui(125) + name + "@" + attrs.AttrNames[i] + ": "});
    }
    if (s_.rippedUrls.empty()) return false;
    s_.rippedTag = s_.tagBuffer;
    s_.rippedPosition = s_.position;
    s_.rippedTagStart = s_.tagStart;
    s_.forcedBreak = true;
    return true;
}

void TagScanner::Classify(TagInfo tag, bool closing) {
    if (!s_.rawBlock) {
        if (tag.id == TagId::Script) {
            s_.scriptKinds.clear();
            s_.scriptSource.clear();
            s_.scriptHasSource = false;
            const TagAttributes& attrs = TagAttrs();
            int kinds = 0;  // empty values count too: "type language=js" gives ",js"
            for (size_t i = 0; i < attrs.AttrNames.size(); ++i) {
                const std::string& attr = attrs.AttrNames[i];
                const std::string& value = attrs.AttrValues[i];
                if (attr == "LANGUAGE" || attr == "TYPE")
                    s_.scriptKinds += (kinds++ > 0 ? "," : "") + value;
                if (attr == "SRC" && !value.empty() && !s_.scriptHasSource) {
                    s_.scriptSource = value;
                    s_.scriptHasSource = true;
                }
            }
            OpenRawBlock(TagId::CloseScript);
        } else if (tag.id == TagId::Style) {
            OpenRawBlock(TagId::CloseStyle);
        } else if (tag.id == TagId::Form) {
            OpenRawBlock(TagId::CloseForm);
            s_.formResume = s_.position;
            ReadFormContent();
        } else if (tag.id == TagId::Meta) {
            OpenRawBlock(TagId::Meta);
        }
    }
    if (s_.rawBlock && tag.id == s_.rawEndTag) CloseRawBlock(tag.id);
    ApplyLineBreakRules(closing, tag.flags);
    ApplyBorderRules(tag.flags);
    ApplyTitleRules(tag.id);
    if (s_.rawBlock) return;
    if (tag.id == TagId::Pre) s_.preformatted = true;
    if (tag.id == TagId::ClosePre) s_.preformatted = false;
    if (tag.id == TagId::Base) {
        if (const std::string* href = FirstValue(TagAttrs(), "HREF"))
            browser_.BaseURL = DeQuote(Amp(*href));
    }
    ApplyResourceRules(tag.id);
    ApplyLinkRules(tag.id);
}

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
        if (mode_ == RenderMode::Prepare && !show) CutBlock(style ? 7 : 0);
        if (show) {
            (script ? s_.pendingScript : style ? s_.pendingStyle : s_.pendingMeta) = true;
            if (!script && !style) s_.forcedBreak = true;
        }
    }
    s_.rawBlock = false;
    s_.rawEndTag = TagId::Other;
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
    FormSourceCut(start, length);
    MoveGap(static_cast<size_t>(start));
    gapLength_ += static_cast<size_t>(length);
    ResumeAt(std::max(0, start - stepBack));
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
            details += (details.empty() ? "" : ",") + AnsiUpperCase(Value(a, attr));
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
        if (data && Given(a, "ARCHIVE")) label += " " + Value(a, "ARCHIVE");
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
                if (Given(a, attr)) label += " " + AnsiUpperCase(Value(a, attr));
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
    return PendingItem::None;
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

} // namespace qm
