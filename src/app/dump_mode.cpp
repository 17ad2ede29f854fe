#include "app/dump_mode.h"

#include "app/terminal_pump.h"
#include "app/terminal_text.h"
#include "state/browser.h"
#include "state/view_options.h"
#include "view/site_to_hex.h"
#include "view/view_dump.h"

namespace qm {
namespace {

constexpr int kUiStoppedBySignal = 263;

} // namespace

int RunDumpMode(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                DumpEnvironment& environment) {
    CommandArgs parsed;
    if (std::string problem =
            ParseCommandArgs(args, ModeOptions{.columns = true, .view = true}, parsed);
        !problem.empty()) {
        err << "quillmar --dump: " << problem << "\n";
        return 2;
    }
    CommandPage page(environment);
    if (!page.Open(parsed, "--dump", err)) return 2;
    Browser& browser = page.GetBrowser();
    BrowserState& state = browser.State();
    const bool stopped = environment.pump.StopRequested();
    if (stopped) state.PageReport += browser.Ui(kUiStoppedBySignal) + "<br>";

    ViewOptions options;
    if (parsed.view == ViewMode::Hex && parsed.columns >= kHexLineCharacters)
        out << DumpHexLines(state.PageSource, [](unsigned char byte) {
            return TerminalText(std::string_view(reinterpret_cast<const char*>(&byte), 1));
        });
    else
        out << TerminalText(DumpSourceView(state, options, parsed.columns, parsed.view));
    out.flush();
    return out && !state.LastDownloadFailed && !stopped ? 0 : 1;
}

} // namespace qm
