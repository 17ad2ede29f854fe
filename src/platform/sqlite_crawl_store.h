#pragma once
// The crawl store in an SQLite file, so that a stopped site check can go on and its results
// can be read afterwards. Only this file and its module know SQLite.

#include <memory>
#include <string>

#include "site/crawl_store.h"

namespace qm {

// Opens or creates the file (a UTF-8 path). Null, with the reason in error, when the file is
// not a crawl store, cannot be opened, or another run holds it.
std::unique_ptr<CrawlStore> OpenSqliteCrawlStore(const std::string& path, std::string& error);

} // namespace qm
