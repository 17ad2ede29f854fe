// The crawl store of a run without a state file: entries in a deque, whose elements stay in
// place, and an index by address that points into them.

#include <deque>
#include <map>
#include <unordered_map>

#include "site/crawl_store.h"

namespace qm {
namespace {

class MemoryCrawlStore : public CrawlStore {
  public:
    Added Add(const CrawlEntry& entry) override {
        if (auto known = index_.find(entry.address); known != index_.end())
            return {known->second, false};
        CrawlEntry& added = entries_.emplace_back(entry);
        added.id = static_cast<int64_t>(entries_.size());
        added.pages = 0;
        index_.emplace(added.address, added.id);
        return {added.id, true};
    }

    void AddHolder(int64_t address, int64_t) override { ++At(address).pages; }

    CrawlEntry Get(int64_t id) const override { return entries_[static_cast<size_t>(id - 1)]; }

    void SaveResult(int64_t id, const LinkResult& result, bool crawled) override {
        CrawlEntry& entry = At(id);
        entry.result = result;
        entry.done = true;
        entry.crawled = crawled;
        crawled_ += crawled ? 1 : 0;
    }

    std::vector<int64_t> Unfinished() const override {
        std::vector<int64_t> ids;
        for (const CrawlEntry& entry : entries_)
            if (!entry.done) ids.push_back(entry.id);
        return ids;
    }

    int64_t CrawledPages() const override { return crawled_; }

    void ForEach(const std::function<void(const CrawlEntry&)>& visit) const override {
        for (const CrawlEntry& entry : entries_)
            visit(entry);
    }

    std::string Setting(std::string_view key) const override {
        const auto found = settings_.find(std::string(key));
        return found == settings_.end() ? std::string() : found->second;
    }

    void SetSetting(std::string_view key, std::string_view value) override {
        settings_[std::string(key)] = value;
    }

  private:
    CrawlEntry& At(int64_t id) { return entries_[static_cast<size_t>(id - 1)]; }

    std::deque<CrawlEntry> entries_;
    std::unordered_map<std::string_view, int64_t> index_;
    std::map<std::string, std::string> settings_;
    int64_t crawled_ = 0;
};

} // namespace

std::unique_ptr<CrawlStore> NewMemoryCrawlStore() {
    return std::make_unique<MemoryCrawlStore>();
}

} // namespace qm
