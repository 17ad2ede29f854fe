// The crawl stores, in memory and in an SQLite file, hold the same things the same way; the
// file keeps them for a later run and refuses what is not its own.

#include <sqlite3.h>

#include <cstdio>
#include <fstream>

#include <gtest/gtest.h>

#include "platform/sqlite_crawl_store.h"
#include "site/crawl_store.h"

namespace {

using namespace qm;

std::string StatePath(const char* name) {
    const std::string path = ::testing::TempDir() + name;
    std::remove(path.c_str());
    return path;
}

CrawlEntry Entry(std::string address, int64_t firstPage) {
    CrawlEntry entry;
    entry.address = std::move(address);
    entry.written = "written " + entry.address;
    entry.kind = LinkBlockKind::Media;
    entry.line = 7;
    entry.firstPage = firstPage;
    entry.depth = 2;
    return entry;
}

void Fill(CrawlStore& store) {
    EXPECT_EQ(store.Add(Entry("http://h/", 0)).id, 1);
    const CrawlStore::Added cyrillic = store.Add(Entry("http://h/\xCF\xF0\xE8 \x98", 1));
    EXPECT_TRUE(cyrillic.isNew);
    EXPECT_FALSE(store.Add(Entry("http://h/\xCF\xF0\xE8 \x98", 1)).isNew);
    store.AddHolder(2, 1);
    LinkResult result;
    result.kind = AddressKind::Web;
    result.failed = true;
    result.status = 404;
    result.reason = "gone \"\xE2\"";
    result.contentType = "text/html";
    result.contentLength = 1234567890123;
    result.finalUrl = "http://h/final";
    store.SaveResult(1, result, true);
    store.SetSetting("start", "http://h/");
    store.Commit();
}

void Check(const CrawlStore& store) {
    const CrawlEntry entry = store.Get(2);
    EXPECT_EQ(entry.address, "http://h/\xCF\xF0\xE8 \x98");
    EXPECT_EQ(entry.written, "written http://h/\xCF\xF0\xE8 \x98");
    EXPECT_EQ(entry.kind, LinkBlockKind::Media);
    EXPECT_EQ(entry.line, 7);
    EXPECT_EQ(entry.firstPage, 1);
    EXPECT_EQ(entry.depth, 2);
    EXPECT_EQ(entry.pages, 1);
    EXPECT_FALSE(entry.done);
    const CrawlEntry done = store.Get(1);
    EXPECT_TRUE(done.done && done.crawled && done.result.failed);
    EXPECT_EQ(done.result.status, 404);
    EXPECT_EQ(done.result.reason, "gone \"\xE2\"");
    EXPECT_EQ(done.result.contentLength, 1234567890123);
    EXPECT_EQ(done.result.finalUrl, "http://h/final");
    EXPECT_EQ(store.Unfinished(), std::vector<int64_t>{2});
    EXPECT_EQ(store.CrawledPages(), 1);
    EXPECT_EQ(store.Setting("start"), "http://h/");
    EXPECT_EQ(store.Setting("other"), "");
    std::vector<int64_t> ids;
    store.ForEach([&](const CrawlEntry& e) { ids.push_back(e.id); });
    EXPECT_EQ(ids, (std::vector<int64_t>{1, 2}));
}

TEST(CrawlStore, MemoryAndFileHoldTheSame) {
    std::unique_ptr<CrawlStore> memory = NewMemoryCrawlStore();
    Fill(*memory);
    Check(*memory);

    const std::string path = StatePath("quillmar_store_test.db");
    std::string error;
    {
        std::unique_ptr<CrawlStore> file = OpenSqliteCrawlStore(path, error);
        ASSERT_TRUE(file) << error;
        Fill(*file);
        // While a run holds the file, another is refused.
        EXPECT_FALSE(OpenSqliteCrawlStore(path, error));
        EXPECT_NE(error.find("in use by another run"), std::string::npos) << error;
    }
    std::unique_ptr<CrawlStore> reopened = OpenSqliteCrawlStore(path, error);
    ASSERT_TRUE(reopened) << error;
    Check(*reopened);
    std::remove(path.c_str());
}

TEST(CrawlStore, AFileThatIsNotOursIsLeftAlone) {
    const std::string text = StatePath("quillmar_store_text.db");
    std::ofstream(text) << "not a database at all\n";
    const std::string other = StatePath("quillmar_store_other.db");
    sqlite3* db = nullptr;
    sqlite3_open(other.c_str(), &db);
    sqlite3_exec(db, "CREATE TABLE mine(x)", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    for (const std::string& path : {text, other}) {
        std::string error;
        EXPECT_FALSE(OpenSqliteCrawlStore(path, error)) << path;
        EXPECT_NE(error.find("not a crawl state"), std::string::npos) << error;
    }
    sqlite3_open(other.c_str(), &db);
    sqlite3_stmt* count = nullptr;
    sqlite3_prepare_v2(db, "SELECT count(*) FROM sqlite_schema", -1, &count, nullptr);
    sqlite3_step(count);
    EXPECT_EQ(sqlite3_column_int(count, 0), 1); // nothing of ours was added
    sqlite3_finalize(count);
    sqlite3_close(db);
    std::remove(text.c_str());
    std::remove(other.c_str());
}

} // namespace
