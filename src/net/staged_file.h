#pragma once
// A placeholder beside the file a save is meant to produce. The download fills the placeholder;
// only a commit puts it in the target's place, so a refused or broken download leaves neither
// a file under the target's name nor a damaged older one.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qm {

// What a commit does when the target's name is taken: replace that file, or leave it and take
// the first free name "name (2).ext", "name (3).ext", ...
enum class IfTaken { Replace, NextFreeName };

class StagedFile {
  public:
    StagedFile() = default;
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;
    ~StagedFile(); // removes the placeholder unless it was committed

    // Creates a placeholder holding data (unsynced) in the target's folder. False, with nothing
    // left, when the folder cannot take the file.
    bool Create(const std::string& target, std::string_view data = {});
    // Creates an empty placeholder and hands its open descriptor to the caller, who writes and
    // closes it; -1 when the folder cannot take a file.
    int CreateForWriting(const std::string& target);
    const std::string& Path() const { return placeholder_; }
    // A name to commit under in the same folder, when the name was not known at Create.
    void SetTarget(std::string target) { target_ = std::move(target); }
    // Puts the placeholder in the target's place; the path it now has, or nothing on failure.
    std::optional<std::string> Commit(IfTaken ifTaken);
    void Discard();

  private:
    std::string target_;
    std::string placeholder_;
};

// Many files made final together: each is written into its placeholder without a sync of its
// own; Commit syncs the file system once and only then puts each in its place under a free
// name, so that a crash leaves placeholders, never a part of a file under a real name.
class StagedBatch {
  public:
    // Writes data into a placeholder beside target. False, with nothing left, when it cannot.
    bool Add(size_t key, const std::string& target, std::string_view data);
    // Takes a placeholder already written.
    void Add(size_t key, std::unique_ptr<StagedFile> file, uint64_t bytes);
    size_t Size() const { return files_.size(); }
    uint64_t Bytes() const { return bytes_; }
    // Every file's key and the path it now has, or nothing when it could not be put in place.
    std::vector<std::pair<size_t, std::optional<std::string>>> Commit();

  private:
    struct Staged {
        size_t key;
        std::unique_ptr<StagedFile> file;
    };
    std::vector<Staged> files_;
    uint64_t bytes_ = 0;
};

// Writes data whole under path, or, when that name is taken, under the first free numbered
// name; returns the path written. Nothing is left behind on failure.
std::optional<std::string> WriteNewFile(const std::string& path, std::string_view data);

// The size of a file in bytes, opened read-only (without waiting on a pipe); 0 when it cannot
// be opened or is no regular file.
int64_t GetFileSize(const std::string& path);

} // namespace qm
