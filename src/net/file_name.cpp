#include "net/file_name.h"

#include "base/ascii_case.h"
#include "net/mime.h"
#include "net/url.h"

namespace qm {
namespace {

constexpr size_t kMaxNameLength = 100;

bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

bool IsReplacedInName(char c) {
    // Control bytes are replaced too: a NUL would cut the name short when the file is opened,
    // and the others are not allowed in names on every file system.
    if (static_cast<unsigned char>(c) < ' ') return true;
    constexpr std::string_view kUnsafe = "/\\:*?\"<>|+%!@=";
    return kUnsafe.find(c) != std::string_view::npos;
}

} // namespace

std::string GetFileNameByURL(std::string_view address) {
    address = address.substr(0, address.find('?'));
    if (size_t slash = address.rfind('/'); slash != std::string_view::npos)
        address.remove_prefix(slash + 1);
    // Spaces and control bytes at the ends go; inner control bytes become "_" below.
    while (!address.empty() && IsBlank(address.front()))
        address.remove_prefix(1);
    while (!address.empty() && IsBlank(address.back()))
        address.remove_suffix(1);
    if (address.empty()) return "data";

    std::string name(address.substr(0, kMaxNameLength));
    for (char& c : name)
        if (IsReplacedInName(c)) c = '_';
    // "." and ".." name folders, not files.
    if (name == "." || name == "..") return "data";
    return name;
}

std::string CompleteExtension(std::string_view name, std::string_view contentType) {
    ExtensionList extensions = SplitExts(MimeToExt(contentType));
    std::string out(name);
    if (extensions.empty()) return out;
    for (const std::string& extension : extensions)
        if (EndsWithNoCase(name, "." + extension)) return out;
    out += '.';
    out += extensions.front();
    return out;
}

} // namespace qm
