#include "tools/info_area_tools.h"

#include <algorithm>

#include "base/dos_text.h"
#include "base/trim.h"
#include "state/browser.h"
#include "tools/source_decode.h"
#include "tools/text_decoders.h"
#include "tools/text_replace.h"

namespace qm {
namespace {

constexpr int kUiReady = 1;
constexpr int kUiSourcePreparing = 121;
constexpr int kUiNotFound = 133;
constexpr int kUiFound = 134;
constexpr int kUiEmptySearch = 135;
constexpr int kUiSplitCancelled = 137;

enum class FramePump { Once, None };

// The frame of the tools that rewrite the area: hidden while they work, so that the widget
// takes the new text in one go, then shown and focused again.
class RewriteFrame {
  public:
    RewriteFrame(Browser& browser, FramePump pump) : browser_(browser) {
        browser_.HideObjectInfo();
        if (pump == FramePump::Once) browser_.Pump().ProcessEvents();
    }
    ~RewriteFrame() {
        browser_.ShowObjectInfo();
        browser_.FocusField(FieldId::ObjectInfo);
    }
    RewriteFrame(const RewriteFrame&) = delete;
    RewriteFrame& operator=(const RewriteFrame&) = delete;

  private:
    Browser& browser_;
};

// The area's text through a transform, in the frame of the tools.
template <typename Transform>
void RewriteArea(Browser& browser, FramePump pump, Transform transform) {
    RewriteFrame frame(browser, pump);
    browser.SetField(FieldId::ObjectInfo, transform(browser.State().ObjectInfo.Text));
}

std::string_view SelectedText(const TextField& field) {
    std::string_view text = field.Text;
    const size_t start = std::min(field.SelectionStart, text.size());
    return text.substr(start, field.SelectionLength);
}

} // namespace

std::string SplitAtTerm(std::string_view text, std::string_view term, SplitPlace place) {
    std::string replacement = place == SplitPlace::Before ? "\r\n\r\n" : "";
    replacement += term;
    if (place == SplitPlace::After) replacement += "\r\n\r\n";
    return ReplaceText(text, term, replacement, ReplaceFlags::ReplaceAll);
}

std::string KeepLinesWith(std::string_view text, std::string_view search) {
    std::string kept;
    kept.reserve(text.size());
    ForEachLine(text, [&](std::string_view line, size_t) {
        if (search.empty() ? TrimBlanks(line).empty() : line.find(search) == line.npos) return;
        kept += line;
        kept += search.empty() ? "\r\n" : "\r\n\r\n";
    });
    return kept;
}

size_t FindInText(std::string_view text, std::string_view term, size_t from, SearchFrom how) {
    if (term.empty()) return std::string_view::npos;
    switch (how) {
    case SearchFrom::First:
        return text.find(term);
    case SearchFrom::Next:
        return text.find(term, from);
    case SearchFrom::Last:
        break;
    }
    // The last of the hits found one character after each other is the rightmost one.
    return text.rfind(term);
}

void DeleteBefore(Browser& browser) {
    BrowserState& state = browser.State();
    state.Recorder.BeforeAreaTool(state, true);
    {
        RewriteFrame frame(browser, FramePump::Once);
        const TextField& area = state.ObjectInfo;
        const size_t start = std::min(area.SelectionStart, area.Text.size());
        browser.SetField(FieldId::ObjectInfo, area.Text.substr(start), 0, area.SelectionLength);
    }
    state.Recorder.Record(ScriptCommand::DelBef, state);
}

void DeleteAfter(Browser& browser) {
    BrowserState& state = browser.State();
    state.Recorder.BeforeAreaTool(state, true);
    {
        RewriteFrame frame(browser, FramePump::Once);
        const TextField& area = state.ObjectInfo;
        const size_t start = area.SelectionStart;
        const size_t length = area.SelectionLength;
        browser.SetField(FieldId::ObjectInfo,
                         area.Text.substr(0, std::min(start + length, area.Text.size())), start,
                         length);
    }
    state.Recorder.Record(ScriptCommand::DelAft, state);
}

void DecodePercentCodes(Browser& browser) {
    BrowserState& state = browser.State();
    state.Recorder.BeforeAreaTool(state);
    RewriteArea(browser, FramePump::None, [](const std::string& text) { return ProcDecode(text); });
    state.Recorder.Record(ScriptCommand::DePerc, state);
}

void DecodeEscapes(Browser& browser) {
    BrowserState& state = browser.State();
    state.Recorder.BeforeAreaTool(state);
    RewriteArea(browser, FramePump::Once,
                [](const std::string& text) { return SlashDecode(text); });
    state.Recorder.Record(ScriptCommand::DeSlash, state);
}

void SplitText(Browser& browser, SplitPlace place) {
    BrowserState& state = browser.State();
    state.Recorder.BeforeAreaTool(state);
    std::string term(SelectedText(state.ObjectInfo));
    if (term.empty()) term = state.SearchField.Text;
    if (term.empty()) return browser.SetForm1Caption(browser.Ui(kUiSplitCancelled));
    RewriteArea(browser, FramePump::Once,
                [&](const std::string& text) { return SplitAtTerm(text, term, place); });
    state.Recorder.Record(place == SplitPlace::Before ? ScriptCommand::RetBef
                                                      : ScriptCommand::RetAft,
                          state, term);
}

void KeepLines(Browser& browser) {
    BrowserState& state = browser.State();
    state.Recorder.BeforeAreaTool(state);
    const std::string search = state.SearchField.Text;
    RewriteArea(browser, FramePump::Once,
                [&](const std::string& text) { return KeepLinesWith(text, search); });
    state.Recorder.Record(ScriptCommand::DelExcept, state, search);
}

void SearchText(Browser& browser, SearchFrom how) {
    browser.FocusField(FieldId::Search);
    BrowserState& state = browser.State();
    state.Recorder.BeforeAreaTool(state, how == SearchFrom::Next);
    const TextField& area = state.ObjectInfo;
    const std::string& term = state.SearchField.Text;
    if (term.empty()) return browser.SetForm1Caption(browser.Ui(kUiEmptySearch));
    const size_t end = area.SelectionStart + area.SelectionLength;
    const size_t hit = FindInText(area.Text, term, end, how);
    const ScriptCommand command = how == SearchFrom::First  ? ScriptCommand::SFirst
                                    : how == SearchFrom::Next ? ScriptCommand::SNext
                                                              : ScriptCommand::SLast;
    if (hit == std::string_view::npos) {
        browser.SetForm1Caption(browser.Ui(kUiNotFound));
        browser.SelectInField(FieldId::ObjectInfo, end, 0);
        state.Recorder.Record(command, state, term);
        return;
    }
    browser.FocusField(FieldId::ObjectInfo);
    browser.SelectInField(FieldId::ObjectInfo, hit, term.size());
    state.Recorder.Record(command, state, term);
    browser.Pump().ProcessEvents();
    browser.SetForm1Caption(browser.Ui(kUiFound));
}

void ShowPageSource(Browser& browser) {
    const BrowserState& state = browser.State();
    std::string text = DecodePageText(state);
    auto progress = [&browser](int percent) {
        browser.SetForm1Caption(browser.Ui(kUiSourcePreparing) + std::to_string(percent) + "%");
        browser.Pump().ProcessEvents();
    };
    // Every CR LF, lone CR and lone LF becomes one CR LF.
    progress(20);
    text = ReplaceText(text, "\r\n", "\r", ReplaceFlags::ReplaceAll);
    progress(40);
    text = ReplaceText(text, "\n", "\r", ReplaceFlags::ReplaceAll);
    progress(60);
    text = ReplaceText(text, "\r", "\r\n", ReplaceFlags::ReplaceAll);
    progress(80);
    browser.SetField(FieldId::ObjectInfo, std::move(text));
    browser.SetStatus(browser.Ui(kUiReady));
    browser.State().Recorder.Record(ScriptCommand::GetSource, browser.State());
}

void ConvertAreaCodePage(Browser& browser, AreaConversion conversion) {
    BrowserState& state = browser.State();
    state.Recorder.BeforeAreaTool(state);
    RewriteArea(browser, FramePump::None, [conversion](const std::string& text) {
        return conversion == AreaConversion::DosToWin ? StrOEMtoAnsi(text) : StrAnsiToOEM(text);
    });
    state.Recorder.Record(conversion == AreaConversion::DosToWin ? ScriptCommand::DosToWin
                                                                 : ScriptCommand::WinToDos,
                          state);
}

} // namespace qm
