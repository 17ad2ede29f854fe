#include "script/script_runner.h"

#include <exception>
#include <stdexcept>

#include "base/dos_text.h"
#include "net/go_action.h"
#include "net/info_page_tools.h"
#include "script/script_line.h"
#include "state/browser.h"
#include "tools/info_area_tools.h"

namespace qm {
namespace {

constexpr int kUiStopRecordingFirst = 346;
constexpr int kUiReady = 1;
constexpr int kUiErrorAtString = 214;

// A run is not re-entered from the event pump it calls: a second Run returns at once.
class RunningFlag {
  public:
    explicit RunningFlag(bool& flag) : flag_(flag) { flag_ = true; }
    ~RunningFlag() { flag_ = false; }
    RunningFlag(const RunningFlag&) = delete;
    RunningFlag& operator=(const RunningFlag&) = delete;

  private:
    bool& flag_;
};

// A search-field command puts its argument into the field first; without one the field
// stays as the user left it.
void SetSearchText(Browser& browser, const std::optional<std::string>& argument) {
    if (argument) browser.SetField(FieldId::Search, *argument);
}

} // namespace

RunResult ScriptRunner::Run(ScriptHost& host) {
    RunResult result;
    if (scriptRunning_) {
        result.end = RunEnd::Ignored;
        return result;
    }
    // A run would record its own lines.
    if (t_.browser.State().Recorder.Recording()) {
        result.end = RunEnd::Ignored;
        host.ShowScriptStatus(t_.browser.Ui(kUiStopRecordingFirst));
        return result;
    }
    RunningFlag running(scriptRunning_);
    stopAsked_ = false;
    baseUrlSet_ = false;
    host.ShowScriptStatus({});
    Browser& browser = t_.browser;
    for (size_t index = 0;; ++index) {
        const std::vector<std::string> lines = host.ProgramLines();
        if (index >= lines.size()) break;
        host.ShowScriptStatus(std::to_string(index + 1) + "/" + std::to_string(lines.size()));
        browser.Pump().ProcessEvents();
        if (stopAsked_ || host.StopRequested()) {
            result.end = RunEnd::Stopped;
            return result;
        }
        const ScriptLine line = ParseScriptLine(lines[index]);
        if (line.kind == LineKind::Blank || line.kind == LineKind::Comment) continue;
        Step step = Step::Next;
        bool failed = line.kind == LineKind::Unknown;
        if (!failed) {
            try {
                step = Perform(line, host, result);
            } catch (const std::exception&) {
                failed = true;
            }
        }
        if (failed) {
            result.end = RunEnd::Error;
            result.errorLine = static_cast<int>(index + 1);
            host.ShowScriptStatus(browser.Ui(kUiErrorAtString) + std::to_string(index + 1));
            return result;
        }
        if (step == Step::NoSelection) {
            result.end = RunEnd::NoSelection;
            host.ShowScriptStatus(line.argument ? *line.argument : std::string("NOSELX"));
            return result;
        }
        if (step == Step::Finish) break;
    }
    host.ShowScriptStatus(browser.Ui(kUiReady));
    return result;
}

void ScriptRunner::Navigate(const std::string* argument, DownloadMode mode, RunResult& result) {
    BrowserState& state = t_.browser.State();
    if (argument) t_.go.SetAddress(*argument);
    if (baseUrlSet_) state.RefererURL = state.BaseURL;
    state.LastDownloadFailed = false;
    t_.go.Go(mode);
    state.RefererURL.clear();
    if (state.LastDownloadFailed) ++result.failedRequests;
}

ScriptRunner::Step ScriptRunner::Perform(const ScriptLine& line, ScriptHost& host,
                                         RunResult& result) {
    Browser& browser = t_.browser;
    const std::string* argument = line.argument ? &*line.argument : nullptr;
    switch (line.command) {
    case ScriptCommand::Go:
        Navigate(argument, DownloadMode::Page, result);
        break;
    case ScriptCommand::TestUrl:
        Navigate(argument, DownloadMode::PagePreview, result);
        break;
    case ScriptCommand::SetBaseUrl:
        browser.State().BaseURL = argument ? *argument : std::string();
        baseUrlSet_ = true;
        break;
    case ScriptCommand::SetY: {
        const std::optional<int32_t> offset = argument ? ParseOffset(*argument) : 0;
        if (!offset) throw std::invalid_argument("SETY needs a number");
        browser.View().ScrollY = *offset;
        host.RequestRender();
        break;
    }
    case ScriptCommand::GetSource:
        ShowPageSource(browser);
        break;
    case ScriptCommand::DelBef:
        DeleteBefore(browser);
        break;
    case ScriptCommand::DelAft:
        DeleteAfter(browser);
        break;
    case ScriptCommand::DePerc:
        DecodePercentCodes(browser);
        break;
    case ScriptCommand::DeSlash:
        DecodeEscapes(browser);
        break;
    case ScriptCommand::RetBef:
        SetSearchText(browser, line.argument);
        SplitText(browser, SplitPlace::Before);
        break;
    case ScriptCommand::RetAft:
        SetSearchText(browser, line.argument);
        SplitText(browser, SplitPlace::After);
        break;
    case ScriptCommand::DelExcept:
        SetSearchText(browser, line.argument);
        KeepLines(browser);
        break;
    case ScriptCommand::TestLinks:
        TestLinks(browser, t_.downloader, t_.pageHost);
        break;
    case ScriptCommand::SetSource:
        LoadAsPageSource(browser, t_.pageHost);
        break;
    case ScriptCommand::DosToWin:
        ConvertAreaCodePage(browser, AreaConversion::DosToWin);
        break;
    case ScriptCommand::WinToDos:
        ConvertAreaCodePage(browser, AreaConversion::WinToDos);
        break;
    case ScriptCommand::SFirst:
    case ScriptCommand::SNext:
    case ScriptCommand::SLast: {
        SetSearchText(browser, line.argument);
        const SearchFrom how = line.command == ScriptCommand::SFirst  ? SearchFrom::First
                               : line.command == ScriptCommand::SNext ? SearchFrom::Next
                                                                      : SearchFrom::Last;
        SearchText(browser, how);
        break;
    }
    case ScriptCommand::X:
        return Step::Finish;
    case ScriptCommand::NoSelX:
        if (browser.State().ObjectInfo.SelectionLength == 0) return Step::NoSelection;
        break;
    case ScriptCommand::Close:
        host.CloseEditor();
        break;
    }
    return Step::Next;
}

} // namespace qm
