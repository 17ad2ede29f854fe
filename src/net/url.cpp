#include "net/url.h"

#include "base/ascii_case.h"
#include "base/codepage.h"

namespace qm {
namespace {

constexpr size_t npos = std::string_view::npos;

// Offset just after "://" when the scheme is one that has a domain and folders, else npos.
size_t KnownSchemeEnd(std::string_view address) {
    size_t separator = address.find("://");
    if (separator == npos) return npos;
    std::string_view word = address.substr(0, separator);
    if (EqualsNoCase(word, "HTTP") || EqualsNoCase(word, "HTTPS") || EqualsNoCase(word, "FILE"))
        return separator + 3;
    return npos;
}

bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

bool IsAbsoluteLink(std::string_view link) {
    size_t first = 0;
    while (first < link.size() && IsBlank(link[first]))
        ++first;
    link.remove_prefix(first);
    return StartsWithNoCase(link, "HTTP://") || StartsWithNoCase(link, "HTTPS://") ||
           StartsWithNoCase(link, "FILE://");
}

// Drops "." segments and lets ".." remove the segment before it, but never the scheme, the
// empty segment between the two slashes or the host. The last segment is kept as written.
std::string NormaliseSegments(std::string_view text) {
    std::vector<std::string_view> segments;
    size_t pos = 0;
    for (size_t slash = text.find('/'); slash != npos; slash = text.find('/', pos)) {
        std::string_view segment = text.substr(pos, slash - pos);
        pos = slash + 1;
        if (segment == "..") {
            if (segments.size() > 3) segments.pop_back();
        } else if (segment != ".") {
            segments.push_back(segment);
        }
    }
    segments.push_back(text.substr(pos));

    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < segments.size(); ++i) {
        if (i > 0) out.push_back('/');
        out.append(segments[i]);
    }
    return out;
}

// A raw space, CR or LF on the request line would end the target or inject header lines, and
// bytes above 0x7F are not allowed there: servers read them in their own ways, so they go as
// percent codes of the same bytes.
void AppendForRequestLine(std::string& out, std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        if (byte <= ' ' || byte >= 0x7F) {
            out.push_back('%');
            out.push_back(kHex[byte >> 4]);
            out.push_back(kHex[byte & 15]);
        } else {
            out.push_back(c);
        }
    }
}

} // namespace

UrlParts SplitURL(std::string_view address) {
    UrlParts parts;
    std::string_view rest = address;
    if (size_t hash = rest.find('#'); hash != npos) {
        parts.FragmentPart = rest.substr(hash + 1);
        rest = rest.substr(0, hash);
    }
    if (size_t separator = rest.find("://"); separator != npos) {
        parts.SchemePart = AsciiUpper(rest.substr(0, separator + 3));
        rest.remove_prefix(separator + 3);
    }
    // Without a "/" the host ends at the query: http://host?a=1.
    size_t hostEnd = rest.find('/');
    if (hostEnd == npos) hostEnd = rest.find('?');
    if (hostEnd == npos) {
        parts.HostPart = rest;
        return parts;
    }
    parts.HostPart = rest.substr(0, hostEnd);
    std::string_view tail = rest.substr(hostEnd);
    size_t query = tail.find('?');
    parts.PathPart = tail.substr(0, query);
    if (query != npos) parts.QueryPart = tail.substr(query + 1);
    return parts;
}

std::string PathAndPars(const UrlParts& parts) {
    std::string out;
    AppendForRequestLine(out, Cp1251ToUtf8(parts.PathPart));
    if (!parts.QueryPart.empty()) {
        out.push_back('?');
        AppendForRequestLine(out, parts.QueryPart);
    }
    return out;
}

std::string GetCurDomain(std::string_view address) {
    size_t rest = KnownSchemeEnd(address);
    if (rest == npos) return {};
    return std::string(address.substr(0, address.find('/', rest)));
}

std::string GetCurDomainPath(std::string_view address) {
    size_t rest = KnownSchemeEnd(address);
    if (rest == npos) return {};
    size_t slash = address.rfind('/');
    if (slash == npos || slash < rest) return std::string(address);
    return std::string(address.substr(0, slash));
}

std::string AddDomain(std::string_view base, std::string_view link) {
    if (StartsWithNoCase(link, "DATA:")) return std::string(link);

    std::string combined;
    if (IsAbsoluteLink(link)) {
        combined = link;
    } else if (link.starts_with("//")) {
        // Protocol-relative links always get http:, whatever the base's scheme.
        combined = "http:";
        combined += link;
    } else if (link.starts_with('/')) {
        combined = GetCurDomain(base);
        combined += link;
    } else {
        combined = GetCurDomainPath(base);
        combined += '/';
        combined += link;
    }
    return NormaliseSegments(combined);
}

std::string_view LinkScheme(std::string_view link) {
    while (!link.empty() && IsBlank(link.front()))
        link.remove_prefix(1);
    auto isLetter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    if (link.empty() || !isLetter(link.front())) return {};
    for (size_t i = 1; i < link.size(); ++i) {
        char c = link[i];
        if (c == ':') return link.substr(0, i);
        if (!isLetter(c) && !(c >= '0' && c <= '9') && c != '+' && c != '-' && c != '.') break;
    }
    return {};
}

ExtensionList SplitExts(std::string_view text) {
    ExtensionList list;
    size_t pos = 0;
    for (size_t bar = text.find('|'); bar != npos; bar = text.find('|', pos)) {
        list.emplace_back(text.substr(pos, bar - pos));
        pos = bar + 1;
    }
    if (pos < text.size()) list.emplace_back(text.substr(pos));
    return list;
}

} // namespace qm
