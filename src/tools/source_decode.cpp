#include "tools/source_decode.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "state/browser_state.h"
#include "state/ui_strings.h"
#include "base/ascii_run.h"
#include "base/ascii_case.h"
#include "base/codepage.h"
#include "tools/charsets.h"
#include "tools/markup_escape.h"

namespace qm {
namespace {

constexpr int kUiDecodingError = 12;
constexpr int kUiCharsetChoice = 351;
constexpr int kUiOff = 187;
constexpr int kUiOn = 188;

unsigned char ByteAt(std::string_view s, size_t i) {
    return static_cast<unsigned char>(s[i]);
}

bool IsContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// Reads the sequence whose lead byte (top bit set) is at s[lead]. Returns its length and the
// 16-bit unit, or 0 when the sequence is invalid. Every index is checked against the end
// before it is read, so truncated input cannot run past it.
size_t ReadLaxSequence(std::string_view s, size_t lead, char16_t& unit) {
    const size_t size = s.size();
    size_t next = lead + 1;
    if (next >= size) return 0;
    const unsigned char first = ByteAt(s, lead);
    uint32_t code = first & 0x3F;
    if (first & 0x20) {
        if (!IsContinuation(ByteAt(s, next)) || next + 1 >= size) return 0;
        code = (code << 6) | (ByteAt(s, next) & 0x3F);
        ++next;
    }
    if (!IsContinuation(ByteAt(s, next))) return 0;
    code = (code << 6) | (ByteAt(s, next) & 0x3F);
    unit = static_cast<char16_t>(code);
    return next + 1 - lead;
}

char UnitToAnsi(char16_t unit) {
    const int byte = UnicodeToCp1251(unit);
    return byte < 0 ? '?' : static_cast<char>(byte);
}

// Spaces and control characters, as trimmed around a reference name.
bool IsTrimmed(unsigned char c) {
    return c <= 0x20;
}

std::string_view Trim(std::string_view s) {
    size_t begin = 0;
    size_t end = s.size();
    while (begin < end && IsTrimmed(ByteAt(s, begin)))
        ++begin;
    while (end > begin && IsTrimmed(ByteAt(s, end - 1)))
        --end;
    return s.substr(begin, end - begin);
}

std::string UpperAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

int DigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return 99;
}

// Unsigned number in the given base; false when empty, not all digits, or above the range of
// a 32-bit integer (such a number would not parse as one).
bool ParseNumber(std::string_view digits, int base, uint32_t& value) {
    if (digits.empty()) return false;
    uint64_t n = 0;
    for (char c : digits) {
        const int d = DigitValue(c);
        if (d >= base) return false;
        n = n * base + d;
        if (n > 0x7FFFFFFF) return false;
    }
    value = static_cast<uint32_t>(n);
    return true;
}

enum class NameMatch { Upper, ExactCase };

struct ReferenceRow {
    std::string_view name; // empty: the row matches by code only
    uint32_t code;
    uint32_t altCode; // 0 when the row has one code
    std::string_view text;
    NameMatch match = NameMatch::Upper;
};

constexpr std::array<ReferenceRow, 43> kReferences = {{
    {"", 769, 0, ""},
    {"SHY", 173, 0, ""},
    {"NBSP", 160, 0, " "},
    {"ENSP", 8194, 0, " "},
    {"EMSP", 8195, 0, "  "},
    {"NDASH", 8211, 0, "-"},
    {"MDASH", 8212, 0, "--"},
    {"TIMES", 215, 0, "*"},
    {"DIVIDE", 247, 0, "/"},
    {"LT", 60, 0, "<"},
    {"GT", 62, 0, ">"},
    {"PLUSMN", 177, 0, "\xB1"},
    {"SUP1", 185, 0, "^1"},
    {"SUP2", 178, 0, "^2"},
    {"SUP3", 179, 0, "^3"},
    {"NOT", 172, 0, "\xAC"},
    {"FRAC14", 188, 0, "1/4 "},
    {"FRAC12", 189, 0, "1/2 "},
    {"FRAC34", 190, 0, "3/4 "},
    {"FRASL", 8260, 0, "/"},
    {"MINUS", 8722, 0, "-"},
    {"LE", 8804, 0, "<="},
    {"GE", 8805, 0, ">="},
    {"QUOT", 34, 0, "\""},
    {"APOS", 39, 0, "'"},
    {"AMP", 38, 0, "&"},
    {"LAQUO", 171, 0, "\xAB"},
    {"RAQUO", 187, 0, "\xBB"},
    {"prime", 8242, 0, "'", NameMatch::ExactCase},
    {"Prime", 8243, 0, "''", NameMatch::ExactCase},
    {"LSQUO", 8216, 0, "`"},
    {"RSQUO", 8217, 0, "'"},
    {"LDQUO", 8220, 8221, "\""},
    {"RDQUO", 8222, 0, "\""},
    {"EURO", 8364, 0, "EUR"},
    {"CENT", 162, 0, "CENT"},
    {"POUND", 163, 0, "POUND"},
    {"CURREN", 164, 0, "\xA4"},
    {"YEN", 165, 0, "YEN"},
    {"FNOF", 402, 0, "FLORIN"},
    {"COPY", 169, 0, "\xA9"},
    {"REG", 174, 0, "\xAE"},
    {"", 8381, 0, "RUB"},
}};

// The numeric rules that come before the table. Returns true when the Cyrillic rules decided
// and the table is not consulted; ASCII codes go on to the table, which agrees with them.
bool DecodeDirectCode(uint32_t code, std::string& result) {
    if (code >= 32 && code <= 127) {
        result.assign(1, static_cast<char>(code));
        return false;
    }
    if (code >= 1040 && code <= 1103) {
        result.assign(1, static_cast<char>(code - 848));
        return true;
    }
    if (code == 1025 || code == 1105) {
        result.assign(1, code == 1025 ? '\xA8' : '\xB8');
        return true;
    }
    return false;
}

} // namespace

std::string Utf8ToAnsi(std::string_view bytes, bool* errors) {
    bool invalid = false;
    std::string out;
    out.reserve(bytes.size());
    size_t pos = 0;
    while (pos < bytes.size()) {
        const size_t asciiEnd = AsciiEnd(bytes.data(), pos, bytes.size());
        out.append(bytes.data() + pos, asciiEnd - pos);
        pos = asciiEnd;
        if (pos == bytes.size()) break;
        char16_t unit = 0;
        const size_t length = ReadLaxSequence(bytes, pos, unit);
        if (length == 0) {
            // Resume right after the lead byte, so one bad byte costs one "?".
            out.push_back('?');
            invalid = true;
            ++pos;
        } else {
            out.push_back(UnitToAnsi(unit));
            pos += length;
        }
    }
    if (errors) *errors = invalid;
    return out;
}

std::string AmpToStr(std::string_view name) {
    const std::string_view trimmed = Trim(name);
    const std::string upper = UpperAscii(trimmed);
    std::string result = "?";

    bool numeric = false;
    uint32_t code = 0;
    if (!upper.empty() && upper[0] == '#') {
        std::string_view number = std::string_view(upper).substr(1);
        int base = 10;
        if (!number.empty() && number[0] == 'X') {
            number.remove_prefix(1);
            base = 16;
        }
        numeric = ParseNumber(number, base, code);
        if (!numeric) return result;
        if (DecodeDirectCode(code, result)) return result;
    }

    for (const ReferenceRow& row : kReferences) {
        bool match = false;
        if (numeric)
            match = code == row.code || (row.altCode != 0 && code == row.altCode);
        else if (!row.name.empty())
            match = row.name == (row.match == NameMatch::ExactCase ? trimmed : upper);
        if (match) result = row.text;
    }
    return result;
}

namespace {

// The evidence, when the page's charset is followed or its line is shown.
std::optional<CharsetEvidence> EvidenceIfNeeded(const BrowserState& state) {
    if (!ShowsCharsetLine(state) && !state.FollowPageCharset) return std::nullopt;
    return PageCharsetEvidence(state);
}

// Whether the charset is the UTF-8 switch's alone, which decodes exactly as it always has.
bool BySwitch(const BrowserState& state, const CharsetEvidence* evidence) {
    return !state.PageCharset && !state.ForcedCharset &&
           !(state.FollowPageCharset && evidence && evidence->Chosen());
}

std::string DecodeWith(const BrowserState& state, const CharsetEvidence* evidence, bool* errors) {
    const Charset used = PageCharsetUsed(state, evidence);
    if (used == Charset::Utf8 && BySwitch(state, evidence))
        return Utf8ToAnsi(state.PageSource, errors);
    if (used == Charset::Windows1251) return state.PageSource;
    return DecodeToCp1251(state.PageSource, used, errors);
}

std::string NamedBy(const std::string& label, std::optional<Charset> charset, int language) {
    return charset ? std::string(NameOfCharset(*charset)) : label + UiString(333, language);
}

} // namespace

void DecodeSite(BrowserState& state) {
    // The text of the last decoding goes first, so that a long page is not held three times.
    std::string().swap(state.DecodedSource);
    std::string& decoded = state.DecodedSource;
    const std::optional<CharsetEvidence> evidence = EvidenceIfNeeded(state);
    const CharsetEvidence* known = evidence ? &*evidence : nullptr;
    std::string head = state.PageReport;
    if (ShowsCharsetLine(state)) {
        // A failed request's report ends without a break.
        if (!head.empty() && !head.ends_with("<br>")) head += "<br>";
        head += CharsetReportLine(*evidence, PageCharsetUsed(state, known), state.LanguageIndex);
    }
    if (PageCharsetUsed(state, known) == Charset::Windows1251) {
        decoded.reserve(head.size() + state.PageSource.size());
        decoded += head;
        decoded += state.PageSource;
        return;
    }
    bool errors = false;
    std::string text = DecodeWith(state, known, &errors);
    if (!errors && head.empty()) {
        decoded = std::move(text);
        return;
    }
    decoded = std::move(head);
    if (errors && PageCharsetUsed(state, known) == Charset::Utf8) {
        decoded += UiString(kUiDecodingError, state.LanguageIndex);
        decoded += "<br>";
    }
    decoded += text;
}

std::string DecodePageText(const BrowserState& state) {
    const std::optional<CharsetEvidence> evidence =
        state.FollowPageCharset ? std::optional(PageCharsetEvidence(state)) : std::nullopt;
    return DecodeWith(state, evidence ? &*evidence : nullptr, nullptr);
}

CharsetEvidence PageCharsetEvidence(const BrowserState& state) {
    return GatherCharsetEvidence(state.PageContentType, state.PageSource);
}

Charset PageCharsetUsed(const BrowserState& state, const CharsetEvidence* evidence) {
    if (state.PageCharset) return *state.PageCharset;
    if (state.ForcedCharset) return *state.ForcedCharset;
    if (state.FollowPageCharset && evidence)
        if (const std::optional<Charset> chosen = evidence->Chosen()) return *chosen;
    return state.Utf8Decoding ? Charset::Utf8 : Charset::Windows1251;
}

bool ShowsCharsetLine(const BrowserState& state) {
    return !state.PageSource.empty() &&
           (!state.PageReport.empty() ||
            (state.FollowPageCharset && !state.DefaultPageTitle.empty()));
}

std::string CharsetReportLine(const CharsetEvidence& evidence, Charset used, int language) {
    auto ui = [language](int index) -> const std::string& { return UiString(index, language); };
    std::vector<std::string> said;
    if (evidence.bom) said.push_back(ui(327) + std::string(NameOfCharset(*evidence.bom)));
    if (!evidence.header.empty())
        said.push_back(ui(326) + NamedBy(EscapeMarkup(evidence.header), evidence.headerCharset, language));
    if (!evidence.meta.empty())
        said.push_back(ui(328) + NamedBy(EscapeMarkup(evidence.meta), evidence.metaCharset, language));
    std::string line = ui(325);
    if (said.empty()) said.push_back(ui(329));
    for (size_t i = 0; i < said.size(); ++i)
        line += (i ? ", " : "") + said[i];
    if (evidence.guess) line += ", " + ui(330) + std::string(NameOfCharset(*evidence.guess));
    if (evidence.Conflict()) line += ui(331);
    line += ui(332) + std::string(NameOfCharset(used)) + "<br>";
    for (const Charset other : evidence.Named())
        if (other != used)
            line += "<a href=\"" + std::string(kCharsetAddress) + std::string(NameOfCharset(other)) +
                    "\"></a><br>";
    return line;
}

std::optional<Charset> CharsetOfAddress(std::string_view address) {
    if (address.size() < kCharsetAddress.size() ||
        !EqualsNoCase(address.substr(0, kCharsetAddress.size()), kCharsetAddress))
        return std::nullopt;
    return CharsetFromLabel(address.substr(kCharsetAddress.size()));
}

bool ChoosePageCharset(BrowserState& state, std::string_view address) {
    const std::optional<Charset> charset = CharsetOfAddress(address);
    if (charset) state.PageCharset = charset;
    if (charset) state.Recorder.Skip(kUiCharsetChoice);
    return charset.has_value();
}

bool ChooseNextPageCharset(BrowserState& state) {
    const std::optional<Charset> next = NextPageCharset(state);
    if (next) state.PageCharset = next;
    if (next) state.Recorder.Skip(kUiCharsetChoice);
    return next.has_value();
}

void SwitchFollowPageCharset(BrowserState& state) {
    state.FollowPageCharset = !state.FollowPageCharset;
    state.PageCharset.reset();
    state.Recorder.Skip(kUiCharsetChoice);
}

std::optional<Charset> NextPageCharset(const BrowserState& state) {
    const CharsetEvidence evidence = PageCharsetEvidence(state);
    const Charset used = PageCharsetUsed(state, state.FollowPageCharset ? &evidence : nullptr);
    if (const std::optional<Charset> chosen = evidence.Chosen(); chosen && *chosen != used)
        return chosen;
    const std::vector<Charset> named = evidence.Named();
    const auto at = std::find(named.begin(), named.end(), used);
    for (size_t step = 1; step <= named.size(); ++step) {
        const size_t index =
            at == named.end() ? step - 1 : (static_cast<size_t>(at - named.begin()) + step) % named.size();
        if (named[index] != used) return named[index];
    }
    return std::nullopt;
}

void CopyPageDecoding(const BrowserState& from, BrowserState& to) {
    to.Utf8Decoding = from.Utf8Decoding;
    to.LanguageIndex = from.LanguageIndex;
    to.FollowPageCharset = from.FollowPageCharset;
    to.ForcedCharset = from.ForcedCharset;
    to.PageCharset = from.PageCharset;
    to.PageContentType = from.PageContentType;
}

void RequestDecode(SourceDecodeState& decode) {
    decode.NeedDecode = true;
}

bool DecodeSiteIfNeeded(BrowserState& state, SourceDecodeState& decode) {
    if (!decode.NeedDecode) return false;
    decode.NeedDecode = false;
    DecodeSite(state);
    return true;
}

bool ToggleUtf8Decoding(BrowserState& state) {
    state.PageCharset.reset();
    state.Utf8Decoding = !state.Utf8Decoding;
    return state.Utf8Decoding;
}

std::string Utf8MenuCaption(bool utf8On, int languageIndex) {
    return "UTF8" + UiString(utf8On ? kUiOn : kUiOff, languageIndex);
}

} // namespace qm
