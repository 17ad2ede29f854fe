#pragma once
// The addresses a stylesheet names: url(...) values and @import targets, as written, in the
// order they come. data: values are left out; they hold their file.

#include <string>
#include <string_view>
#include <vector>

namespace qm {

std::vector<std::string> CssAddresses(std::string_view css);

} // namespace qm
