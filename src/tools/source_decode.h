#pragma once
// Turns the fetched page bytes into the Windows-1251 text the view scans: the UTF-8
// conversion, HTML character references and the UTF-8 switch (F8).

#include <optional>
#include <string>
#include <string_view>

#include "tools/charset_evidence.h"

namespace qm {

struct BrowserState;

// Converts UTF-8 bytes to Windows-1251. Each invalid sequence becomes one "?" and decoding
// resumes at the byte after its lead byte; characters Windows-1251 lacks also become "?".
// The decoder is deliberately lax: overlong forms are accepted, a four-byte lead is read as a
// three-byte one and a stray continuation byte is read as a lead. Values are truncated to 16
// bits. When errors is given it receives the Utf8Errors flag: true exactly when at least one
// invalid sequence was replaced (unmappable characters do not count).
std::string Utf8ToAnsi(std::string_view bytes, bool* errors = nullptr);

// The text of the character reference whose name (the characters between "&" and ";") is
// given: a named reference (case-insensitive, except "prime" and "Prime"), "#" and a decimal
// number, or "#x" and a hexadecimal number. Unknown or malformed references give "?".
std::string AmpToStr(std::string_view name);

// DecodedSource := PageSource in the charset PageCharsetUsed names (with the decoding-error
// notice line in front when UTF-8 bytes were not valid), and with PageReport and the charset
// line in front when they are shown. With the UTF-8 switch alone and no report this is
// PageSource, converted from UTF-8 when the switch is on.
void DecodeSite(BrowserState& state);

// The page's text as DecodeSite makes it, without the report, the charset line and the notice.
std::string DecodePageText(const BrowserState& state);

// Copies what decides how a page is decoded (not the page itself) to another state.
void CopyPageDecoding(const BrowserState& from, BrowserState& to);

// What the header, the byte-order mark, the meta tags and the bytes of the page say.
CharsetEvidence PageCharsetEvidence(const BrowserState& state);
// The charset the view decodes the page with: the one chosen for the page, else the one the
// command line names, else, when the page's charset is followed, the one the evidence points
// to, else the UTF-8 switch's. evidence may be null when the page's charset is not followed.
Charset PageCharsetUsed(const BrowserState& state, const CharsetEvidence* evidence);
// The charset line shows after a request report, and above a local page when the page's
// charset is followed.
bool ShowsCharsetLine(const BrowserState& state);
// The line as markup: what each source names, conflicts, and the charset shown, then a link
// for each other charset named, whose click decodes the page with it.
std::string CharsetReportLine(const CharsetEvidence& evidence, Charset used, int languageIndex);

// The address of those links, and the charset such an address names.
inline constexpr std::string_view kCharsetAddress = "about:charset?";
std::optional<Charset> CharsetOfAddress(std::string_view address);
// A click on a link of the charset line: the page is to be decoded in the charset the address
// names. False when it names none.
bool ChoosePageCharset(BrowserState& state, std::string_view address);
// Shift+F8: the page is to be decoded in NextPageCharset; false when there is none.
bool ChooseNextPageCharset(BrowserState& state);
// The switch "Follow the page's charset"; a charset chosen for the page gives way to it.
void SwitchFollowPageCharset(BrowserState& state);

// Shift+F8: the charset the evidence points to when the view shows another, else the next one
// the page names after the one shown; nullopt when the page names no other.
std::optional<Charset> NextPageCharset(const BrowserState& state);

// The need-decode flag: set by PrepareSite and by the HTML view command, cleared by the
// prepare pass (which then decodes) and by the text and hex view builders.
struct SourceDecodeState {
    bool NeedDecode = false;
};

// The flag part of PrepareSite; the caller then requests the prepare and mark passes.
void RequestDecode(SourceDecodeState& decode);

// The prepare pass's decoding step: runs DecodeSite and clears the flag when it is set.
// Returns whether it decoded.
bool DecodeSiteIfNeeded(BrowserState& state, SourceDecodeState& decode);

// F8: flips the UTF-8 switch and returns its new state; the page's own choice of charset
// gives way to it.
bool ToggleUtf8Decoding(BrowserState& state);

// Caption of the UTF-8 pop-up menu item: "UTF8: on" / "UTF8: off" in the given language.
std::string Utf8MenuCaption(bool utf8On, int languageIndex);

} // namespace qm
