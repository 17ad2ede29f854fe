#pragma once
// A host's robots.txt: which paths a crawler may fetch. The group of the program's own name
// wins over the group "*"; within a group the longest matching rule decides and Allow wins a
// tie; "*" matches any run of characters and a final "$" the end of the path.

#include <string>
#include <string_view>
#include <vector>

namespace qm {

// The name the program looks for in the User-agent lines.
inline constexpr std::string_view kRobotsName = "quillmar";

class RobotsRules {
  public:
    // No rules: everything may be fetched.
    RobotsRules() = default;
    static RobotsRules Parse(std::string_view text);
    // Nothing may be fetched: robots.txt answered with a server error.
    static RobotsRules DisallowAll();

    // pathAndQuery as the address writes it, from the "/" after the host.
    bool Allows(std::string_view pathAndQuery) const;

  private:
    struct Rule {
        std::string pattern;
        bool allow = false;
    };
    std::vector<Rule> rules_;
};

// The part of an address a robots rule is matched against: the path and query ("/" at least).
std::string RobotsPath(std::string_view address);

} // namespace qm
