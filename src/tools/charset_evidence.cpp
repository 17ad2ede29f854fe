#include "tools/charset_evidence.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "base/ascii_run.h"
#include "base/codepage.h"

namespace qm {
namespace {

// Browsers look for the meta only this far into a page.
constexpr size_t kPrescanLimit = 64 * 1024;
// Enough text to tell the charsets apart; more would only cost time on a large page.
constexpr size_t kGuessLimit = 1024 * 1024;

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r';
}

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsLetter(char c) {
    return LowerAscii(c) >= 'a' && LowerAscii(c) <= 'z';
}

// Whether s[pos, ...) starts with the lower-case word, in any case.
bool HasWordAt(std::string_view s, size_t pos, std::string_view word) {
    if (s.size() - pos < word.size()) return false;
    for (size_t i = 0; i < word.size(); ++i)
        if (LowerAscii(s[pos + i]) != word[i]) return false;
    return true;
}

bool SameNoCase(std::string_view s, std::string_view lowerWord) {
    return s.size() == lowerWord.size() && HasWordAt(s, 0, lowerWord);
}

std::string_view TrimSpaces(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

// The value of a quoted-string that starts at s[pos] (the opening quote), with its escapes
// undone; pos ends after the closing quote, or at the end when there is none.
std::string QuotedString(std::string_view s, size_t& pos) {
    std::string value;
    for (++pos; pos < s.size() && s[pos] != '"'; ++pos) {
        if (s[pos] == '\\' && pos + 1 < s.size()) ++pos;
        value.push_back(s[pos]);
    }
    if (pos < s.size()) ++pos;
    return value;
}

// Whether s[pos] opens a tag with this lower-case name.
bool IsTagNamed(std::string_view s, size_t pos, std::string_view name) {
    const size_t after = pos + 1 + name.size();
    return HasWordAt(s, pos + 1, name) &&
           (after == s.size() || IsSpace(s[after]) || s[after] == '/' || s[after] == '>');
}

struct Attribute {
    std::string_view name;
    std::string_view value;
};

// Reads the next attribute of a tag at s[pos]. Returns false at the tag's end (pos is then past
// its ">") or at the end of s. Every call that returns true moves pos forward, so a tag costs
// time in proportion to its length, however malformed.
bool NextAttribute(std::string_view s, size_t& pos, Attribute& attribute) {
    while (pos < s.size() && (IsSpace(s[pos]) || s[pos] == '/'))
        ++pos;
    if (pos >= s.size()) return false;
    if (s[pos] == '>') {
        ++pos;
        return false;
    }
    // The first character belongs to the name even when it is "=".
    const size_t nameStart = pos++;
    while (pos < s.size() && !IsSpace(s[pos]) && s[pos] != '/' && s[pos] != '>' && s[pos] != '=')
        ++pos;
    attribute = {s.substr(nameStart, pos - nameStart), {}};
    while (pos < s.size() && IsSpace(s[pos]))
        ++pos;
    if (pos >= s.size() || s[pos] != '=') return true;
    ++pos;
    while (pos < s.size() && IsSpace(s[pos]))
        ++pos;
    if (pos >= s.size() || s[pos] == '>') return true;
    if (s[pos] == '"' || s[pos] == '\'') {
        const size_t close = s.find(s[pos], pos + 1);
        if (close == std::string_view::npos) {
            // The quote runs to the end of what is scanned, and so does the tag.
            pos = s.size();
            return false;
        }
        attribute.value = s.substr(pos + 1, close - pos - 1);
        pos = close + 1;
        return true;
    }
    const size_t valueStart = pos;
    while (pos < s.size() && !IsSpace(s[pos]) && s[pos] != '>')
        ++pos;
    // A value cut by the end of what is scanned may be cut short: "koi8-r" read as "koi".
    if (pos == s.size()) return false;
    attribute.value = s.substr(valueStart, pos - valueStart);
    return true;
}

// The charset= of a meta's content attribute ("text/html; charset=X"), or empty.
std::string_view CharsetInContent(std::string_view content) {
    size_t pos = 0;
    for (;;) {
        while (pos < content.size() && !HasWordAt(content, pos, "charset"))
            ++pos;
        if (pos >= content.size()) return {};
        pos += 7;
        while (pos < content.size() && IsSpace(content[pos]))
            ++pos;
        if (pos < content.size() && content[pos] == '=') break;
    }
    ++pos;
    while (pos < content.size() && IsSpace(content[pos]))
        ++pos;
    if (pos >= content.size()) return {};
    const char quote = content[pos];
    if (quote == '"' || quote == '\'') {
        const size_t close = content.find(quote, pos + 1);
        if (close == std::string_view::npos) return {};
        return content.substr(pos + 1, close - pos - 1);
    }
    const size_t start = pos;
    while (pos < content.size() && !IsSpace(content[pos]) && content[pos] != ';')
        ++pos;
    return content.substr(start, pos - start);
}

// The label the meta tag whose attributes start at s[pos] gives; pos ends past the tag.
std::string_view MetaTagLabel(std::string_view s, size_t& pos) {
    bool seenHttpEquiv = false, seenContent = false, seenCharset = false;
    bool pragma = false;
    std::string_view content, charset;
    // Only the first of a repeated attribute counts, as in a parsed tag.
    for (Attribute a; NextAttribute(s, pos, a);) {
        if (SameNoCase(a.name, "http-equiv") && !seenHttpEquiv) {
            seenHttpEquiv = true;
            pragma = SameNoCase(a.value, "content-type");
        } else if (SameNoCase(a.name, "content") && !seenContent) {
            seenContent = true;
            content = a.value;
        } else if (SameNoCase(a.name, "charset") && !seenCharset) {
            seenCharset = true;
            charset = a.value;
        }
    }
    if (!charset.empty()) return charset;
    if (pragma) return CharsetInContent(content);
    return {};
}

// The share of each letter а..я in Russian text, in tenths of a percent; ё after them.
constexpr std::array<int, 33> kRussianFrequency = {
    80, 16, 45, 17, 30, 85, 9,  16, 74, 12, 35, 44, 32, 67, 110, 28, 47,
    55, 63, 26, 3,  10, 5,  15, 7,  4,  1,  19, 17, 3,  6,  20,  2,
};

// What a character that fits text but says little about the charset earns: about what a
// letter of a wrong reading does, so that a page whose only high byte is a "©" or a dash is
// read as the most common page would be.
constexpr int kFittingScore = 15;
constexpr int kCaseChangePenalty = 100;
constexpr int kOddSymbolPenalty = 20;
constexpr int kGarbagePenalty = 200;

enum class LetterCase { None, Lower, Upper };

struct ByteScore {
    int score = 0;
    LetterCase letterCase = LetterCase::None;
};

// Ukrainian and Belarusian letters (a page in these charsets may be in either language), then
// the punctuation and signs of Russian text.
constexpr std::array<char16_t, 30> kFittingCharacters = {
    0x0404, 0x0406, 0x0407, 0x040E, 0x0454, 0x0456, 0x0457, 0x045E, 0x0490, 0x0491,
    0x00A0, 0x00A7, 0x00A9, 0x00AB, 0x00AE, 0x00B0, 0x00BB, 0x2013, 0x2014, 0x2018,
    0x2019, 0x201A, 0x201C, 0x201D, 0x201E, 0x2022, 0x2026, 0x20AC, 0x2116, 0x2122,
};

bool IsFitting(char32_t code) {
    return std::find(kFittingCharacters.begin(), kFittingCharacters.end(), code) !=
           kFittingCharacters.end();
}

// How much a character read from a high byte looks like part of Russian text.
ByteScore ScoreCharacter(char32_t code) {
    if (code >= 0x0430 && code <= 0x044F)
        return {kRussianFrequency[code - 0x0430], LetterCase::Lower};
    if (code == 0x0451) return {kRussianFrequency[32], LetterCase::Lower};
    if (code >= 0x0410 && code <= 0x042F)
        return {kRussianFrequency[code - 0x0410], LetterCase::Upper};
    if (code == 0x0401) return {kRussianFrequency[32], LetterCase::Upper};
    if (IsFitting(code)) return {kFittingScore};
    if (code >= 0x0400 && code <= 0x045F) return {};
    // Control characters and pseudographics do not occur in running text.
    if (code < 0xA0 || (code >= 0x2500 && code <= 0x25FF)) return {-kGarbagePenalty};
    return {-kOddSymbolPenalty};
}

// Counts of the high bytes of a sample, and of adjacent pairs of them.
struct HighByteCounts {
    std::array<uint32_t, 128> single{};
    std::vector<uint32_t> pairs = std::vector<uint32_t>(128 * 128);
};

int64_t ScoreAs(Charset charset, const HighByteCounts& counts) {
    // KOI8-U only adds letters where KOI8-R has box lines: read with it, a Ukrainian page in
    // KOI8 is not taken for Windows-1251.
    const Charset table = charset == Charset::Koi8R ? Charset::Koi8U : charset;
    std::array<ByteScore, 128> scores;
    for (int i = 0; i < 128; ++i)
        scores[i] =
            ScoreCharacter(SingleByteToUnicode(table, static_cast<unsigned char>(0x80 + i)));
    int64_t total = 0;
    for (int i = 0; i < 128; ++i)
        total += static_cast<int64_t>(counts.single[i]) * scores[i].score;
    // Words are capitalised at their start, not in their middle.
    for (int first = 0; first < 128; ++first) {
        if (scores[first].letterCase != LetterCase::Lower) continue;
        for (int second = 0; second < 128; ++second)
            if (scores[second].letterCase == LetterCase::Upper)
                total -=
                    static_cast<int64_t>(counts.pairs[first * 128 + second]) * kCaseChangePenalty;
    }
    return total;
}

// Whether bytes[begin, end) holds only valid UTF-8 sequences; the last may run past end.
bool IsStrictUtf8(std::string_view bytes, size_t begin, size_t end) {
    for (size_t pos = begin;;) {
        pos = AsciiEnd(bytes.data(), pos, end);
        if (pos >= end) return true;
        const size_t lead = pos;
        // NextUtf8 steps one byte only past a malformed sequence: U+FFFD itself takes three.
        if (NextUtf8(bytes, pos) == 0xFFFD && pos == lead + 1) return false;
    }
}

} // namespace

std::optional<Charset> CharsetEvidence::Chosen() const {
    if (bom) return bom;
    if (headerCharset) return headerCharset;
    if (metaCharset) return metaCharset;
    return guess;
}

bool CharsetEvidence::Conflict() const {
    std::optional<Charset> seen;
    for (const std::optional<Charset>& named : {bom, headerCharset, metaCharset}) {
        if (!named) continue;
        if (seen && *seen != *named) return true;
        seen = named;
    }
    return false;
}

std::vector<Charset> CharsetEvidence::Named() const {
    std::vector<Charset> named;
    for (const std::optional<Charset>& charset : {bom, headerCharset, metaCharset, guess})
        if (charset && std::find(named.begin(), named.end(), *charset) == named.end())
            named.push_back(*charset);
    return named;
}

CharsetEvidence GatherCharsetEvidence(std::string_view contentType, std::string_view bytes) {
    CharsetEvidence evidence;
    evidence.header = HeaderCharsetLabel(contentType);
    evidence.headerCharset = CharsetFromLabel(evidence.header);
    evidence.bom = ByteOrderMark(bytes);
    evidence.meta = MetaCharsetLabel(bytes);
    evidence.metaCharset = CharsetFromLabel(evidence.meta);
    // A meta the prescan could read as ASCII is not in UTF-16; such pages are UTF-8.
    if (evidence.metaCharset == Charset::Utf16LE || evidence.metaCharset == Charset::Utf16BE)
        evidence.metaCharset = Charset::Utf8;
    if (!evidence.bom && !evidence.headerCharset && !evidence.metaCharset)
        evidence.guess = GuessCharset(bytes);
    return evidence;
}

std::string HeaderCharsetLabel(std::string_view contentType) {
    // The media type itself has no quotes; parameters follow its first ";".
    size_t pos = contentType.find(';');
    while (pos < contentType.size()) {
        ++pos; // past the ";"
        const size_t nameEnd = contentType.find_first_of(";=", pos);
        if (nameEnd == std::string_view::npos) break;
        const std::string_view name = TrimSpaces(contentType.substr(pos, nameEnd - pos));
        pos = nameEnd;
        if (contentType[pos] == ';') continue;
        ++pos;
        while (pos < contentType.size() && (contentType[pos] == ' ' || contentType[pos] == '\t'))
            ++pos;
        std::string value;
        if (pos < contentType.size() && contentType[pos] == '"') {
            value = QuotedString(contentType, pos);
            pos = std::min(contentType.find(';', pos), contentType.size());
        } else {
            const size_t valueEnd = std::min(contentType.find(';', pos), contentType.size());
            value = TrimSpaces(contentType.substr(pos, valueEnd - pos));
            pos = valueEnd;
        }
        if (SameNoCase(name, "charset")) return value;
    }
    return {};
}

std::optional<Charset> ByteOrderMark(std::string_view bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF")) return Charset::Utf8;
    if (bytes.starts_with("\xFF\xFE")) return Charset::Utf16LE;
    if (bytes.starts_with("\xFE\xFF")) return Charset::Utf16BE;
    return std::nullopt;
}

std::string MetaCharsetLabel(std::string_view bytes) {
    const std::string_view s = bytes.substr(0, kPrescanLimit);
    size_t pos = 0;
    while ((pos = s.find('<', pos)) != std::string_view::npos) {
        if (HasWordAt(s, pos, "<!--")) {
            // "<!-->" is a whole comment.
            const size_t close = s.find("-->", pos + 2);
            if (close == std::string_view::npos) break;
            pos = close + 3;
        } else if (IsTagNamed(s, pos, "meta")) {
            pos += 5;
            const std::string_view label = MetaTagLabel(s, pos);
            if (!label.empty()) return std::string(label);
        } else if (IsTagNamed(s, pos, "body")) {
            break;
        } else if ((pos + 1 < s.size() && IsLetter(s[pos + 1])) ||
                   (pos + 2 < s.size() && s[pos + 1] == '/' && IsLetter(s[pos + 2]))) {
            // Another tag: its attributes are read so that a ">" or "<meta" in a quoted value
            // does not count.
            while (pos < s.size() && !IsSpace(s[pos]) && s[pos] != '>')
                ++pos;
            for (Attribute a; NextAttribute(s, pos, a);) {
            }
        } else if (pos + 1 < s.size() &&
                   (s[pos + 1] == '!' || s[pos + 1] == '/' || s[pos + 1] == '?')) {
            const size_t close = s.find('>', pos + 1);
            if (close == std::string_view::npos) break;
            pos = close + 1;
        } else {
            ++pos;
        }
    }
    return {};
}

std::optional<Charset> GuessCharset(std::string_view bytes) {
    const size_t begin = AsciiEnd(bytes.data(), 0, bytes.size());
    if (begin == bytes.size()) return std::nullopt;
    const size_t end = begin + std::min(kGuessLimit, bytes.size() - begin);
    if (IsStrictUtf8(bytes, begin, end)) return Charset::Utf8;

    HighByteCounts counts;
    int previous = -1; // the high byte just before, or -1
    for (size_t pos = begin; pos < end; ++pos) {
        const auto byte = static_cast<unsigned char>(bytes[pos]);
        if (byte < 0x80) {
            previous = -1;
            continue;
        }
        const int high = byte - 0x80;
        ++counts.single[high];
        if (previous >= 0) ++counts.pairs[previous * 128 + high];
        previous = high;
    }
    Charset best = Charset::Windows1251;
    int64_t bestScore = ScoreAs(best, counts);
    for (Charset candidate : {Charset::Koi8R, Charset::Cp866, Charset::Iso88595}) {
        const int64_t score = ScoreAs(candidate, counts);
        if (score > bestScore) {
            best = candidate;
            bestScore = score;
        }
    }
    return best;
}

} // namespace qm
