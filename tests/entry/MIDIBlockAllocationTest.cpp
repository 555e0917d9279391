// The product driven in-process through its VST 2.4 entry as a host drives it: blocks that
// carry MIDI control allocate nothing.
#include "entry/VornikExports.h"
#include "support/AllocationCounting.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace Vst2;

constexpr int32_t kFrames = 512;
constexpr int32_t kSlots = 32;
constexpr int32_t kMessages = 128;
constexpr int32_t kMultiParameter1 = 17; // host index

int32_t g_automated = 0;

intptr_t Host(AEffect*, int32_t opcode, int32_t, intptr_t, void*, float) {
    if (opcode == audioMasterAutomate) ++g_automated;
    return opcode == audioMasterVersion ? 2400 : 0;
}

// Up to kMessages MIDI events in one VstEvents record, built before the measured block.
struct EventBlock {
    std::array<VstMidiEvent, kMessages> midi{};
    std::vector<unsigned char> storage =
        std::vector<unsigned char>(sizeof(VstEvents) + kMessages * sizeof(VstEvent*));
    VstEvents* Events() { return reinterpret_cast<VstEvents*>(storage.data()); }

    void Set(int32_t count, int32_t turn) {
        VstEvents* events = Events();
        events->numEvents = count;
        for (int32_t m = 0; m < count; ++m) {
            VstMidiEvent& event = midi[static_cast<size_t>(m)];
            event = VstMidiEvent{};
            event.type = kVstMidiType;
            event.byteSize = static_cast<int32_t>(sizeof(VstMidiEvent));
            event.deltaFrames = m * (kFrames / kMessages);
            event.midiData[0] = static_cast<char>(0xB0 | (m & 15));
            event.midiData[1] = static_cast<char>(m % kSlots);
            event.midiData[2] = static_cast<char>((m * 5 + turn) & 127);
            events->events[m] = reinterpret_cast<VstEvent*>(&event);
        }
    }
};

class MIDIBlockAllocationTest : public testing::Test {
protected:
    void SetUp() override {
        g_automated = 0;
        m_effect = VSTPluginMain(&Host);
        ASSERT_NE(m_effect, nullptr);
        Dispatch(effOpen);
        Dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f);
        Dispatch(effSetBlockSize, 0, kFrames);
        Dispatch(effMainsChanged, 0, 1);
        Dispatch(effStartProcess);
        for (int32_t c = 0; c < 2; ++c) {
            m_input[c].assign(kFrames, 0.0f);
            m_output[c].assign(kFrames, 0.0f);
            for (int32_t i = 0; i < kFrames; ++i) m_input[c][i] = 0.25f * static_cast<float>((i * (c + 3)) % 17) / 17.0f;
            m_ins[c] = m_input[c].data();
            m_outs[c] = m_output[c].data();
        }
    }
    void TearDown() override {
        if (m_effect == nullptr) return;
        Dispatch(effStopProcess);
        Dispatch(effMainsChanged, 0, 0);
        Dispatch(effClose);
    }

    intptr_t Dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr, float opt = 0.0f) {
        return m_effect->dispatcher(m_effect, opcode, index, value, ptr, opt);
    }
    std::string ParameterName(int32_t index) {
        char text[256] = {};
        Dispatch(effGetParamName, index, 0, text);
        return text;
    }
    void LoadState(const std::string& xml) {
        std::vector<char> bytes(xml.begin(), xml.end());
        ASSERT_EQ(Dispatch(effSetChunk, 0, static_cast<intptr_t>(bytes.size()), bytes.data()), 1);
    }
    // One host block as the entry receives it: the block's MIDI first, then the audio.
    void Block(VstEvents* events) {
        if (events != nullptr) Dispatch(effProcessEvents, 0, 0, events);
        m_effect->processReplacing(m_effect, m_ins, m_outs, kFrames);
    }

    AEffect* m_effect = nullptr;
    std::vector<float> m_input[2], m_output[2];
    float* m_ins[2] = {};
    float* m_outs[2] = {};
};

TEST_F(MIDIBlockAllocationTest, A128ControllerBlockWithAll32SlotsEnabledAllocatesNothing) {
    // Slot n listens to controller n on every channel and drives one of the effect's
    // continuous parameters (Depth ... Jet phase).
    std::string state = "<settings ControllersEnabled=\"1\"><Controllers>";
    for (int32_t n = 0; n < kSlots; ++n)
        state += "<Controller" + std::to_string(n) + " Enabled=\"1\" ParameterName=\"" + ParameterName(1 + n % 10) +
                 "\" Controller=\"" + std::to_string(n) + "\"/>";
    state += "</Controllers></settings>";
    LoadState(state);

    EventBlock block;
    for (int32_t turn = 0; turn < 4; ++turn) {
        block.Set(kMessages, turn * 37);
        Block(block.Events());
    }
    block.Set(kMessages, 1000);
    const float before = m_effect->getParameter(m_effect, 1);
    const int32_t automatedBefore = g_automated;

    const uint64_t allocations = AllocationCounting::Count();
    Block(block.Events());
    EXPECT_EQ(AllocationCounting::Count(), allocations);

    EXPECT_EQ(g_automated - automatedBefore, kMessages) << "every message wrote its slot's parameter";
    EXPECT_NE(m_effect->getParameter(m_effect, 1), before);
}

TEST_F(MIDIBlockAllocationTest, ABlockWhileASwitchRampDrivesTenTargetsAllocatesNothing) {
    // Ten targets over the five range modes; the travel takes far longer than the test runs.
    std::string state = "<settings><MultiParameters><MultiParameter0 Enabled=\"1\" Mode=\"Switch\" "
                        "SwitchTime=\"1000\" Value=\"0\">";
    for (int32_t n = 0; n < 10; ++n)
        state += "<Parameter ParameterName=\"" + ParameterName(1 + n) + "\" Value=\"0.3\" Range=\"0.5\" "
                 "MaxValue=\"0.9\" FullRange=\"" + std::to_string(n % 5) + "\"/>";
    state += "</MultiParameter0></MultiParameters></settings>";
    LoadState(state);
    m_effect->setParameter(m_effect, kMultiParameter1, 1.0f);
    for (int32_t b = 0; b < 4; ++b) Block(nullptr);
    const float position = m_effect->getParameter(m_effect, kMultiParameter1);
    const float target = m_effect->getParameter(m_effect, 1);

    const uint64_t allocations = AllocationCounting::Count();
    Block(nullptr);
    EXPECT_EQ(AllocationCounting::Count(), allocations);

    EXPECT_GT(m_effect->getParameter(m_effect, kMultiParameter1), position) << "the ramp ran in the block";
    EXPECT_NE(m_effect->getParameter(m_effect, 1), target) << "and moved its targets";
}

} // namespace
