#pragma once
// The site check: from a start page, every page in scope is read for its blocks' addresses,
// and every address is tested once, however many pages hold it. Requests run side by side,
// at most a few at once to one host, with that host's robots.txt obeyed; the work lives in a
// CrawlStore, so a crawl that was stopped can go on.

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "base/interfaces.h"
#include "site/crawl_scope.h"
#include "site/crawl_store.h"
#include "site/robots_rules.h"

namespace qm {

class Browser;

struct CrawlOptions {
    ScopeKind scope = ScopeKind::Host;
    std::string scopeAddress; // the prefix of ScopeKind::Address
    int32_t maxDepth = -1;    // link steps from the start page; -1: no limit
    int64_t maxPages = 100000;
    int perHost = 8;          // requests at once to one host
    int delayMs = 0;          // between the starts of two requests to one host
    bool ignoreRobots = false;
};

// Requests at once over all hosts.
inline constexpr int kCrawlParallel = 32;
// A Retry-After longer than this is not waited for: the answer stands.
inline constexpr int kMaxRetryAfterSeconds = 120;

struct CrawlProgress {
    int64_t pages = 0;   // read for their links
    int64_t waiting = 0; // addresses queued or in flight
    int64_t tested = 0;
    int64_t broken = 0;
    double requestsPerSecond = 0;
};

class SiteCrawl {
  public:
    SiteCrawl(Browser& browser, HttpMultiTransport& transport, CrawlStore& store,
              CrawlOptions options);
    ~SiteCrawl();
    SiteCrawl(const SiteCrawl&) = delete;
    SiteCrawl& operator=(const SiteCrawl&) = delete;

    // Crawls from start, or goes on with the work the store holds. Ends when nothing is left or
    // state.LinkCheckAbort is set (F5, a stop signal); progress is called now and then.
    void Run(const std::string& start, const std::function<void(const CrawlProgress&)>& progress);
    // Pages in scope were left unread because of --max-pages.
    bool PageLimitReached() const { return pageLimitReached_; }
    const CrawlProgress& Progress() const { return progress_; }

  private:
    struct Host;
    struct Flight;
    using Clock = std::chrono::steady_clock;

    // The scope and the robots.txt hosts of a crawl from that address.
    void ScopeFrom(const std::string& address);
    void Enqueue(int64_t id, const std::string& address);
    void Activate(Host& host, const std::string& key);
    void StartRequests();
    bool StartNext(Host& host, const std::string& key);
    void StartRobots(Host& host, const std::string& key);
    void Send(Flight flight);
    void Take(const HttpAnswer& answer);
    void TakeRobots(Host& host, const HttpAnswer& answer);
    bool Redirect(Flight& flight, const HttpAnswer& answer, LinkResult& result);
    bool RetryLater(Host& host, Flight& flight, const HttpAnswer& answer);
    void ReadPage(const Flight& flight, const HttpAnswer& answer);
    void Finish(const Flight& flight, const LinkResult& result, bool crawled);
    void Count(const LinkResult& result);
    bool WantsPage(const CrawlEntry& entry);
    void WaitForDelay();
    void Report(const std::function<void(const CrawlProgress&)>& progress, bool now);

    Browser& browser_;
    HttpMultiTransport& transport_;
    CrawlStore& store_;
    CrawlOptions options_;
    CrawlScope scope_;
    std::unordered_map<std::string, std::unique_ptr<Host>> hosts_;
    std::deque<std::string> activeHosts_; // hosts that may have work to start
    std::vector<std::string> robotsHosts_; // hosts whose pages are read: robots.txt is obeyed
    std::unordered_map<uint64_t, Flight> flights_;
    std::unordered_set<std::string> readPages_; // final addresses of the pages read
    int64_t queued_ = 0;
    uint64_t nextRequest_ = 1;
    int64_t pagesRead_ = 0;
    int64_t pagesInFlight_ = 0;
    int64_t requests_ = 0;
    bool pageLimitReached_ = false;
    CrawlProgress progress_;
    Clock::time_point started_{};
    Clock::time_point lastReport_{};
};

} // namespace qm
