// The VST 2.4 adapter in-process, around small plug-ins that record what reaches them: the
// parts of its behaviour a host cannot observe from outside the binary.
#include "entry/vst2/YAudioPluginVSTAdapter.h"

#include "core/YAudioPlugin.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace {

using namespace Vst2;

constexpr YVSTIdentity kIdentity{"Test", "Maker", FourCC('T', 'e', 's', 't'), 3};

struct Host {
    intptr_t Version = 2400;
    VstTimeInfo Time{};
    bool GiveTime = false;
    int32_t TimeFilter = 0;
    int32_t IOChanged = 0;
    std::vector<std::pair<int32_t, float>> Automated;
    std::vector<VstMidiEvent> MidiOut;
    // Echo: the host writes this value back through setParameter while it records automation.
    float EchoValue = -1.0f;
};
Host g_host;

intptr_t Callback(AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
    switch (opcode) {
    case audioMasterVersion:
        return g_host.Version;
    case audioMasterGetTime:
        g_host.TimeFilter = static_cast<int32_t>(value);
        return g_host.GiveTime ? reinterpret_cast<intptr_t>(&g_host.Time) : 0;
    case audioMasterIOChanged:
        ++g_host.IOChanged;
        return 1;
    case audioMasterAutomate:
        g_host.Automated.emplace_back(index, opt);
        if (g_host.EchoValue >= 0.0f) effect->setParameter(effect, index, g_host.EchoValue);
        return 0;
    case audioMasterProcessEvents: {
        const auto* events = static_cast<const VstEvents*>(ptr);
        for (int32_t i = 0; i < events->numEvents; ++i)
            g_host.MidiOut.push_back(*reinterpret_cast<const VstMidiEvent*>(events->events[i]));
        return 1;
    }
    default:
        return 0;
    }
}

// One host parameter that stores its value.
class ValueAdapter : public YAudioPlugin::AutomationAdapter {
public:
    void SetParameter(int32_t, double normalized, bool) override { Value = normalized; }
    double GetParameter(int32_t) override { return Value; }
    void GetParameterFullLabel(YString& out, int32_t) override { out = Label; }
    void GetParameterUnitsName(YString& out, int32_t) override { out = Units; }
    double Value = 0.25;
    YString Label;
    YString Units;
};

// Records MIDI, the channel pointers of each block and what it generates.
class RecordingPlugin : public YAudioPlugin {
public:
    RecordingPlugin() {
        SetAcceptsMIDI(true);
        SetUsesHostTime(true);
        auto adapter = std::make_unique<ValueAdapter>();
        Parameter = adapter.get();
        AddAutomationAdapter(std::move(adapter));
    }
    void OnController(int32_t channel, int32_t controller, double value) override {
        Controllers.push_back({channel, controller, static_cast<int32_t>(value * 127.0 + 0.5)});
        YAudioPlugin::OnController(channel, controller, value);
    }
    void Process(float** inputs, float** outputs, int32_t frames) override {
        std::copy_n(inputs, kMaxSlots, Inputs.begin());
        ++Blocks;
        if (Emit) {
            const uint8_t bytes[4] = {0x90, 60, 100, 0};
            GenerateMIDIEvent(7, bytes);
        }
        YAudioPlugin::Process(inputs, outputs, frames);
    }
    int32_t GetLatency() override { return Latency; }
    int32_t GetTailLength() override { return Tail; }
    bool LoadState(const void*, size_t) override { return true; }

    std::vector<std::array<int32_t, 3>> Controllers;
    std::array<float*, kMaxSlots> Inputs{};
    int32_t Blocks = 0;
    bool Emit = false;
    int32_t Latency = 0;
    int32_t Tail = 0;
    ValueAdapter* Parameter = nullptr;
};

class VSTAdapterTest : public testing::Test {
protected:
    void SetUp() override { g_host = Host{}; }

    // inputs total, channels per bus.
    YAudioPluginVSTAdapter& Make(int32_t inputs = 2, int32_t outputs = 2, int32_t perBus = 2) {
        auto plugin = std::make_unique<RecordingPlugin>();
        plugin->SetChannelCounts(inputs, outputs);
        plugin->SetChannelsPerBus(perBus);
        m_plugin = plugin.get();
        m_adapter = std::make_unique<YAudioPluginVSTAdapter>(&Callback, std::move(plugin), kIdentity);
        return *m_adapter;
    }
    AEffect* Effect() { return m_adapter->getAeffect(); }
    void Run(float** in, float** out, int32_t frames) { Effect()->processReplacing(Effect(), in, out, frames); }

    RecordingPlugin* m_plugin = nullptr;
    std::unique_ptr<YAudioPluginVSTAdapter> m_adapter;
};

TEST_F(VSTAdapterTest, OldHostsSeeStereoBusesOnly) {
    struct Case {
        intptr_t Version;
        int32_t Inputs, Outputs, PerBus;
        int32_t ExpectInputs, ExpectOutputs, ExpectPerBus;
    };
    const Case cases[] = {
        {2200, 4, 2, 2, 4, 2, 2},  // stereo plus stereo side chain stays as it is
        {2200, 16, 8, 8, 4, 2, 2}, // two 8-channel buses become two stereo buses
        {2400, 16, 8, 8, 16, 8, 8}, // a current host sees the surround layout
        {0, 2, 2, 2, 2, 2, 2},     // no answer counts as version 1
    };
    for (const Case& c : cases) {
        g_host.Version = c.Version;
        Make(c.Inputs, c.Outputs, c.PerBus);
        EXPECT_EQ(Effect()->numInputs, c.ExpectInputs) << c.Version;
        EXPECT_EQ(Effect()->numOutputs, c.ExpectOutputs) << c.Version;
        EXPECT_EQ(m_plugin->ChannelsPerBus(), c.ExpectPerBus) << c.Version;
        EXPECT_EQ(m_adapter->HostVersion(), c.Version == 0 ? 1 : c.Version);
    }
}

TEST_F(VSTAdapterTest, RecordCarriesIdentityAndFlags) {
    Make(0, 2, 2);
    EXPECT_EQ(Effect()->magic, kEffectMagic);
    EXPECT_EQ(Effect()->uniqueID, kIdentity.UniqueID);
    EXPECT_EQ(Effect()->version, 3);
    EXPECT_EQ(Effect()->numParams, 1);
    // Accepts MIDI without inputs: an instrument as far as the host is concerned.
    EXPECT_NE(Effect()->flags & effFlagsIsSynth, 0);
    EXPECT_NE(Effect()->flags & effFlagsCanReplacing, 0);
    EXPECT_NE(Effect()->flags & effFlagsProgramChunks, 0);
    EXPECT_EQ((Effect()->flags & effFlagsHasEditor) != 0, YEditorHost::Available());
    EXPECT_EQ(Effect()->dispatcher(Effect(), effGetPlugCategory, 0, 0, nullptr, 0), kPlugCategSynth);
}

TEST_F(VSTAdapterTest, LatencyReachesTheRecordAndTheHost) {
    Make();
    const int32_t before = g_host.IOChanged;
    m_plugin->Latency = 321;
    m_plugin->ReportLatency();
    EXPECT_EQ(Effect()->initialDelay, 321);
    EXPECT_EQ(g_host.IOChanged, before + 1);
}

TEST_F(VSTAdapterTest, TransportFollowsTheHost) {
    Make();
    g_host.GiveTime = true;
    g_host.Time.tempo = 120.0;
    g_host.Time.timeSigNumerator = 6;
    g_host.Time.timeSigDenominator = 8;
    g_host.Time.flags = kVstTransportPlaying;
    std::vector<float> a(64, 0.0f), b(64, 0.0f);
    float* in[2] = {a.data(), b.data()};
    float* out[2] = {a.data(), b.data()};
    const YProcessingContext& sync = m_plugin->HostSync();

    struct Step {
        double Position;
        bool Playing;
        uint8_t ExpectPlaying, ExpectJumped, ExpectChanged;
    };
    const Step steps[] = {
        {0.5, true, 1, 0, 1},   // starts playing close to where it was
        {1.0, true, 1, 0, 0},   // keeps playing
        {9.0, true, 1, 1, 0},   // relocated by 8 quarter notes: jumped, playing unchanged
        {9.5, true, 1, 0, 0},   // continues from the new place
        {9.5, false, 0, 0, 1},  // stopped
        {40.0, true, 0, 1, 0},  // starts far away: a jump, not yet playing
    };
    for (const Step& step : steps) {
        g_host.Time.ppqPos = step.Position;
        g_host.Time.flags = step.Playing ? kVstTransportPlaying : 0;
        Run(in, out, 64);
        EXPECT_EQ(sync.Playing, step.ExpectPlaying) << step.Position;
        EXPECT_EQ(sync.PositionJumped, step.ExpectJumped) << step.Position;
        EXPECT_EQ(sync.PlayingChanged, step.ExpectChanged) << step.Position;
        EXPECT_DOUBLE_EQ(sync.SongPosition, step.Position);
    }
    EXPECT_EQ(g_host.TimeFilter, YAudioPluginVSTAdapter::kTimeInfoFilter);
    EXPECT_EQ(sync.TimeInfoValid, 1);
    EXPECT_DOUBLE_EQ(sync.Tempo, 120.0);
    EXPECT_EQ(sync.TimeSignatureNumerator, 6);
    EXPECT_EQ(sync.TimeSignatureDenominator, 8);
}

TEST_F(VSTAdapterTest, BarStartAndCycleAreTidied) {
    Make();
    g_host.GiveTime = true;
    std::vector<float> a(16, 0.0f), b(16, 0.0f);
    float* in[2] = {a.data(), b.data()};
    float* out[2] = {a.data(), b.data()};
    struct Case {
        int32_t Denominator;
        double HostBarStart, CycleStart, CycleEnd;
        double ExpectBarStart, ExpectCycleStart, ExpectCycleEnd;
    };
    const Case cases[] = {
        {4, 3.49, 4.0, 8.0, 3.0, 4.0, 8.0},
        {4, 3.5, 8.0, 8.0, 4.0, -1.0, -1.0},  // half rounds up; an empty cycle is none
        {8, 3.26, 2.0, 1.0, 3.5, -1.0, -1.0}, // eighths: half-quarter grid; reversed cycle
        {16, 3.13, 0.0, 1.0, 3.25, 0.0, 1.0},
        {0, 2.7, 0.0, 1.0, 3.0, 0.0, 1.0},    // a broken denominator counts as quarters
    };
    for (const Case& c : cases) {
        g_host.Time.timeSigNumerator = 4;
        g_host.Time.timeSigDenominator = c.Denominator;
        g_host.Time.barStartPos = c.HostBarStart;
        g_host.Time.cycleStartPos = c.CycleStart;
        g_host.Time.cycleEndPos = c.CycleEnd;
        Run(in, out, 16);
        const YProcessingContext& sync = m_plugin->HostSync();
        EXPECT_DOUBLE_EQ(sync.BarStart, c.ExpectBarStart) << c.HostBarStart;
        EXPECT_DOUBLE_EQ(sync.CycleStart, c.ExpectCycleStart) << c.HostBarStart;
        EXPECT_DOUBLE_EQ(sync.CycleEnd, c.ExpectCycleEnd) << c.HostBarStart;
    }
}

TEST_F(VSTAdapterTest, MIDIArrivesFromEventsAndFromTheQueue) {
    Make();
    VstMidiEvent controller{kVstMidiType, sizeof(VstMidiEvent), 3, 0, 0, 0, {char(0xB2), 7, 100, 0}, 0, 0, 0, 0};
    VstEvent sysex{kVstSysExType, 24, 0, 0, {}};
    VstEvents events{2, 0, {reinterpret_cast<VstEvent*>(&controller), &sysex}};
    EXPECT_EQ(Effect()->dispatcher(Effect(), effProcessEvents, 0, 0, &events, 0), 1);
    ASSERT_EQ(m_plugin->Controllers.size(), 1u);
    EXPECT_EQ(m_plugin->Controllers[0], (std::array<int32_t, 3>{2, 7, 100}));

    const uint8_t queued[4] = {0xB0, 1, 64, 0};
    EXPECT_TRUE(m_adapter->QueueMIDIInput(0, queued));
    EXPECT_EQ(m_plugin->Controllers.size(), 1u) << "queued events wait for the next block";
    std::vector<float> a(32, 0.0f), b(32, 0.0f);
    float* in[2] = {a.data(), b.data()};
    float* out[2] = {a.data(), b.data()};
    Run(in, out, 32);
    ASSERT_EQ(m_plugin->Controllers.size(), 2u);
    EXPECT_EQ(m_plugin->Controllers[1], (std::array<int32_t, 3>{0, 1, 64}));
    Run(in, out, 32);
    EXPECT_EQ(m_plugin->Controllers.size(), 2u) << "delivered once";
}

TEST_F(VSTAdapterTest, GeneratedMIDIGoesToTheHostAfterTheBlock) {
    Make();
    m_plugin->Emit = true;
    std::vector<float> a(32, 0.0f), b(32, 0.0f);
    float* in[2] = {a.data(), b.data()};
    float* out[2] = {a.data(), b.data()};
    Run(in, out, 32);
    ASSERT_EQ(g_host.MidiOut.size(), 1u);
    const VstMidiEvent& event = g_host.MidiOut[0];
    EXPECT_EQ(event.type, kVstMidiType);
    EXPECT_EQ(event.byteSize, 32);
    EXPECT_EQ(event.deltaFrames, 7);
    EXPECT_EQ(static_cast<uint8_t>(event.midiData[0]), 0x90);
    EXPECT_EQ(event.midiData[1], 60);
    EXPECT_EQ(event.midiData[2], 100);
    m_plugin->Emit = false;
    Run(in, out, 32);
    EXPECT_EQ(g_host.MidiOut.size(), 1u) << "the queue is emptied by sending";
}

TEST_F(VSTAdapterTest, OwnAutomationIsNotEchoedBack) {
    Make();
    g_host.EchoValue = 0.9f;
    m_plugin->AutomateParameter(0, 0.5);
    ASSERT_EQ(g_host.Automated.size(), 1u);
    EXPECT_FLOAT_EQ(g_host.Automated[0].second, 0.5f);
    EXPECT_DOUBLE_EQ(m_plugin->Parameter->Value, 0.25) << "the echo must be ignored";
    // Out of range: nothing goes to the host.
    m_plugin->AutomateParameter(1, 0.5);
    m_plugin->AutomateParameter(-1, 0.5);
    EXPECT_EQ(g_host.Automated.size(), 1u);
    // The host's own writes still arrive.
    Effect()->setParameter(Effect(), 0, 0.75f);
    EXPECT_DOUBLE_EQ(m_plugin->Parameter->Value, 0.75);
    EXPECT_FLOAT_EQ(Effect()->getParameter(Effect(), 0), 0.75f);
}

TEST_F(VSTAdapterTest, MissingSideChainBecomesSilenceWithoutTouchingOtherBuffers) {
    Make(4, 2, 2);
    std::vector<float> l(32, 0.5f), r(32, 0.5f), outL(32, 0.0f), outR(32, 0.0f), guard(32, 7.0f);
    // The host gives no side chain: null first pointer, a stray second one that must not be read.
    float* in[4] = {l.data(), r.data(), nullptr, guard.data()};
    float* out[2] = {outL.data(), outR.data()};
    Run(in, out, 32);
    ASSERT_EQ(m_plugin->Blocks, 1);
    EXPECT_EQ(m_plugin->Inputs[0], l.data());
    EXPECT_EQ(m_plugin->Inputs[1], r.data());
    for (int32_t slot : {8, 9}) {
        EXPECT_NE(m_plugin->Inputs[static_cast<size_t>(slot)], guard.data());
        EXPECT_NE(m_plugin->Inputs[static_cast<size_t>(slot)], nullptr);
        EXPECT_NEAR(m_plugin->Inputs[static_cast<size_t>(slot)][0], 0.0f, 1e-9f) << "silence";
    }
    for (float s : guard) EXPECT_EQ(s, 7.0f);
}

TEST_F(VSTAdapterTest, BusyPluginPassesTheBlockThrough) {
    Make();
    std::vector<float> l(64), r(64), outL(64, -3.0f), outR(64, -3.0f);
    for (size_t i = 0; i < l.size(); ++i) {
        l[i] = 0.01f * static_cast<float>(i);
        r[i] = -0.02f * static_cast<float>(i);
    }
    float* in[2] = {l.data(), r.data()};
    float* out[2] = {outL.data(), outR.data()};
    std::atomic<bool> held{false}, release{false};
    std::thread holder([&] {
        m_plugin->ProcessingLock().Lock(YSynchronizer::kWaitInfinite);
        held = true;
        while (!release) std::this_thread::yield();
        m_plugin->ProcessingLock().Unlock();
    });
    while (!held) std::this_thread::yield();
    Run(in, out, 64);
    release = true;
    holder.join();
    EXPECT_EQ(m_plugin->Blocks, 0);
    EXPECT_EQ(outL, l);
    EXPECT_EQ(outR, r);
}

TEST_F(VSTAdapterTest, SpeakerArrangementsWithinTheLayout) {
    Make(4, 2, 2);
    VstSpeakerArrangement mono{kSpeakerArrMono, 1, {}};
    VstSpeakerArrangement stereo{kSpeakerArrStereo, 2, {}};
    VstSpeakerArrangement wide{kSpeakerArr51, 6, {}};
    auto set = [&](VstSpeakerArrangement* in, VstSpeakerArrangement* out) {
        return Effect()->dispatcher(Effect(), effSetSpeakerArrangement, 0, reinterpret_cast<intptr_t>(in), out, 0);
    };
    EXPECT_EQ(set(&wide, &stereo), 0) << "more input channels than the plug-in has";
    EXPECT_EQ(set(&stereo, &wide), 0) << "more output channels than the plug-in has";
    EXPECT_EQ(set(&mono, &mono), 1);
    EXPECT_EQ(m_plugin->GetInputChannelsPerBus(), 1);
    EXPECT_EQ(m_plugin->GetOutputChannelsPerBus(), 1);
    EXPECT_EQ(set(&stereo, &stereo), 1);
    EXPECT_EQ(m_plugin->GetInputChannelsPerBus(), 2);
    EXPECT_EQ(m_plugin->GetOutputChannelsPerBus(), 2);
    EXPECT_EQ(set(nullptr, nullptr), 1) << "without arrangements the output falls back to one channel";
    EXPECT_EQ(m_plugin->GetOutputChannelsPerBus(), 1);
    VstSpeakerArrangement* input = &mono;
    VstSpeakerArrangement* output = &mono;
    EXPECT_EQ(Effect()->dispatcher(Effect(), effGetSpeakerArrangement, 0, reinterpret_cast<intptr_t>(&input), &output, 0),
              0);
    EXPECT_EQ(input, nullptr);
    EXPECT_EQ(output, nullptr);
}

TEST_F(VSTAdapterTest, PinPropertiesFollowTheBusWidth) {
    struct Case {
        int32_t PerBus, Flags, Arrangement;
    };
    const Case cases[] = {
        {1, kVstPinIsActive, kSpeakerArrMono},
        {2, kVstPinIsActive | kVstPinIsStereo, kSpeakerArrStereo},
        {8, kVstPinIsActive | kVstPinUseSpeaker, kSpeakerArr80Music},
    };
    for (const Case& c : cases) {
        Make(c.PerBus, c.PerBus, c.PerBus);
        m_plugin->SetPinName(true, 0, YString("Left in"));
        VstPinProperties pin;
        std::memset(&pin, 0x7F, sizeof pin);
        ASSERT_EQ(Effect()->dispatcher(Effect(), effGetInputProperties, 0, 0, &pin, 0), 1);
        EXPECT_STREQ(pin.label, "Left in");
        EXPECT_EQ(pin.flags, c.Flags);
        EXPECT_EQ(pin.arrangementType, c.Arrangement);
        EXPECT_EQ(Effect()->dispatcher(Effect(), effGetOutputProperties, c.PerBus - 1, 0, &pin, 0), 1);
        EXPECT_EQ(Effect()->dispatcher(Effect(), effGetOutputProperties, c.PerBus, 0, &pin, 0), 0);
        EXPECT_EQ(Effect()->dispatcher(Effect(), effGetInputProperties, -1, 0, &pin, 0), 0);
    }
}

TEST_F(VSTAdapterTest, TextsAreCutAndConvertedToTheHostsEncoding) {
    Make();
    char text[128];
    auto name = [&] {
        std::memset(text, 'x', sizeof text);
        Effect()->dispatcher(Effect(), effGetParamName, 0, 0, text, 0);
        return std::string(text);
    };
    auto label = [&] {
        std::memset(text, 'x', sizeof text);
        Effect()->dispatcher(Effect(), effGetParamLabel, 0, 0, text, 0);
        return std::string(text);
    };
    m_plugin->Parameter->Label = YString("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123"); // 30 characters
    EXPECT_EQ(name(), "ABCDEFGHIJKLMNOPQRSTUVWX");
    m_plugin->Parameter->Label = YString("Rate");
    EXPECT_EQ(name(), "Rate");
    m_plugin->Parameter->Units = YString::FromUTF16(u"\u00b5s \u00b0 \u20ac");
    // 30 bytes and a degree sign: it fits as one byte, not as two.
    const YString thirtyAndDegree = YString::FromUTF16(std::u16string(30, u'm') + u"\u00b0");
#if defined(_WIN32)
    // Hosts on Windows read the ANSI code page.
    if (GetACP() == 1252) {
        EXPECT_EQ(label(), "\xb5s \xb0 \x80");
        m_plugin->Parameter->Units = thirtyAndDegree;
        EXPECT_EQ(label(), std::string(30, 'm') + "\xb0");
    }
#else
    // Hosts on Linux read UTF-8; the cut never splits a character.
    EXPECT_EQ(label(), "\xc2\xb5s \xc2\xb0 \xe2\x82\xac");
    m_plugin->Parameter->Units = thirtyAndDegree;
    EXPECT_EQ(label(), std::string(30, 'm'));
#endif
    m_plugin->Parameter->Units = YString::FromUTF16(std::u16string(100, u'm'));
    EXPECT_EQ(label().size(), static_cast<size_t>(YAudioPluginVSTAdapter::kMaxParameterTextBytes));
    // A parameter that does not exist has empty texts.
    std::memset(text, 'x', sizeof text);
    Effect()->dispatcher(Effect(), effGetParamDisplay, 5, 0, text, 0);
    EXPECT_EQ(text[0], 0);
}

// Another thread queues MIDI while blocks run: every event arrives once, in order.
TEST_F(VSTAdapterTest, ThreadingQueuedMIDIArrivesOnceInOrder) {
    Make();
    constexpr int32_t kEvents = 3000;
    std::atomic<bool> done{false};
    std::thread producer([&] {
        for (int32_t i = 0; i < kEvents; ++i) {
            const uint8_t bytes[4] = {0xB0, static_cast<uint8_t>(i % 100), static_cast<uint8_t>(i % 128), 0};
            while (!m_adapter->QueueMIDIInput(0, bytes)) std::this_thread::yield();
        }
        done = true;
    });
    std::vector<float> a(16, 0.0f), b(16, 0.0f);
    float* in[2] = {a.data(), b.data()};
    float* out[2] = {a.data(), b.data()};
    while (!done) Run(in, out, 16);
    producer.join();
    Run(in, out, 16);
    ASSERT_EQ(m_plugin->Controllers.size(), static_cast<size_t>(kEvents));
    for (int32_t i = 0; i < kEvents; ++i) {
        EXPECT_EQ(m_plugin->Controllers[static_cast<size_t>(i)][1], i % 100);
        EXPECT_EQ(m_plugin->Controllers[static_cast<size_t>(i)][2], i % 128);
    }
}

TEST_F(VSTAdapterTest, ClosingThroughTheRecordDeletesTheAdapter) {
    auto plugin = std::make_unique<RecordingPlugin>();
    auto* adapter = new YAudioPluginVSTAdapter(&Callback, std::move(plugin), kIdentity);
    AEffect* effect = adapter->getAeffect();
    EXPECT_EQ(effect->dispatcher(effect, effClose, 0, 0, nullptr, 0), 1);
}

} // namespace

TEST_F(VSTAdapterTest, TheTailSizeSaysNoneAndEndlessInTheFormatsTerms) {
    Make();
    struct Case {
        int32_t Tail;
        intptr_t Expected;
    };
    const Case cases[] = {{0, 1}, {1, 1}, {300, 300}, {-1, INT32_MAX}};
    for (const Case& c : cases) {
        m_plugin->Tail = c.Tail;
        EXPECT_EQ(Effect()->dispatcher(Effect(), effGetTailSize, 0, 0, nullptr, 0.0f), c.Expected) << c.Tail;
    }
}

TEST_F(VSTAdapterTest, TheHostHearsOfATailChangeFromItsGUISideOnly) {
    Make();
    m_plugin->Tail = 4500;
    const int32_t before = g_host.IOChanged;
    Effect()->setParameter(Effect(), 0, 0.5f);
    EXPECT_EQ(g_host.IOChanged, before) << "the host has not read the tail yet";
    Effect()->dispatcher(Effect(), effGetTailSize, 0, 0, nullptr, 0.0f);

    m_plugin->Tail = 5000; // the same power of two: not worth a restart
    Effect()->setParameter(Effect(), 0, 0.5f);
    EXPECT_EQ(g_host.IOChanged, before);
    m_plugin->Tail = -1;
    Effect()->setParameter(Effect(), 0, 0.6f);
    EXPECT_EQ(g_host.IOChanged, before + 1);

    // Once this thread processes it is the audio thread: automation played back there does
    // not call the host.
    float left[8] = {}, right[8] = {};
    float* in[2] = {left, right};
    float* out[2] = {left, right};
    Run(in, out, 8);
    m_plugin->Tail = 100;
    Effect()->setParameter(Effect(), 0, 0.7f);
    EXPECT_EQ(g_host.IOChanged, before + 1);
    // The editor's idle call and a state load come from the GUI side.
    Effect()->dispatcher(Effect(), effEditIdle, 0, 0, nullptr, 0.0f);
    EXPECT_EQ(g_host.IOChanged, before + 2);
    m_plugin->Tail = 0;
    std::vector<uint8_t> state = {1, 2, 3};
    Effect()->dispatcher(Effect(), effSetChunk, 0, static_cast<intptr_t>(state.size()), state.data(), 0.0f);
    EXPECT_EQ(g_host.IOChanged, before + 3);
}
