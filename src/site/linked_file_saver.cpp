#include "site/linked_file_saver.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "base/codepage.h"
#include "base/file_io.h"
#include "net/download_request.h"
#include "net/link_test.h"
#include "net/staged_file.h"
#include "net/url.h"
#include "site/crawl_scope.h"
#include "state/browser.h"
#include "tools/css_addresses.h"

namespace qm {
namespace {

constexpr int kUiStopped = 268;
// The files written are made final together, one sync for this many files or bytes.
constexpr size_t kBatchFiles = 256;
constexpr uint64_t kBatchBytes = 64 << 20;

bool AnyType(std::string_view) {
    return true;
}

bool IsStylesheet(std::string_view type, const std::string& address) {
    return type.starts_with("text/css") ||
           (type.empty() && SplitURL(address).PathPart.ends_with(".css"));
}

} // namespace

LinkedFileSaver::LinkedFileSaver(Browser& browser, HttpMultiTransport& transport,
                                 SaverOptions options)
    : browser_(browser), transport_(transport), options_(std::move(options)) {}

std::vector<SaveOutcome> LinkedFileSaver::Run(
    const std::vector<FileToSave>& files,
    const std::function<void(size_t done, size_t total)>& progress) {
    BrowserState& state = browser_.State();
    files_.clear();
    jobs_.clear();
    outcomes_.clear();
    waiting_.clear();
    known_.clear();
    for (const FileToSave& file : files)
        Add(file);
    pageFiles_ = files_.size();
    state.LinkCheckBusy = true;
    size_t done = 0;
    while (!state.LinkCheckAbort && done < files_.size()) {
        StartWaiting();
        const std::vector<HttpAnswer> answers = transport_.Wait(&state.LinkCheckAbort);
        if (answers.empty()) break;
        for (const HttpAnswer& answer : answers)
            if (Take(answer)) ++done;
        if (batch_.Size() >= kBatchFiles || batch_.Bytes() >= kBatchBytes) CommitBatch();
        if (progress) progress(done, files_.size());
    }
    if (inFlight_ > 0) transport_.Cancel();
    CommitBatch(); // the files finished before a stop are kept
    for (Job& job : jobs_) { // those stopped part-way go
        CloseFile(job);
        job.staged.reset();
    }
    state.LinkCheckBusy = false;
    for (SaveOutcome& outcome : outcomes_)
        if (outcome.path.empty() && outcome.why.empty() && outcome.status == 0)
            outcome.why = Cp1251ToUtf8(browser_.Ui(kUiStopped).substr(3)); // "stopped"
    return std::move(outcomes_);
}

void LinkedFileSaver::Add(const FileToSave& file) {
    known_.insert(file.address);
    files_.push_back(file);
    outcomes_.emplace_back().address = file.address;
    Job& job = jobs_.emplace_back();
    job.address = file.address;
    job.host = HostKey(file.address);
    waiting_.push_back(files_.size() - 1);
}

// A stylesheet's own files are requisites of the page too, as wget's "page requisites" take
// them: those of the page's stylesheets, not those of the stylesheets they import.
void LinkedFileSaver::FollowStylesheet(size_t index, std::string_view css) {
    if (index >= pageFiles_ || !options_.followStylesheets) return;
    const std::string address = jobs_[index].address; // Add below moves the jobs
    for (const std::string& written : CssAddresses(css)) {
        const std::string found = ResolveLink(address, written);
        if (!known_.contains(found) && IsWantedFile(found, options_.stylesheetFilter))
            Add({found, address});
    }
}

// The files not started go out in their order, as far as the limits allow.
void LinkedFileSaver::StartWaiting() {
    for (auto next = waiting_.begin();
         next != waiting_.end() && inFlight_ < static_cast<size_t>(options_.parallel);) {
        int& host = inFlightByHost_[jobs_[*next].host];
        if (host >= options_.perHost) {
            ++next;
            continue;
        }
        ++host;
        ++inFlight_;
        Send(*next);
        next = waiting_.erase(next);
    }
}

void LinkedFileSaver::Send(size_t index) {
    const Job& job = jobs_[index];
    UrlParts parts = SplitURL(job.address);
    std::string postData;
    const bool isPost = TakePostFromQuery(parts.QueryPart, postData);
    HttpRequest request = BuildHttpRequest(
        parts, browser_.Downloads(), files_[index].referer, isPost, postData,
        isPost ? FormContentType::Included : FormContentType::Omitted);
    request.keepBody = &AnyType;
    request.bodyLimit = browser_.Downloads().maxBodyBytes;
    request.bodySink = [this, index](std::string_view piece) { return Append(index, piece); };
    transport_.Add(index, request);
}

bool LinkedFileSaver::Take(const HttpAnswer& answer) {
    if (answer.id >= jobs_.size()) return false;
    const size_t index = answer.id;
    Job& job = jobs_[index];
    SaveOutcome& outcome = outcomes_[index];
    outcome.status = answer.status;
    if (answer.error == TransportError::None && answer.status >= 300 && answer.status <= 399) {
        const RedirectStep step = NextRedirect(job.address, answer.Header("Location"), job.followed);
        if (step.refusal == RedirectRefusal::None) {
            job.address = step.address;
            ++job.followed;
            Send(index);
            return false;
        }
        outcome.why = step.refusal == RedirectRefusal::NoLocation
                          ? "redirect without a Location"
                          : Cp1251ToUtf8(RedirectRefusalText(step, browser_.State().LanguageIndex));
    }
    --inFlight_;
    --inFlightByHost_[job.host];
    const int language = browser_.State().LanguageIndex;
    if (job.writeFailed)
        outcome.why = "cannot write into " + options_.folder;
    else if (answer.error != TransportError::None)
        outcome.why = Cp1251ToUtf8(TransportFailureText(
            answer.error, answer.errorText, browser_.Downloads().idleTimeoutSeconds, language));
    else if (answer.status >= 400)
        outcome.why = "the answer is an error";
    else if (answer.bodyCut)
        outcome.why = "larger than --max-size";
    else if (outcome.why.empty() && answer.bodyKept)
        Write(index, answer);
    else if (outcome.why.empty())
        outcome.why = "no body";
    // What came of a body that is not saved goes.
    CloseFile(jobs_[index]);
    jobs_[index].staged.reset();
    return true;
}

// The placeholder of a file, in the folder it is saved into, made when its body begins.
bool LinkedFileSaver::Stage(size_t index) {
    Job& job = jobs_[index];
    if (job.staged) return true;
    const std::string path = SavePath(options_.folder, files_[index].address, "", options_.layout);
    // Mirrored files come in runs of one folder: it is made when it changes.
    const std::string folder = std::filesystem::path(path).parent_path().string();
    if (folder != lastFolder_) {
        std::error_code ec;
        std::filesystem::create_directories(folder, ec);
        lastFolder_ = folder;
    }
    auto staged = std::make_unique<StagedFile>();
    job.fd = staged->CreateForWriting(path);
    if (job.fd < 0) return false;
    job.staged = std::move(staged);
    return true;
}

bool LinkedFileSaver::Append(size_t index, std::string_view piece) {
    Job& job = jobs_[index];
    if (!job.writeFailed && (!Stage(index) || !WriteAll(job.fd, piece))) job.writeFailed = true;
    return !job.writeFailed;
}

void LinkedFileSaver::CloseFile(Job& job) {
    if (job.fd >= 0 && ::close(job.fd) != 0) job.writeFailed = true;
    job.fd = -1;
}

void LinkedFileSaver::Write(size_t index, const HttpAnswer& answer) {
    SaveOutcome& outcome = outcomes_[index];
    Job& job = jobs_[index];
    if (!Stage(index)) job.writeFailed = true; // an empty body has no placeholder yet
    CloseFile(job);
    if (job.writeFailed) {
        outcome.why = "cannot write into " + options_.folder + ": " + std::strerror(errno);
        job.staged.reset();
        return;
    }
    const std::string type = answer.Header("Content-Type");
    job.staged->SetTarget(SavePath(options_.folder, files_[index].address, type, options_.layout));
    outcome.size = static_cast<int64_t>(answer.bodyBytes);
    if (IsStylesheet(type, job.address)) {
        std::string css;
        if (ReadWholeFile(job.staged->Path(), css)) FollowStylesheet(index, css);
    }
    batch_.Add(index, std::move(jobs_[index].staged), answer.bodyBytes);
}

void LinkedFileSaver::CommitBatch() {
    for (auto& [index, path] : batch_.Commit()) {
        if (path) {
            outcomes_[index].path = *path;
        } else {
            outcomes_[index].why = "cannot put the file in place";
            outcomes_[index].size = -1;
        }
    }
}

} // namespace qm
