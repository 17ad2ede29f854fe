#pragma once
// quillmar --dump [--columns N] [--utf8] FILE: prints the page as the view shows it, without a
// window or a display.

#include <ostream>
#include <string>
#include <vector>

namespace qm {

// args are the arguments after "--dump". Returns the process exit status: 0 done, 1 the page
// could not be loaded, 2 bad arguments or a missing file (one line on err).
int RunDumpMode(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace qm
