#include "net/staged_file.h"

#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "base/file_io.h"

namespace qm {

StagedFile::~StagedFile() {
    Discard();
}

bool StagedFile::Create(const std::string& target) {
    namespace fs = std::filesystem;
    Discard();
    fs::path path(target);
    if (target.empty() || !path.has_filename()) return false;
    std::string placeholder;
    int fd = CreateTemporaryBeside(target, placeholder);
    if (fd < 0) return false;
    ::close(fd);
    target_ = target;
    placeholder_ = placeholder;
    return true;
}

bool StagedFile::Commit() {
    if (placeholder_.empty()) return false;
    if (std::rename(placeholder_.c_str(), target_.c_str()) != 0) return false;
    placeholder_.clear();
    return true;
}

void StagedFile::Discard() {
    if (!placeholder_.empty()) ::unlink(placeholder_.c_str());
    placeholder_.clear();
}

int64_t GetFileSize(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return 0;
    struct stat info {};
    int64_t size = 0;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) size = info.st_size;
    ::close(fd);
    return size;
}

} // namespace qm
