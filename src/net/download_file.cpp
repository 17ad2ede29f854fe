#include "net/download_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "base/file_io.h"

namespace qm {
namespace {

constexpr size_t kWriteBuffer = 256 * 1024;

} // namespace

DownloadFile::~DownloadFile() {
    Discard();
}

bool DownloadFile::Fail(const std::string& what) {
    error_ = what + ": " + std::strerror(errno);
    return false;
}

bool DownloadFile::Create(const std::string& target) {
    namespace fs = std::filesystem;
    Discard();
    target_ = target;
    error_.clear();
    fs::path path(target);
    if (target.empty() || !path.has_filename()) {
        errno = EINVAL;
        return Fail(target);
    }
    fd_ = CreateTemporaryBeside(target, temporary_);
    if (fd_ < 0) return Fail(target);
    // mkstemp makes the file private; a downloaded file gets the usual permissions.
    SetUsualMode(fd_);
    buffer_.clear();
    buffer_.reserve(kWriteBuffer);
    return true;
}

bool DownloadFile::Flush() {
    for (size_t done = 0; done < buffer_.size();) {
        ssize_t wrote = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote <= 0) return Fail(target_);
        done += static_cast<size_t>(wrote);
    }
    buffer_.clear();
    return true;
}

bool DownloadFile::Write(const char* data, size_t size) {
    if (fd_ < 0) return false;
    if (buffer_.size() + size > kWriteBuffer && !Flush()) return false;
    buffer_.insert(buffer_.end(), data, data + size);
    return true;
}

bool DownloadFile::Commit() {
    if (fd_ < 0) return false;
    bool written = Flush();
    // On the disk before the rename, so that a crash cannot leave an empty file in its place.
    if (written && ::fsync(fd_) != 0) written = Fail(target_);
    if (::close(fd_) != 0 && written) written = Fail(target_);
    fd_ = -1;
    if (written && std::rename(temporary_.c_str(), target_.c_str()) != 0) written = Fail(target_);
    if (!written) {
        Discard();
        return false;
    }
    temporary_.clear();
    return true;
}

void DownloadFile::Discard() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    buffer_.clear();
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
    temporary_.clear();
}

} // namespace qm
