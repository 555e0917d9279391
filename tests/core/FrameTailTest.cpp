// The frame's tail query: hosts ask from any thread, so it must answer while another thread
// holds the parameter lock (as the GUI does while it changes parameters).
#include "core/YAudioEffectPluginToAudioPluginAdapter.h"

#include "FrameTestSupport.h"
#include "platform/YPlatformTime.h"
#include "platform/YSynchronizer.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>

using namespace frametest;

// The probe effect has no tail of its own: the frame answers its latency.
TEST(YAudioEffectPluginToAudioPluginAdapterThreading, TheTailIsAnsweredWhileAnotherThreadHoldsTheParameterLock) {
    auto plugin = CreateProbePlugin(2, 100);
    ASSERT_TRUE(plugin);
    EXPECT_EQ(plugin->GetTailLength(), 100);

    std::atomic<bool> held{false};
    std::atomic<bool> answered{false};
    std::thread gui([&] {
        YScopedLock parameters(plugin->ParameterLock());
        held.store(true);
        // Released only after the answer came back: a query that waits for the lock never returns.
        while (!answered.load()) YPlatformSleep(1);
    });
    while (!held.load()) YPlatformSleep(1);
    TheProbe().latency = 250; // what a fresh look would find
    const int32_t busy = plugin->GetTailLength();
    answered.store(true);
    gui.join();
    EXPECT_EQ(busy, 100) << "the last answer, computed before the lock was taken";

    // With the lock free the effect is asked again, and the thread that holds the lock may ask too.
    EXPECT_EQ(plugin->GetTailLength(), 250);
    {
        YScopedLock parameters(plugin->ParameterLock());
        TheProbe().latency = 400;
        EXPECT_EQ(plugin->GetTailLength(), 400);
    }
    TheProbe().Reset(); // other tests read the probe without creating a plug-in
}
