#include "entry/VornikAudioEffectPluginInterface.h"

#include "effect/VornikAudioEffectPlugin.h"

#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <vector>

namespace {

void* AsPointer(int64_t value) { return reinterpret_cast<void*>(static_cast<intptr_t>(value)); }

int64_t HostCallback(void*, int32_t, int64_t) { return 0; }

} // namespace

TEST(VornikAudioEffectPluginInterface, CreatesDrivesAndDestroysTheFlanger) {
    int holder = 0;
    YEffectArguments attach;
    attach.SetPointer(0, &holder);
    attach.SetPointer(1, reinterpret_cast<const void*>(&HostCallback));
    void* instance = AsPointer(VornikAudioEffectPluginInterface(nullptr, kEffectAttach, &attach));
    ASSERT_NE(instance, nullptr);
    auto* effect = static_cast<YAudioEffectPlugin*>(instance);
    EXPECT_NE(dynamic_cast<VornikAudioEffectPlugin*>(effect), nullptr);
    EXPECT_EQ(effect->Holder(), &holder);

    YEffectArguments none;
    EXPECT_EQ(AsPointer(VornikAudioEffectPluginInterface(instance, kEffectGetInstance, &none)), instance);
    auto* info = static_cast<YAudioEffectInformation*>(
        AsPointer(VornikAudioEffectPluginInterface(instance, kEffectGetInformation, &none)));
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->ParameterCount, 16);
    EXPECT_EQ(info->SpecialParameterCount, 1);
    EXPECT_EQ(VornikAudioEffectPluginInterface(instance, kEffectInitialize, &none), 1);

    double sampleRate = 44100.0;
    YEffectArguments prepare;
    prepare.SetInteger(0, 2);
    prepare.SetPointer(1, &sampleRate);
    EXPECT_EQ(VornikAudioEffectPluginInterface(instance, kEffectPrepare, &prepare), 0);
    // Preparation includes the update: the default range is in place.
    EXPECT_DOUBLE_EQ(static_cast<VornikAudioEffectPlugin*>(effect)->CurrentRange(), 44100.0 * 0.0008);

    std::vector<float> left(128, 0.0f), right(128, 0.0f);
    left[3] = 0.5f;
    float* channels[2] = {left.data(), right.data()};
    YProcessingContext context;
    YEffectArguments process;
    process.SetPointer(0, &context);
    process.SetPointer(1, channels);
    process.SetPointer(2, channels);
    process.SetInteger(3, 128);
    EXPECT_EQ(VornikAudioEffectPluginInterface(instance, kEffectProcess, &process), 0);
    EXPECT_EQ(left[3], 0.5f); // Depth 1 keeps the full dry signal; the wet echo follows later
    EXPECT_EQ(VornikAudioEffectPluginInterface(instance, kEffectTailSilent, &none), 0);
    EXPECT_EQ(VornikAudioEffectPluginInterface(instance, kEffectLatency, &none), 0);
    EXPECT_EQ(VornikAudioEffectPluginInterface(instance, kEffectChannelModes, &none), -1);
    EXPECT_EQ(VornikAudioEffectPluginInterface(instance, kEffectEditorUpdate, &none), 0);
    EXPECT_EQ(VornikAudioEffectPluginInterface(instance, kEffectEditorRefresh, &none), 0);

    EXPECT_EQ(VornikAudioEffectPluginInterface(instance, kEffectDestroy, &none), 0);
}

TEST(VornikAudioEffectPluginInterface, FetchingWithoutAnInstanceCreatesOne) {
    YEffectArguments none;
    void* instance = AsPointer(VornikAudioEffectPluginInterface(nullptr, kEffectGetInstance, &none));
    ASSERT_NE(instance, nullptr);
    EXPECT_NE(dynamic_cast<VornikAudioEffectPlugin*>(static_cast<YAudioEffectPlugin*>(instance)), nullptr);
    VornikAudioEffectPluginInterface(instance, kEffectDestroy, &none);
}

TEST(VornikAudioEffectPluginInterface, BadCallsAnswerNeutrally) {
    YEffectArguments none;
    // Prepare without a sample rate and process without buffers do not throw or crash.
    void* instance = AsPointer(VornikAudioEffectPluginInterface(nullptr, kEffectGetInstance, &none));
    ASSERT_NE(instance, nullptr);
    EXPECT_EQ(VornikAudioEffectPluginInterface(instance, kEffectPrepare, &none), -1);
    EXPECT_EQ(VornikAudioEffectPluginInterface(instance, kEffectProcess, &none), 0);
    EXPECT_EQ(VornikAudioEffectPluginInterface(instance, 9999, &none), 0);
    VornikAudioEffectPluginInterface(instance, kEffectDestroy, &none);
}
