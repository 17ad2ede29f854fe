#pragma once
// What the command-line modes share: the environment the program gives them, their options,
// and the page the go action loads for them without a window.

#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "base/charset.h"
#include "state/view_state.h"

namespace qm {

class Browser;
class CrawlStore;
class HttpMultiTransport;
class HttpTransport;
class TerminalPump;

struct CommandEnvironment {
    HttpTransport& transport; // pumps the same pump while it waits
    TerminalPump& pump;
    std::string exeFolder; // ends in "/"
    std::string dataHome;  // per-user data folder, used when exeFolder is not writable
    HttpMultiTransport* multiTransport = nullptr; // requests side by side, for --check-links
    // For the site check: a transport of its own that runs up to parallel requests at once;
    // without it the site check uses multiTransport.
    std::function<std::unique_ptr<HttpMultiTransport>(int parallel)> newMultiTransport = nullptr;
    // For --state: the crawl store kept in a file; null, with the reason in error, when it
    // cannot be opened. Without it --state is refused.
    std::function<std::unique_ptr<CrawlStore>(const std::string& path, std::string& error)>
        openCrawlStore = nullptr;
};

// The per-user data folder: $XDG_DATA_HOME/quillmar/ or ~/.local/share/quillmar/; empty when
// neither is set.
std::string UserDataFolder();

struct CommandArgs {
    int columns = 80;
    ViewMode view = ViewMode::Html;
    int width = 1280; // pixels of a page image
    std::string font; // system font of a page image; empty: the built-in 8x16 font
    bool utf8 = false;
    bool followCharset = false;    // --charset auto
    std::optional<Charset> charset; // --charset NAME
    bool hidden = false;           // --hidden: the addresses pages hide count as blocks
    int timeoutSeconds = 60;
    int maxSizeMb = 1024;
    std::string target;
};

// The options beyond the common ones that a mode takes.
struct ModeOptions {
    bool columns = false; // --columns
    bool view = false;    // --view html|text|hex
    bool image = false;   // --width, --font
};

enum class TargetOption { Required, Optional };

// What the program is asked for besides a mode or a window: --help, -h, --version, -V.
enum class InfoRequest { None, Help, Version };
// The first such word anywhere among the arguments: it wins over a mode and its options.
InfoRequest FindInfoRequest(const std::vector<std::string>& args);

// A word starting with "--" that no mode knows.
bool IsUnknownOption(std::string_view word);
// "unknown option --foo; quillmar --help lists the options".
std::string UnknownOptionProblem(std::string_view word);
// The window takes no option: a word starting with "--" is one (a single "-" or "-x" stays a
// word of the address or path). Empty error text when args (after the program name) are good.
std::string WindowArgsProblem(const std::vector<std::string>& args);

// Empty error text means the arguments are good.
std::string ParseCommandArgs(const std::vector<std::string>& args, ModeOptions accepted,
                             CommandArgs& parsed, TargetOption target = TargetOption::Required);
// An existing file, named relatively or absolutely, becomes its file:// address; anything else
// stays for the address bar. False, with one line on err that names the mode, when it names a
// file that is not there or has characters the address bar cannot hold.
bool ResolveCommandTarget(std::string& target, std::string_view mode, std::ostream& err);

// A browser without a window for one command: a stop signal reaches it while it exists.
class CommandPage {
  public:
    explicit CommandPage(CommandEnvironment& environment);
    ~CommandPage();
    CommandPage(const CommandPage&) = delete;
    CommandPage& operator=(const CommandPage&) = delete;

    Browser& GetBrowser() { return *browser_; }
    // Runs the go action on the target with the options' switches and limits. False, with one
    // line on err that names the mode ("--dump"), when the target cannot be opened at all; how
    // the load went is then in the browser's state.
    bool Open(const CommandArgs& args, std::string_view mode, std::ostream& err);
    // The folders, the options' switches and limits, and the stop signal's reach, without
    // opening anything: for a mode that drives the browser itself.
    void Configure(const CommandArgs& args);

  private:
    CommandEnvironment& environment_;
    std::unique_ptr<Browser> browser_;
};

} // namespace qm
