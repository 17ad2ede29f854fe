#pragma once
// quillmar --save-linked DIR [--kinds media,linked,link] [--ext png,jpg,...] [--match TEXT]
// [--layout flat|mirror] [--parallel N] [--format tsv|json] [--recursive and the crawl options
// of --check-links] [--utf8] [--timeout SECONDS] [--max-size MB] ADDRESS: every linked file of
// the page (or of every page the site check reads) saved at once.

#include <ostream>
#include <string>
#include <vector>

#include "app/command_line.h"

namespace qm {

// Prints one line per address (the file written or "-", the code, the size, the address, and
// why no file was written) and a summary on err. Returns 0 when every file was saved, 1 when
// any was not (or a stop signal came, or the page could not be loaded), 2 for bad arguments.
int RunSaveLinkedMode(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                      CommandEnvironment& environment);

} // namespace qm
