#include "app/site_options.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

namespace qm {
namespace {

struct SiteNumber {
    std::string_view name;
    int64_t low, high;
};

constexpr SiteNumber kNumbers[] = {{"--depth", 0, 1000000},
                                   {"--max-pages", 1, 1000000000},
                                   {"--per-host", 1, 64},
                                   {"--delay", 0, 3600000}};

constexpr std::string_view kWords[] = {"--recursive", "--depth",         "--scope",
                                       "--max-pages", "--per-host",      "--delay",
                                       "--ignore-robots", "--format",    "--state"};

std::string TakeNumber(std::string_view name, const std::string* text, int64_t& value) {
    const SiteNumber& number = *std::find_if(std::begin(kNumbers), std::end(kNumbers),
                                             [&](const SiteNumber& n) { return n.name == name; });
    const std::string range =
        " needs a number from " + std::to_string(number.low) + " to " + std::to_string(number.high);
    if (!text) return std::string(name) + range;
    auto [end, ec] = std::from_chars(text->data(), text->data() + text->size(), value);
    if (ec != std::errc() || end != text->data() + text->size() || value < number.low ||
        value > number.high)
        return std::string(name) + range + ", not \"" + *text + "\"";
    return {};
}

std::string TakeScope(const std::string* text, CrawlOptions& crawl) {
    if (!text || text->empty()) return "--scope needs host, prefix or an address";
    if (*text == "host") {
        crawl.scope = ScopeKind::Host;
    } else if (*text == "prefix") {
        crawl.scope = ScopeKind::Prefix;
    } else if (text->starts_with("http://") || text->starts_with("https://")) {
        crawl.scope = ScopeKind::Address;
        crawl.scopeAddress = *text;
    } else {
        return "--scope needs host, prefix or an http:// or https:// address, not \"" + *text +
               "\"";
    }
    return {};
}

// One option at args[i] with its value, if it takes one; i moves past what was used.
std::string TakeOne(const std::vector<std::string>& args, size_t& i, SiteArgs& site) {
    const std::string& word = args[i];
    const std::string* value = i + 1 < args.size() ? &args[i + 1] : nullptr;
    CrawlOptions& crawl = site.crawl;
    int64_t number = 0;
    std::string problem;
    if (word == "--recursive") return site.recursive = true, std::string();
    if (word == "--ignore-robots") return crawl.ignoreRobots = true, std::string();
    ++i; // the rest take a value
    if (word == "--scope") return TakeScope(value, crawl);
    if (word == "--format") {
        if (value && (*value == "tsv" || *value == "json")) {
            site.format = *value == "json" ? ReportFormat::Json : ReportFormat::Tsv;
            return {};
        }
        return "--format needs tsv or json" + (value ? ", not \"" + *value + "\"" : "");
    }
    if (word == "--state") {
        if (!value || value->empty()) return "--state needs a file";
        site.stateFile = *value;
        return {};
    }
    if (!(problem = TakeNumber(word, value, number)).empty()) return problem;
    if (word == "--depth") crawl.maxDepth = static_cast<int32_t>(number);
    if (word == "--max-pages") crawl.maxPages = number;
    if (word == "--per-host") crawl.perHost = static_cast<int>(number);
    if (word == "--delay") crawl.delayMs = static_cast<int>(number);
    return {};
}

} // namespace

bool IsSiteOption(std::string_view word) {
    return std::find(std::begin(kWords), std::end(kWords), word) != std::end(kWords);
}

std::string TakeSiteArgs(std::vector<std::string>& args, SiteArgs& site, PerHost perHost) {
    std::vector<std::string> rest;
    for (size_t i = 0; i < args.size(); ++i) {
        if (!IsSiteOption(args[i])) {
            rest.push_back(args[i]);
            continue;
        }
        const bool alone = args[i] == "--recursive" || args[i] == "--format" ||
                           (args[i] == "--per-host" && perHost == PerHost::Alone);
        if (!alone) site.crawlWords.push_back(args[i]);
        if (std::string problem = TakeOne(args, i, site); !problem.empty()) return problem;
    }
    args = std::move(rest);
    if (!site.recursive && !site.crawlWords.empty())
        return site.crawlWords.front() + " needs --recursive";
    return {};
}

} // namespace qm
