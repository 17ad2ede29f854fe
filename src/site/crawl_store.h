#pragma once
// Where a site check keeps its work: every address found, the pages that hold it, its result,
// and what is still to do. The check sees only this interface, so the queue can live in
// memory, in a file that a later run goes on with, or elsewhere.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "net/link_test.h"
#include "view/page_links.h"

namespace qm {

struct CrawlEntry {
    int64_t id = 0;          // 1, 2, ... in the order the addresses were found
    std::string address;     // resolved, without the fragment
    std::string written;     // as the first block that holds it wrote it
    LinkBlockKind kind = LinkBlockKind::Link;
    int32_t line = 0;        // page line of that block; 0 for the start address
    int64_t firstPage = 0;   // id of the page it was first found on; 0 for the start address
    int32_t depth = 0;       // link steps from the start page
    int32_t pages = 0;       // how many pages hold it
    bool done = false;       // tested (or found not to need a request)
    bool crawled = false;    // read as a page for its links
    LinkResult result;
};

class CrawlStore {
  public:
    virtual ~CrawlStore() = default;

    struct Added {
        int64_t id = 0;
        bool isNew = false;
    };
    // A new address gets the next id and the entry's fields; a known one keeps its entry.
    virtual Added Add(const CrawlEntry& entry) = 0;
    // One more page holds the address; the check gives each page once for each address.
    virtual void AddHolder(int64_t address, int64_t page) = 0;
    virtual CrawlEntry Get(int64_t id) const = 0;
    virtual void SaveResult(int64_t id, const LinkResult& result, bool crawled) = 0;
    // The ids of the entries not done, in id order: what a crawl that goes on still has to do.
    virtual std::vector<int64_t> Unfinished() const = 0;
    virtual int64_t CrawledPages() const = 0;
    // Every entry in id order.
    virtual void ForEach(const std::function<void(const CrawlEntry&)>& visit) const = 0;
    // What the crawl was started with, so that a later run can tell it goes on with the same.
    virtual std::string Setting(std::string_view key) const = 0;
    virtual void SetSetting(std::string_view key, std::string_view value) = 0;
    // Makes what was stored so far last; a store on disk writes it out here.
    virtual void Commit() {}
};

// The store of a crawl that keeps nothing on disk.
std::unique_ptr<CrawlStore> NewMemoryCrawlStore();

} // namespace qm
