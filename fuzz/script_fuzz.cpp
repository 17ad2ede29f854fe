// The script interpreter on any program text. The site behind the transport has a page from
// the input at "/", a redirect to it at "/moved" and nothing else.

#include <fuzzer/FuzzedDataProvider.h>

#include <string>
#include <vector>

#include "base/ascii_case.h"
#include "base/trim.h"
#include "net/downloader.h"
#include "net/go_action.h"
#include "script/program_file.h"
#include "script/script_line.h"
#include "script/script_runner.h"
#include "state/browser.h"
#include "support/fake_pump.h"
#include "support/table_transport.h"
#include "temp_folder.h"

namespace {

class Editor : public qm::ScriptHost, public qm::GoActionHost {
  public:
    std::vector<std::string> lines;
    std::vector<std::string> ProgramLines() override { return lines; }
    void ShowScriptStatus(const std::string&) override {}
    void PageReady() override {}
};

// GO and TESTURL open local files by path; a run must not read the machine's files (a device
// would never end).
bool OpensLocalFile(const std::vector<std::string>& lines) {
    for (const std::string& text : lines) {
        const qm::ScriptLine line = qm::ParseScriptLine(text);
        if (line.kind != qm::LineKind::Command || !line.argument) continue;
        if (line.command != qm::ScriptCommand::Go && line.command != qm::ScriptCommand::TestUrl)
            continue;
        const std::string address(qm::TrimBlanks(*line.argument));
        if (qm::AsciiUpper(address).starts_with("FILE:") || !qm::LocalPathAddress(address).empty())
            return true;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    qm::testing::TableTransport transport;
    transport.answers["fuzz.test /"] = {
        200, {{"Content-Type", "text/html"}}, input.ConsumeRandomLengthString(2048)};
    transport.answers["fuzz.test /moved"] = {302, {{"Location", "/"}}, ""};
    Editor editor;
    editor.lines = qm::SplitProgramLines(input.ConsumeRemainingBytesAsString());
    if (OpensLocalFile(editor.lines)) return -1;

    qm::testing::FakePump pump;
    qm::Browser browser(pump);
    browser.SetLanguage(1);
    // about:bookmarks makes bro.ini in the data folder.
    static const qm::fuzz::TempFolder folder;
    browser.State().DataFolder = folder.path;
    qm::Downloader downloader(browser, transport);
    qm::GoAction go(browser, editor, downloader);
    go.SetAddress("http://fuzz.test/");
    qm::ScriptRunner runner({browser, go, downloader, editor});
    runner.Run(editor);
    return 0;
}
