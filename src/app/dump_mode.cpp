#include "app/dump_mode.h"

#include <algorithm>
#include <charconv>
#include <filesystem>

#include "state/browser.h"
#include "base/file_io.h"
#include "app/terminal_pump.h"
#include "net/downloader.h"
#include "net/go_action.h"
#include "base/codepage.h"
#include "view/view_dump.h"
#include "state/view_options.h"

namespace qm {
namespace {

constexpr int kUiStoppedBySignal = 263;

struct DumpArgs {
    int columns = 80;
    bool utf8 = false;
    int timeoutSeconds = 60;
    int maxSizeMb = 1024;
    std::string target;
};

struct NumberOption {
    std::string_view name;
    int low, high;
    int DumpArgs::*value;
};

constexpr NumberOption kNumberOptions[] = {
    {"--columns", 1, 100000, &DumpArgs::columns},
    {"--timeout", 0, 1000000, &DumpArgs::timeoutSeconds},
    {"--max-size", 0, 1 << 20, &DumpArgs::maxSizeMb},
};

// The number after args[i], which names option; empty error text when it is good.
std::string TakeNumber(const std::vector<std::string>& args, size_t& i, const NumberOption& option,
                       DumpArgs& parsed) {
    const std::string name(option.name);
    if (i + 1 >= args.size()) return name + " needs a number";
    const std::string& text = args[++i];
    int& value = parsed.*option.value;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < option.low ||
        value > option.high)
        return name + " needs a number from " + std::to_string(option.low) + " to " +
               std::to_string(option.high) + ", not \"" + text + "\"";
    return {};
}

// Empty error text means the arguments are good.
std::string ParseArgs(const std::vector<std::string>& args, DumpArgs& parsed) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto option = std::find_if(std::begin(kNumberOptions), std::end(kNumberOptions),
                                   [&arg](const NumberOption& o) { return o.name == arg; });
        if (option != std::end(kNumberOptions)) {
            if (std::string problem = TakeNumber(args, i, *option, parsed); !problem.empty())
                return problem;
        } else if (arg == "--utf8") {
            parsed.utf8 = true;
        } else if (arg.rfind("--", 0) == 0) {
            return "unknown option " + arg;
        } else if (!parsed.target.empty()) {
            parsed.target += ' ' + arg; // a path split at its spaces
        } else {
            parsed.target = arg;
        }
    }
    if (parsed.target.empty()) return "nothing to dump: give a file";
    return {};
}

// The go action without a window: a new page needs nothing more, the dump lays it out.
class HeadlessHost : public GoActionHost {
public:
    void PageReady() override {}
};

// An existing file, named relatively or absolutely, becomes its file:// address; a local path
// that names nothing is an error; anything else is for the address bar.
bool ResolveTarget(std::string& target, std::ostream& err) {
    std::string path = target.rfind("file://", 0) == 0 ? target.substr(7) : target;
    if (FileExists(path)) {
        std::error_code ec;
        std::string absolute = std::filesystem::absolute(path, ec).string();
        target = "file://" + (ec ? path : absolute);
        return true;
    }
    if (path != target || !LocalPathAddress(target).empty() || DirectoryExists(path)) {
        err << "quillmar --dump: file not found: " << target << "\n";
        return false;
    }
    return true;
}

} // namespace

int RunDumpMode(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                DumpEnvironment& environment) {
    DumpArgs parsed;
    if (std::string problem = ParseArgs(args, parsed); !problem.empty()) {
        err << "quillmar --dump: " << problem << "\n";
        return 2;
    }
    std::string target = parsed.target;
    if (!ResolveTarget(target, err)) return 2;
    // The address bar holds Windows-1251 text: a name it cannot hold cannot be opened.
    if (Cp1251ToUtf8(Utf8ToCp1251(target)) != target) {
        err << "quillmar --dump: the name has characters outside Windows-1251: " << target << "\n";
        return 2;
    }

    Browser browser(environment.pump);
    // A stop signal reaches this browser only while it exists.
    struct Attachment {
        TerminalPump& pump;
        ~Attachment() { pump.Attach(nullptr); }
    } attachment{environment.pump};
    environment.pump.Attach(&browser);
    browser.InitFolders(environment.exeFolder, environment.dataHome);
    BrowserState& state = browser.State();
    state.Utf8Decoding = parsed.utf8;
    Downloader downloader(browser, environment.transport);
    downloader.Options().idleTimeoutSeconds = parsed.timeoutSeconds;
    downloader.Options().maxBodyBytes = uint64_t{static_cast<unsigned>(parsed.maxSizeMb)} << 20;
    HeadlessHost host;
    GoAction go(browser, host, downloader);
    go.SetAddress(Utf8ToCp1251(target));
    go.BitBtn1Click();
    const bool stopped = environment.pump.StopRequested();
    if (stopped) state.PageReport += browser.Ui(kUiStoppedBySignal) + "<br>";

    ViewOptions options;
    out << Cp1251ToUtf8(DumpSourceView(state, options, parsed.columns));
    out.flush();
    return out && !state.LastDownloadFailed && !stopped ? 0 : 1;
}

} // namespace qm
