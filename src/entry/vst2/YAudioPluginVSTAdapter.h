// YAudioPluginVSTAdapter: presents one YAudioPlugin to a VST 2.4 host. The host's calls
// arrive through the AEffect record of the AudioEffectX base; the plug-in reports latency,
// automation, MIDI output and editor size back through YAudioPluginAdapter.
#pragma once

#include "core/YAudioPlugin.h"
#include "core/YAudioPluginAdapter.h"
#include "entry/YEditorHost.h"
#include "entry/YHostTransport.h"
#include "entry/YTailWatch.h"
#include "entry/vst2/AudioEffectX.h"
#include "platform/YSynchronizer.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>
#include <utility>
#include <vector>

namespace Vst2 {

// Who the plug-in says it is.
struct YVSTIdentity {
    const char* ProductName;
    const char* VendorName;
    int32_t UniqueID;
    int32_t Version;
};

class YAudioPluginVSTAdapter : public AudioEffectX, public YAudioPluginAdapter {
public:
    // What the adapter asks of the host's transport (changes, playing, cycle, automation,
    // position, tempo, bars, cycle range, time signature).
    static constexpr int32_t kTimeInfoFilter = 0x3EC7;
    // MIDI messages one block can send or receive through the queues; more are dropped
    // rather than growing a buffer on the audio thread.
    static constexpr int32_t kMaxQueuedMIDIEvents = 1024;
    // Longest parameter name handed out, in bytes of the host's encoding (a zero follows).
    static constexpr int32_t kMaxParameterNameBytes = 24;
    // Longest value and unit texts handed out, in bytes; hosts give at least this much room
    // in practice.
    static constexpr int32_t kMaxParameterTextBytes = 31;
    // What effGetTailSize answers for a plug-in without a tail (0 would mean "unknown") and
    // for one whose tail never ends (the format has no number for it: the longest there is).
    static constexpr int32_t kNoTailSize = 1;
    static constexpr int32_t kEndlessTailSize = INT32_MAX;

    class YEditor;

    // Takes the plug-in; construction never throws (a failure leaves a working record).
    YAudioPluginVSTAdapter(HostCallback audioMaster, std::unique_ptr<YAudioPlugin> plugin,
                           const YVSTIdentity& identity);
    ~YAudioPluginVSTAdapter() override;

    YAudioPlugin& Plugin() noexcept { return *m_plugin; }

    // --- AudioEffect / AudioEffectX ---
    void setParameter(int32_t index, float value) override;
    float getParameter(int32_t index) override;
    void getParameterName(int32_t index, char* text) override;
    void getParameterDisplay(int32_t index, char* text) override;
    void getParameterLabel(int32_t index, char* text) override;
    void setSampleRate(float sampleRate) override;
    void setBlockSize(int32_t blockSize) override;
    void resume() override;
    void processReplacing(float** inputs, float** outputs, int32_t frames) override;
    void process(float** inputs, float** outputs, int32_t frames) override;
    int32_t processEvents(VstEvents* events) override;
    int32_t getChunk(void** data, bool isPreset) override;
    int32_t setChunk(void* data, int32_t size, bool isPreset) override;
    bool getInputProperties(int32_t index, VstPinProperties* properties) override;
    bool getOutputProperties(int32_t index, VstPinProperties* properties) override;
    bool setSpeakerArrangement(VstSpeakerArrangement* input, VstSpeakerArrangement* output) override;
    bool getSpeakerArrangement(VstSpeakerArrangement** input, VstSpeakerArrangement** output) override;
    bool setBypass(bool on) override;
    bool setPanLaw(int32_t type, float value) override;
    bool setProcessPrecision(int32_t precision) override;
    int32_t getNumMidiInputChannels() override;
    int32_t getNumMidiOutputChannels() override;
    int32_t getAutomationState() override;
    bool getEffectName(char* name) override;
    bool getProductString(char* text) override;
    bool getVendorString(char* text) override;
    int32_t getVendorVersion() override;
    int32_t canDo(char* text) override;
    // Answers kVendorStateRefusal; other requests get 0.
    intptr_t vendorSpecific(int32_t index, intptr_t value, void* ptr, float opt) override;
    int32_t getGetTailSize() override;

    // --- YAudioPluginAdapter ---
    void AutomateParameter(int32_t hostIndex, double value) override;
    void SendBypassAutomation(bool on) override;
    void GenerateMIDIEvent(int32_t deltaFrames, const uint8_t bytes[4]) override;
    void ReportLatency() override;
    bool ChangeEditorSize(int32_t width, int32_t height) override;

    // Queues one MIDI message for the plug-in; it arrives at the start of the next block.
    // False when the queue is full.
    bool QueueMIDIInput(int32_t deltaFrames, const uint8_t bytes[4]);

    // The host's VST version as read at construction (0 counted as 1).
    int32_t HostVersion() const noexcept { return m_hostVersion; }

private:
    struct QueuedMIDIEvent {
        int32_t DeltaFrames;
        uint8_t Bytes[4];
    };
    // A VstEvents record with room for a full queue.
    struct OutgoingEvents {
        int32_t numEvents;
        intptr_t reserved;
        VstEvent* events[kMaxQueuedMIDIEvents];
    };

    void Construct(const YVSTIdentity& identity);
    void PerformProcessing(float** inputs, float** outputs, int32_t frames, bool replacing);
    void PrepareProcessing();
    // Asks the host for its transport; false when it gives none.
    bool ReadHostTime(YHostTransportReading& reading);
    // On a thread other than the audio thread: follows a latency a parameter changed, and tells
    // the host when the tail changed enough.
    void TellTailChange();
    void DeliverMIDIInput();
    void SendMIDIOutput();
    // Host pointers into eight slots per bus; channels missing from the host stay null.
    static void ArrangeChannels(float** host, int32_t hostCount, int32_t perBus, int32_t buses,
                                float* (&slots)[YAudioPlugin::kMaxSlots]);
    bool GetPinProperties(bool input, int32_t index, VstPinProperties* properties);

    std::unique_ptr<YAudioPlugin> m_plugin;
    YVSTIdentity m_identity;
    int32_t m_hostVersion = 1;

    // The host reads the chunk after getChunk returns, while another of its threads may ask
    // again: each asking thread gets its own buffer, kept until that thread asks again.
    YLock m_chunkLock;
    std::vector<std::pair<std::thread::id, std::vector<uint8_t>>> m_chunks;

    YLock m_midiOutLock;
    std::array<VstMidiEvent, kMaxQueuedMIDIEvents> m_midiOut{};
    int32_t m_midiOutCount = 0;
    std::array<VstMidiEvent, kMaxQueuedMIDIEvents> m_midiOutSending{};
    OutgoingEvents m_outgoing{};

    YLock m_midiInLock;
    std::array<QueuedMIDIEvent, kMaxQueuedMIDIEvents> m_midiIn{};
    int32_t m_midiInCount = 0;
    std::array<QueuedMIDIEvent, kMaxQueuedMIDIEvents> m_midiInDelivering{};

    YHostTransport m_transport;
    YTailWatch m_tail;
    // The thread that processed last: host calls from any other come from its GUI side.
    std::atomic<std::thread::id> m_audioThread{};
    // The thread that is reporting automation: its own setParameter echo is ignored.
    std::atomic<std::thread::id> m_sendingThread{};
};

// The editor requests of the host: the editor window embedded in the host's window (an HWND,
// or an X11 window id on Linux), its size, and the idle calls that run its GUI-thread work.
class YAudioPluginVSTAdapter::YEditor : public AEffEditor {
public:
    explicit YEditor(YAudioPluginVSTAdapter& adapter) : AEffEditor(&adapter), m_adapter(adapter), m_host(adapter.Plugin()) {}

    bool getRect(ERect** rect) override;
    bool open(void* parent) override;
    void close() override;
    bool isOpen() const noexcept override { return m_host.IsOpen(); }
    void idle() override;

    YEditorHost& Host() noexcept { return m_host; }

private:
    YAudioPluginVSTAdapter& m_adapter;
    YEditorHost m_host;
};

} // namespace Vst2
