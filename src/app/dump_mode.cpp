#include "app/dump_mode.h"

#include <charconv>

#include "app/browser_state.h"
#include "app/file_io.h"
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

} // namespace

int RunDumpMode(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    DumpArgs parsed;
    if (std::string problem = ParseArgs(args, parsed); !problem.empty()) {
        err << "quillmar --dump: " << problem << "\n";
        return 2;
    }
    std::string path = parsed.target;
    if (path.rfind("file://", 0) == 0) path.erase(0, 7);
    if (!FileExists(path)) {
        err << "quillmar --dump: file not found: " << parsed.target << "\n";
        return 2;
    }
    BrowserState state;
    state.Utf8Decoding = parsed.utf8;
    state.PageSource = GetFileToString(path);
    ViewOptions options;
    out << Cp1251ToUtf8(DumpSourceView(state, options, parsed.columns));
    out.flush();
    return out ? 0 : 1;
}

} // namespace qm
