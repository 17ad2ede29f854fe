#include "app/save_linked_mode.h"

#include <unistd.h>

#include <charconv>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <unordered_map>

#include "app/site_options.h"
#include "app/terminal_pump.h"
#include "base/codepage.h"
#include "net/link_test.h"
#include "site/crawl_page.h"
#include "site/crawl_store.h"
#include "site/link_report.h"
#include "site/linked_file_saver.h"
#include "site/page_rip.h"
#include "site/site_crawl.h"
#include "state/browser.h"
#include "view/page_links.h"

namespace qm {
namespace {

constexpr std::string_view kMode = "quillmar --save-linked: ";
constexpr int kUiStoppedBySignal = 263;

struct SaveArgs {
    std::string folder;
    LinkedFileFilter filter;
    SaveLayout layout = SaveLayout::Flat;
    int parallel = 8;
};

// Takes the words of --save-linked's own options out of args; empty error text when good.
std::string TakeSaveArgs(std::vector<std::string>& args, SaveArgs& save) {
    if (args.empty() || args.front().starts_with("--")) return "--save-linked needs a folder first";
    save.folder = args.front();
    std::vector<std::string> rest;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& word = args[i];
        const bool valued = word == "--kinds" || word == "--ext" || word == "--match" ||
                            word == "--layout" || word == "--parallel";
        if (!valued) {
            rest.push_back(word);
            continue;
        }
        if (i + 1 >= args.size()) return word + " needs a value";
        const std::string& value = args[++i];
        if (word == "--kinds" && !ParseKinds(value, save.filter))
            return "--kinds needs media, linked or link, separated by commas, not \"" + value + "\"";
        if (word == "--ext") save.filter.extensions = ParseExtensions(value);
        if (word == "--match") save.filter.match = Utf8ToCp1251(value);
        if (word == "--layout") {
            if (value != "flat" && value != "mirror") return "--layout needs flat or mirror";
            save.layout = value == "mirror" ? SaveLayout::Mirror : SaveLayout::Flat;
        }
        if (word == "--parallel") {
            auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), save.parallel);
            if (ec != std::errc() || end != value.data() + value.size() || save.parallel < 1 ||
                save.parallel > 64)
                return "--parallel needs a number from 1 to 64, not \"" + value + "\"";
        }
    }
    args = std::move(rest);
    return {};
}

// The linked files of every page the site check reads, each once, with the page that first
// held it as the referer.
std::vector<FileToSave> SiteFiles(Browser& browser, HttpMultiTransport& transport,
                                  const std::string& start, const SiteArgs& site,
                                  const LinkedFileFilter& filter) {
    std::unique_ptr<CrawlStore> store = NewMemoryCrawlStore();
    SiteCrawl(browser, transport, *store, site.crawl).Run(start, {});
    std::vector<FileToSave> files;
    std::unordered_map<int64_t, std::string> pages;
    store->ForEach([&](const CrawlEntry& entry) {
        if (entry.crawled) pages.emplace(entry.id, entry.address);
        if (entry.done && !IsBroken(entry.result) && IsWanted(entry.kind, entry.address, filter))
            files.push_back({entry.address, pages[entry.firstPage]});
    });
    return files;
}

std::string OutcomeLine(const SaveOutcome& outcome, ReportFormat format) {
    const std::string address = Cp1251ToUtf8(outcome.address);
    if (format == ReportFormat::Json) {
        std::string line = "{\"address\":" + JsonString(outcome.address) + ",\"file\":";
        // The path and the reason are UTF-8 already; JsonString takes program text.
        line += outcome.path.empty() ? "null" : JsonString(Utf8ToCp1251(outcome.path));
        line += ",\"status\":" + std::to_string(outcome.status) +
                ",\"size\":" + (outcome.size < 0 ? "null" : std::to_string(outcome.size)) +
                ",\"saved\":" + (outcome.path.empty() ? "false" : "true") + ",\"why\":" +
                (outcome.why.empty() ? "null" : JsonString(Utf8ToCp1251(outcome.why)));
        return line + "}\n";
    }
    return (outcome.path.empty() ? "-" : outcome.path) + '\t' +
           (outcome.status ? std::to_string(outcome.status) : "-") + '\t' +
           (outcome.size < 0 ? "-" : std::to_string(outcome.size)) + '\t' + address + '\t' +
           (outcome.why.empty() ? "-" : outcome.why) + '\n';
}

} // namespace

int RunSaveLinkedMode(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                      CommandEnvironment& environment) {
    std::vector<std::string> rest = args;
    SaveArgs save;
    SiteArgs site;
    CommandArgs parsed;
    std::string problem = TakeSaveArgs(rest, save);
    if (problem.empty()) problem = TakeSiteArgs(rest, site, PerHost::Alone);
    if (problem.empty() && !site.stateFile.empty()) problem = "--state belongs to --check-links";
    if (problem.empty()) problem = ParseCommandArgs(rest, ModeOptions{}, parsed);
    std::error_code ec;
    if (problem.empty() && !std::filesystem::is_directory(save.folder, ec) &&
        !std::filesystem::create_directories(save.folder, ec))
        problem = "cannot make the folder " + save.folder;
    if (!problem.empty()) {
        err << kMode << problem << "\n";
        return 2;
    }
    std::unique_ptr<HttpMultiTransport> own;
    if (environment.newMultiTransport)
        own = environment.newMultiTransport(std::max(save.parallel, kCrawlParallel));
    HttpMultiTransport* transport = own ? own.get() : environment.multiTransport;
    if (!transport) {
        err << kMode << "no transport for the requests\n";
        return 1;
    }
    CommandPage page(environment);
    Browser& browser = page.GetBrowser();
    BrowserState& state = browser.State();
    const auto started = std::chrono::steady_clock::now();
    std::vector<FileToSave> files;
    if (site.recursive) {
        std::string target = parsed.target;
        if (!ResolveCommandTarget(target, "--save-linked", err)) return 2;
        page.Configure(parsed);
        state.LinkCheckAbort = environment.pump.StopRequested();
        files = SiteFiles(browser, *transport, Utf8ToCp1251(target), site, save.filter);
    } else {
        if (!page.Open(parsed, "--save-linked", err)) return 2;
        if (state.LastDownloadFailed || state.LastStatusCode >= 400) {
            err << kMode << "the page could not be loaded\n";
            return 1;
        }
        files = PageFilesToSave(state, save.filter, parsed.hidden);
    }
    std::string folder = save.folder;
    if (!folder.ends_with('/')) folder += '/';
    SaverOptions options{folder, save.layout, save.parallel, site.crawl.perHost,
                         save.filter.linked, save.filter};
    state.LinkCheckAbort = environment.pump.StopRequested();
    const bool terminal = ::isatty(STDERR_FILENO) == 1;
    const std::vector<SaveOutcome> outcomes =
        LinkedFileSaver(browser, *transport, options).Run(files, [&](size_t done, size_t total) {
            if (terminal) err << "\r" << done << " / " << total << " files\x1b[K" << std::flush;
        });
    if (terminal) err << "\r\x1b[K";
    int64_t saved = 0, bytes = 0, failed = 0;
    for (const SaveOutcome& outcome : outcomes) {
        out << OutcomeLine(outcome, site.format);
        saved += outcome.path.empty() ? 0 : 1;
        failed += outcome.path.empty() ? 1 : 0;
        bytes += std::max<int64_t>(0, outcome.size);
    }
    out.flush();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    char line[160];
    std::snprintf(line, sizeof line, "%lld files, %lld bytes, %lld failed, %.2f s",
                  static_cast<long long>(saved), static_cast<long long>(bytes),
                  static_cast<long long>(failed), seconds);
    err << kMode << line << "\n";
    const bool stopped = environment.pump.StopRequested();
    if (stopped) err << kMode << Cp1251ToUtf8(browser.Ui(kUiStoppedBySignal)) << "\n";
    return out && failed == 0 && !stopped ? 0 : 1;
}

} // namespace qm
