// The script interpreter on any program text, with a page from the input behind a transport
// that answers from memory.

#include <fuzzer/FuzzedDataProvider.h>

#include <string>
#include <vector>

#include "base/ascii_case.h"
#include "base/trim.h"
#include "fake_transport.h"
#include "net/downloader.h"
#include "net/go_action.h"
#include "script/script_line.h"
#include "script/script_runner.h"
#include "state/browser.h"
#include "temp_folder.h"

namespace {

class NoEvents : public qm::EventPump {
  public:
    void ProcessEvents() override {}
};

class Editor : public qm::ScriptHost, public qm::GoActionHost {
  public:
    std::vector<std::string> lines;
    std::vector<std::string> ProgramLines() override { return lines; }
    void ShowScriptStatus(const std::string&) override {}
    void PageReady() override {}
};

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    for (size_t start = 0; start <= text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

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
    qm::fuzz::FakeTransport transport;
    transport.page = input.ConsumeRandomLengthString(2048);
    Editor editor;
    editor.lines = SplitLines(input.ConsumeRemainingBytesAsString());
    if (OpensLocalFile(editor.lines)) return -1;

    NoEvents pump;
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
