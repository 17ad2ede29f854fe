#include "net/staged_file.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "base/file_io.h"
#include "net/file_name.h"

namespace qm {
namespace {

// Beyond this many taken names something else is wrong with the folder.
constexpr int kMaxNameNumber = 10000;

} // namespace

StagedFile::~StagedFile() {
    Discard();
}

bool StagedFile::Create(const std::string& target, std::string_view data) {
    const int fd = CreateForWriting(target);
    if (fd < 0) return false;
    const bool written = WriteAll(fd, data);
    if (::close(fd) != 0 || !written) {
        Discard();
        return false;
    }
    return true;
}

int StagedFile::CreateForWriting(const std::string& target) {
    Discard();
    if (target.empty() || !std::filesystem::path(target).has_filename()) return -1;
    std::string placeholder;
    const int fd = CreateTemporaryBeside(target, placeholder);
    if (fd < 0) return -1;
    // The placeholder may become the saved file itself: the usual permissions, not mkstemp's.
    SetUsualMode(fd);
    target_ = target;
    placeholder_ = placeholder;
    return fd;
}

std::optional<std::string> StagedFile::Commit(IfTaken ifTaken) {
    if (placeholder_.empty()) return std::nullopt;
    if (ifTaken == IfTaken::Replace) {
        if (std::rename(placeholder_.c_str(), target_.c_str()) != 0) return std::nullopt;
        placeholder_.clear();
        return target_;
    }
    // Each name is tried by a rename that fails on a taken name, so a file that appears
    // meanwhile is never replaced.
    const size_t slash = target_.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : target_.substr(0, slash + 1);
    const std::string name = target_.substr(folder.size());
    for (int number = 1; number <= kMaxNameNumber; ++number) {
        std::string path = folder + NumberedFileName(name, number);
        if (RenameNoReplace(placeholder_, path)) {
            placeholder_.clear();
            return path;
        }
        if (errno != EEXIST) return std::nullopt;
    }
    return std::nullopt;
}

void StagedFile::Discard() {
    if (!placeholder_.empty()) ::unlink(placeholder_.c_str());
    placeholder_.clear();
}

bool StagedBatch::Add(size_t key, const std::string& target, std::string_view data) {
    auto file = std::make_unique<StagedFile>();
    if (!file->Create(target, data)) return false;
    files_.push_back({key, std::move(file)});
    bytes_ += data.size();
    return true;
}

void StagedBatch::Add(size_t key, std::unique_ptr<StagedFile> file, uint64_t bytes) {
    files_.push_back({key, std::move(file)});
    bytes_ += bytes;
}

std::vector<std::pair<size_t, std::optional<std::string>>> StagedBatch::Commit() {
    std::vector<std::pair<size_t, std::optional<std::string>>> placed;
    const bool synced = files_.empty() || SyncFileSystemOf(files_.front().file->Path());
    for (Staged& staged : files_)
        placed.emplace_back(staged.key, synced ? staged.file->Commit(IfTaken::NextFreeName)
                                               : std::nullopt);
    files_.clear();
    bytes_ = 0;
    return placed;
}

std::optional<std::string> WriteNewFile(const std::string& path, std::string_view data) {
    StagedFile staged;
    if (!staged.Create(path) || !WriteFileAtomically(staged.Path(), data)) return std::nullopt;
    return staged.Commit(IfTaken::NextFreeName);
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
