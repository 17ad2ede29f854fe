#pragma once
// The target of a file download. The body goes to a temporary file beside the target, which
// replaces the target only when the body is complete, so a broken transfer never leaves a
// truncated file where a whole one stood.

#include <string>
#include <vector>

namespace qm {

class DownloadFile {
  public:
    DownloadFile() = default;
    DownloadFile(const DownloadFile&) = delete;
    DownloadFile& operator=(const DownloadFile&) = delete;
    ~DownloadFile(); // discards what was not committed

    // Each returns false with the reason in ErrorText.
    bool Create(const std::string& target);
    bool Write(const char* data, size_t size);
    bool Commit();
    void Discard();

    const std::string& ErrorText() const { return error_; }

  private:
    bool Fail(const std::string& what);
    bool Flush();

    std::string target_;
    std::string temporary_;
    int fd_ = -1;
    // Blocks of 1024 bytes are gathered into large writes.
    std::vector<char> buffer_;
    std::string error_;
};

} // namespace qm
