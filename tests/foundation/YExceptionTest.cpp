#include "foundation/YException.h"

#include <gtest/gtest.h>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

std::vector<std::string> g_reports;
void RecordReport(const YString& text) { g_reports.push_back(text.ToUTF8()); }

// Installs the recording hook for one test and restores the previous one afterwards.
class YGuardTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_reports.clear();
        m_previous = YSetErrorReportHook(&RecordReport);
    }
    void TearDown() override { YSetErrorReportHook(m_previous); }
    YErrorReportHook m_previous = nullptr;
};

template <typename F> YException Caught(F&& f) {
    try {
        f();
    } catch (const YException& e) {
        return e;
    }
    ADD_FAILURE() << "nothing raised";
    return YException("");
}

} // namespace

TEST_F(YGuardTest, YExceptionIsDroppedSilentlyWithTheNeutralResult) {
    bool ranToEnd = false;
    const int result = YGuard("YAudioPlugin::GetParameterCount", 0, [&]() -> int {
        YRaise("Could not acquire mutex.");
        ranToEnd = true;
        return 7;
    });
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(ranToEnd);
    EXPECT_TRUE(g_reports.empty());

    YGuard("YAudioPlugin::SetParameter", [] { YRaiseNotImplemented("anything"); });
    EXPECT_TRUE(g_reports.empty());
}

TEST_F(YGuardTest, ForeignExceptionsReachTheHookWithTheQualifiedName) {
    const bool result = YGuard("YAudioPluginVSTAdapter::processReplacing", true,
                               []() -> bool { throw std::runtime_error("boom"); });
    EXPECT_TRUE(result); // the neutral value the caller chose
    YGuard("VST3 Plugin main", [] { throw 42; });
    ASSERT_EQ(g_reports.size(), 2u);
    EXPECT_EQ(g_reports[0], "SYSTEM EXCEPTION! YAudioPluginVSTAdapter::processReplacing");
    EXPECT_EQ(g_reports[1], "SYSTEM EXCEPTION! VST3 Plugin main");
}

TEST_F(YGuardTest, NestedGuardEndsOnlyTheInnerStep) {
    int steps = 0;
    const int outer = YGuard("YAudioPluginVSTAdapter::processReplacing", -1, [&] {
        YGuard("PerformProcessing", [&] { throw std::logic_error("inner"); });
        ++steps;
        return 5;
    });
    EXPECT_EQ(outer, 5);
    EXPECT_EQ(steps, 1);
    ASSERT_EQ(g_reports.size(), 1u);
    EXPECT_EQ(g_reports[0], "SYSTEM EXCEPTION! PerformProcessing");
}

TEST_F(YGuardTest, GuardReleasesWhatTheBodyHalfBuilt) {
    struct Tracked {
        int* alive;
        explicit Tracked(int* a) : alive(a) { ++*alive; }
        ~Tracked() { --*alive; }
    };
    int alive = 0;
    Tracked* made = YGuard("YCreateModuleInstance", static_cast<Tracked*>(nullptr), [&] {
        auto half = std::make_unique<Tracked>(&alive);
        throw std::bad_alloc();
        return half.release();
    });
    EXPECT_EQ(made, nullptr);
    EXPECT_EQ(alive, 0);
}

TEST_F(YGuardTest, RestoringTheHookDiscardsReports) {
    EXPECT_EQ(YSetErrorReportHook(nullptr), &RecordReport);
    YGuard("UpdateUpsamplingFactor", [] { throw std::runtime_error("x"); });
    EXPECT_TRUE(g_reports.empty());
    YSetErrorReportHook(&RecordReport);
}

TEST(YException, RaisedMessagesAndCodes) {
    const YException notImplemented = Caught([] { YRaiseNotImplemented("compute plastic control size"); });
    EXPECT_EQ(notImplemented.Message().ToUTF8(),
              "Service \"compute plastic control size\" is not implemented.");
    EXPECT_EQ(notImplemented.ErrorCode(), 1);
    EXPECT_TRUE(notImplemented.Caption().IsEmpty());

    const YException range = Caught([] { YRaiseIndexOutOfRange(); });
    EXPECT_EQ(range.Message().ToUTF8(), "Index out of range.");
    EXPECT_EQ(range.ErrorCode(), 0);

    const YException formatted = Caught([] { YRaiseFormat(0, "Value {0;.1} of {1}", 2.25, "x"); });
    EXPECT_EQ(formatted.Message().ToUTF8(), "Value 2.2 of x");
}
