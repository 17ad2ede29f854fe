#include "net/history.h"

#include <algorithm>

namespace qm {

bool IsPageLike(HistoryKind kind) {
    return kind == HistoryKind::Page || kind == HistoryKind::LocalPage;
}

HistoryButtons RepaintHistButtons(const BrowserState& state) {
    const auto& history = state.History;
    const int count = static_cast<int>(history.size());
    int total = 0;
    int current = 0;
    for (int i = 0; i < count; ++i) {
        if (!IsPageLike(history[i].Kind)) continue;
        ++total;
        if (i <= state.HistoryPos) ++current;
    }
    HistoryButtons buttons;
    buttons.CounterText = std::to_string(current) + "/" + std::to_string(total);
    buttons.BackVisible = state.HistoryPos > 0;
    buttons.ForwardVisible = state.HistoryPos < count - 1;
    return buttons;
}

int RecordHistoryEntry(BrowserState& state, HistoryKind kind, const std::string& url,
                       const std::string& fileName) {
    // A position past the end (the list was shortened behind our back) must not leave a gap
    // of default entries.
    const int count = static_cast<int>(state.History.size());
    const int pos = std::min(std::max(state.HistoryPos, -1), count - 1) + 1;
    state.History.resize(static_cast<size_t>(pos) + 1);
    state.History[pos] = HistoryEntry{-1, kind, url, fileName};
    state.HistoryPos = pos;
    return pos;
}

void NamePageEntry(BrowserState& state, HistoryRecording recording, const std::string& title) {
    if (recording == HistoryRecording::Off || state.History.empty()) return;
    HistoryEntry& last = state.History.back();
    if (last.Kind == HistoryKind::Page) last.FileName = title;
}

namespace {

std::optional<std::string> MoveTo(BrowserState& state, int index) {
    state.HistoryPos = index;
    return state.History[index].URL;
}

} // namespace

std::optional<std::string> StepBack(BrowserState& state) {
    const int count = static_cast<int>(state.History.size());
    if (state.HistoryPos < 1) return std::nullopt;
    for (int i = std::min(state.HistoryPos, count) - 1; i >= 0; --i)
        if (IsPageLike(state.History[i].Kind)) return MoveTo(state, i);
    return std::nullopt;
}

std::optional<std::string> StepForward(BrowserState& state) {
    const int count = static_cast<int>(state.History.size());
    if (state.HistoryPos >= count - 1) return std::nullopt;
    for (int i = std::max(state.HistoryPos, -1) + 1; i < count; ++i)
        if (IsPageLike(state.History[i].Kind)) return MoveTo(state, i);
    return std::nullopt;
}

void ClearHistory(BrowserState& state) {
    state.History.clear();
    state.HistoryPos = -1;
}

} // namespace qm
