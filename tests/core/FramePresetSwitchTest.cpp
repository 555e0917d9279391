// The MIDI preset switch as a host sets it up and plays it: the switch comes from a loaded
// state, its controller arrives as raw messages (the call both host adapters make), and the
// steps it queues are what the GUI thread takes. Nothing outside the plug-in sees the steps
// yet, so this is as close to the host as they can be checked.
#include "core/YQuenlorAudioEffectPlugin.h"

#include "FrameTestSupport.h"
#include "StateTestSupport.h"
#include "entry/VornikAudioEffectPluginInterface.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace frametest;

namespace {

class FramePresetSwitchTest : public OwnConfigurationTest {
protected:
    FramePresetSwitchTest() : OwnConfigurationTest("vornik-preset-switch-") {}
};

std::vector<int32_t> TakeSteps(YQuenlorAudioEffectPlugin& plugin) {
    std::vector<int32_t> steps;
    for (int32_t step = 0; plugin.TakePresetStep(step);) steps.push_back(step);
    return steps;
}

void Controller(YQuenlorAudioEffectPlugin& plugin, uint8_t status, uint8_t value) {
    const uint8_t message[4] = {status, 20, value, 0};
    plugin.ProcessMIDIEvent(0, message);
}

TEST_F(FramePresetSwitchTest, ASlowSweepFromALoadedStateQueuesOneStepPerCrossing) {
    auto plugin = YQuenlorAudioEffectPlugin::Create("Vornik", "Quenlor", VornikAudioEffectPluginInterface, 500, 100);
    ASSERT_TRUE(plugin);
    const std::string xml = "<settings><PreviousNextPresetController Enabled=\"1\" Controller=\"20\" Channel=\"3\"/>"
                            "</settings>";
    ASSERT_TRUE(plugin->LoadState(xml.data(), xml.size()));
    Buffers block(2, 64);
    block.Process(*plugin);

    // Up from the middle one value at a time, a few messages a block: one step forward.
    for (int value = 64; value <= 127; ++value) {
        Controller(*plugin, 0xB2, static_cast<uint8_t>(value));
        if (value % 4 == 0) block.Process(*plugin);
    }
    block.Process(*plugin);
    EXPECT_EQ(TakeSteps(*plugin), std::vector<int32_t>{1});

    // The same sweep down on channel 4 is not the switch's.
    for (int value = 127; value >= 0; --value) Controller(*plugin, 0xB3, static_cast<uint8_t>(value));
    block.Process(*plugin);
    EXPECT_TRUE(TakeSteps(*plugin).empty());

    // All the way down and back to the middle within one block: one step back, and rising
    // to the middle again crosses nothing.
    for (int value = 127; value >= 0; --value) Controller(*plugin, 0xB2, static_cast<uint8_t>(value));
    for (int value = 0; value <= 64; ++value) Controller(*plugin, 0xB2, static_cast<uint8_t>(value));
    EXPECT_TRUE(TakeSteps(*plugin).empty()) << "nothing before the block";
    block.Process(*plugin);
    EXPECT_EQ(TakeSteps(*plugin), std::vector<int32_t>{-1});

    // A state without the switch turns it off.
    const std::string off = "<settings/>";
    ASSERT_TRUE(plugin->LoadState(off.data(), off.size()));
    Controller(*plugin, 0xB2, 0);
    Controller(*plugin, 0xB2, 127);
    block.Process(*plugin);
    EXPECT_TRUE(TakeSteps(*plugin).empty());
}

} // namespace
