#pragma once
// Byte strings as failure messages show them: printable ASCII as is, every other byte as \xHH.

#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

inline std::string Shown(std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out = "\"";
    for (char c : bytes) {
        auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F && byte != '\\') {
            out.push_back(c);
        } else {
            out += "\\x";
            out.push_back(kDigits[byte >> 4]);
            out.push_back(kDigits[byte & 0x0F]);
        }
    }
    return out + "\"";
}

struct DecodeCase {
    std::string input;
    std::string expected;
};

// Runs decode over every case and reports input, expected and actual of each mismatch.
template <typename Decode> void ExpectDecodes(Decode decode, const std::vector<DecodeCase>& cases) {
    for (const auto& c : cases) {
        std::string actual = decode(c.input);
        EXPECT_EQ(actual, c.expected) << "input " << Shown(c.input) << "\n expected "
                                      << Shown(c.expected) << "\n actual   " << Shown(actual);
    }
}
