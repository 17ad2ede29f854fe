#include "app/dump_mode.h"

#include "app/page_json.h"
#include "app/terminal_pump.h"
#include "app/terminal_text.h"
#include "state/browser.h"
#include "state/view_options.h"
#include "view/site_to_hex.h"
#include "view/view_dump.h"

namespace qm {
namespace {

constexpr int kUiStoppedBySignal = 263;
constexpr size_t kOutputBuffer = 1 << 16;

// Takes "--format text|json" out of args; empty error text when it is good.
std::string TakeFormat(std::vector<std::string>& args, bool& json) {
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] != "--format") continue;
        if (i + 1 >= args.size() || (args[i + 1] != "text" && args[i + 1] != "json"))
            return "--format needs text or json";
        json = args[i + 1] == "json";
        args.erase(args.begin() + static_cast<std::ptrdiff_t>(i),
                   args.begin() + static_cast<std::ptrdiff_t>(i) + 2);
        --i;
    }
    return {};
}

} // namespace

int RunDumpMode(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                DumpEnvironment& environment) {
    CommandArgs parsed;
    std::vector<std::string> rest = args;
    bool json = false;
    std::string problem = TakeFormat(rest, json);
    if (problem.empty())
        problem = ParseCommandArgs(rest, ModeOptions{.columns = true, .view = true}, parsed);
    if (!problem.empty()) {
        err << "quillmar --dump: " << problem << "\n";
        return 2;
    }
    CommandPage page(environment);
    if (!page.Open(parsed, "--dump", err)) return 2;
    Browser& browser = page.GetBrowser();
    BrowserState& state = browser.State();
    const bool stopped = environment.pump.StopRequested();
    if (stopped) state.PageReport += browser.Ui(kUiStoppedBySignal) + "<br>";
    if (json) {
        WritePageJson(out, state, CollectPageBlocks(state, EveryBlock(parsed.hidden)));
        out.flush();
        return out && !state.LastDownloadFailed && !stopped ? 0 : 1;
    }
    ViewOptions options;
    options.HiddenAddresses = parsed.hidden;

    // The text goes out as it is laid out, a buffer at a time, and is never held whole.
    std::string buffer;
    auto flush = [&] {
        out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        buffer.clear();
    };
    if (parsed.view == ViewMode::Hex && parsed.columns >= kHexLineCharacters) {
        WriteHexLines(
            state.PageSource,
            [](unsigned char byte) {
                return TerminalText(std::string_view(reinterpret_cast<const char*>(&byte), 1));
            },
            [&](std::string_view lines) {
                out.write(lines.data(), static_cast<std::streamsize>(lines.size()));
            });
    } else {
        WriteSourceView(state, options, parsed.columns, parsed.view,
                        [&](std::string_view text) {
                            AppendTerminalText(buffer, text);
                            if (buffer.size() >= kOutputBuffer) flush();
                        });
    }
    flush();
    out.flush();
    return out && !state.LastDownloadFailed && !stopped ? 0 : 1;
}

} // namespace qm
