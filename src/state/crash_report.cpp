#include "state/crash_report.h"

#include <csignal>
#include <fstream>
#include <sstream>

#include "base/format.h"
#include "state/map_file.h"
#include "state/ui_strings.h"

namespace qm {
namespace {

bool OutsideProgram(uint64_t address, const ProgramImage& image) {
    return address <= image.start || address >= image.end || address < image.codeStart ||
           address - image.codeStart > UINT32_MAX;
}

std::string SignalName(int signal) {
    switch (signal) {
    case SIGSEGV:
        return "SIGSEGV";
    case SIGABRT:
        return "SIGABRT";
    case SIGBUS:
        return "SIGBUS";
    case SIGFPE:
        return "SIGFPE";
    case SIGILL:
        return "SIGILL";
    default:
        return "SIG" + std::to_string(signal);
    }
}

bool ReadHex(std::istream& in, uint64_t& value) {
    std::string word;
    if (!(in >> word) || word.empty() || word.size() > 16 ||
        word.find_first_not_of("0123456789ABCDEFabcdef") != std::string::npos)
        return false;
    value = std::stoull(word, nullptr, 16);
    return true;
}

bool Expect(std::istream& in, const char* key) {
    std::string word;
    return in >> word && word == key;
}

} // namespace

std::vector<std::string> BuildCrashReport(const CrashFacts& facts, const std::string& mapPath,
                                          int languageIndex) {
    std::vector<std::string> report{facts.message + "/" + facts.sender + "/" +
                                    UpperHex(facts.address, 8)};
    if (OutsideProgram(facts.address, facts.image)) {
        report.push_back(UiString(kUiAddressOutsideProgram, languageIndex));
        return report;
    }
    std::ifstream map(mapPath, std::ios::binary);
    MapTexts texts{UiString(kUiMapLoadError, languageIndex),
                   UiString(kUiMapLinesNotFound, languageIndex)};
    auto offset = static_cast<uint32_t>(facts.address - facts.image.codeStart);
    for (std::string& line : MapReportLines(map, offset, texts))
        report.push_back(std::move(line));
    return report;
}

std::optional<FatalRecord> ParseFatalRecord(std::string_view text) {
    std::istringstream in{std::string(text)};
    FatalRecord record;
    uint64_t language = 0, back = 0, colour = 0;
    if (!Expect(in, "signal") || !(in >> record.signal) || !Expect(in, "address") ||
        !ReadHex(in, record.address) || !Expect(in, "image") || !ReadHex(in, record.image.start) ||
        !ReadHex(in, record.image.end) || !ReadHex(in, record.image.codeStart) ||
        !Expect(in, "look") || !ReadHex(in, language) || !ReadHex(in, back) || !ReadHex(in, colour))
        return std::nullopt;
    record.languageIndex = language == 0 ? 0 : 1;
    record.back = static_cast<uint32_t>(back & 0xFFFFFF);
    record.text = static_cast<uint32_t>(colour & 0xFFFFFF);
    return record;
}

CrashFacts FatalFacts(const FatalRecord& record) {
    return {UiString(kUiFatalSignal, record.languageIndex) + std::to_string(record.signal),
            SignalName(record.signal), record.address, record.image};
}

CrashAction CrashDialogKeys::KeyUp(int code) {
    const bool pressedHere = code == lastDown_;
    lastDown_ = 0;
    if (!pressedHere) return CrashAction::None;
    switch (code) {
    case kSpace:
        return ignoreOffered_ ? CrashAction::Ignore : CrashAction::None;
    case kEnter:
        return CrashAction::Restart;
    case kEscape:
        return CrashAction::Exit;
    default:
        return CrashAction::None;
    }
}

} // namespace qm
