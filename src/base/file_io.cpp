#include "base/file_io.h"

#include <cstdio>
#include <filesystem>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace qm {

std::string GetFileToString(const std::string& path) {
    std::string result;
    ReadWholeFile(path, result);
    return result;
}

bool ReadWholeFile(const std::string& path, std::string& data) {
    data.clear();
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    constexpr size_t kBlock = 100000;
    char buffer[kBlock];
    for (;;) {
        size_t got = std::fread(buffer, 1, kBlock, file);
        data.append(buffer, got);
        if (got < kBlock) break;
    }
    const bool whole = !std::ferror(file);
    std::fclose(file);
    return whole;
}

int CreateTemporaryBeside(const std::string& target, std::string& temporary) {
    namespace fs = std::filesystem;
    fs::path folder = fs::path(target).parent_path();
    temporary = (folder.empty() ? fs::path(".") : folder).string() + "/.quillmar-XXXXXX";
    int fd = ::mkstemp(temporary.data());
    if (fd < 0) temporary.clear();
    return fd;
}

namespace {

// A save over a symbolic link writes the file the link points to and keeps the link.
std::string ThroughLinks(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (!fs::is_symlink(path, ec)) return path;
    fs::path real = fs::weakly_canonical(path, ec);
    return ec ? path : real.string();
}

// The new file takes the mode (and, where allowed, the owner) of the one it replaces; a new
// name gets the usual permissions under the umask.
void TakeModeOf(int fd, const std::string& replaced) {
    struct stat old {};
    if (::stat(replaced.c_str(), &old) == 0) {
        // Only the owner's own files can be given away; the mode follows in any case.
        [[maybe_unused]] const int owned = ::fchown(fd, old.st_uid, old.st_gid);
        ::fchmod(fd, old.st_mode & 07777);
        return;
    }
    mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
}

bool WriteAll(int fd, std::string_view data) {
    for (size_t done = 0; done < data.size();) {
        ssize_t wrote = ::write(fd, data.data() + done, data.size() - done);
        if (wrote <= 0) return false;
        done += static_cast<size_t>(wrote);
    }
    return true;
}

} // namespace

bool WriteFileAtomically(const std::string& path, std::string_view data) {
    namespace fs = std::filesystem;
    const std::string target = ThroughLinks(path);
    std::error_code ec;
    std::string temporary;
    int fd = CreateTemporaryBeside(target, temporary);
    if (fd < 0) return false;
    bool ok = WriteAll(fd, data);
    TakeModeOf(fd, target);
    ok = ::fsync(fd) == 0 && ok;
    ok = ::close(fd) == 0 && ok;
    if (ok) {
        fs::rename(temporary, target, ec);
        ok = !ec;
    }
    if (!ok) fs::remove(temporary, ec);
    return ok;
}

bool AppendWholeOrNothing(const std::string& path, std::string_view data) {
    int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat before {};
    bool ok = ::fstat(fd, &before) == 0;
    if (ok && !WriteAll(fd, data)) {
        // A part of the data would shift every later line of the file: take it back.
        [[maybe_unused]] const int cut = ::ftruncate(fd, before.st_size);
        ok = false;
    }
    ok = ::close(fd) == 0 && ok;
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
