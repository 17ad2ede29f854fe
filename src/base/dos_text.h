#pragma once
// Conversions between the program's Windows-1251 text and DOS 866: the whole-text conversions
// of the object info area (one byte in, one byte out) and the display conversion for the
// bitmap fonts, whose glyphs are indexed in DOS 866.

#include <string>
#include <string_view>

namespace qm {

// Windows-1251 to DOS 866 and back, byte for byte; the result has the length of the input.
// Characters both pages have keep their identity; the rest get a fixed look-alike (a letter
// without its diacritic, ASCII punctuation, "+", "-", "|" for box drawing, "?" otherwise).
std::string StrAnsiToOEM(std::string_view text);
std::string StrOEMtoAnsi(std::string_view text);

// Whether WinToDos writes "(C)", "(R)" and "..." for the copyright and registered signs and
// the ellipsis. Off keeps one output byte (at most) per input byte, as the hex view needs.
enum class DosSubstitution { Off, On };

// The bitmap fonts' conversion: Russian letters and the numero sign go to their DOS 866
// positions, some punctuation to ASCII look-alikes, other bytes below 0x80 pass and every
// other upper-half byte is dropped. The result may be shorter or longer than the input.
std::string WinToDos(std::string_view text, DosSubstitution substitute);

} // namespace qm
