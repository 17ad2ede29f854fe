#include "app/command_line.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <filesystem>

#include "app/terminal_pump.h"
#include "base/codepage.h"
#include "base/file_io.h"
#include "net/downloader.h"
#include "net/go_action.h"
#include "tools/charsets.h"
#include "state/browser.h"

namespace qm {
namespace {

struct NumberOption {
    std::string_view name;
    int low, high;
    int CommandArgs::*value;
    bool ModeOptions::*only = nullptr; // the mode must accept it
};

constexpr NumberOption kNumberOptions[] = {
    {"--columns", 1, 100000, &CommandArgs::columns, &ModeOptions::columns},
    {"--timeout", 0, 1000000, &CommandArgs::timeoutSeconds},
    {"--max-size", 0, 1 << 20, &CommandArgs::maxSizeMb},
    {"--width", 1, 100000, &CommandArgs::width, &ModeOptions::image},
};

struct ViewWord {
    std::string_view word;
    ViewMode mode;
};
constexpr ViewWord kViewWords[] = {
    {"html", ViewMode::Html}, {"text", ViewMode::Text}, {"hex", ViewMode::Hex}};

// The word after "--view"; empty error text when it is good.
std::string TakeView(const std::vector<std::string>& args, size_t& i, CommandArgs& parsed) {
    if (i + 1 >= args.size()) return "--view needs html, text or hex";
    const std::string& word = args[++i];
    for (const ViewWord& v : kViewWords)
        if (v.word == word) {
            parsed.view = v.mode;
            return {};
        }
    return "--view needs html, text or hex, not \"" + word + "\"";
}

// The number after args[i], which names option; empty error text when it is good.
std::string TakeNumber(const std::vector<std::string>& args, size_t& i, const NumberOption& option,
                       CommandArgs& parsed) {
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

struct InfoWord {
    std::string_view word;
    InfoRequest request;
};
constexpr InfoWord kInfoWords[] = {{"--help", InfoRequest::Help},
                                   {"-h", InfoRequest::Help},
                                   {"--version", InfoRequest::Version},
                                   {"-V", InfoRequest::Version}};

// Words that some mode knows: misplaced before a window, they are not unknown.
constexpr std::string_view kModeWords[] = {
    "--dump",      "--check-links", "--image",    "--run",   "--view",          "--font",
    "--utf8",      "--print",       "--recursive", "--depth", "--scope",        "--max-pages",
    "--per-host",  "--delay",       "--ignore-robots", "--format", "--state", "--save-linked",
    "--kinds",     "--ext",         "--match",     "--layout", "--parallel",  "--charset",
    "--hidden"};

// The word after "--charset"; empty error text when it is good.
std::string TakeCharset(const std::vector<std::string>& args, size_t& i, CommandArgs& parsed) {
    const std::string problem = "--charset needs auto or a charset (windows-1251, utf-8, koi8-r, "
                                "koi8-u, ibm866, iso-8859-5, utf-16le, utf-16be)";
    if (i + 1 >= args.size()) return problem;
    const std::string& word = args[++i];
    if (word == "auto") {
        parsed.followCharset = true;
        parsed.charset.reset();
        return {};
    }
    parsed.charset = CharsetFromLabel(word);
    parsed.followCharset = false;
    return parsed.charset ? std::string() : problem + ", not \"" + word + "\"";
}

// The go action without a window: a new page needs nothing more, the mode takes it from here.
class HeadlessHost : public GoActionHost {
  public:
    void PageReady() override {}
};

// A local path that names nothing is an error.
bool ResolveTarget(std::string& target, std::string_view mode, std::ostream& err) {
    std::string path = target.rfind("file://", 0) == 0 ? target.substr(7) : target;
    if (FileExists(path)) {
        std::error_code ec;
        std::string absolute = std::filesystem::absolute(path, ec).string();
        target = "file://" + (ec ? path : absolute);
        return true;
    }
    if (path != target || !LocalPathAddress(target).empty() || DirectoryExists(path)) {
        err << "quillmar " << mode << ": file not found: " << target << "\n";
        return false;
    }
    return true;
}

} // namespace

std::string UserDataFolder() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && *xdg) return std::string(xdg) + "/quillmar/";
    const char* home = std::getenv("HOME");
    return home && *home ? std::string(home) + "/.local/share/quillmar/" : std::string();
}

InfoRequest FindInfoRequest(const std::vector<std::string>& args) {
    for (const std::string& arg : args)
        for (const InfoWord& info : kInfoWords)
            if (arg == info.word) return info.request;
    return InfoRequest::None;
}

bool IsUnknownOption(std::string_view word) {
    return word.starts_with("--") &&
           std::find(std::begin(kModeWords), std::end(kModeWords), word) == std::end(kModeWords) &&
           std::none_of(std::begin(kNumberOptions), std::end(kNumberOptions),
                        [&](const NumberOption& o) { return o.name == word; });
}

std::string UnknownOptionProblem(std::string_view word) {
    return "unknown option " + std::string(word) + "; quillmar --help lists the options";
}

std::string WindowArgsProblem(const std::vector<std::string>& args) {
    for (const std::string& arg : args) {
        if (IsUnknownOption(arg)) return UnknownOptionProblem(arg);
        if (arg.starts_with("--"))
            return arg + " belongs to a mode, which comes first; quillmar --help lists the options";
    }
    return {};
}

std::string ParseCommandArgs(const std::vector<std::string>& args, ModeOptions accepted,
                             CommandArgs& parsed, TargetOption target) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto option = std::find_if(
            std::begin(kNumberOptions), std::end(kNumberOptions),
            [&](const NumberOption& o) { return o.name == arg && (!o.only || accepted.*o.only); });
        if (option != std::end(kNumberOptions)) {
            if (std::string problem = TakeNumber(args, i, *option, parsed); !problem.empty())
                return problem;
        } else if (arg == "--view" && accepted.view) {
            if (std::string problem = TakeView(args, i, parsed); !problem.empty()) return problem;
        } else if (arg == "--font" && accepted.image) {
            if (i + 1 >= args.size() || args[i + 1].empty()) return "--font needs a font name";
            parsed.font = args[++i];
        } else if (arg == "--utf8") {
            parsed.utf8 = true;
        } else if (arg == "--charset") {
            if (std::string problem = TakeCharset(args, i, parsed); !problem.empty())
                return problem;
        } else if (arg == "--hidden") {
            parsed.hidden = true;
        } else if (arg.rfind("--", 0) == 0) {
            return IsUnknownOption(arg) ? UnknownOptionProblem(arg)
                                        : arg + " is not an option of this mode; quillmar " +
                                              "--help lists the options";
        } else if (!parsed.target.empty()) {
            parsed.target += ' ' + arg; // a path split at its spaces
        } else {
            parsed.target = arg;
        }
    }
    if (parsed.target.empty() && target == TargetOption::Required)
        return "nothing to open: give a file or an address";
    return {};
}

CommandPage::CommandPage(CommandEnvironment& environment)
    : environment_(environment), browser_(std::make_unique<Browser>(environment.pump)) {}

CommandPage::~CommandPage() {
    environment_.pump.Attach(nullptr);
}

bool ResolveCommandTarget(std::string& target, std::string_view mode, std::ostream& err) {
    if (!ResolveTarget(target, mode, err)) return false;
    // The address bar holds Windows-1251 text: a name it cannot hold cannot be opened.
    if (Cp1251ToUtf8(Utf8ToCp1251(target)) != target) {
        err << "quillmar " << mode << ": the name has characters outside Windows-1251: " << target
            << "\n";
        return false;
    }
    return true;
}

void CommandPage::Configure(const CommandArgs& args) {
    environment_.pump.Attach(browser_.get());
    browser_->InitFolders(environment_.exeFolder, environment_.dataHome);
    browser_->State().Utf8Decoding = args.utf8;
    browser_->State().FollowPageCharset = args.followCharset;
    browser_->State().ForcedCharset = args.charset;
    browser_->Options().HiddenAddresses = args.hidden;
    DownloadOptions& downloads = browser_->Downloads();
    downloads.idleTimeoutSeconds = args.timeoutSeconds;
    downloads.maxBodyBytes = uint64_t{static_cast<unsigned>(args.maxSizeMb)} << 20;
}

bool CommandPage::Open(const CommandArgs& args, std::string_view mode, std::ostream& err) {
    std::string target = args.target;
    if (!ResolveCommandTarget(target, mode, err)) return false;
    Configure(args);
    Downloader downloader(*browser_, environment_.transport);
    HeadlessHost host;
    GoAction go(*browser_, host, downloader);
    go.SetAddress(Utf8ToCp1251(target));
    go.BitBtn1Click();
    return true;
}

} // namespace qm
