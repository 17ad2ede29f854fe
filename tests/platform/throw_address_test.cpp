#include <gtest/gtest.h>

#include <QEvent>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/guarded_application.h"
#include "platform/program_image.h"
#include "platform/throw_address.h"
#include "state/crash_report.h"
#include "state/ui_strings.h"

namespace qm {
namespace {

[[gnu::noinline]] void ThrowFromHere(int value) {
    if (value > 0) throw std::runtime_error("thrown on purpose");
}
constexpr int kThrowLine = __LINE__ - 2;

// The build writes this test's own map beside it.
std::string OwnMap() {
    return std::filesystem::read_symlink("/proc/self/exe").string() + ".map";
}

CrashFacts Caught(void (*work)()) {
    try {
        work();
    } catch (const std::exception& error) {
        return {error.what(), "test", ThrowAddressOf(&error), CurrentProgramImage()};
    }
    return {};
}

TEST(ThrowAddress, ReportNamesTheThrowingFunctionAndLineFromTheBuildsMap) {
    // A value known only at run time, as in the program: a constant would fold the test away.
    CrashFacts facts = Caught([] {
        volatile int one = 1;
        ThrowFromHere(one);
    });
    ASSERT_NE(facts.address, 0u);
    std::vector<std::string> report = BuildCrashReport(facts, OwnMap(), 1);
    ASSERT_EQ(report.size(), 5u) << report.back();
    EXPECT_EQ(report[0].substr(0, 23), "thrown on purpose/test/");
    EXPECT_NE(report[1].find("M=tests/platform/throw_address_test "), std::string::npos)
        << report[1];
    EXPECT_EQ(report[2].substr(report[2].find("/Module:")),
              "/Module: tests/platform/throw_address_test/Line: " + std::to_string(kThrowLine));
    EXPECT_NE(report[3].find("qm::(anonymous namespace)::ThrowFromHere(int)"), std::string::npos)
        << report[3];
    EXPECT_EQ(report[3].substr(5), report[4].substr(5));
}

TEST(ThrowAddress, AThrowInsideTheRuntimeLiesOutsideTheProgram) {
    CrashFacts facts = Caught([] { (void)std::vector<int>().at(3); });
    ASSERT_NE(facts.address, 0u);
    std::vector<std::string> report = BuildCrashReport(facts, OwnMap(), 1);
    ASSERT_EQ(report.size(), 2u);
    EXPECT_EQ(report[1], UiString(kUiAddressOutsideProgram, 1));
}

TEST(ThrowAddress, AnObjectNotThrownLastHasNoAddress) {
    std::runtime_error other("never thrown");
    Caught([] { ThrowFromHere(1); });
    EXPECT_EQ(ThrowAddressOf(&other), 0u);
    EXPECT_EQ(ThrowAddressOf(nullptr), 0u);
}

struct Thrower : QObject {
    bool standard = true;
    bool event(QEvent*) override {
        if (standard) ThrowFromHere(1);
        throw 42;
    }
};

TEST(GuardedApplication, AnErrorEscapingAnEventHandlerReachesTheHandler) {
    std::vector<CaughtError> caught;
    GuardedApplication::Instance()->SetErrorHandler(
        [&](const CaughtError& error) { caught.push_back(error); });
    Thrower thrower;
    QEvent event(QEvent::User);
    EXPECT_FALSE(QCoreApplication::sendEvent(&thrower, &event));
    thrower.standard = false;
    QCoreApplication::sendEvent(&thrower, &event);
    GuardedApplication::Instance()->SetErrorHandler(nullptr);
    ASSERT_EQ(caught.size(), 2u);
    EXPECT_TRUE(caught[0].known);
    EXPECT_EQ(caught[0].message, "thrown on purpose");
    EXPECT_EQ(caught[0].sender, "QObject");
    EXPECT_NE(caught[0].address, 0u);
    EXPECT_FALSE(caught[1].known);
    EXPECT_EQ(caught[1].address, 0u);
}

} // namespace
} // namespace qm

int main(int argc, char** argv) {
    qm::GuardedApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
