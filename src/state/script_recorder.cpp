#include "state/script_recorder.h"

#include <algorithm>

#include "state/browser_state.h"
#include "state/ui_strings.h"

namespace qm {
namespace {

constexpr int kUiNotRecorded = 336;
constexpr int kUiAreaByHand = 337;
constexpr int kUiCaretByHand = 338;
constexpr int kUiSelectionByHand = 339;
constexpr int kUiLineBreak = 340;

size_t HashOf(std::string_view text) { return std::hash<std::string_view>()(text); }

} // namespace

std::string RecordedLine(ScriptCommand command, std::string_view argument) {
    const CommandWord& rule = WordOf(command);
    if (rule.match == CommandMatch::WholeLine) return std::string(rule.word);
    // A program line ends at its line break; the run takes one quote off each end.
    if (argument.find_first_of("\r\n") != std::string_view::npos) return {};
    return std::string(rule.word) + " \"" + std::string(argument) + "\"";
}

void ScriptRecorder::Start(LineSink sink, const BrowserState& state) {
    sink_ = std::move(sink);
    language_ = state.LanguageIndex;
    Remember(state);
}

void ScriptRecorder::Stop(int32_t viewOffset) {
    if (!sink_) return;
    if (viewOffset != 0) Write(std::string(WordOf(ScriptCommand::SetY).word) + " " + std::to_string(viewOffset));
    sink_ = nullptr;
}

void ScriptRecorder::Write(const std::string& line) {
    if (sink_) sink_(line);
}

void ScriptRecorder::Remember(const BrowserState& state) {
    areaHash_ = HashOf(state.ObjectInfo.Text);
    selectionStart_ = state.ObjectInfo.SelectionStart;
    selectionLength_ = state.ObjectInfo.SelectionLength;
    skipped_ = false;
}

void ScriptRecorder::Record(ScriptCommand command, const BrowserState& state,
                            std::string_view argument) {
    if (!sink_) return;
    const CommandWord& rule = WordOf(command);
    const std::string line = RecordedLine(command, argument);
    if (line.empty())
        Write(UiString(kUiNotRecorded, language_) + std::string(rule.word) + ", " +
              UiString(kUiLineBreak, language_));
    else
        Write(line);
    Remember(state);
}

void ScriptRecorder::RecordLines(const std::vector<std::string>& lines, const BrowserState& state) {
    if (!sink_) return;
    for (const std::string& line : lines)
        Write(line);
    Remember(state);
}

void ScriptRecorder::Skip(int what) {
    if (!sink_) return;
    Write(UiString(kUiNotRecorded, language_) + UiString(what, language_));
    skipped_ = true;
}

void ScriptRecorder::BeforeAreaTool(const BrowserState& state, bool caretMatters) {
    if (!sink_) return;
    const TextField& area = state.ObjectInfo;
    const bool moved =
        area.SelectionStart != selectionStart_ || area.SelectionLength != selectionLength_;
    if (HashOf(area.Text) != areaHash_) {
        if (!skipped_) Skip(kUiAreaByHand);
    } else if (moved && area.SelectionLength == 0 && caretMatters) {
        Skip(kUiCaretByHand);
    } else if (moved && area.SelectionLength > 0) {
        // A selection the first search for its text finds again is that search.
        const std::string_view text = area.Text;
        const std::string_view selected = text.substr(std::min(area.SelectionStart, text.size()),
                                                      area.SelectionLength);
        if (text.find(selected) == area.SelectionStart && !RecordedLine(ScriptCommand::SFirst, selected).empty())
            Write(RecordedLine(ScriptCommand::SFirst, selected));
        else
            Skip(kUiSelectionByHand);
    }
    Remember(state);
}

} // namespace qm
