#include "app/run_mode.h"

#include <optional>

#include "app/terminal_pump.h"
#include "app/terminal_text.h"
#include "base/codepage.h"
#include "net/go_action.h"
#include "script/program_file.h"
#include "script/script_runner.h"
#include "state/browser.h"
#include "tools/text_replace.h"
#include "view/view_dump.h"

namespace qm {
namespace {

constexpr int kUiStoppedBySignal = 263;

enum class Print { Info, Page };

struct RunArgs {
    std::string program;
    Print print = Print::Info;
    CommandArgs common;
};

// The program comes first; --print is this mode's own, the rest is shared with --dump.
std::string ParseRunArgs(std::vector<std::string> args, RunArgs& parsed) {
    if (!args.empty() && IsUnknownOption(args.front())) return UnknownOptionProblem(args.front());
    if (args.empty() || args.front().rfind("--", 0) == 0) return "give the program file first";
    parsed.program = args.front();
    args.erase(args.begin());
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] != "--print") continue;
        if (i + 1 >= args.size() || (args[i + 1] != "info" && args[i + 1] != "page"))
            return "--print needs info or page";
        parsed.print = args[i + 1] == "page" ? Print::Page : Print::Info;
        args.erase(args.begin() + static_cast<std::ptrdiff_t>(i),
                   args.begin() + static_cast<std::ptrdiff_t>(i) + 2);
        break;
    }
    return ParseCommandArgs(args, ModeOptions{.columns = true}, parsed.common,
                            TargetOption::Optional);
}

// The editor's part in a run without a window: the program's lines and the status line.
class TerminalScriptHost : public ScriptHost, public GoActionHost {
  public:
    TerminalScriptHost(std::vector<std::string> lines, std::ostream& err, TerminalPump& pump)
        : lines_(std::move(lines)), err_(err), pump_(pump) {}

    std::vector<std::string> ProgramLines() override { return lines_; }
    void ShowScriptStatus(const std::string& text) override {
        if (!text.empty()) err_ << Cp1251ToUtf8(text) << "\n";
    }
    bool StopRequested() override { return pump_.StopRequested(); }
    // The page is laid out once, at the end, if it is printed at all.
    void PageReady() override {}

  private:
    std::vector<std::string> lines_;
    std::ostream& err_;
    TerminalPump& pump_;
};

// The object info area as lines, the last one ended too, so that the output ends with a line
// feed as a terminal expects.
std::string InfoAreaLines(const std::string& text) {
    std::string lines = Cp1251ToUtf8(ReplaceText(text, "\r\n", "\n", ReplaceFlags::ReplaceAll));
    if (!lines.empty() && lines.back() != '\n') lines += '\n';
    return lines;
}

} // namespace

int RunScriptMode(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                  CommandEnvironment& environment) {
    RunArgs parsed;
    if (std::string problem = ParseRunArgs(args, parsed); !problem.empty()) {
        err << "quillmar --run: " << problem << "\n";
        return 2;
    }
    std::optional<std::vector<std::string>> lines = LoadProgramFile(parsed.program);
    if (!lines) {
        err << "quillmar --run: cannot read the program " << parsed.program << "\n";
        return 2;
    }
    std::string address = parsed.common.target;
    if (!address.empty() && !ResolveCommandTarget(address, "--run", err)) return 2;

    CommandPage page(environment);
    page.Configure(parsed.common);
    Browser& browser = page.GetBrowser();
    TerminalScriptHost host(std::move(*lines), err, environment.pump);
    Downloader downloader(browser, environment.transport);
    GoAction go(browser, host, downloader);
    if (!address.empty()) go.SetAddress(Utf8ToCp1251(address));
    ScriptRunner runner({browser, go, downloader, host});
    const RunResult result = runner.Run(host);
    if (result.end == RunEnd::Stopped) err << Cp1251ToUtf8(browser.Ui(kUiStoppedBySignal)) << "\n";

    if (parsed.print == Print::Page)
        out << TerminalText(
            DumpSourceView(browser.State(), browser.Options(), parsed.common.columns));
    else
        out << InfoAreaLines(browser.State().ObjectInfo.Text);
    out.flush();
    const bool normal = result.end == RunEnd::Finished && result.failedRequests == 0;
    return out && normal ? 0 : 1;
}

} // namespace qm
