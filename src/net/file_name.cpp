#include "net/file_name.h"

#include "base/ascii_case.h"
#include "base/codepage.h"
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

// The longest start of text of at most size bytes that ends at a character boundary.
std::string_view Utf8Prefix(std::string_view text, size_t size) {
    if (text.size() <= size) return text;
    while (size > 0 && (static_cast<unsigned char>(text[size]) & 0xC0) == 0x80)
        --size;
    return text.substr(0, size);
}

// Where the extension starts: at the last ".", unless that begins the name (".hidden").
size_t ExtensionStart(std::string_view name) {
    size_t dot = name.rfind('.');
    return dot == std::string_view::npos || dot == 0 ? name.size() : dot;
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

std::string NumberedFileName(std::string_view name, int number, size_t limit) {
    const std::string suffix = number > 1 ? " (" + std::to_string(number) + ")" : "";
    const size_t dot = ExtensionStart(name);
    const std::string_view stem = name.substr(0, dot), extension = name.substr(dot);
    if (suffix.size() + extension.size() < limit) {
        std::string_view kept = Utf8Prefix(stem, limit - suffix.size() - extension.size());
        if (!kept.empty()) return std::string(kept) + suffix + std::string(extension);
    }
    // An extension that leaves no room for the rest is no extension worth keeping.
    return std::string(Utf8Prefix(name, limit - suffix.size())) + suffix;
}

std::string FileSystemName(std::string_view name, size_t limit) {
    return NumberedFileName(Cp1251ToUtf8(name), 1, limit);
}

} // namespace qm
