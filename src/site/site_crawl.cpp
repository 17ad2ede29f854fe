#include "site/site_crawl.h"

#include <algorithm>
#include <thread>

#include "net/download_request.h"
#include "net/link_test.h"
#include "net/url.h"
#include "site/crawl_page.h"
#include "site/retry_after.h"
#include "state/browser.h"

namespace qm {
namespace {

// robots.txt is read up to this size; the rest is not looked at.
constexpr uint64_t kRobotsLimit = 512 * 1024;
constexpr auto kReportEvery = std::chrono::milliseconds(200);
constexpr auto kCommitEvery = std::chrono::milliseconds(500);
constexpr auto kDelayStep = std::chrono::milliseconds(2);

bool AnyType(std::string_view) {
    return true;
}

bool IsRetryStatus(int status) {
    return status == 429 || status == 503;
}

} // namespace

// A request on its way: for an entry, or for a host's robots.txt.
struct SiteCrawl::Flight {
    int64_t entry = 0;         // 0 for robots.txt
    std::string host;          // the host whose limit the request counts against
    std::string address;       // of the request now running, after redirects
    std::string referer;       // the page it was first found on
    int32_t depth = 0;
    int followed = 0;
    bool page = false;         // read whole when it is a page
    bool retried = false;
};

struct SiteCrawl::Host {
    enum class Robots { NotNeeded, Unknown, Fetching, Ready };
    std::string origin; // scheme and host, for robots.txt
    Robots robots = Robots::NotNeeded;
    RobotsRules rules;
    std::deque<int64_t> queue;
    std::deque<Flight> again; // answers that asked to be retried later
    int inFlight = 0;
    bool active = false;      // in activeHosts_
    Clock::time_point nextStart{};

    bool HasWork() const { return !queue.empty() || !again.empty(); }
};

SiteCrawl::SiteCrawl(Browser& browser, HttpMultiTransport& transport, CrawlStore& store,
                     CrawlOptions options)
    : browser_(browser), transport_(transport), store_(store), options_(std::move(options)) {}

SiteCrawl::~SiteCrawl() = default;

void SiteCrawl::Run(const std::string& start,
                    const std::function<void(const CrawlProgress&)>& progress) {
    BrowserState& state = browser_.State();
    started_ = Clock::now();
    robotsHosts_ = {HostKey(options_.scopeAddress)};
    const std::string scopeFrom = store_.Setting("scope-from");
    ScopeFrom(scopeFrom.empty() ? start : scopeFrom);
    state.LinkCheckBusy = true;
    pagesRead_ = progress_.pages = store_.CrawledPages();
    const std::vector<int64_t> unfinished = store_.Unfinished();
    if (store_.Setting("start").empty()) {
        store_.SetSetting("start", start);
        CrawlEntry entry;
        entry.address = ResolveLink({}, start);
        entry.written = start;
        Enqueue(store_.Add(entry).id, entry.address);
    }
    for (int64_t id : unfinished)
        Enqueue(id, store_.Get(id).address);
    Clock::time_point lastCommit = started_;
    while (!state.LinkCheckAbort) {
        StartRequests();
        Report(progress, false);
        if (Clock::now() - lastCommit > kCommitEvery) {
            store_.Commit();
            lastCommit = Clock::now();
        }
        if (flights_.empty()) {
            if (queued_ == 0) break;
            WaitForDelay();
            continue;
        }
        const std::vector<HttpAnswer> answers = transport_.Wait(&state.LinkCheckAbort);
        if (answers.empty()) break;
        for (const HttpAnswer& answer : answers)
            Take(answer);
    }
    if (!flights_.empty()) transport_.Cancel();
    flights_.clear();
    store_.Commit();
    state.LinkCheckBusy = false;
    Report(progress, true);
}

void SiteCrawl::ScopeFrom(const std::string& address) {
    scope_ = MakeScope(options_.scope, address, options_.scopeAddress);
    robotsHosts_.push_back(HostKey(address));
    store_.SetSetting("scope-from", address);
}

void SiteCrawl::Enqueue(int64_t id, const std::string& address) {
    const AddressKind kind = KindOfAddress(address);
    if (kind != AddressKind::Web) {
        const LinkResult result = TestWithoutRequest(address, kind, browser_.State().LanguageIndex);
        store_.SaveResult(id, result, false);
        Count(result);
        return;
    }
    const std::string key = HostKey(address);
    std::unique_ptr<Host>& host = hosts_[key];
    if (!host) {
        host = std::make_unique<Host>();
        host->origin = GetCurDomain(address);
        if (!options_.ignoreRobots &&
            std::find(robotsHosts_.begin(), robotsHosts_.end(), key) != robotsHosts_.end())
            host->robots = Host::Robots::Unknown;
    }
    host->queue.push_back(id);
    ++queued_;
    Activate(*host, key);
}

void SiteCrawl::Activate(Host& host, const std::string& key) {
    if (host.active || !host.HasWork()) return;
    host.active = true;
    activeHosts_.push_back(key);
}

// Each active host in turn starts what its limits allow, until the requests at once are used.
void SiteCrawl::StartRequests() {
    for (size_t turns = activeHosts_.size(); turns > 0 && !activeHosts_.empty(); --turns) {
        if (flights_.size() >= static_cast<size_t>(kCrawlParallel)) return;
        std::string key = std::move(activeHosts_.front());
        activeHosts_.pop_front();
        Host& host = *hosts_[key];
        while (flights_.size() < static_cast<size_t>(kCrawlParallel) && StartNext(host, key)) {
        }
        host.active = false;
        Activate(host, key);
    }
}

bool SiteCrawl::StartNext(Host& host, const std::string& key) {
    if (!host.HasWork() || host.robots == Host::Robots::Fetching) return false;
    if (host.robots == Host::Robots::Unknown) {
        StartRobots(host, key);
        return false;
    }
    if (host.inFlight >= std::max(1, options_.perHost) || Clock::now() < host.nextStart)
        return false;
    Flight flight;
    if (!host.again.empty()) {
        flight = std::move(host.again.front());
        host.again.pop_front();
    } else {
        const CrawlEntry entry = store_.Get(host.queue.front());
        host.queue.pop_front();
        --queued_;
        if (host.robots == Host::Robots::Ready && !host.rules.Allows(RobotsPath(entry.address))) {
            LinkResult result;
            result.kind = AddressKind::NotFetched;
            result.done = true;
            result.reason = "robots.txt";
            store_.SaveResult(entry.id, result, false);
            Count(result);
            return true;
        }
        flight.entry = entry.id;
        flight.host = key;
        flight.address = entry.address;
        if (entry.firstPage != 0) flight.referer = store_.Get(entry.firstPage).address;
        flight.depth = entry.depth;
        flight.page = WantsPage(entry);
    }
    ++host.inFlight;
    host.nextStart = Clock::now() + std::chrono::milliseconds(std::max(0, options_.delayMs));
    Send(std::move(flight));
    return true;
}

// The start page is read whatever the scope says: the crawl begins there.
bool SiteCrawl::WantsPage(const CrawlEntry& entry) {
    const bool start = entry.firstPage == 0;
    if (entry.kind != LinkBlockKind::Link || (!start && !InScope(scope_, entry.address)))
        return false;
    if (options_.maxDepth >= 0 && entry.depth > options_.maxDepth) return false;
    if (pagesRead_ + pagesInFlight_ < options_.maxPages) return true;
    pageLimitReached_ = true;
    return false;
}

void SiteCrawl::StartRobots(Host& host, const std::string& key) {
    host.robots = Host::Robots::Fetching;
    ++host.inFlight;
    Flight flight;
    flight.host = key;
    flight.address = host.origin + "/robots.txt";
    Send(std::move(flight));
}

void SiteCrawl::Send(Flight flight) {
    const DownloadOptions& downloads = browser_.Downloads();
    UrlParts parts = SplitURL(flight.address);
    std::string postData;
    const bool isPost = TakePostFromQuery(parts.QueryPart, postData);
    HttpRequest request =
        BuildHttpRequest(parts, downloads, flight.referer, isPost, postData,
                         isPost ? FormContentType::Included : FormContentType::Omitted);
    if (flight.entry == 0) {
        request.keepBody = &AnyType;
        request.bodyLimit = kRobotsLimit;
    } else if (flight.page) {
        request.keepBody = &MayBePage;
        request.bodyLimit = downloads.maxBodyBytes;
        ++pagesInFlight_;
    }
    const uint64_t id = nextRequest_++;
    transport_.Add(id, request);
    flights_.emplace(id, std::move(flight));
}

void SiteCrawl::Take(const HttpAnswer& answer) {
    auto found = flights_.find(answer.id);
    if (found == flights_.end()) return;
    Flight flight = std::move(found->second);
    flights_.erase(found);
    ++requests_;
    Host& host = *hosts_[flight.host];
    --host.inFlight;
    Activate(host, flight.host);
    if (flight.page) --pagesInFlight_;
    if (flight.entry == 0) return TakeRobots(host, answer);

    const int language = browser_.State().LanguageIndex;
    LinkResult result;
    result.done = true;
    result.finalUrl = flight.address;
    if (answer.error != TransportError::None) {
        result.failed = true;
        result.reason = TransportFailureText(answer.error, answer.errorText,
                                             browser_.Downloads().idleTimeoutSeconds, language);
        return Finish(flight, result, false);
    }
    result.status = answer.status;
    if (answer.status >= 300 && answer.status <= 399 && Redirect(flight, answer, result)) return;
    if (IsRetryStatus(answer.status) && RetryLater(host, flight, answer)) return;
    result.contentType = answer.Header("Content-Type");
    result.contentLength = ParseContentLength(answer.Header("Content-Length"));
    const bool page = flight.page && answer.bodyKept && !LooksBinary(answer.body);
    if (page) ReadPage(flight, answer);
    Finish(flight, result, page);
}

void SiteCrawl::TakeRobots(Host& host, const HttpAnswer& answer) {
    host.robots = Host::Robots::Ready;
    if (answer.error != TransportError::None) return;
    if (answer.bodyKept && answer.status >= 200 && answer.status <= 299)
        host.rules = RobotsRules::Parse(answer.body);
    else if (answer.status >= 500)
        host.rules = RobotsRules::DisallowAll();
}

// True when the request goes on at the next address; false with the refusal in result.
bool SiteCrawl::Redirect(Flight& flight, const HttpAnswer& answer, LinkResult& result) {
    const RedirectStep step = NextRedirect(flight.address, answer.Header("Location"), flight.followed);
    if (step.refusal == RedirectRefusal::None) {
        flight.address = step.address;
        ++flight.followed;
        // The site is where the start page leads ("http://site" to "https://www.site").
        if (flight.depth == 0 && flight.referer.empty()) ScopeFrom(flight.address);
        // A page that leads out of scope is only tested there.
        flight.page = flight.page && InScope(scope_, flight.address);
        Host& host = *hosts_[flight.host];
        ++host.inFlight;
        Send(std::move(flight));
        return true;
    }
    result.failed = true;
    if (step.refusal == RedirectRefusal::NoLocation) result.status = 0;
    result.reason = RedirectRefusalText(step, browser_.State().LanguageIndex);
    return false;
}

bool SiteCrawl::RetryLater(Host& host, Flight& flight, const HttpAnswer& answer) {
    if (flight.retried) return false;
    const int seconds = RetryAfterSeconds(answer.Header("Retry-After"), std::time(nullptr));
    if (seconds < 0 || seconds > kMaxRetryAfterSeconds) return false;
    flight.retried = true;
    host.nextStart = std::max(host.nextStart, Clock::now() + std::chrono::seconds(seconds));
    host.again.push_back(std::move(flight));
    Activate(host, host.again.back().host);
    return true;
}

void SiteCrawl::ReadPage(const Flight& flight, const HttpAnswer& answer) {
    if (!readPages_.insert(flight.address).second) return; // another address led here first
    ++pagesRead_;
    if (ForbidsFollowing(answer.body)) return;
    const BrowserState& state = browser_.State();
    for (PageLink& link :
         ReadPageLinks(answer.body, flight.address, answer.Header("Content-Type"), state,
                       browser_.Options().HiddenAddresses)) {
        CrawlEntry entry;
        entry.address = std::move(link.address);
        entry.written = std::move(link.written);
        entry.kind = link.kind;
        entry.line = link.line;
        entry.firstPage = flight.entry;
        entry.depth = flight.depth + 1;
        const CrawlStore::Added added = store_.Add(entry);
        store_.AddHolder(added.id, flight.entry);
        if (added.isNew) Enqueue(added.id, entry.address);
    }
}

void SiteCrawl::Finish(const Flight& flight, const LinkResult& result, bool crawled) {
    store_.SaveResult(flight.entry, result, crawled);
    Count(result);
    if (crawled) ++progress_.pages;
}

void SiteCrawl::Count(const LinkResult& result) {
    ++progress_.tested;
    if (IsBroken(result)) ++progress_.broken;
}

void SiteCrawl::WaitForDelay() {
    std::this_thread::sleep_for(kDelayStep);
    browser_.Pump().ProcessEvents();
}

void SiteCrawl::Report(const std::function<void(const CrawlProgress&)>& progress, bool now) {
    const Clock::time_point time = Clock::now();
    if (!progress || (!now && time - lastReport_ < kReportEvery)) return;
    lastReport_ = time;
    const double seconds = std::chrono::duration<double>(time - started_).count();
    progress_.waiting = queued_ + static_cast<int64_t>(flights_.size());
    progress_.requestsPerSecond = seconds > 0 ? static_cast<double>(requests_) / seconds : 0;
    progress(progress_);
}

} // namespace qm
