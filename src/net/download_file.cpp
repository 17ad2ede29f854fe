#include "net/download_file.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace qm {
namespace {

constexpr size_t kWriteBuffer = 256 * 1024;

mode_t CurrentUmask() {
    mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

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
    fs::path folder = path.parent_path();
    temporary_ = (folder.empty() ? fs::path(".") : folder).string() + "/." +
                 path.filename().string() + ".XXXXXX";
    int fd = ::mkstemp(temporary_.data());
    if (fd < 0) {
        temporary_.clear();
        return Fail(target);
    }
    // mkstemp makes the file private; a downloaded file gets the usual permissions.
    ::fchmod(fd, 0666 & ~CurrentUmask());
    file_ = ::fdopen(fd, "wb");
    if (!file_) {
        int reason = errno;
        ::close(fd);
        Discard();
        errno = reason;
        return Fail(target);
    }
    std::setvbuf(file_, nullptr, _IOFBF, kWriteBuffer);
    return true;
}

bool DownloadFile::Write(const char* data, size_t size) {
    if (!file_) return false;
    if (std::fwrite(data, 1, size, file_) == size) return true;
    return Fail(target_);
}

bool DownloadFile::Commit() {
    if (!file_) return false;
    bool written = std::fflush(file_) == 0;
    written = std::fclose(file_) == 0 && written;
    file_ = nullptr;
    if (!written || std::rename(temporary_.c_str(), target_.c_str()) != 0) {
        Fail(target_);
        Discard();
        return false;
    }
    temporary_.clear();
    return true;
}

void DownloadFile::Discard() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
    temporary_.clear();
}

} // namespace qm
