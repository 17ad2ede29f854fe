#include "app/dump_mode.h"

#include "app/terminal_pump.h"
#include "base/codepage.h"
#include "state/browser.h"
#include "state/view_options.h"
#include "view/site_to_hex.h"
#include "view/view_dump.h"

namespace qm {
namespace {

constexpr int kUiStoppedBySignal = 263;

// The glyphs the DOS fonts draw for the control codes 1 to 31 and 127, which the text and hex
// views show; a terminal would obey the codes themselves.
constexpr const char* kControlGlyphs[32] = {
    " ", "☺", "☻", "♥", "♦", "♣", "♠", "•", "◘", "○", "◙", "♂", "♀", "♪", "♫", "☼",
    "►", "◄", "↕", "‼", "¶", "§", "▬", "↨", "↑", "↓", "→", "←", "∟", "↔", "▲", "▼"};

// The dump's lines as UTF-8, each ended by its line feed.
std::string TerminalText(std::string_view lines) {
    std::string out;
    out.reserve(lines.size() + lines.size() / 8);
    size_t from = 0;
    for (size_t i = 0; i <= lines.size(); ++i) {
        const auto c = i < lines.size() ? static_cast<unsigned char>(lines[i]) : 0;
        if (i < lines.size() && ((c >= 32 && c != 127) || c == '\n')) continue;
        out += Cp1251ToUtf8(lines.substr(from, i - from));
        if (i < lines.size()) out += c == 127 ? "⌂" : kControlGlyphs[c];
        from = i + 1;
    }
    return out;
}

} // namespace

int RunDumpMode(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                DumpEnvironment& environment) {
    CommandArgs parsed;
    if (std::string problem = ParseCommandArgs(args, ModeOptions{.columns = true, .view = true}, parsed);
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
