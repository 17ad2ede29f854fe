#pragma once
// The options of the link checks beyond the common ones: --recursive and the crawl's limits,
// --format and --state.

#include <string>
#include <vector>

#include "site/link_report.h"
#include "site/site_crawl.h"

namespace qm {

struct SiteArgs {
    bool recursive = false;
    CrawlOptions crawl;
    ReportFormat format = ReportFormat::Tsv;
    std::string stateFile;
    std::vector<std::string> crawlWords; // the crawl options given, for "needs --recursive"
};

// Takes the words these options use out of args and leaves the rest for ParseCommandArgs.
// Empty error text when they are good. The crawl's options need --recursive, but for
// PerHost::Alone --per-host, which limits any requests side by side.
enum class PerHost { NeedsRecursive, Alone };
std::string TakeSiteArgs(std::vector<std::string>& args, SiteArgs& site,
                         PerHost perHost = PerHost::NeedsRecursive);

// Whether the word is one of these options.
bool IsSiteOption(std::string_view word);

} // namespace qm
