#pragma once
// Saving many linked files at once: each address is downloaded once, side by side (a few at a
// time to one host), with the request the downloader makes, and written whole or not at all
// beside the files already there, which are never replaced.

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "base/interfaces.h"
#include "net/staged_file.h"
#include "site/linked_files.h"

namespace qm {

class Browser;

struct FileToSave {
    std::string address;
    std::string referer; // the page that holds the link
};

struct SaveOutcome {
    std::string address;
    std::string path;  // the file written; empty when none was
    int status = 0;    // the last answer's code, 0 without one
    int64_t size = -1; // bytes written
    std::string why;   // why no file was written
};

struct SaverOptions {
    std::string folder; // ends in "/"
    SaveLayout layout = SaveLayout::Flat;
    int parallel = 8;
    int perHost = 8;
    // The files a saved stylesheet of the page names (url(), @import) are saved too when they
    // pass this filter's extensions and match, as page requisites are; those of the imported
    // stylesheets are not, as wget -p leaves them.
    bool followStylesheets = false;
    LinkedFileFilter stylesheetFilter;
};

class LinkedFileSaver {
  public:
    LinkedFileSaver(Browser& browser, HttpMultiTransport& transport, SaverOptions options);

    // One outcome per file, in the same order, then those of the files stylesheets named, in
    // the order they were found. state.LinkCheckAbort (F5, a stop signal) stops
    // the downloads; the files finished by then stay, the rest say they were stopped.
    std::vector<SaveOutcome> Run(const std::vector<FileToSave>& files,
                                 const std::function<void(size_t done, size_t total)>& progress);

  private:
    struct Job {
        std::string address; // of the request now running, after redirects
        std::string host;
        int followed = 0;
        // The body goes into a placeholder in the file's folder as it comes.
        std::unique_ptr<StagedFile> staged;
        int fd = -1;
        bool writeFailed = false;
    };
    void StartWaiting();
    void Send(size_t index);
    bool Take(const HttpAnswer& answer); // false while a redirect is followed
    bool Append(size_t index, std::string_view piece);
    bool Stage(size_t index);
    void CloseFile(Job& job);
    void Write(size_t index, const HttpAnswer& answer);
    void CommitBatch();
    void Add(const FileToSave& file);
    void FollowStylesheet(size_t index, std::string_view css);

    Browser& browser_;
    HttpMultiTransport& transport_;
    SaverOptions options_;
    std::vector<FileToSave> files_;
    std::unordered_set<std::string> known_; // every address asked for, once
    size_t pageFiles_ = 0;                  // files_ before those stylesheets named
    std::vector<Job> jobs_;
    std::vector<SaveOutcome> outcomes_;
    std::deque<size_t> waiting_; // indexes not started
    std::unordered_map<std::string, int> inFlightByHost_;
    size_t inFlight_ = 0;
    StagedBatch batch_; // files written, not yet in place
    std::string lastFolder_;
};

} // namespace qm
