#pragma once
// Turns the fetched page bytes into the Windows-1251 text the view scans: the UTF-8
// conversion, HTML character references and the UTF-8 switch (F8).

#include <string>
#include <string_view>

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

// DecodedSource := PageSource, converted from UTF-8 when state.Utf8Decoding is on (with the
// decoding-error notice line in front when the bytes were not valid UTF-8), and with
// PageReport in front when it is not empty.
void DecodeSite(BrowserState& state);

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

// F8: flips the UTF-8 switch and returns its new state.
bool ToggleUtf8Decoding(BrowserState& state);

// Caption of the UTF-8 pop-up menu item: "UTF8: on" / "UTF8: off" in the given language.
std::string Utf8MenuCaption(bool utf8On, int languageIndex);

} // namespace qm
