#pragma once
// The text of the crash report: the error, where it happened, and what the map file says
// about that place.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// UI strings of the crash report; the integrator may renumber them.
constexpr int kUiAddressOutsideProgram = 281;
constexpr int kUiMapLoadError = 282;
constexpr int kUiMapLinesNotFound = 283;
constexpr int kUiUnknownError = 284;
constexpr int kUiFatalSignal = 285;

// Where the running executable lies in memory.
struct ProgramImage {
    uint64_t start = 0;     // load address
    uint64_t end = 0;       // first address after it
    uint64_t codeStart = 0; // where the map file's offsets start
};

struct CrashFacts {
    std::string message;
    std::string sender; // class of the object the error came through
    uint64_t address = 0;
    ProgramImage image;
};

// The report lines: "message/sender/ADDRESS", then the out-of-area line or the map's lines.
std::vector<std::string> BuildCrashReport(const CrashFacts& facts, const std::string& mapPath,
                                          int languageIndex);

// What the fatal-signal handler leaves for the process that shows the report.
struct FatalRecord {
    int signal = 0;
    uint64_t address = 0;
    ProgramImage image;
    int languageIndex = 1;
    uint32_t back = 0xFFFFFF; // the main window's colours, 0x00BBGGRR
    uint32_t text = 0;
};

// The record as the handler writes it; nothing when a line is missing or malformed.
std::optional<FatalRecord> ParseFatalRecord(std::string_view text);
CrashFacts FatalFacts(const FatalRecord& record);

// The dialog's keys act when released, and only after being pressed in the dialog.
enum class CrashAction { None, Ignore, Restart, Exit };

class CrashDialogKeys {
  public:
    // Key codes as the dialog reports them; any other key is 0.
    static constexpr int kSpace = 0x20;
    static constexpr int kEnter = 0x0D;
    static constexpr int kEscape = 0x1B;

    // After a fatal signal the program cannot go on, so Space ignores nothing.
    explicit CrashDialogKeys(bool ignoreOffered = true) : ignoreOffered_(ignoreOffered) {}

    void KeyDown(int code) { lastDown_ = code; }
    CrashAction KeyUp(int code);

  private:
    bool ignoreOffered_ = true;
    int lastDown_ = 0;
};

} // namespace qm
