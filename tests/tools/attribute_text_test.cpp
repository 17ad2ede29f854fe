#include "tools/attribute_text.h"

#include <gtest/gtest.h>

#include "support/shown_bytes.h"

namespace qm {
namespace {

using namespace std::string_literals;

TEST(DeQuote, DropsOneQuoteAtEachEndIndependently) {
    ExpectDecodes(DeQuote, {
                               {"", ""},
                               {"a", "a"},
                               {"'a\"", "a"},
                               {"\"abc\"", "abc"},
                               {"\"abc", "abc"},
                               {"abc'", "abc"},
                               {"\"", ""},
                               {"'", ""},
                               {"''", ""},
                               {"\"\"\"", "\""},
                               {" 'a' ", " 'a' "},
                           });
}

TEST(DeAmper, DecodesReferences) {
    ExpectDecodes(DeAmper, {
                               {"", ""},
                               {"no references", "no references"},
                               {"a &amp; b", "a & b"},
                               {"&lt;p&gt;", "<p>"},
                               {"&quot;x&quot;", "\"x\""},
                               {"&#65;&#x41;", "AA"},
                               {"&#1025;", "\xA8"},
                               {"&unknown;", "?"},
                               {"&;", "?"},
                               {"'&nbsp;'", "' '"},
                           });
}

TEST(DeAmper, NamesOfElevenCharactersAtMost) {
    ExpectDecodes(DeAmper, {
                               {"&abcdefghijk;", "?"},
                               {"&abcdefghijkl;", "&abcdefghijkl;"},
                               {"&abcdefghijkl;&lt;", "&abcdefghijkl;<"},
                               {"&#0000000065;", "A"},
                           });
}

TEST(DeAmper, UnclosedReferencesStayAsTheyAre) {
    ExpectDecodes(DeAmper, {
                               {"&", "&"},
                               {"a&", "a&"},
                               {"&amp", "&amp"},
                               {"AT&T", "AT&T"},
                               {"&&", "&&"},
                           });
}

TEST(DeAmper, AnAmpersandInsideAReferenceBelongsToItsName) {
    ExpectDecodes(DeAmper, {
                               {"&a&lt;", "?"},
                               {"&&amp;", "?"},
                               {"&\0;"s, "?"},
                           });
}

} // namespace
} // namespace qm
