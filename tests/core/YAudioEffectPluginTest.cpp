#include "core/YAudioEffectPlugin.h"

#include "core/YMIDIProcessorBase.h"
#include "foundation/YException.h"
#include "foundation/YXMLItem.h"

#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

const char* const kModes[] = {"Default", "Tape", "Tape 2"};

// Records every call the command handler makes, so each command can be traced to its operation.
class RecordingEffect : public YAudioEffectPlugin {
public:
    PluginParameter Records[4];
    std::vector<std::string> Calls;
    bool FailInitialize = false;
    bool ThrowForeign = false;
    int32_t Channels = 0;
    double Rate = 0.0;
    int32_t Frames = 0;
    double Tempo = 0.0;
    const float* FirstInput = nullptr;

    static int Alive;

    RecordingEffect() {
        ++Alive;
        Records[0].DefineFloat("Depth", "Depth", -2.0, 2.0, 1.0);
        Records[1].DefineEnum("Mode", "Mode", kModes, 3, 0);
        Records[2].DefineInteger("Count", "Count", 0, 10, 3);
        Records[3].DefineBool("On", "On", false);
        SetParameterTable(Records, 4);
    }
    ~RecordingEffect() override { --Alive; }

    bool Initialize() override {
        Calls.push_back("Initialize");
        if (ThrowForeign) throw std::runtime_error("boom");
        return !FailInitialize;
    }
    int32_t Prepare(int32_t channels, double sampleRate) override {
        Calls.push_back("Prepare");
        Channels = channels;
        Rate = sampleRate;
        return 7;
    }
    void Update() override {
        Calls.push_back("Update");
        // The first block must not ramp from an old processing copy: Update runs before the copy.
        Records[0].Float.Value = 0.5;
    }
    void Process(const YProcessingContext& context, float* const* inputs, float* const*,
                 int32_t frames) override {
        Calls.push_back("Process");
        Frames = frames;
        Tempo = context.Tempo;
        FirstInput = inputs[0];
    }
    void Reset() override { Calls.push_back("Reset"); }
    void Skip(int32_t frames) override { Calls.push_back("Skip" + std::to_string(frames)); }
    bool TailSilent() override { return false; }
    int32_t GetTailLength() override { return 4410; }
    int32_t GetLatency() override { return 18; }
    void ParameterChanged(int32_t index) override { Calls.push_back("Changed" + std::to_string(index)); }
    bool CreateEditorParts(void*) override {
        Calls.push_back("CreateEditorParts");
        return true;
    }
    void EditorClosed() override { Calls.push_back("EditorClosed"); }
    void EditorUpdate() override { Calls.push_back("EditorUpdate"); }
    void EditorRefresh() override { Calls.push_back("EditorRefresh"); }
};

int RecordingEffect::Alive = 0;

YAudioEffectPlugin* CreateRecording() { return new RecordingEffect; }

struct NoteProbe : YMIDIProcessorBase {
    std::vector<std::string> Events;
    void OnNote(int32_t channel, int32_t note, double velocity, bool on, int32_t held) override {
        Events.push_back("note " + std::to_string(channel) + " " + std::to_string(note) + " " +
                         std::to_string(velocity) + (on ? " on " : " off ") + std::to_string(held));
    }
    void OnController(int32_t channel, int32_t controller, double value) override {
        Events.push_back("cc " + std::to_string(channel) + " " + std::to_string(controller) + " " +
                         std::to_string(value));
    }
    void OnPitchBend(int32_t channel, double value) override {
        Events.push_back("bend " + std::to_string(channel) + " " + std::to_string(value));
    }
    void OnRawEvent(int32_t channel, int32_t status, int32_t data1, int32_t data2) override {
        Events.push_back("raw " + std::to_string(channel) + " " + std::to_string(status) + " " +
                         std::to_string(data1) + " " + std::to_string(data2));
    }
};

int64_t Call(void* instance, int32_t command, YEffectArguments* arguments = nullptr) {
    return YAudioEffectPluginCall(instance, command, arguments, &CreateRecording, "TestEffectInterface");
}

void* AsInstance(int64_t address) { return reinterpret_cast<void*>(static_cast<intptr_t>(address)); }

int64_t HostCallback(void*, int32_t, int64_t) { return 0; }

} // namespace

TEST(YAudioEffectPluginTest, CreationPathAttachesInitialisesAndDestroys) {
    const int alive = RecordingEffect::Alive;
    int holder = 0;
    YEffectArguments attach;
    attach.SetPointer(0, &holder);
    attach.SetPointer(1, reinterpret_cast<const void*>(&HostCallback));
    void* instance = AsInstance(Call(nullptr, kEffectAttach, &attach));
    ASSERT_NE(instance, nullptr);
    auto* effect = static_cast<RecordingEffect*>(static_cast<YAudioEffectPlugin*>(instance));
    EXPECT_EQ(effect->Holder(), &holder);
    EXPECT_EQ(effect->HostCallback(), &HostCallback);
    EXPECT_EQ(RecordingEffect::Alive, alive + 1);

    auto* info = reinterpret_cast<YAudioEffectInformation*>(
        static_cast<intptr_t>(Call(instance, kEffectGetInformation)));
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->Size, static_cast<int32_t>(sizeof(YAudioEffectInformation)));
    EXPECT_EQ(info->Parameters, effect->Records);
    EXPECT_EQ(info->ParameterCount, 4);
    EXPECT_EQ(info->MaxChannels, 8);
    EXPECT_EQ(Call(instance, kEffectInitialize), 1);
    EXPECT_EQ(AsInstance(Call(instance, kEffectGetInstance)), instance);

    EXPECT_EQ(Call(instance, kEffectDestroy), 0);
    EXPECT_EQ(RecordingEffect::Alive, alive);
}

TEST(YAudioEffectPluginTest, NullInstanceCreatesOnlyForAttachAndFetch) {
    const int alive = RecordingEffect::Alive;
    // Anything else without an instance would create an object nobody owns.
    for (int32_t command : {1, 2, 3, 4, 100, 101, 102}) {
        EXPECT_EQ(Call(nullptr, command), 0) << command;
        EXPECT_EQ(RecordingEffect::Alive, alive) << command;
    }
    void* fetched = AsInstance(Call(nullptr, kEffectGetInstance));
    ASSERT_NE(fetched, nullptr);
    EXPECT_EQ(RecordingEffect::Alive, alive + 1);
    Call(fetched, kEffectDestroy);
    EXPECT_EQ(RecordingEffect::Alive, alive);
    // Without a factory nothing is created at all.
    EXPECT_EQ(YAudioEffectPluginCall(nullptr, kEffectAttach, nullptr, nullptr, "x"), 0);
}

TEST(YAudioEffectPluginTest, FailuresAnswerZeroAndExceptionsStayInside) {
    RecordingEffect effect;
    effect.FailInitialize = true;
    EXPECT_EQ(Call(&effect, kEffectInitialize), 0);
    effect.FailInitialize = false;
    effect.ThrowForeign = true;
    std::vector<std::string> reports;
    static std::vector<std::string>* sink = nullptr;
    sink = &reports;
    YErrorReportHook previous =
        YSetErrorReportHook([](const YString& text) { sink->push_back(text.ToUTF8()); });
    EXPECT_EQ(Call(&effect, kEffectInitialize), 0);
    YSetErrorReportHook(previous);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find("TestEffectInterface"), std::string::npos);
    // Unknown commands and commands missing their argument block answer neutrally.
    EXPECT_EQ(Call(&effect, 8), 0);
    EXPECT_EQ(Call(&effect, 99), 0);
    EXPECT_EQ(Call(&effect, kEffectPrepare), -1);
    EXPECT_EQ(Call(&effect, kEffectProcess), 0);
    EXPECT_EQ(Call(&effect, kEffectStore), 0);
}

TEST(YAudioEffectPluginTest, CommandsReachTheirOperations) {
    RecordingEffect effect;
    YEffectArguments a;

    // Prepare: then Update, then the processing copies start from the updated values.
    double rate = 48000.0;
    effect.Records[0].Float.Processing = -1.0;
    a.SetInteger(0, 2);
    a.SetPointer(1, &rate);
    EXPECT_EQ(Call(&effect, kEffectPrepare, &a), 7);
    EXPECT_EQ(effect.Channels, 2);
    EXPECT_EQ(effect.Rate, 48000.0);
    EXPECT_EQ(effect.Records[0].Float.Processing, 0.5);
    EXPECT_EQ(effect.Calls, (std::vector<std::string>{"Prepare", "Update"}));
    effect.Calls.clear();

    float left[4] = {}, right[4] = {};
    float* inputs[2] = {left, right};
    YProcessingContext context;
    context.Tempo = 133.0;
    a = {};
    a.SetPointer(0, &context);
    a.SetPointer(1, inputs);
    a.SetPointer(2, inputs);
    a.SetInteger(3, 4);
    EXPECT_EQ(Call(&effect, kEffectProcess, &a), 0);
    EXPECT_EQ(effect.Frames, 4);
    EXPECT_EQ(effect.Tempo, 133.0);
    // Without a context the effect sees "no transport"; without inputs it works in place.
    a.Values[0] = {};
    a.Values[1] = {};
    EXPECT_EQ(Call(&effect, kEffectProcess, &a), 0);
    EXPECT_EQ(effect.Tempo, -1.0);
    EXPECT_EQ(effect.FirstInput, left);
    a.SetInteger(3, 0);
    Call(&effect, kEffectProcess, &a); // empty blocks are not processed

    EXPECT_EQ(Call(&effect, kEffectTailSilent), 0);
    EXPECT_EQ(Call(&effect, kEffectTailLength), 4410);
    EXPECT_EQ(Call(&effect, kEffectLatency), 18);
    EXPECT_EQ(Call(&effect, kEffectChannelModes), 0);
    a = {};
    a.SetInteger(0, 640);
    Call(&effect, kEffectSkip, &a);
    Call(&effect, kEffectReset);
    a.SetInteger(0, 2);
    Call(&effect, kEffectParameterChanged, &a);
    int container = 0;
    a.SetPointer(0, &container);
    EXPECT_EQ(Call(&effect, kEffectEditor, &a), 1);
    a.SetPointer(0, nullptr);
    EXPECT_EQ(Call(&effect, kEffectEditor, &a), 0);
    Call(&effect, kEffectEditorUpdate);
    Call(&effect, kEffectEditorRefresh);
    effect.SetNeedsUpdate();
    Call(&effect, kEffectUpdate);
    EXPECT_FALSE(effect.NeedsUpdate());
    a.SetInteger(0, 1024);
    Call(&effect, kEffectSetMaximumBlockSize, &a);
    EXPECT_EQ(effect.MaximumBlockSize(), 1024);
    a.SetInteger(0, -5);
    Call(&effect, kEffectSetMaximumBlockSize, &a);
    EXPECT_EQ(effect.MaximumBlockSize(), 1024);

    EXPECT_EQ(effect.Calls, (std::vector<std::string>{"Process", "Process", "Skip640", "Reset", "Changed2",
                                                      "CreateEditorParts", "EditorClosed", "EditorUpdate",
                                                      "EditorRefresh", "Update"}));
}

TEST(YAudioEffectPluginTest, MidiCommandsUnpackTheirArguments) {
    RecordingEffect effect;
    NoteProbe probe;
    YEffectArguments a;
    a.SetInteger(0, 3);
    a.SetInteger(1, 60);
    a.SetDouble(2, 0.5);
    a.SetInteger(3, 2 * 2 + 1);
    Call(&effect, kEffectMIDINote, &a); // nobody listens yet
    effect.SetMIDIProcessor(&probe);
    Call(&effect, kEffectMIDINote, &a);
    a.SetInteger(3, 0 * 2 + 0);
    Call(&effect, kEffectMIDINote, &a);
    a = {};
    a.SetInteger(0, kMIDIController);
    a.SetInteger(1, 15);
    a.SetInteger(2, 74);
    a.SetDouble(3, 0.25);
    Call(&effect, kEffectMIDIEvent, &a);
    a.SetInteger(0, kMIDIPitchBend);
    a.SetDouble(3, -1.0);
    Call(&effect, kEffectMIDIEvent, &a);
    a.SetInteger(0, kMIDIRawEvent);
    a.SetInteger(2, 0xF8 | (1 << 8) | (2 << 16));
    Call(&effect, kEffectMIDIEvent, &a);
    a.SetInteger(0, 42); // unknown kinds are dropped
    Call(&effect, kEffectMIDIEvent, &a);
    EXPECT_EQ(probe.Events,
              (std::vector<std::string>{"note 3 60 0.500000 on 2", "note 3 60 0.500000 off 0",
                                        "cc 15 74 0.250000", "bend 15 -1.000000", "raw 15 248 1 2"}));
}

TEST(YAudioEffectPluginTest, ParametersRoundTripThroughTheStoreCommand) {
    RecordingEffect source;
    source.Records[0].Float.Value = -1.25;
    source.Records[1].Enum.Value = 2;
    source.Records[2].Int.Value = 9;
    source.Records[3].Bool.Value = 1;
    YXMLItem root("settings");
    YStorer writer{true, &root};
    YEffectArguments a;
    a.SetPointer(0, &writer);
    EXPECT_EQ(Call(&source, kEffectStore, &a), 1);
    EXPECT_EQ(root.GetAttribute("parameterModeEnum"), YString("Tape 2"));
    EXPECT_EQ(root.GetAttribute("parameterMode"), YString("2"));
    EXPECT_EQ(root.GetAttribute("parameterCount"), YString("9"));
    EXPECT_EQ(root.GetAttribute("parameterOn"), YString("1"));

    RecordingEffect target;
    YStorer reader{false, &root};
    a.SetPointer(0, &reader);
    EXPECT_EQ(Call(&target, kEffectStore, &a), 1);
    EXPECT_DOUBLE_EQ(target.Records[0].Float.Value, -1.25);
    EXPECT_EQ(target.Records[1].Enum.Value, 2);
    EXPECT_EQ(target.Records[2].Int.Value, 9);
    EXPECT_EQ(target.Records[3].Bool.Value, 1);
}

TEST(YAudioEffectPluginTest, LoadingParametersLimitsAndPrefersNames) {
    struct Case {
        const char* name;
        std::vector<std::pair<const char*, const char*>> attributes;
        double depth;
        int32_t mode;
        int32_t count;
    };
    const Case cases[] = {
        {"AbsentLeavesValues", {}, 0.75, 1, 4},
        {"FloatBeyondMaxIsLimited", {{"parameterDepth", "7.5"}}, 2.0, 1, 4},
        {"FloatBelowMinIsLimited", {{"parameterDepth", "-9"}}, -2.0, 1, 4},
        {"UnreadableFloatLeavesValue", {{"parameterDepth", "abc"}}, 0.75, 1, 4},
        {"EnumNameWinsOverIndex", {{"parameterModeEnum", "Tape"}, {"parameterMode", "2"}}, 0.75, 1, 4},
        {"EnumIndexWithoutName", {{"parameterMode", "2"}}, 0.75, 2, 4},
        {"UnknownNameFallsBackToIndex", {{"parameterModeEnum", "Warp"}, {"parameterMode", "0"}}, 0.75, 0, 4},
        {"EnumIndexOutOfRangeIgnored", {{"parameterMode", "7"}}, 0.75, 1, 4},
        {"IntegerLimited", {{"parameterCount", "99"}}, 0.75, 1, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingEffect effect;
        effect.Records[0].Float.Value = 0.75;
        effect.Records[1].Enum.Value = 1;
        effect.Records[2].Int.Value = 4;
        YXMLItem root("settings");
        for (const auto& [key, value] : c.attributes)
            root.SetAttribute(YString::Literal(key), YString::Literal(value));
        effect.Load(root);
        EXPECT_DOUBLE_EQ(effect.Records[0].Float.Value, c.depth);
        EXPECT_EQ(effect.Records[1].Enum.Value, c.mode);
        EXPECT_EQ(effect.Records[2].Int.Value, c.count);
    }
}

TEST(YAudioEffectPluginTest, TableRegistrationAndFlags) {
    RecordingEffect effect;
    EXPECT_THROW(effect.Parameter(4), YException);
    EXPECT_THROW(effect.Parameter(-1), YException);
    EXPECT_EQ(&effect.Parameter(3), &effect.Records[3]);
    PluginParameter many[17];
    EXPECT_THROW(effect.SetParameterTable(many, 17), YException);
    EXPECT_THROW(effect.SetParameterTable(nullptr, 2), YException);
    EXPECT_EQ(effect.ParameterCount(), 4);
    effect.SetSpecialParameters(many, 1);
    EXPECT_EQ(effect.Information().SpecialParameters, many);
    EXPECT_EQ(effect.SpecialParameterCount(), 1);

    effect.SetEffectFlag(kEffectFlagHasTail, true);
    effect.SetEffectFlag(kEffectFlagUsesHostTime, true);
    effect.SetEffectFlag(kEffectFlagHasTail, false);
    EXPECT_EQ(effect.Information().Flags, kEffectFlagUsesHostTime);
    effect.SetEffectFlagB(kEffectFlagBAcceptsMIDI, true);
    EXPECT_EQ(effect.Information().FlagsB, kEffectFlagBAcceptsMIDI);

    EXPECT_FALSE(effect.TakeNeedsUpdate());
    effect.SetNeedsUpdate();
    EXPECT_TRUE(effect.TakeNeedsUpdate());
    EXPECT_FALSE(effect.NeedsUpdate());
}

TEST(YAudioEffectPluginTest, HostWritesThroughAdaptersReachTheEffect) {
    RecordingEffect effect;
    effect.Records[1].SetFlagA(PluginParameter::kMarkOwner, false);
    ParameterAdapterSetup depth;
    depth.Owner = &effect;
    depth.Record = &effect.Records[0];
    depth.Index = 0;
    ParameterAdapterSetup mode = depth;
    mode.Record = &effect.Records[1];
    mode.Index = 1;
    auto depthAdapter = CreateParameterAdapter(depth);
    auto modeAdapter = CreateParameterAdapter(mode);
    ASSERT_TRUE(depthAdapter && modeAdapter);

    modeAdapter->SetParameter(0, 1.0, false);
    EXPECT_EQ(effect.Records[1].Enum.Value, 2);
    EXPECT_FALSE(effect.NeedsUpdate()); // the record does not mark its owner
    depthAdapter->SetParameter(0, 0.25, true);
    EXPECT_FALSE(effect.NeedsUpdate()); // silent writes tell nobody
    depthAdapter->SetParameter(0, 0.75, false);
    EXPECT_DOUBLE_EQ(effect.Records[0].Float.Value, 1.0);
    EXPECT_TRUE(effect.NeedsUpdate());
    EXPECT_EQ(effect.Calls, (std::vector<std::string>{"Changed1", "Changed0"}));
}
