#pragma once
// Recording a program: while it records, each operation of the main window that a command of
// the script language can do again writes that command's line, with the argument the user
// gave it; the lines go to whoever started the recording (the program editor).

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "state/script_commands.h"

namespace qm {

struct BrowserState;

// The line of a command: its word, and the argument in double quotes when the word takes one.
// Empty when the argument cannot stand on one line.
std::string RecordedLine(ScriptCommand command, std::string_view argument = {});

class ScriptRecorder {
  public:
    using LineSink = std::function<void(const std::string& line)>;

    // Lines go to sink until Stop. The state is what the recording starts from.
    void Start(LineSink sink, const BrowserState& state);
    // Ends the recording with the view at offset: a page is shown from its top once it loads,
    // so an offset other than 0 is a scroll since then, which SETY makes again.
    void Stop(int32_t viewOffset);
    bool Recording() const { return sink_ != nullptr; }

    // An operation with a command has been done, with the argument the user gave it.
    void Record(ScriptCommand command, const BrowserState& state, std::string_view argument = {});
    // Lines written as they stand, such as a form's request.
    void RecordLines(const std::vector<std::string>& lines, const BrowserState& state);
    // An operation no command can do: the program says so in a comment, which names it with
    // the UI string of that index.
    void Skip(int what);
    // Before a tool reads the object info area: a selection or change made by hand since the
    // last command becomes a search that makes the selection again, or a comment. With
    // caretMatters, a caret moved by hand counts too (the tools that cut at the caret).
    void BeforeAreaTool(const BrowserState& state, bool caretMatters = false);

  private:
    void Write(const std::string& line);
    void Remember(const BrowserState& state);

    LineSink sink_;
    int language_ = 1;
    // The object info area as the last command left it.
    size_t areaHash_ = 0;
    size_t selectionStart_ = 0;
    size_t selectionLength_ = 0;
    bool skipped_ = false; // a comment since: what changed the area is said already
};

} // namespace qm
