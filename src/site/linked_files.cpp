#include "site/linked_files.h"

#include <algorithm>

#include "base/ascii_case.h"
#include "base/trim.h"
#include "net/file_name.h"
#include "net/link_test.h"
#include "net/save_files.h"
#include "net/url.h"

namespace qm {
namespace {

std::vector<std::string_view> Words(std::string_view text) {
    std::vector<std::string_view> words;
    while (!text.empty()) {
        const size_t comma = text.find(',');
        const std::string_view word = TrimBlanks(text.substr(0, comma));
        if (!word.empty()) words.push_back(word);
        text.remove_prefix(comma == std::string_view::npos ? text.size() : comma + 1);
    }
    return words;
}

// The extension of the address's last path segment, lower case; empty without one.
std::string ExtensionOf(std::string_view address) {
    const std::string path = SplitURL(address).PathPart;
    const std::string_view name = std::string_view(path).substr(path.rfind('/') + 1);
    const size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0) return {};
    std::string extension(name.substr(dot + 1));
    for (char& c : extension)
        c = AsciiLower(c);
    return extension;
}

} // namespace

bool ParseKinds(std::string_view words, LinkedFileFilter& filter) {
    filter.media = filter.linked = filter.link = false;
    const std::vector<std::string_view> kinds = Words(words);
    for (std::string_view kind : kinds) {
        if (kind == "media") filter.media = true;
        else if (kind == "linked") filter.linked = true;
        else if (kind == "link") filter.link = true;
        else return false;
    }
    return !kinds.empty();
}

std::vector<std::string> ParseExtensions(std::string_view words) {
    std::vector<std::string> extensions;
    for (std::string_view word : Words(words)) {
        if (word.front() == '.') word.remove_prefix(1);
        std::string extension(word);
        for (char& c : extension)
            c = AsciiLower(c);
        extensions.push_back(extension);
    }
    return extensions;
}

bool IsWanted(LinkBlockKind kind, std::string_view address, const LinkedFileFilter& filter) {
    const bool kindWanted = (kind == LinkBlockKind::Media && filter.media) ||
                            (kind == LinkBlockKind::LinkedFile && filter.linked) ||
                            (kind == LinkBlockKind::Link && filter.link);
    return kindWanted && IsWantedFile(address, filter);
}

bool IsWantedFile(std::string_view address, const LinkedFileFilter& filter) {
    if (KindOfAddress(address) != AddressKind::Web) return false;
    if (!filter.match.empty() && address.find(filter.match) == std::string_view::npos)
        return false;
    return filter.extensions.empty() ||
           std::find(filter.extensions.begin(), filter.extensions.end(), ExtensionOf(address)) !=
               filter.extensions.end();
}

std::string SavePath(const std::string& folder, std::string_view address,
                     std::string_view contentType, SaveLayout layout) {
    std::string path = folder;
    if (layout == SaveLayout::Mirror) {
        const UrlParts parts = SplitURL(address);
        path += FileSystemName(GetFileNameByURL(parts.HostPart)) + '/';
        std::string_view rest = parts.PathPart;
        // Every segment but the last is a folder; the last is the file, named below.
        for (size_t slash; (slash = rest.find('/')) != std::string_view::npos;) {
            const std::string_view segment = rest.substr(0, slash);
            rest.remove_prefix(slash + 1);
            if (TrimBlanks(segment).empty() || segment == "." || segment == "..") continue;
            path += FileSystemName(GetFileNameByURL(segment)) + '/';
        }
    }
    return path + SaveFileName(std::string(address), std::string(contentType));
}

} // namespace qm
