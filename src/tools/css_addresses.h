#pragma once
// The addresses a stylesheet names: url(...) values and @import targets, as written, in the
// order they come. data: values are left out; they hold their file.

#include <string>
#include <string_view>
#include <vector>

namespace qm {

enum class CssForm { Url, Import };

struct CssAddress {
    std::string value;
    CssForm form;
};

// Every address in order, repeats kept. "@import url(...)" is an Import.
std::vector<CssAddress> CssAddressList(std::string_view css);

// In order, repeats dropped.
std::vector<std::string> CssAddresses(std::string_view css);

} // namespace qm
