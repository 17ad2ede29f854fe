#pragma once
// A fatal signal (a bad memory access, an abort) cannot be handled like an error: the handler
// only writes where it happened to a record file and replaces the process with a fresh one
// that shows the report.

#include <cstdint>
#include <string>
#include <vector>

#include "state/crash_report.h"

namespace qm {

struct FatalLook {
    const int* languageIndex = nullptr;
    const uint32_t* back = nullptr; // 0x00BBGGRR
    const uint32_t* text = nullptr;
};

// After a fatal signal the record goes to recordPath and program runs with arguments
// (arguments[0] is its name). Values the handler needs are copied now.
void InstallFatalSignalHandler(const std::string& recordPath, const std::string& program,
                               const std::vector<std::string>& arguments);
// The language and colours the record carries; read when the signal comes. Pass {} when
// they are gone.
void SetFatalLook(const FatalLook& look);

// Writes the record with async-signal-safe calls only. False when the write failed.
bool WriteFatalRecord(int fd, int signal, uint64_t address, const ProgramImage& image,
                      int languageIndex, uint32_t back, uint32_t text);

} // namespace qm
