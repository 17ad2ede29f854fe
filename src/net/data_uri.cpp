#include "net/data_uri.h"

#include <array>

#include "base/ansi_case.h"
#include "base/codepage.h"
#include "base/file_io.h"
#include "base/interfaces.h"
#include "net/file_name.h"
#include "net/mime.h"
#include "net/staged_file.h"
#include "state/ui_strings.h"
#include "tools/text_decoders.h"

namespace qm {
namespace {

constexpr std::string_view kBase64Alphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Index of every byte in the alphabet, -1 for bytes outside it.
constexpr std::array<signed char, 256> MakeBase64Index() {
    std::array<signed char, 256> index{};
    for (auto& entry : index)
        entry = -1;
    for (size_t i = 0; i < kBase64Alphabet.size(); ++i)
        index[static_cast<unsigned char>(kBase64Alphabet[i])] = static_cast<signed char>(i);
    return index;
}

constexpr std::array<signed char, 256> kBase64Index = MakeBase64Index();

constexpr int kUiSaveDataTitle = 150;
constexpr int kUiAllFilesFilter = 44;
constexpr int kUiCannotCreateFile = 257;

bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

} // namespace

void DecodeB64(std::string_view text, std::string& out) {
    out.reserve(out.size() + text.size() / 4 * 3 + 3);
    // Invariant: bits holds the count of undelivered low bits of accumulator (always < 8).
    unsigned accumulator = 0;
    int bits = 0;
    for (char c : text) {
        int index = kBase64Index[static_cast<unsigned char>(c)];
        if (index < 0) break;
        accumulator = (accumulator << 6) | static_cast<unsigned>(index);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out.push_back(static_cast<char>((accumulator >> bits) & 0xFF));
            accumulator &= (1u << bits) - 1;
        }
    }
}

std::string GetDataType(std::string_view uri) {
    while (!uri.empty() && IsBlank(uri.front()))
        uri.remove_prefix(1);
    if (uri.size() < 5 || AnsiUpperCase(uri.substr(0, 5)) != "DATA:") return {};
    size_t comma = uri.find(',');
    if (comma == std::string_view::npos) return {};
    std::string_view type = uri.substr(5, comma - 5);
    return std::string(type.substr(0, type.find(';')));
}

std::string DataPayload(std::string_view uri) {
    if (uri.empty()) uri = " ";
    std::string upper = AnsiUpperCase(uri);
    constexpr std::string_view kMarker = "BASE64,";
    if (size_t marker = upper.find(kMarker); marker != std::string::npos) {
        std::string payload;
        DecodeB64(uri.substr(marker + kMarker.size()), payload);
        return payload;
    }
    if (size_t comma = uri.find(','); comma != std::string_view::npos)
        return ProcDecode(uri.substr(comma + 1));
    return " ";
}

std::string DataFileName(std::string_view uri) {
    std::string type = GetDataType(uri);
    std::string extensions = MimeToExt(type);
    std::string extension = extensions.substr(0, extensions.find('|'));
    std::string name = GetFileNameByURL(type.empty() ? "datafile" : type);
    return extension.empty() ? name : name + "." + extension;
}

std::optional<std::string> DoSaveData64(std::string_view linkedField, const std::string& folder,
                                        Dialogs& dialogs, int languageIndex,
                                        const std::string& dialogFolder) {
    const std::string name = FileSystemName(DataFileName(linkedField));
    const auto cannotCreate = [&](const std::string& path) {
        return DataSaveError(UiString(kUiCannotCreateFile, languageIndex) + Utf8ToCp1251(path));
    };
    if (!folder.empty()) {
        // Without a dialog nobody was asked about an older file of that name: it stays.
        const std::string path = JoinPath(folder, name);
        std::optional<std::string> written = WriteNewFile(path, DataPayload(linkedField));
        if (!written) throw cannotCreate(path);
        return written;
    }
    std::string path = dialogs.AskSaveFile(
        UiString(kUiSaveDataTitle, languageIndex), UiString(kUiAllFilesFilter, languageIndex),
        dialogFolder.empty() ? name : JoinPath(dialogFolder, name));
    if (path.empty()) return std::nullopt;
    if (!WriteFileAtomically(path, DataPayload(linkedField))) throw cannotCreate(path);
    return path;
}

} // namespace qm
