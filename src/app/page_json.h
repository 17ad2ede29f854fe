#pragma once
// The page as data: the request that brought it, what says which charset it is in, and every
// block in page order, as one JSON document in UTF-8.

#include <string>
#include <vector>

#include "view/page_blocks.h"

namespace qm {

struct BrowserState;

// The fields are named in the README; a test pins them.
std::string PageJson(const BrowserState& state, const std::vector<PageBlock>& blocks);

} // namespace qm
