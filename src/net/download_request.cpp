#include "net/download_request.h"

namespace qm {
namespace {

// "8080" -> 8080; anything that is not 1 to 65535 written in decimal digits -> 0.
int ParsePort(std::string_view digits) {
    if (digits.empty() || digits.size() > 5) return 0;
    int port = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return 0;
        port = port * 10 + (c - '0');
    }
    return port <= 65535 ? port : 0;
}

} // namespace

HostAndPort SplitHostPort(std::string_view hostPart) {
    HostAndPort result{std::string(hostPart), 0};
    size_t nameEnd = std::string_view::npos;
    if (hostPart.starts_with('[')) {
        size_t close = hostPart.find(']');
        if (close == std::string_view::npos || close + 1 == hostPart.size()) return result;
        if (hostPart[close + 1] != ':') return result;
        nameEnd = close + 1;
    } else {
        nameEnd = hostPart.find(':');
        if (nameEnd == std::string_view::npos) return result;
        // A second colon means an IPv6 address without brackets: no port can be told apart.
        if (hostPart.find(':', nameEnd + 1) != std::string_view::npos) return result;
    }
    std::string_view port = hostPart.substr(nameEnd + 1);
    if (port.empty()) {
        result.name = hostPart.substr(0, nameEnd);
        return result;
    }
    if (int number = ParsePort(port); number > 0) {
        result.name = hostPart.substr(0, nameEnd);
        result.port = number;
    }
    return result;
}

std::string HeaderValue(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (static_cast<unsigned char>(c) >= ' ' && c != 0x7F) out.push_back(c);
    return out;
}

std::string BuildHeaderBlock(std::string_view referer, FormContentType contentType) {
    std::string block;
    if (!referer.empty()) block += "Referer: " + HeaderValue(referer) + "\r\n";
    block += "Accept: text/html,*/*;q=0.9\r\n";
    block += "Keep-Alive: 300\r\n";
    block += "Connection: keep-alive\r\n\r\n";
    if (contentType == FormContentType::Included)
        block += "Content-Type: application/x-www-form-urlencoded\r\n";
    return block;
}

bool TakePostFromQuery(std::string& query, std::string& body) {
    if (!query.starts_with('?')) return false;
    body = query.substr(1);
    query.clear();
    return true;
}

} // namespace qm
