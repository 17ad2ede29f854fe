#pragma once
// quillmar --check-links --recursive: the site check on the command line. Pages in scope are
// read for their blocks' addresses, every address is tested once, and one line per address is
// printed at the end, with a summary on stderr and, on a terminal, a progress line.

#include <ostream>

#include "app/command_line.h"
#include "app/site_options.h"

namespace qm {

// Returns the exit status as --check-links does: 0 nothing broken, 1 something is or a stop
// signal came, 2 bad arguments or a state file that cannot be used.
int RunCheckSiteMode(const CommandArgs& args, const SiteArgs& site, std::ostream& out,
                     std::ostream& err, CommandEnvironment& environment);

} // namespace qm
