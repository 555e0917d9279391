// YAudioPluginVST3Adapter: presents one YAudioPlugin to a VST 3 host as a single object that is
// both the processor (IComponent, IAudioProcessor) and the edit controller (IEditController,
// IEditController2, IUnitInfo, IMidiMapping), and carries the plug-in's calls back to the host
// (YAudioPluginAdapter). The nested YEditor is the plug-in view.
//
// Host parameter IDs: the plug-in's parameters 0 ... count - 1, "Bypass" at 32767, and the MIDI
// controllers at 10000 ... 10129 (controller numbers 0 ... 127, 128 channel aftertouch, 129
// pitch bend), which hosts map their MIDI input to.
#pragma once

#include "core/YAudioPlugin.h"
#include "core/YAudioPluginAdapter.h"
#include "entry/YEditorHost.h"
#include "entry/YHostTransport.h"
#include "entry/vst3/Vst3Abi.h"
#include "entry/YTailWatch.h"
#include "entry/vst3/YVST3ControllerValues.h"
#include "entry/vst3/YVST3OutputChanges.h"
#include "foundation/YString.h"
#include "platform/YSynchronizer.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

class YAudioPluginVST3Adapter final : public Vst3::IComponent,
                                      public Vst3::IAudioProcessor,
                                      public Vst3::IProcessContextRequirements,
                                      public Vst3::IConnectionPoint,
                                      public Vst3::IEditController,
                                      public Vst3::IEditController2,
                                      public Vst3::IUnitInfo,
                                      public Vst3::IMidiMapping,
                                      public Vst3::IVornikStateReport,
                                      public YAudioPluginAdapter {
public:
    class YEditor;

    static constexpr Vst3::ParamID kBypassID = 32767;
    static constexpr Vst3::ParamID kFirstControllerID = 10000;
    static constexpr int32_t kControllerCount = 130;
    static constexpr int32_t kPitchBendController = 129;
    // Bytes asked of the host's stream per read while loading a state.
    static constexpr int32_t kStateReadChunk = 1024;
    // MIDI events the plug-in may queue for one block; more are dropped.
    static constexpr int32_t kOutputEventCapacity = 512;
    static constexpr int32_t kMaxBuses = YAudioPlugin::kMaxBuses;
    // How often at most the controller's calls look whether the tail changed, in ms.
    static constexpr uint32_t kTailCheckInterval = 50;

    // Takes ownership of the plug-in (not null) and installs itself as its host adapter.
    explicit YAudioPluginVST3Adapter(std::unique_ptr<YAudioPlugin> plugin);
    YAudioPluginVST3Adapter(const YAudioPluginVST3Adapter&) = delete;
    YAudioPluginVST3Adapter& operator=(const YAudioPluginVST3Adapter&) = delete;

    // Builds the plug-ins the factory's instances wrap: the product plug-in unless another
    // creator is installed (null restores the product's).
    using PluginCreator = std::unique_ptr<YAudioPlugin> (*)();
    static void SetPluginCreator(PluginCreator creator) noexcept;
    // The product plug-in after framework start-up, as both host entries create it; null when
    // it cannot be created.
    static std::unique_ptr<YAudioPlugin> CreateProductPlugin();
    // The factory's creation function: a new adapter around a new plug-in, as its
    // IAudioProcessor with one reference; null on failure.
    static Vst3::FUnknown* CreateInstance();

    YAudioPlugin& Plugin() noexcept { return *m_plugin; }
    const YString& HostName() const noexcept { return m_hostName; }
    Vst3::SpeakerArrangement InputArrangement() const noexcept { return m_inputArrangement; }
    Vst3::SpeakerArrangement OutputArrangement() const noexcept { return m_outputArrangement; }
    Vst3::int32 ProcessMode() const noexcept { return m_processMode; }

    // FUnknown (one identity for every interface)
    Vst3::tresult Y_VST3_CALL queryInterface(const Vst3::TUID iid, void** obj) override;
    Vst3::uint32 Y_VST3_CALL addRef() override;
    Vst3::uint32 Y_VST3_CALL release() override;

    // IPluginBase (shared by the component and the controller)
    Vst3::tresult Y_VST3_CALL initialize(Vst3::FUnknown* context) override;
    Vst3::tresult Y_VST3_CALL terminate() override;

    // IComponent
    Vst3::tresult Y_VST3_CALL getControllerClassId(Vst3::TUID classId) override;
    Vst3::tresult Y_VST3_CALL setIoMode(Vst3::IoMode mode) override;
    Vst3::int32 Y_VST3_CALL getBusCount(Vst3::MediaType type, Vst3::BusDirection dir) override;
    Vst3::tresult Y_VST3_CALL getBusInfo(Vst3::MediaType type, Vst3::BusDirection dir, Vst3::int32 index,
                                         Vst3::BusInfo& bus) override;
    Vst3::tresult Y_VST3_CALL getRoutingInfo(Vst3::RoutingInfo& inInfo, Vst3::RoutingInfo& outInfo) override;
    Vst3::tresult Y_VST3_CALL activateBus(Vst3::MediaType type, Vst3::BusDirection dir, Vst3::int32 index,
                                          Vst3::TBool state) override;
    Vst3::tresult Y_VST3_CALL setActive(Vst3::TBool state) override;
    // Component and controller state are the same document.
    Vst3::tresult Y_VST3_CALL setState(Vst3::IBStream* state) override;
    Vst3::tresult Y_VST3_CALL getState(Vst3::IBStream* state) override;

    // IAudioProcessor
    Vst3::tresult Y_VST3_CALL setBusArrangements(Vst3::SpeakerArrangement* inputs, Vst3::int32 numIns,
                                                 Vst3::SpeakerArrangement* outputs, Vst3::int32 numOuts) override;
    Vst3::tresult Y_VST3_CALL getBusArrangement(Vst3::BusDirection dir, Vst3::int32 index,
                                                Vst3::SpeakerArrangement& arr) override;
    Vst3::tresult Y_VST3_CALL canProcessSampleSize(Vst3::int32 symbolicSampleSize) override;
    Vst3::uint32 Y_VST3_CALL getLatencySamples() override;
    Vst3::tresult Y_VST3_CALL setupProcessing(Vst3::ProcessSetup& setup) override;
    Vst3::tresult Y_VST3_CALL setProcessing(Vst3::TBool state) override;
    Vst3::tresult Y_VST3_CALL process(Vst3::ProcessData& data) override;
    Vst3::uint32 Y_VST3_CALL getTailSamples() override;

    // IProcessContextRequirements
    Vst3::uint32 Y_VST3_CALL getProcessContextRequirements() override;

    // IConnectionPoint: processor and controller are one object, so there is nothing to relay.
    Vst3::tresult Y_VST3_CALL connect(Vst3::IConnectionPoint* other) override;
    Vst3::tresult Y_VST3_CALL disconnect(Vst3::IConnectionPoint* other) override;
    Vst3::tresult Y_VST3_CALL notify(Vst3::IMessage* message) override;

    // IEditController
    Vst3::tresult Y_VST3_CALL setComponentState(Vst3::IBStream* state) override;
    Vst3::int32 Y_VST3_CALL getParameterCount() override;
    Vst3::tresult Y_VST3_CALL getParameterInfo(Vst3::int32 paramIndex, Vst3::ParameterInfo& info) override;
    Vst3::tresult Y_VST3_CALL getParamStringByValue(Vst3::ParamID id, Vst3::ParamValue valueNormalized,
                                                    Vst3::String128 string) override;
    Vst3::tresult Y_VST3_CALL getParamValueByString(Vst3::ParamID id, Vst3::TChar* string,
                                                    Vst3::ParamValue& valueNormalized) override;
    Vst3::ParamValue Y_VST3_CALL normalizedParamToPlain(Vst3::ParamID id, Vst3::ParamValue valueNormalized) override;
    Vst3::ParamValue Y_VST3_CALL plainParamToNormalized(Vst3::ParamID id, Vst3::ParamValue plainValue) override;
    Vst3::ParamValue Y_VST3_CALL getParamNormalized(Vst3::ParamID id) override;
    Vst3::tresult Y_VST3_CALL setParamNormalized(Vst3::ParamID id, Vst3::ParamValue value) override;
    Vst3::tresult Y_VST3_CALL setComponentHandler(Vst3::IComponentHandler* handler) override;
    Vst3::IPlugView* Y_VST3_CALL createView(Vst3::FIDString name) override;

    // IEditController2
    Vst3::tresult Y_VST3_CALL setKnobMode(Vst3::KnobMode mode) override;
    Vst3::tresult Y_VST3_CALL openHelp(Vst3::TBool onlyCheck) override;
    Vst3::tresult Y_VST3_CALL openAboutBox(Vst3::TBool onlyCheck) override;

    // IUnitInfo: one root unit, no program lists.
    Vst3::int32 Y_VST3_CALL getUnitCount() override;
    Vst3::tresult Y_VST3_CALL getUnitInfo(Vst3::int32 unitIndex, Vst3::UnitInfo& info) override;
    Vst3::int32 Y_VST3_CALL getProgramListCount() override;
    Vst3::tresult Y_VST3_CALL getProgramListInfo(Vst3::int32 listIndex, Vst3::ProgramListInfo& info) override;
    Vst3::tresult Y_VST3_CALL getProgramName(Vst3::ProgramListID listId, Vst3::int32 programIndex,
                                             Vst3::String128 name) override;
    Vst3::tresult Y_VST3_CALL getProgramInfo(Vst3::ProgramListID listId, Vst3::int32 programIndex,
                                             Vst3::CString attributeId, Vst3::String128 attributeValue) override;
    Vst3::tresult Y_VST3_CALL hasProgramPitchNames(Vst3::ProgramListID listId, Vst3::int32 programIndex) override;
    Vst3::tresult Y_VST3_CALL getProgramPitchName(Vst3::ProgramListID listId, Vst3::int32 programIndex,
                                                  Vst3::int16 midiPitch, Vst3::String128 name) override;
    Vst3::UnitID Y_VST3_CALL getSelectedUnit() override;
    Vst3::tresult Y_VST3_CALL selectUnit(Vst3::UnitID unitId) override;
    Vst3::tresult Y_VST3_CALL getUnitByBus(Vst3::MediaType type, Vst3::BusDirection dir, Vst3::int32 busIndex,
                                           Vst3::int32 channel, Vst3::UnitID& unitId) override;
    Vst3::tresult Y_VST3_CALL setUnitProgramData(Vst3::int32 listOrUnitId, Vst3::int32 programIndex,
                                                 Vst3::IBStream* data) override;

    // IMidiMapping
    Vst3::tresult Y_VST3_CALL getMidiControllerAssignment(Vst3::int32 busIndex, Vst3::int16 channel,
                                                          Vst3::CtrlNumber midiControllerNumber,
                                                          Vst3::ParamID& id) override;

    // IVornikStateReport
    Vst3::int32 Y_VST3_CALL getStateRefusal(Vst3::char8* text, Vst3::int32 size) override;

    // YAudioPluginAdapter
    void AutomateParameter(int32_t hostIndex, double value) override;
    void SendBypassAutomation(bool on) override;
    void GenerateMIDIEvent(int32_t deltaFrames, const uint8_t bytes[4]) override;
    void ReportLatency() override;
    bool ChangeEditorSize(int32_t width, int32_t height) override;

private:
    ~YAudioPluginVST3Adapter();

    struct AudioBus {
        Vst3::SpeakerArrangement arrangement = Vst3::SpeakerArr::kStereo;
        Vst3::BusType type = Vst3::kMain;
        bool active = false;
    };

    struct HostParameter {
        Vst3::ParamID id = 0;
        Vst3::int32 stepCount = 0;
        double defaultValue = 0.0;
        Vst3::int32 flags = 0;
    };

    HostParameter* FindHostParameter(Vst3::ParamID id) noexcept;
    // The host parameter's place in m_parameters and m_controllerValues (past the end: none).
    size_t SlotOf(Vst3::ParamID id) noexcept;
    void BuildAudioBuses();
    void BuildHostParameters();
    // Per-bus channel counts for the plug-in; the bus counts stay as initialisation found them.
    void ApplyChannelsPerBus(int32_t inputs, int32_t outputs);
    void ApplyParameterChanges(Vst3::IParameterChanges& changes);
    void ReadProcessContext(const Vst3::ProcessContext* context);
    void DeliverInputEvents(Vst3::IEventList& events);
    void ProcessAudioBuses(Vst3::ProcessData& data);
    void SendOutputEvents(Vst3::IEventList* events);
    void SendEdit(Vst3::ParamID id, double value);
    // The plug-in reports a value: from the audio thread it goes out with the block, from any
    // other thread to the component handler at once.
    void ReportValue(Vst3::ParamID id, double value);
    // The GUI thread's chores, done on the controller calls hosts make there: tell the
    // component handler what the audio thread changed, and the host when the tail changed
    // (every call when checkTail, else at most every kTailCheckInterval ms).
    void ServiceGUIThread(bool checkTail);
    void ReleaseHostObjects() noexcept;

    std::atomic<Vst3::uint32> m_refCount{1};
    std::unique_ptr<YAudioPlugin> m_plugin;
    YString m_hostName;
    Vst3::FUnknown* m_hostContext = nullptr;
    Vst3::IComponentHandler* m_componentHandler = nullptr;
    Vst3::IPlugFrame* m_plugFrame = nullptr;
    YEditor* m_editor = nullptr; // the open view, not owned
    // The editor window all views show; goes before the plug-in it shows.
    std::unique_ptr<YEditorHost> m_editorHost;
    bool m_initialized = false;

    Vst3::SpeakerArrangement m_inputArrangement = Vst3::SpeakerArr::kStereo;
    Vst3::SpeakerArrangement m_outputArrangement = Vst3::SpeakerArr::kStereo;
    // The widest bus the plug-in takes, as initialisation found it.
    int32_t m_channelCapacity = 2;
    int32_t m_inputBusCount = 0;
    int32_t m_outputBusCount = 0;
    AudioBus m_inputBuses[kMaxBuses];
    AudioBus m_outputBuses[kMaxBuses];
    bool m_eventInput = false;
    bool m_eventOutput = false;
    bool m_eventInputActive = false;
    bool m_eventOutputActive = false;

    std::vector<HostParameter> m_parameters;
    YVST3ControllerValues m_controllerValues;
    YVST3OutputChanges m_outputChanges;
    YTailWatch m_tail;
    std::atomic<uint32_t> m_lastTailCheck{0};
    std::atomic<bool> m_servicing{false};
    // The thread that processed last: the plug-in's reports from it must not call the host.
    std::atomic<std::thread::id> m_audioThread{};
    int32_t m_pluginParameterCount = 0;

    YLock m_outputEventLock;
    std::unique_ptr<Vst3::Event[]> m_outputEvents;
    std::unique_ptr<Vst3::Event[]> m_sendingEvents; // the audio thread's copy while it sends
    int32_t m_outputEventCount = 0;

    YHostTransport m_transport;
    std::atomic<bool> m_sending{false};
    std::atomic<bool> m_activating{false};
    std::atomic<bool> m_resizing{false};
    Vst3::UnitID m_selectedUnit = Vst3::kRootUnitId;
    Vst3::int32 m_processMode = Vst3::kRealtime;
    Vst3::KnobMode m_knobMode = 0;
    uint32_t m_latency = 0;

    friend class YEditor;
};

class YAudioPluginVST3Adapter::YEditor final : public Vst3::IPlugView {
public:
    // Holds a reference to the adapter for as long as it lives.
    explicit YEditor(YAudioPluginVST3Adapter& adapter) noexcept;
    YEditor(const YEditor&) = delete;
    YEditor& operator=(const YEditor&) = delete;

    Vst3::tresult Y_VST3_CALL queryInterface(const Vst3::TUID iid, void** obj) override;
    Vst3::uint32 Y_VST3_CALL addRef() override;
    Vst3::uint32 Y_VST3_CALL release() override;

    Vst3::tresult Y_VST3_CALL isPlatformTypeSupported(Vst3::FIDString type) override;
    Vst3::tresult Y_VST3_CALL attached(void* parent, Vst3::FIDString type) override;
    Vst3::tresult Y_VST3_CALL removed() override;
    Vst3::tresult Y_VST3_CALL onWheel(float distance) override;
    Vst3::tresult Y_VST3_CALL onKeyDown(Vst3::char16 key, Vst3::int16 keyCode, Vst3::int16 modifiers) override;
    Vst3::tresult Y_VST3_CALL onKeyUp(Vst3::char16 key, Vst3::int16 keyCode, Vst3::int16 modifiers) override;
    Vst3::tresult Y_VST3_CALL getSize(Vst3::ViewRect* size) override;
    Vst3::tresult Y_VST3_CALL onSize(Vst3::ViewRect* newSize) override;
    Vst3::tresult Y_VST3_CALL onFocus(Vst3::TBool state) override;
    Vst3::tresult Y_VST3_CALL setFrame(Vst3::IPlugFrame* frame) override;
    Vst3::tresult Y_VST3_CALL canResize() override;
    Vst3::tresult Y_VST3_CALL checkSizeConstraint(Vst3::ViewRect* rect) override;

    bool IsAttached() const noexcept { return m_attached; }
    // The host's run loop called: the editor's GUI-thread work runs.
    void RunLoopCall();

private:
    class RunLoopHandler;

    ~YEditor();
    // Registers with the frame's run loop (Linux), or unregisters.
    void JoinRunLoop();
    void LeaveRunLoop();

    std::atomic<Vst3::uint32> m_refCount{1};
    YAudioPluginVST3Adapter& m_adapter;
    void* m_parent = nullptr;
    bool m_attached = false;
    Vst3::Linux::IRunLoop* m_runLoop = nullptr; // referenced while registered
    RunLoopHandler* m_handler = nullptr;         // referenced while registered
};
