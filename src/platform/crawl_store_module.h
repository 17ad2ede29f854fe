#pragma once
// The SQLite crawl store of the command-line front, which links no SQLite: the store is built
// as a module beside the program and loaded only by a site check with a state file.

#include <memory>
#include <string>

#include "site/crawl_store.h"

namespace qm {

inline constexpr const char* kCrawlStoreModuleFile = "quillmar-store.so";
inline constexpr const char* kCrawlStoreModuleEntry = "quillmar_open_crawl_store";

// Null, with the reason in error, when the module cannot be loaded or the store not opened.
std::unique_ptr<CrawlStore> OpenCrawlStoreModule(const std::string& modulePath,
                                                 const std::string& path, std::string& error);

} // namespace qm

// The module's exported function: OpenSqliteCrawlStore.
extern "C" __attribute__((visibility("default"))) qm::CrawlStore*
quillmar_open_crawl_store(const char* path, std::string* error);
