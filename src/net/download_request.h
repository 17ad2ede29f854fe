#pragma once
// Pieces of an HTTP request as the downloader builds it from an address.

#include <string>
#include <string_view>

namespace qm {

// The host of an address split from a port written after it ("host:8080", "[::1]:8080").
struct HostAndPort {
    std::string name; // what the request connects to; an IPv6 address keeps its brackets
    int port = 0;     // 0 when the address names none
};

// A text after the last ":" that is not a port (1 to 65535) stays part of the name, so that
// the request fails on it rather than going somewhere else. An empty port ("host:") counts as
// none.
HostAndPort SplitHostPort(std::string_view hostPart);

enum class FormContentType { Omitted, Included };

// The request's header block: Referer (only when referer is not empty), Accept, Keep-Alive,
// Connection, a blank line, and Content-Type of a form body when included. Line breaks inside
// the Referer are dropped so that it cannot add header lines of its own.
std::string BuildHeaderBlock(std::string_view referer, FormContentType contentType);

// The text with every CR, LF and other control byte removed: a value for one header line.
std::string HeaderValue(std::string_view text);

// An address written as address + "??" + body is a POST of that body: when the query starts
// with "?", it is moved into body and the query is cleared. Returns whether it did.
bool TakePostFromQuery(std::string& query, std::string& body);

} // namespace qm
