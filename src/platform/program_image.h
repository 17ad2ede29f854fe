#pragma once
// Where this executable lies in memory, for turning a code address into a map-file offset.

#include "state/crash_report.h"

namespace qm {

// The running executable's load address, end and the start of its code segment.
ProgramImage CurrentProgramImage();

} // namespace qm
