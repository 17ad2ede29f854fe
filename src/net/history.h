#pragma once
// The navigation history of the run: recording entries, the counter and arrows of the history
// buttons, and stepping back and forward over the page-like entries.

#include <optional>
#include <string>

#include "state/browser_state.h"

namespace qm {

// The "Record history (Ctrl+F6)" switch as the recorders receive it.
enum class HistoryRecording { Off, On };

// Pages and local pages take part in back/forward and in the counter; previews, link tests
// and file downloads do not.
bool IsPageLike(HistoryKind kind);

// What the history buttons show: Label7's counter and the two arrows.
struct HistoryButtons {
    std::string CounterText = "0/0";
    bool BackVisible = false;    // Image34
    bool ForwardVisible = false; // Image35

    bool operator==(const HistoryButtons&) const = default;
};

// "C/N": N page-like entries, C of them at or before HistoryPos.
HistoryButtons RepaintHistButtons(const BrowserState& state);

// A new entry right after HistoryPos; the entries after the old position are dropped.
// Returns the new entry's index.
int RecordHistoryEntry(BrowserState& state, HistoryKind kind, const std::string& url,
                       const std::string& fileName = {});

// A title the renderer found names the last entry when that entry is a page; the entries of
// downloads and local pages keep their file names, and the other kinds stay unnamed.
void NamePageEntry(BrowserState& state, HistoryRecording recording, const std::string& title);

// Moves HistoryPos to the nearest page-like entry before (after) it and returns that entry's
// address, or nothing when there is none. The page itself is not loaded.
std::optional<std::string> StepBack(BrowserState& state);
std::optional<std::string> StepForward(BrowserState& state);

void ClearHistory(BrowserState& state);

} // namespace qm
