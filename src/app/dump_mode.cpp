#include "app/dump_mode.h"

#include <charconv>

#include <filesystem>

#include "app/browser.h"
#include "app/file_io.h"
#include "net/downloader.h"
#include "net/go_action.h"
#include "view/codepage.h"
#include "view/view_dump.h"
#include "view/view_options.h"

namespace qm {
namespace {

struct DumpArgs {
    int columns = 80;
    bool utf8 = false;
    std::string target;
};

// Empty error text means the arguments are good.
std::string ParseArgs(const std::vector<std::string>& args, DumpArgs& parsed) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--utf8") {
            parsed.utf8 = true;
        } else if (arg == "--columns") {
            if (i + 1 >= args.size()) return "--columns needs a number";
            const std::string& value = args[++i];
            auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), parsed.columns);
            if (ec != std::errc() || end != value.data() + value.size() || parsed.columns < 1 ||
                parsed.columns > 100000)
                return "--columns needs a number from 1 to 100000, not \"" + value + "\"";
        } else if (arg.rfind("--", 0) == 0) {
            return "unknown option " + arg;
        } else if (!parsed.target.empty()) {
            parsed.target += ' ' + arg;  // a path split at its spaces
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
    browser.InitFolders(environment.exeFolder, environment.dataHome);
    browser.State().Utf8Decoding = parsed.utf8;
    Downloader downloader(browser, environment.transport);
    HeadlessHost host;
    GoAction go(browser, host, downloader);
    go.SetAddress(Utf8ToCp1251(target));
    go.BitBtn1Click();

    ViewOptions options;
    out << Cp1251ToUtf8(DumpSourceView(browser.State(), options, parsed.columns));
    out.flush();
    return out && !browser.State().LastDownloadFailed ? 0 : 1;
}

} // namespace qm
