#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "base/format.h"

namespace qm {
namespace {

struct GroupCase {
    int64_t n;
    std::string expected;
};

// The minus sign counts as a digit position, so "-123" gets a space after the sign.
const std::vector<GroupCase> kGroupCases = {
    {0, "0"},
    {7, "7"},
    {100, "100"},
    {999, "999"},
    {1000, "1 000"},
    {12345, "12 345"},
    {123456, "123 456"},
    {1234567, "1 234 567"},
    {-1, "-1"},
    {-12, "-12"},
    {-123, "- 123"},
    {-1234, "-1 234"},
    {-12345, "-12 345"},
    {-999999, "- 999 999"},
    {std::numeric_limits<int32_t>::max(), "2 147 483 647"},
    {std::numeric_limits<int32_t>::min(), "-2 147 483 648"},
};

TEST(BytesToStr, GroupsDigitsByThreeCountingTheSign) {
    for (const auto& c : kGroupCases) {
        std::string actual = BytesToStr(static_cast<int32_t>(c.n));
        EXPECT_EQ(actual, c.expected) << "n = " << c.n;
    }
}

TEST(Bytes64ToStr, AgreesWithBytesToStrOn32BitValues) {
    for (const auto& c : kGroupCases) {
        EXPECT_EQ(Bytes64ToStr(c.n), c.expected) << "n = " << c.n;
    }
}

TEST(Bytes64ToStr, GroupsValuesBeyond32Bits) {
    const std::vector<GroupCase> cases = {
        {4294967296LL, "4 294 967 296"},
        {1000000000000LL, "1 000 000 000 000"},
        {-100000000000LL, "- 100 000 000 000"},
        {std::numeric_limits<int64_t>::max(), "9 223 372 036 854 775 807"},
        {std::numeric_limits<int64_t>::min(), "-9 223 372 036 854 775 808"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Bytes64ToStr(c.n), c.expected) << "n = " << c.n;
    }
}

TEST(GetTimeFromSec, FormatsHoursMinutesSecondsWithoutWrappingHours) {
    struct Case {
        uint32_t seconds;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {0, "00:00:00"},
        {1, "00:00:01"},
        {59, "00:00:59"},
        {60, "00:01:00"},
        {3599, "00:59:59"},
        {3600, "01:00:00"},
        {3661, "01:01:01"},
        {86399, "23:59:59"},
        {86400, "24:00:00"},
        {360000, "100:00:00"},
        {std::numeric_limits<uint32_t>::max(), "1193046:28:15"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(GetTimeFromSec(c.seconds), c.expected) << "seconds = " << c.seconds;
    }
}

TEST(GetAddZero, PadsOnlyTextsShorterThanTwo) {
    EXPECT_EQ(GetAddZero(""), "0");
    EXPECT_EQ(GetAddZero("5"), "05");
    EXPECT_EQ(GetAddZero("12"), "12");
    EXPECT_EQ(GetAddZero("123"), "123");
}

} // namespace
} // namespace qm
