#include "app/file_io.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace qm {

std::string GetFileToString(const std::string& path) {
    std::string result;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return result;
    constexpr size_t kBlock = 100000;
    char buffer[kBlock];
    for (;;) {
        size_t got = std::fread(buffer, 1, kBlock, file);
        result.append(buffer, got);
        if (got < kBlock) break;
    }
    std::fclose(file);
    return result;
}

int CreateTemporaryBeside(const std::string& target, std::string& temporary) {
    namespace fs = std::filesystem;
    fs::path folder = fs::path(target).parent_path();
    temporary = (folder.empty() ? fs::path(".") : folder).string() + "/.quillmar-XXXXXX";
    int fd = ::mkstemp(temporary.data());
    if (fd < 0) temporary.clear();
    return fd;
}

bool WriteFileAtomically(const std::string& path, std::string_view data) {
    namespace fs = std::filesystem;
    std::error_code ec;
    std::string temporary;
    int fd = CreateTemporaryBeside(path, temporary);
    if (fd < 0) return false;
    bool ok = true;
    for (size_t done = 0; ok && done < data.size();) {
        ssize_t wrote = ::write(fd, data.data() + done, data.size() - done);
        if (wrote <= 0) ok = false;
        else done += static_cast<size_t>(wrote);
    }
    ok = ::fsync(fd) == 0 && ok;
    ok = ::close(fd) == 0 && ok;
    if (ok) {
        fs::permissions(temporary, fs::perms::owner_read | fs::perms::owner_write |
                                       fs::perms::group_read | fs::perms::others_read, ec);
        fs::rename(temporary, path, ec);
        ok = !ec;
    }
    if (!ok) fs::remove(temporary, ec);
    return ok;
}

bool FileExists(const std::string& path) {
    std::error_code ec;
    return !path.empty() && std::filesystem::is_regular_file(path, ec);
}

bool DirectoryExists(const std::string& path) {
    std::error_code ec;
    return !path.empty() && std::filesystem::is_directory(path, ec);
}

} // namespace qm
