// The word-at-a-time byte searches agree with a byte-by-byte reading at every start, every end
// and every place of the stop within a word.

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>

#include "base/ascii_run.h"
#include "view/scan_helpers.h"

namespace qm {
namespace {

using Search = std::function<size_t(const char*, size_t, size_t)>;

struct SearchCase {
    const char* what;
    Search search;
    std::function<bool(unsigned char)> stops;
};

TEST(ByteStopsTest, WordSearchesFindTheFirstStop) {
    const SearchCase cases[] = {
        {"ASCII end", AsciiEnd, [](unsigned char c) { return c >= 0x80; }},
        {"printable end", PrintableAsciiEnd, [](unsigned char c) { return c < ' ' || c >= 0x7F; }},
        {"page text", scan::DrawStops::Find,
         [](unsigned char c) { return c < ' ' || c == '<' || c == '&'; }},
        {"tag", scan::TagStops::Find,
         [](unsigned char c) { return c < ' ' || c == '<' || c == '>'; }},
        {"split", scan::SplitStops::Find,
         [](unsigned char c) { return c == '"' || c == '\'' || c == ' '; }},
    };
    std::mt19937 random(7);
    // Mostly plain letters, so that stops fall at every place of a word, among bytes next to
    // the stops' edges (0x1F, 0x20, 0x7E, 0x7F, 0x80, 0xFF).
    const std::string edges = "\x1f \x7e\x7f\x80\xff<>&\"'";
    std::string text(4096, 'a');
    for (char& c : text)
        if (random() % 6 == 0) c = edges[random() % edges.size()];
    for (const SearchCase& c : cases) {
        for (size_t start = 0; start < 64; ++start) {
            for (size_t end = start; end < 200; end += 1 + end % 3) {
                size_t expected = start;
                while (expected < end && !c.stops(static_cast<unsigned char>(text[expected])))
                    ++expected;
                ASSERT_EQ(expected, c.search(text.data(), start, end))
                    << c.what << " from " << start << " to " << end;
            }
        }
    }
}

} // namespace
} // namespace qm
