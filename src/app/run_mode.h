#pragma once
// quillmar --run PROGRAM.qmp [--print info|page] [--columns N] [--utf8] [--timeout SECONDS]
// [--max-size MB] [ADDRESS]: runs a program of the script language without a window. ADDRESS
// goes into the address bar first, so that GO and TESTURL without an argument open it.

#include <ostream>
#include <string>
#include <vector>

#include "app/command_line.h"

namespace qm {

// args are the arguments after "--run". Writes each status line of the run to err and, at the
// end, the object info area (or with "--print page" the page as --dump lays it out) to out.
// Returns the exit status: 0 the run ended normally, 1 a line failed, NOSELX stopped the run,
// a GO or TESTURL request could not be made or a stop signal came, 2 bad arguments or a
// program file that cannot be read.
int RunScriptMode(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                  CommandEnvironment& environment);

} // namespace qm
