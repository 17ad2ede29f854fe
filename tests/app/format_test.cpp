#include <gtest/gtest.h>
#include "app/format.h"
TEST(Format, Zero) { EXPECT_EQ(qm::BytesToStr(0), "0"); }
