#pragma once
// Whole-file reading and writing.

#include <string>
#include <string_view>

namespace qm {

// The bytes of a file; on an error, what was read so far (empty when it cannot be opened).
std::string GetFileToString(const std::string& path);
// The bytes of a file into data; false when it cannot be opened or read to its end (a
// folder, a read error), data then holding what came.
bool ReadWholeFile(const std::string& path, std::string& data);

// Writes data to a temporary file in the target's folder and renames it over the target
// when complete, so a failure never leaves a half-written file where a whole one stood.
// Returns false (and leaves any older file intact) on failure. A file replaced keeps its mode
// and a symbolic link keeps pointing at the new file.
bool WriteFileAtomically(const std::string& path, std::string_view data);

// A file written in pieces that replaces its target only once it is complete, with the same
// guarantees as WriteFileAtomically. Writes are buffered; the first failure sticks. Dropping
// the writer without Commit removes the temporary file and leaves the target as it was.
class AtomicFileWriter {
  public:
    explicit AtomicFileWriter(const std::string& path);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    bool Good() const { return fd_ >= 0 && good_; }
    bool Write(std::string_view data);
    // Flushes, syncs and renames over the target; false (nothing replaced) on any failure.
    bool Commit();
    void Discard();

  private:
    bool Flush();

    std::string target_;
    std::string temporary_;
    int fd_ = -1;
    bool good_ = true;
    std::string buffer_;
};

// Appends data to an existing file, or, when the write fails part-way, leaves the file as it
// was. Returns false on failure.
bool AppendWholeOrNothing(const std::string& path, std::string_view data);

// Creates an empty private file with a short unique name in the folder of target, to be
// renamed over target once written: a name of the target's own length would not fit beside
// it. Returns the open descriptor and sets temporary to its path; -1 on failure.
int CreateTemporaryBeside(const std::string& target, std::string& temporary);

// Gives an open file the permissions a new file gets under the umask (mkstemp makes it
// private).
void SetUsualMode(int fd);

// Renames from to to unless something already has the name to; false then, with errno EEXIST,
// and on any other failure.
bool RenameNoReplace(const std::string& from, const std::string& to);

// Writes all of data to an open file, without syncing it. False on failure.
bool WriteAll(int fd, std::string_view data);
// Makes everything written to the file system that holds path last (one sync for many files).
bool SyncFileSystemOf(const std::string& path);

bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);

} // namespace qm
