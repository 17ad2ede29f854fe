#include "tools/text_decoders.h"

#include <cstring>

#include "base/codepage.h"
#include "tools/source_decode.h"

namespace qm {
namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Value of count hexadecimal digits at text[pos], or -1 when they are not all there.
long HexNumber(std::string_view text, size_t pos, size_t count) {
    if (pos > text.size() || text.size() - pos < count) return -1;
    long value = 0;
    for (size_t i = 0; i < count; ++i) {
        int digit = HexValue(text[pos + i]);
        if (digit < 0) return -1;
        value = value * 16 + digit;
    }
    return value;
}

// Position of the next byte c at or after from, or text.size().
size_t FindByte(std::string_view text, size_t from, char c) {
    if (from >= text.size()) return text.size();
    const void* hit = std::memchr(text.data() + from, c, text.size() - from);
    return hit ? static_cast<const char*>(hit) - text.data() : text.size();
}

// A "%uHHHH" or "\uHHHH" escape: one UTF-16 code unit in Windows-1251. Surrogate halves are
// not combined; each has no Windows-1251 character.
void AppendCodeUnit(std::string& out, long unit) {
    if (unit == 0) return;
    int byte = UnicodeToCp1251(static_cast<char32_t>(unit));
    out.push_back(byte < 0 ? '?' : static_cast<char>(byte));
}

// The two UTF-8 bytes of a basic Cyrillic letter or Ё/ё, or false for any other code.
bool AppendCyrillicUtf8(std::string& out, long code) {
    if ((code >= 0x410 && code <= 0x43F) || code == 0x401) {
        out.push_back(static_cast<char>(0xD0));
        out.push_back(static_cast<char>((code - 0x410 + 0x90) & 0xFF));
        return true;
    }
    if ((code >= 0x440 && code <= 0x44F) || code == 0x451) {
        out.push_back(static_cast<char>(0xD1));
        out.push_back(static_cast<char>((code - 0x440 + 0x80) & 0xFF));
        return true;
    }
    return false;
}

} // namespace

std::string HTTPDecod(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    for (;;) {
        size_t percent = FindByte(text, i, '%');
        out.append(text.substr(i, percent - i));
        if (percent == text.size()) return out;
        i = percent;
        if (i + 1 < text.size() && text[i + 1] == '%') {
            out.push_back('%');
            i += 2;
        } else if (i + 1 < text.size() && (text[i + 1] == 'u' || text[i + 1] == 'U')) {
            long code = HexNumber(text, i + 2, 4);
            if (code < 0) return std::string(text);
            if (!AppendCyrillicUtf8(out, code)) {
                out.append("%u");
                out.append(text.substr(i + 2, 4));
            }
            i += 6;
        } else {
            long byte = HexNumber(text, i + 1, 2);
            if (byte < 0) return std::string(text);
            out.push_back(static_cast<char>(byte));
            i += 3;
        }
    }
}

std::string DecodeURL(std::string_view address, bool utf8Mode, UrlDecoding decoding) {
    std::string decoded = HTTPDecod(address);
    if (decoding == UrlDecoding::Raw || !utf8Mode) return decoded;
    bool errors = false;
    std::string converted = Utf8ToAnsi(decoded, &errors);
    return errors ? decoded : converted;
}

std::string ProcDecode(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    for (;;) {
        size_t percent = FindByte(text, i, '%');
        out.append(text.substr(i, percent - i));
        if (percent == text.size()) return out;
        i = percent;
        if (long byte = HexNumber(text, i + 1, 2); byte >= 0) {
            out.push_back(static_cast<char>(byte));
            i += 3;
        } else if (i + 1 < text.size() && (text[i + 1] == 'u' || text[i + 1] == 'U') &&
                   HexNumber(text, i + 2, 4) >= 0) {
            AppendCodeUnit(out, HexNumber(text, i + 2, 4));
            i += 6;
        } else {
            // The characters after a stray "%" are read again as ordinary text.
            out.push_back('%');
            i += 1;
        }
    }
}

std::string SlashDecode(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    for (;;) {
        size_t slash = FindByte(text, i, '\\');
        out.append(text.substr(i, slash - i));
        if (slash == text.size()) return out;
        i = slash;
        if (i + 1 == text.size()) {
            out.push_back('\\');
            return out;
        }
        const char next = text[i + 1];
        i += 2;
        switch (next) {
        case '\'':
        case '"':
        case '\\':
        case '/':
            out.push_back(next);
            break;
        case 'n':
            out.append("\r\n");
            break;
        case 't':
            out.push_back(' ');
            break;
        case 'r':
        case 'b':
        case 'f':
        case 'v':
            break;
        case 'x':
            if (long byte = HexNumber(text, i, 2); byte >= 0) {
                out.push_back(static_cast<char>(byte));
                i += 2;
            } else {
                out.append("\\x");
            }
            break;
        case 'u':
            if (long unit = HexNumber(text, i, 4); unit >= 0) {
                AppendCodeUnit(out, unit);
                i += 4;
            } else {
                out.append("\\u");
            }
            break;
        default:
            // Only the backslash is consumed; the next character is copied as text.
            out.push_back('\\');
            i -= 1;
            break;
        }
    }
}

std::string GetStringCodes(std::string_view text) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size() * 3);
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        bool plain = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                     (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' || byte == '_';
        if (plain) {
            out.push_back(c);
        } else {
            out.push_back('%');
            out.push_back(kDigits[byte >> 4]);
            out.push_back(kDigits[byte & 0x0F]);
        }
    }
    return out;
}

} // namespace qm
