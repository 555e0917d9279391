// Slots, morphing and paste on the GUI side while the audio thread processes and a host thread
// automates the morph. Run under ThreadSanitizer: no race may be reported and nothing may
// deadlock; afterwards the slots still hold what was put into them.
#include "core/YQuenlorAudioEffectPlugin.h"

#include "FrameTestSupport.h"
#include "entry/VornikAudioEffectPluginInterface.h"
#include "foundation/YException.h"

#include <atomic>
#include <cmath>
#include <gtest/gtest.h>
#include <thread>

using namespace frametest;

TEST(SettingsSlotsThreading, SlotsMorphAndPasteRunBesideAudioAndAutomation) {
    auto plugin = YQuenlorAudioEffectPlugin::Create("Vornik", "Quenlor", VornikAudioEffectPluginInterface, 500, 100);
    ASSERT_TRUE(plugin);
    const int32_t depth = FindParameter(*plugin, "Depth");
    for (int32_t slot = 0; slot < 4; ++slot) {
        plugin->SelectSlot(slot);
        plugin->SetParameter(depth, 0.2 * (slot + 1));
    }
    plugin->SelectSlot(4);
    const YString text = plugin->CopySettingsText();
    const int32_t morphX = plugin->MorphParameterIndex();

    std::atomic<bool> stop{false};
    std::atomic<bool> nonFinite{false};
    std::thread audio([&] {
        Buffers block(2, 128);
        int64_t n = 0;
        while (!stop.load()) {
            for (int32_t c = 0; c < 2; ++c)
                for (int32_t i = 0; i < block.frames; ++i)
                    block.in[static_cast<size_t>(c)][static_cast<size_t>(i)] = Signal(c, n * block.frames + i);
            plugin->ProcessAudio(block.inputs, block.outputs, block.frames, true);
            for (const std::vector<float>& channel : block.out)
                for (float sample : channel)
                    if (!std::isfinite(sample)) nonFinite.store(true);
            ++n;
        }
    });
    std::thread automation([&] {
        for (int i = 0; i < 4000 && !stop.load(); ++i) {
            plugin->SetParameter(morphX + (i & 1), (i % 97) / 96.0);
            (void)plugin->GetParameterValueName(morphX);
            (void)plugin->MorphChangedSettings();
        }
    });

    for (int i = 0; i < 300; ++i) {
        switch (i % 5) {
        case 0:
            plugin->SelectSlot(4 + (i / 5) % 4);
            break;
        case 1:
            plugin->SetMorphPosition((i % 7) / 6.0, (i % 3) / 2.0);
            break;
        case 2:
            plugin->ApplyPendingMorphCorner();
            break;
        case 3:
            plugin->PasteSettingsText(text);
            break;
        case 4:
            plugin->CopySlot(5, 6);
            break;
        }
    }
    automation.join();
    stop.store(true);
    audio.join();
    EXPECT_FALSE(nonFinite.load());

    // The corners were never active, so they hold what they were given.
    for (int32_t slot = 0; slot < 4; ++slot) {
        plugin->SelectSlot(slot);
        EXPECT_NEAR(plugin->GetParameter(depth), 0.2 * (slot + 1), 1e-12) << slot;
    }
}
