// Tables (text in UTF-8):
//   settings(key, value)       what the crawl was started with
//   addresses(id, address, written, kind, line, first_page, depth, pages, done, crawled,
//             result_kind, failed, status, reason, content_type, content_length, final_address)
//                              every address found; the queue is the rows with done = 0
//   holders(address, page)     which pages hold which address (ids of addresses)

#include "platform/sqlite_crawl_store.h"

#include <sqlite3.h>

#include <array>

#include "base/codepage.h"

namespace qm {
namespace {

// "QMCR": marks the file as a crawl store of this program.
constexpr int kApplicationId = 0x514D4352;

constexpr const char* kSchema = R"(
CREATE TABLE IF NOT EXISTS settings(key TEXT PRIMARY KEY, value TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS addresses(
  id INTEGER PRIMARY KEY, address TEXT NOT NULL UNIQUE, written TEXT NOT NULL,
  kind INTEGER NOT NULL, line INTEGER NOT NULL, first_page INTEGER NOT NULL,
  depth INTEGER NOT NULL, pages INTEGER NOT NULL DEFAULT 0, done INTEGER NOT NULL DEFAULT 0,
  crawled INTEGER NOT NULL DEFAULT 0, result_kind INTEGER NOT NULL DEFAULT 0,
  failed INTEGER NOT NULL DEFAULT 0, status INTEGER NOT NULL DEFAULT 0,
  reason TEXT NOT NULL DEFAULT '', content_type TEXT NOT NULL DEFAULT '',
  content_length INTEGER NOT NULL DEFAULT -1, final_address TEXT NOT NULL DEFAULT '');
CREATE TABLE IF NOT EXISTS holders(address INTEGER NOT NULL, page INTEGER NOT NULL,
  PRIMARY KEY(address, page)) WITHOUT ROWID;
CREATE INDEX IF NOT EXISTS addresses_queue ON addresses(done) WHERE done = 0;
)";

enum Statement {
    kInsert, kFind, kHolder, kCount, kGet, kSave, kUnfinished, kCrawled, kAll, kSetting, kSet,
    kStatements
};

constexpr std::array<const char*, kStatements> kSql = {
    "INSERT INTO addresses(address, written, kind, line, first_page, depth) "
    "VALUES(?1, ?2, ?3, ?4, ?5, ?6) ON CONFLICT(address) DO NOTHING",
    "SELECT id FROM addresses WHERE address = ?1",
    "INSERT OR IGNORE INTO holders(address, page) VALUES(?1, ?2)",
    "UPDATE addresses SET pages = pages + 1 WHERE id = ?1",
    "SELECT * FROM addresses WHERE id = ?1",
    "UPDATE addresses SET done = 1, crawled = ?2, result_kind = ?3, failed = ?4, status = ?5, "
    "reason = ?6, content_type = ?7, content_length = ?8, final_address = ?9 WHERE id = ?1",
    "SELECT id FROM addresses WHERE done = 0 ORDER BY id",
    "SELECT count(*) FROM addresses WHERE crawled = 1",
    "SELECT * FROM addresses ORDER BY id",
    "SELECT value FROM settings WHERE key = ?1",
    "INSERT OR REPLACE INTO settings(key, value) VALUES(?1, ?2)",
};

std::string Text(sqlite3_stmt* row, int column) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(row, column));
    return text ? Utf8ToCp1251(text) : std::string();
}

void Bind(sqlite3_stmt* statement, int index, std::string_view text) {
    const std::string utf8 = Cp1251ToUtf8(text);
    sqlite3_bind_text(statement, index, utf8.data(), static_cast<int>(utf8.size()),
                      SQLITE_TRANSIENT);
}

CrawlEntry EntryOf(sqlite3_stmt* row) {
    CrawlEntry entry;
    entry.id = sqlite3_column_int64(row, 0);
    entry.address = Text(row, 1);
    entry.written = Text(row, 2);
    entry.kind = static_cast<LinkBlockKind>(sqlite3_column_int(row, 3));
    entry.line = sqlite3_column_int(row, 4);
    entry.firstPage = sqlite3_column_int64(row, 5);
    entry.depth = sqlite3_column_int(row, 6);
    entry.pages = sqlite3_column_int(row, 7);
    entry.done = sqlite3_column_int(row, 8) != 0;
    entry.crawled = sqlite3_column_int(row, 9) != 0;
    LinkResult& result = entry.result;
    result.kind = static_cast<AddressKind>(sqlite3_column_int(row, 10));
    result.done = entry.done;
    result.failed = sqlite3_column_int(row, 11) != 0;
    result.status = sqlite3_column_int(row, 12);
    result.reason = Text(row, 13);
    result.contentType = Text(row, 14);
    result.contentLength = sqlite3_column_int64(row, 15);
    result.finalUrl = Text(row, 16);
    return entry;
}

class SqliteCrawlStore : public CrawlStore {
  public:
    ~SqliteCrawlStore() override {
        Commit();
        for (sqlite3_stmt* statement : statements_)
            sqlite3_finalize(statement);
        sqlite3_close(db_);
    }

    bool Open(const std::string& path, std::string& error);

    Added Add(const CrawlEntry& entry) override {
        sqlite3_stmt* insert = Use(kInsert);
        Bind(insert, 1, entry.address);
        Bind(insert, 2, entry.written);
        sqlite3_bind_int(insert, 3, static_cast<int>(entry.kind));
        sqlite3_bind_int(insert, 4, entry.line);
        sqlite3_bind_int64(insert, 5, entry.firstPage);
        sqlite3_bind_int(insert, 6, entry.depth);
        sqlite3_step(insert);
        if (sqlite3_changes(db_) > 0) return {sqlite3_last_insert_rowid(db_), true};
        sqlite3_stmt* find = Use(kFind);
        Bind(find, 1, entry.address);
        return {sqlite3_step(find) == SQLITE_ROW ? sqlite3_column_int64(find, 0) : 0, false};
    }

    void AddHolder(int64_t address, int64_t page) override {
        sqlite3_stmt* holder = Use(kHolder);
        sqlite3_bind_int64(holder, 1, address);
        sqlite3_bind_int64(holder, 2, page);
        sqlite3_step(holder);
        if (sqlite3_changes(db_) == 0) return;
        sqlite3_stmt* count = Use(kCount);
        sqlite3_bind_int64(count, 1, address);
        sqlite3_step(count);
    }

    CrawlEntry Get(int64_t id) const override {
        sqlite3_stmt* get = Use(kGet);
        sqlite3_bind_int64(get, 1, id);
        return sqlite3_step(get) == SQLITE_ROW ? EntryOf(get) : CrawlEntry{};
    }

    void SaveResult(int64_t id, const LinkResult& result, bool crawled) override {
        sqlite3_stmt* save = Use(kSave);
        sqlite3_bind_int64(save, 1, id);
        sqlite3_bind_int(save, 2, crawled ? 1 : 0);
        sqlite3_bind_int(save, 3, static_cast<int>(result.kind));
        sqlite3_bind_int(save, 4, result.failed ? 1 : 0);
        sqlite3_bind_int(save, 5, result.status);
        Bind(save, 6, result.reason);
        Bind(save, 7, result.contentType);
        sqlite3_bind_int64(save, 8, result.contentLength);
        Bind(save, 9, result.finalUrl);
        sqlite3_step(save);
    }

    std::vector<int64_t> Unfinished() const override {
        std::vector<int64_t> ids;
        sqlite3_stmt* rows = Use(kUnfinished);
        while (sqlite3_step(rows) == SQLITE_ROW)
            ids.push_back(sqlite3_column_int64(rows, 0));
        return ids;
    }

    int64_t CrawledPages() const override {
        sqlite3_stmt* count = Use(kCrawled);
        return sqlite3_step(count) == SQLITE_ROW ? sqlite3_column_int64(count, 0) : 0;
    }

    void ForEach(const std::function<void(const CrawlEntry&)>& visit) const override {
        sqlite3_stmt* rows = Use(kAll);
        while (sqlite3_step(rows) == SQLITE_ROW)
            visit(EntryOf(rows));
    }

    std::string Setting(std::string_view key) const override {
        sqlite3_stmt* get = Use(kSetting);
        Bind(get, 1, key);
        return sqlite3_step(get) == SQLITE_ROW ? Text(get, 0) : std::string();
    }

    void SetSetting(std::string_view key, std::string_view value) override {
        sqlite3_stmt* set = Use(kSet);
        Bind(set, 1, key);
        Bind(set, 2, value);
        sqlite3_step(set);
    }

    // Every write since the last commit lands at once; the next ones begin a new transaction.
    void Commit() override {
        if (!ready_) return;
        sqlite3_exec(db_, "COMMIT; BEGIN", nullptr, nullptr, nullptr);
    }

  private:
    sqlite3_stmt* Use(Statement which) const {
        sqlite3_stmt* statement = statements_[which];
        sqlite3_reset(statement);
        sqlite3_clear_bindings(statement);
        return statement;
    }
    bool Fail(const std::string& why, std::string& error) {
        error = why + (db_ ? std::string(": ") + sqlite3_errmsg(db_) : std::string());
        return false;
    }

    sqlite3* db_ = nullptr;
    bool ready_ = false; // opened, set up, and in a transaction
    std::array<sqlite3_stmt*, kStatements> statements_{};
};

bool SqliteCrawlStore::Open(const std::string& path, std::string& error) {
    if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                        nullptr) != SQLITE_OK)
        return Fail("cannot open the state file", error);
    sqlite3_busy_timeout(db_, 0);
    sqlite3_exec(db_, "PRAGMA synchronous = NORMAL", nullptr, nullptr, nullptr);
    // The lock taken by the first write is kept until the end: a second run is refused.
    if (sqlite3_exec(db_, "PRAGMA locking_mode = EXCLUSIVE; BEGIN IMMEDIATE", nullptr, nullptr,
                     nullptr) != SQLITE_OK)
        return Fail(sqlite3_errcode(db_) == SQLITE_BUSY
                        ? "the state file is in use by another run"
                        : "the state file is not a crawl state",
                    error);
    sqlite3_stmt* read = nullptr;
    sqlite3_prepare_v2(db_, "PRAGMA application_id", -1, &read, nullptr);
    const int id = sqlite3_step(read) == SQLITE_ROW ? sqlite3_column_int(read, 0) : -1;
    sqlite3_finalize(read);
    sqlite3_prepare_v2(db_, "SELECT count(*) FROM sqlite_schema", -1, &read, nullptr);
    const int tables = sqlite3_step(read) == SQLITE_ROW ? sqlite3_column_int(read, 0) : -1;
    sqlite3_finalize(read);
    if (id != kApplicationId && tables != 0) {
        error = "the state file is not a crawl state of this program";
        return false;
    }
    const std::string setUp =
        std::string(kSchema) + "PRAGMA application_id = " + std::to_string(kApplicationId) + ";";
    if (sqlite3_exec(db_, setUp.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
        return Fail("cannot set the state file up", error);
    for (int i = 0; i < kStatements; ++i)
        if (sqlite3_prepare_v3(db_, kSql[i], -1, SQLITE_PREPARE_PERSISTENT, &statements_[i],
                               nullptr) != SQLITE_OK)
            return Fail("cannot read the state file", error);
    ready_ = true;
    return true;
}

} // namespace

std::unique_ptr<CrawlStore> OpenSqliteCrawlStore(const std::string& path, std::string& error) {
    auto store = std::make_unique<SqliteCrawlStore>();
    if (!store->Open(path, error)) return nullptr;
    return store;
}

} // namespace qm
