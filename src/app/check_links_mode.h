#pragma once
// quillmar --check-links [--utf8] [--timeout SECONDS] [--max-size MB] TARGET: loads the page as
// --dump does and tests every address of its Link, Media and Linked-file blocks once, up to
// eight requests side by side, printing one line per address.

#include <ostream>
#include <string>
#include <vector>

#include "app/command_line.h"

namespace qm {

// At most this many requests run at once.
inline constexpr int kCheckLinksParallel = 8;

// args are the arguments after "--check-links"; environment.multiTransport makes the requests.
// Prints, for every distinct address in the order of its first block, one line of fields
// separated by tabs: the page line of that block, its kind (Link, Media, Linked-file), the
// address as written, the address resolved, the code or why there is none, the content type
// and the size ("-" when not known), and after a redirect the address it ended at.
// Returns the exit status: 0 nothing is broken, 1 something is (a failed request or a code of
// 400 and above), the page could not be loaded or a stop signal came, 2 bad arguments or a
// missing file (one line on err).
int RunCheckLinksMode(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                      CommandEnvironment& environment);

} // namespace qm
