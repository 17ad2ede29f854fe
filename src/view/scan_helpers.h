#pragma once
// What the tag scanner's files share: the stops that runs of bytes are scanned for, attribute
// lookups, and the table every tag name is looked up in once.

#include <algorithm>
#include <array>
#include <cstring>

#include "base/ascii_run.h"
#include "tools/attribute_text.h"
#include "tools/text_decoders.h"
#include "tools/text_replace.h"
#include "view/tag_scanner.h"

namespace qm::scan {

inline constexpr int32_t kMaxReferenceCount = 10; // a name holds up to 11 characters
// How far ahead a drawable run is looked for at a time: a paint pass that draws a few lines of
// a long run reads little more than those lines.
inline constexpr size_t kRunStretch = 4096;
inline constexpr size_t kKeptTagCapacity = 65536;

inline bool IsQuote(char c) {
    return c == '"' || c == '\'';
}
inline bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

inline std::string AsciiUpper(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

inline std::string_view Trim(std::string_view text) {
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
    // The first stop in text[i, end), or end. The lowest byte a word flags is a stop (a
    // borrow only flags bytes above a true one), so a hit is placed without reading bytes.
    static size_t Find(const char* text, size_t i, size_t end) {
        for (; i + 8 <= end; i += 8) {
            uint64_t word;
            std::memcpy(&word, text + i, 8);
            const uint64_t hit =
                (kControls ? Below(word, ' ') : 0) |
                (Below(word ^ (kOnes * static_cast<unsigned char>(kChars)), 1) | ... | 0);
            if (hit) return i + FirstFlaggedByte(hit);
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
inline std::string Clip(const std::string& s, int64_t start, int64_t length) {
    start = std::clamp<int64_t>(start, 0, static_cast<int64_t>(s.size()));
    length = std::clamp<int64_t>(length, 0, static_cast<int64_t>(s.size()) - start);
    return s.substr(static_cast<size_t>(start), static_cast<size_t>(length));
}

inline std::string Amp(std::string_view value) {
    if (value.find("&amp;") == std::string_view::npos) return std::string(value);
    return ReplaceText(value, "&amp;", "&", ReplaceFlags::ReplaceAll);
}

// Amp without a copy of a value that has no "&amp;" (an address may be megabytes long); a
// replaced value is kept in buffer.
inline std::string_view Amp(std::string_view value, std::string& buffer) {
    if (value.find("&amp;") == std::string_view::npos) return value;
    buffer = ReplaceText(value, "&amp;", "&", ReplaceFlags::ReplaceAll);
    return buffer;
}

// DecodeURL appended to out; an address with no percent code (and, where DecodeURL would read
// it as UTF-8, only ASCII) is its own result.
inline void AppendDecodedUrl(std::string& out, std::string_view url, bool utf8Mode,
                             UrlDecoding decoding) {
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
inline void SetAttribute(size_t index, std::string_view token, TagAttributes& attrs) {
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

inline const std::string* FirstValue(const TagAttributes& attrs, std::string_view name) {
    for (size_t i = 0; i < attrs.AttrNames.size(); ++i)
        if (attrs.AttrNames[i] == name) return &attrs.AttrValues[i];
    return nullptr;
}

inline const std::string* LastValue(const TagAttributes& attrs, std::string_view name) {
    for (size_t i = attrs.AttrNames.size(); i-- > 0;)
        if (attrs.AttrNames[i] == name) return &attrs.AttrValues[i];
    return nullptr;
}

// The first value of that name, empty when the attribute is missing.
inline std::string Value(const TagAttributes& attrs, std::string_view name) {
    const std::string* value = FirstValue(attrs, name);
    return value ? *value : std::string();
}

inline bool Given(const TagAttributes& attrs, std::string_view name) {
    return !Value(attrs, name).empty();
}

inline constexpr std::array<std::string_view, 12> kAccentTags = {
    "SPAN", "EM", "STRONG", "SMALL", "BIG", "SUB", "SUP", "B", "I", "Q", "S", "U"};

inline constexpr std::array<std::string_view, 12> kAccentClosers = {
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

inline const TagTable& Tags() {
    static const TagTable table;
    return table;
}

// The tag name as written: the buffer up to its first space.
inline std::string_view TagName(std::string_view buffer) {
    return buffer.substr(0, buffer.find(' '));
}

// Whether the last attribute value of the tag (as GetLastTagArg gives it) opens a quote it
// does not close, so that a ">" belongs to the value. ParseTag splits at every space met
// outside quotes, and the quote flag is clear at each split, so one scan finds the last split.
inline bool LastValueOpensQuote(std::string_view tag) {
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

inline bool IsCommentOpener(std::string_view buffer) {
    return buffer.size() == 3 && buffer[0] == '!' && buffer[1] == '-' && buffer[2] == '-';
}

enum class RunText { Page, Display };

// The end of the drawable characters in text[begin, end): no control character, and in page
// text no "<" or "&" either.
inline size_t DrawableEnd(const char* text, size_t begin, size_t end, RunText kind) {
    return kind == RunText::Page ? DrawStops::Find(text, begin, end)
                                 : DisplayStops::Find(text, begin, end);
}

} // namespace qm::scan
