#pragma once
// A placeholder beside the file a save is meant to produce. The download fills the placeholder;
// only a commit puts it in the target's place, so a refused or broken download leaves neither
// a file under the target's name nor a damaged older one.

#include <cstdint>
#include <string>

namespace qm {

class StagedFile {
  public:
    StagedFile() = default;
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;
    ~StagedFile(); // removes the placeholder unless it was committed

    // Creates an empty placeholder in the target's folder. False when the folder cannot take
    // a file.
    bool Create(const std::string& target);
    const std::string& Path() const { return placeholder_; }
    // Renames the placeholder over the target.
    bool Commit();
    void Discard();

  private:
    std::string target_;
    std::string placeholder_;
};

// The size of a file in bytes, opened read-only (without waiting on a pipe); 0 when it cannot
// be opened or is no regular file.
int64_t GetFileSize(const std::string& path);

} // namespace qm
