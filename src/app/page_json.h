#pragma once
// The page as data: the request that brought it, what says which charset it is in, and every
// block in page order, as one JSON document in UTF-8.

#include <ostream>
#include <vector>

#include "view/page_blocks.h"

namespace qm {

struct BrowserState;

// The fields are named in the README; a test pins them. Written a block at a time, as a page
// may have a million blocks.
void WritePageJson(std::ostream& out, const BrowserState& state,
                   const std::vector<PageBlock>& blocks);

} // namespace qm
