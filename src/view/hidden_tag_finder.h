#pragma once
// Finds where a tag may begin that the prepare pass must still read: a hidden script, style or
// meta tag, which it cuts, or a closing title tag, which gives the title. Past the last one the
// pass has nothing left to do.

#include <array>
#include <bitset>
#include <cstddef>
#include <string_view>

#include "state/view_options.h"

namespace qm {

class HiddenTagFinder {
  public:
    explicit HiddenTagFinder(const ViewOptions& options);
    // The first "<" in text[from, end) that may begin such a tag, or end. Any case matches, and
    // control characters (which a tag drops or turns into a space) are skipped, so that no such
    // tag is missed.
    size_t Find(const char* text, size_t from, size_t end) const;

  private:
    bool Matches(const char* lt, const char* end) const;

    std::array<std::string_view, 4> names_;
    size_t count_ = 0;
    // The two characters after a "<" that may begin a name (either one a control character).
    std::bitset<65536> starts_;
};

} // namespace qm
