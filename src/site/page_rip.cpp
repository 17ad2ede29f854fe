#include "site/page_rip.h"

#include <filesystem>
#include <unordered_set>

#include "base/codepage.h"
#include "site/crawl_page.h"
#include "state/browser.h"
#include "view/page_links.h"

namespace qm {
namespace {

constexpr int kUiSaveAllLinked = 313;
constexpr int kUiStopped = 268;
constexpr int kUiSaving = 308;
constexpr int kUiNothingToSave = 309;
constexpr int kUiSaved = 310;
constexpr int kUiInto = 311;
constexpr int kUiCannotMakeFolder = 312;

std::string Folder(const BrowserState& state) {
    std::string folder = state.RipFolder.empty() ? state.DownloadFolder : state.RipFolder;
    if (folder.empty()) folder = ".";
    return folder.back() == '/' ? folder : folder + '/';
}

// One line per address: where its file went, or why none was written.
std::string InfoLines(const std::vector<SaveOutcome>& outcomes) {
    std::string text;
    for (const SaveOutcome& outcome : outcomes) {
        text += outcome.address + " -> ";
        text += Utf8ToCp1251(outcome.path.empty() ? outcome.why : outcome.path);
        text += "\r\n";
    }
    return text;
}

} // namespace

std::vector<FileToSave> PageFilesToSave(const BrowserState& state, const LinkedFileFilter& filter,
                                        bool hidden) {
    // Script sources are files the page needs, as its stylesheets are.
    ViewOptions options = AllLinkBlocks(hidden);
    options.Scripts = true;
    const std::vector<PageLink> links =
        CollectPageLinks(state, options, ScriptSources::AsLinkedFiles);
    std::vector<FileToSave> files;
    std::unordered_set<std::string_view> chosen; // an address once, whichever block chose it
    for (const PageLink& link : links) {
        // A LINK to another page is a link like any other, not a file of this page.
        const LinkBlockKind kind = link.navigation ? LinkBlockKind::Link : link.kind;
        if (IsWanted(kind, link.address, filter) && chosen.insert(link.address).second)
            files.push_back({link.address, state.BaseURL});
    }
    return files;
}

PageRip::PageRip(Browser& browser, HttpMultiTransport& transport)
    : browser_(browser), transport_(transport) {}

void PageRip::Run() {
    BrowserState& state = browser_.State();
    if (state.LinkCheckBusy || state.DownloadBusy) return;
    state.Recorder.Skip(kUiSaveAllLinked);
    LinkedFileFilter filter;
    if (!ParseKinds(state.RipKinds, filter)) filter = LinkedFileFilter{};
    filter.extensions = ParseExtensions(state.RipExtensions);
    const std::vector<FileToSave> files =
        PageFilesToSave(state, filter, browser_.Options().HiddenAddresses);
    if (files.empty()) return browser_.SetStatus(browser_.Ui(kUiNothingToSave));
    const std::string folder = Folder(state);
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (!std::filesystem::is_directory(folder, ec))
        return browser_.SetStatus(browser_.Ui(kUiCannotMakeFolder) + Utf8ToCp1251(folder));

    state.LinkCheckAbort = false;
    const std::vector<SaveOutcome> outcomes =
        LinkedFileSaver(browser_, transport_, {folder, SaveLayout::Flat, 8, 8, filter.linked, filter})
            .Run(files, [this](size_t done, size_t total) {
                browser_.SetCaptionPrefix(browser_.Ui(kUiSaving) + std::to_string(done) + " / " +
                                          std::to_string(total) + " - ");
                browser_.SetForm1Caption(browser_.State().StatusText);
            });
    browser_.SetCaptionPrefix({});
    size_t saved = 0;
    for (const SaveOutcome& outcome : outcomes)
        saved += outcome.path.empty() ? 0 : 1;
    browser_.SetField(FieldId::ObjectInfo, InfoLines(outcomes));
    browser_.SetStatus(browser_.Ui(kUiSaved) + std::to_string(saved) + " / " +
                       std::to_string(files.size()) + browser_.Ui(kUiInto) +
                       Utf8ToCp1251(folder) + (state.LinkCheckAbort ? browser_.Ui(kUiStopped) : ""));
}

} // namespace qm
