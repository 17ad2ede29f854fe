#pragma once
// quillmar --dump [--columns N] [--utf8] [--timeout SECONDS] [--max-size MB] TARGET: runs the
// go action on a file, an address, a search or an about: word without a window, and prints the
// request report and the page as the view shows it.

#include <ostream>
#include <string>
#include <vector>

namespace qm {

class HttpTransport;
class TerminalPump;

struct DumpEnvironment {
    HttpTransport& transport; // pumps the same pump while it waits
    TerminalPump& pump;
    std::string exeFolder;  // ends in "/"
    std::string dataHome;   // per-user data folder, used when exeFolder is not writable
};

// args are the arguments after "--dump". Returns the process exit status: 0 done, 1 the page
// could not be loaded or a stop signal came (the report and what arrived are still printed),
// 2 bad arguments or a missing file (one line on err).
int RunDumpMode(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                DumpEnvironment& environment);

} // namespace qm
