#include "core/YAudioEffectPluginHost.h"

#include "FrameTestSupport.h"
#include "foundation/YException.h"
#include "foundation/YObject.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

// An interface function that records the commands and can be told to fail one of them.
struct Script {
    std::vector<int32_t> commands;
    int32_t failing = -1;
    int destroyed = 0;
};
Script g_script;

int64_t ScriptedInterface(void* instance, int32_t command, YEffectArguments* arguments) {
    g_script.commands.push_back(command);
    if (command == g_script.failing) return 0;
    if (command == kEffectDestroy) ++g_script.destroyed;
    return frametest::DelayingEffectInterface(instance, command, arguments);
}

struct Watched : YObject {
    explicit Watched(int& deaths) : deaths(deaths) {}
    ~Watched() override { ++deaths; }
    int& deaths;
};

class Requests : public YAudioEffectPluginHost::Listener {
public:
    int64_t OnEffectRequest(int32_t request, int64_t value) override {
        seen.push_back(request);
        return value + 1;
    }
    std::vector<int32_t> seen;
};

} // namespace

TEST(YAudioEffectPluginHost, CreatesWithAttachInformationInitialiseAndInstance) {
    g_script = Script{};
    {
        YAudioEffectPluginHost host(&ScriptedInterface);
        host.Create();
        EXPECT_EQ(g_script.commands, (std::vector<int32_t>{0, 2, 3, 7}));
        ASSERT_TRUE(host.HasEffect());
        ASSERT_NE(host.Information(), nullptr);
        EXPECT_EQ(host.Information(), &host.Effect()->Information());
        EXPECT_EQ(host.Effect()->Holder(), &host);
        EXPECT_FALSE(host.SetFunction(nullptr)); // not while an effect exists

        // The effect's requests reach the listener through the holder.
        Requests requests;
        EXPECT_EQ(host.Effect()->SendHostRequest(kHostRequestParameterAvailability, 41), 0);
        host.SetListener(&requests);
        EXPECT_EQ(host.Effect()->SendHostRequest(kHostRequestParameterAvailability, 41), 42);
        EXPECT_EQ(requests.seen, (std::vector<int32_t>{kHostRequestParameterAvailability}));
        EXPECT_THROW(host.Create(), YException); // one effect per holder
    }
    EXPECT_EQ(g_script.destroyed, 1);
    EXPECT_EQ(g_script.commands.back(), kEffectDestroy);
}

TEST(YAudioEffectPluginHost, AFailedStepRaisesAndLeavesNothingBehind) {
    for (int32_t failing : {0, 2, 3, 7}) {
        SCOPED_TRACE(failing);
        g_script = Script{};
        g_script.failing = failing;
        YAudioEffectPluginHost host(&ScriptedInterface);
        try {
            host.Create();
            FAIL() << "created";
        } catch (const YException& error) {
            EXPECT_EQ(error.Message().ToUTF8(), "Error creating plugin.");
        }
        EXPECT_FALSE(host.HasEffect());
        EXPECT_EQ(host.Effect(), nullptr);
        // Anything attached was destroyed again.
        EXPECT_EQ(g_script.destroyed, failing == 0 ? 0 : 1);
    }
    YAudioEffectPluginHost none(nullptr);
    EXPECT_THROW(none.Create(), YException);
    EXPECT_EQ(none.Call(kEffectLatency), 0);
}

TEST(YAudioEffectPluginHost, ObjectsHandedToACallAreDeletedAfterIt) {
    g_script = Script{};
    YAudioEffectPluginHost host(&ScriptedInterface);
    host.Create();
    int deaths = 0;
    YEffectArguments arguments;
    arguments.Values[1] = {kArgumentObject, static_cast<int64_t>(reinterpret_cast<intptr_t>(new Watched(deaths)))};
    arguments.SetInteger(2, 5);
    EXPECT_EQ(host.Call(kEffectLatency, &arguments), 0);
    EXPECT_EQ(deaths, 1);
    EXPECT_EQ(arguments.Values[1].Tag, kArgumentNone);
    EXPECT_EQ(arguments.Values[2].Value, 5); // other arguments are left alone

    // Also without an effect: the caller handed the object over either way.
    host.Destroy();
    arguments.Values[0] = {kArgumentObject, static_cast<int64_t>(reinterpret_cast<intptr_t>(new Watched(deaths)))};
    EXPECT_EQ(host.Call(kEffectLatency, &arguments), 0);
    EXPECT_EQ(deaths, 2);
}
