#pragma once
// What the server, the byte order mark and the page's own head say about a page's charset,
// and the charset to decode it with.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/charsets.h"

namespace qm {

struct CharsetEvidence {
    // The charset= label of the Content-Type header as written (unquoted); empty when none.
    std::string header;
    // Its charset; nullopt when absent or unknown.
    std::optional<Charset> headerCharset;
    // UTF-8 EF BB BF, UTF-16LE FF FE, UTF-16BE FE FF.
    std::optional<Charset> bom;
    // The label of the page's <meta charset> or <meta http-equiv="Content-Type"> as written.
    std::string meta;
    // Its charset; a UTF-16 label there means UTF-8, since the meta was readable as ASCII.
    std::optional<Charset> metaCharset;
    // Set only when the header, the mark and the meta give no known charset.
    std::optional<Charset> guess;

    // The charset to follow: the mark, then the header, then the meta, then the guess; nullopt
    // when nothing says anything (e.g. pure ASCII and nothing declared).
    std::optional<Charset> Chosen() const;
    // Two of the mark, the header and the meta name different known charsets.
    bool Conflict() const;
    // The distinct known charsets named, in the order mark, header, meta, guess.
    std::vector<Charset> Named() const;
};

// contentType: the Content-Type header value (may be empty). bytes: the page as received.
CharsetEvidence GatherCharsetEvidence(std::string_view contentType, std::string_view bytes);

// The "charset" parameter of a media type: the name in any case, the value quoted or not,
// spaces around "=" allowed; the first one wins. Empty when there is none.
std::string HeaderCharsetLabel(std::string_view contentType);

// The charset a byte order mark at the start names.
std::optional<Charset> ByteOrderMark(std::string_view bytes);

// The label of the first <meta charset=X> or <meta http-equiv="content-type" content="...;
// charset=X"> in the first 64 KiB, outside comments and before <body>. Empty when none. A tag
// cut by the end of those bytes gives nothing, since its label may be cut short.
std::string MetaCharsetLabel(std::string_view bytes);

// A guess from the bytes alone: nullopt for pure ASCII, Utf8 for valid UTF-8, otherwise the
// single-byte Cyrillic charset (Windows1251, Koi8R, Cp866, Iso88595) whose letters read most
// like Russian text. Judges at most 1 MiB, from the first byte above ASCII on.
std::optional<Charset> GuessCharset(std::string_view bytes);

} // namespace qm
