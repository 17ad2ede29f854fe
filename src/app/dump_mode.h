#pragma once
// quillmar --dump [--columns N] [--utf8] [--timeout SECONDS] [--max-size MB] TARGET: runs the
// go action on a file, an address, a search or an about: word without a window, and prints the
// request report and the page as the view shows it.

#include <ostream>
#include <string>
#include <vector>

#include "app/command_line.h"

namespace qm {

using DumpEnvironment = CommandEnvironment;

// args are the arguments after "--dump". Returns the process exit status: 0 done, 1 the page
// could not be loaded or a stop signal came (the report and what arrived are still printed),
// 2 bad arguments or a missing file (one line on err).
int RunDumpMode(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                DumpEnvironment& environment);

} // namespace qm
