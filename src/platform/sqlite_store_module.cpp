// The SQLite crawl store as the module that the command-line front loads (crawl_store_module.h).

#include "platform/crawl_store_module.h"
#include "platform/sqlite_crawl_store.h"

qm::CrawlStore* quillmar_open_crawl_store(const char* path, std::string* error) {
    return qm::OpenSqliteCrawlStore(path, *error).release();
}
