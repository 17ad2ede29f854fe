#include "base/file_io.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
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
    // Read straight into a string of the file's size: no copy through a block and no growth
    // that would hold the page twice. A file that grows meanwhile is read to its end.
    struct stat info {};
    size_t size = ::fstat(::fileno(file), &info) == 0 && info.st_size > 0
                      ? static_cast<size_t>(info.st_size)
                      : 0;
    constexpr size_t kBlock = 100000;
    for (;;) {
        const size_t used = data.size();
        data.resize(used + std::max(kBlock, size + 1 - std::min(size, used)));
        const size_t want = data.size() - used;
        const size_t got = std::fread(data.data() + used, 1, want, file);
        data.resize(used + got);
        if (got < want) break;
        size = 0;
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

void SetUsualMode(int fd) {
    // The umask can only be read by setting it; it is read once, as nothing here changes it.
    static const mode_t mask = [] {
        const mode_t read = ::umask(0);
        ::umask(read);
        return read;
    }();
    ::fchmod(fd, 0666 & ~mask);
}

bool RenameNoReplace(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return false;
    // A file system that cannot rename that way: claim the name first, then rename over the
    // empty file that is ours.
    int fd = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    ::close(fd);
    if (std::rename(from.c_str(), to.c_str()) == 0) return true;
    const int error = errno;
    ::unlink(to.c_str());
    errno = error;
    return false;
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
    SetUsualMode(fd);
}

} // namespace

bool WriteAll(int fd, std::string_view data) {
    for (size_t done = 0; done < data.size();) {
        ssize_t wrote = ::write(fd, data.data() + done, data.size() - done);
        if (wrote <= 0) return false;
        done += static_cast<size_t>(wrote);
    }
    return true;
}

AtomicFileWriter::AtomicFileWriter(const std::string& path) : target_(ThroughLinks(path)) {
    fd_ = CreateTemporaryBeside(target_, temporary_);
}

AtomicFileWriter::~AtomicFileWriter() { Discard(); }

bool AtomicFileWriter::Write(std::string_view data) {
    constexpr size_t kBufferSize = 1 << 18;
    if (!Good()) return false;
    if (buffer_.size() + data.size() > kBufferSize && !Flush()) return false;
    if (data.size() >= kBufferSize) {
        good_ = WriteAll(fd_, data);
        return good_;
    }
    buffer_.append(data);
    return true;
}

bool AtomicFileWriter::Flush() {
    if (Good() && !buffer_.empty()) good_ = WriteAll(fd_, buffer_);
    buffer_.clear();
    return Good();
}

bool AtomicFileWriter::Commit() {
    if (fd_ < 0) return false;
    bool ok = Flush();
    TakeModeOf(fd_, target_);
    ok = ::fsync(fd_) == 0 && ok;
    ok = ::close(fd_) == 0 && ok;
    fd_ = -1;
    std::error_code ec;
    if (ok) std::filesystem::rename(temporary_, target_, ec);
    ok = ok && !ec;
    if (!ok) std::filesystem::remove(temporary_, ec);
    temporary_.clear();
    return ok;
}

void AtomicFileWriter::Discard() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    std::error_code ec;
    if (!temporary_.empty()) std::filesystem::remove(temporary_, ec);
    temporary_.clear();
    buffer_.clear();
}

bool WriteFileAtomically(const std::string& path, std::string_view data) {
    AtomicFileWriter writer(path);
    return writer.Write(data) && writer.Commit();
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

bool SyncFileSystemOf(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = ::syncfs(fd) == 0;
    ::close(fd);
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
