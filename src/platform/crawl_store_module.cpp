#include "platform/crawl_store_module.h"

#include "platform/http_module.h"

namespace qm {

std::unique_ptr<CrawlStore> OpenCrawlStoreModule(const std::string& modulePath,
                                                 const std::string& path, std::string& error) {
    void* entry = LoadHttpModuleEntry(modulePath, kCrawlStoreModuleEntry, error);
    if (!entry) return nullptr;
    return std::unique_ptr<CrawlStore>(
        reinterpret_cast<decltype(&quillmar_open_crawl_store)>(entry)(path.c_str(), &error));
}

} // namespace qm
