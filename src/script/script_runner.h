#pragma once
// The interpreter: runs a program once, line by line, each command through the same
// operation a button or key of the main window runs, with or without a window.

#include <string>
#include <vector>

#include "net/downloader.h"
#include "script/script_line.h"

namespace qm {

class Browser;
class GoAction;
class GoActionHost;

// What a run needs besides the main window's operations: the program text and the editor.
class ScriptHost {
  public:
    virtual ~ScriptHost() = default;
    // Read again before every line, so that lines edited during a run take effect.
    virtual std::vector<std::string> ProgramLines() = 0;
    virtual void ShowScriptStatus(const std::string& text) = 0; // Label2 of the editor
    // The paint request (the Timer2 handler) after SETY.
    virtual void RequestRender() {}
    virtual void CloseEditor() {}
    // A headless run ends at a stop signal; in a window F5 only stops the request at hand.
    virtual bool StopRequested() { return false; }
};

enum class RunEnd {
    Finished,    // the last line, or X
    NoSelection, // NOSELX found nothing selected
    Error,       // a line that is no command, or a command that could not be done
    Stopped,     // StopRequested
    Ignored,     // another run was in progress
};

struct RunResult {
    RunEnd end = RunEnd::Finished;
    int errorLine = 0;      // 1-based, for Error
    int failedRequests = 0; // GO and TESTURL lines whose request could not be made
};

// The main window's operations the commands call.
struct ScriptTargets {
    Browser& browser;
    GoAction& go;
    Downloader& downloader;
    GoActionHost& pageHost; // takes a new page: SETSOURCE, TESTLINKS
};

class ScriptRunner {
  public:
    explicit ScriptRunner(ScriptTargets targets) : t_(targets) {}

    RunResult Run(ScriptHost& host);
    bool Running() const { return scriptRunning_; }
    // The run in progress ends before its next line, as at a stop signal.
    void Stop() {
        if (scriptRunning_) stopAsked_ = true;
    }

  private:
    enum class Step { Next, Finish, NoSelection };
    Step Perform(const ScriptLine& line, ScriptHost& host, RunResult& result);
    void Navigate(const std::string* argument, DownloadMode mode, RunResult& result);

    ScriptTargets t_;
    bool scriptRunning_ = false;
    bool stopAsked_ = false;
    bool baseUrlSet_ = false;
};

} // namespace qm
