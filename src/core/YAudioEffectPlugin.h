// YAudioEffectPlugin: the host-neutral effect the processing frame drives, and its C-callable
// command interface. The frame talks to an effect only through numbered commands with four
// tagged arguments, so an effect can live behind a plain function pointer.
#pragma once

#include "core/PluginParameter.h"
#include "core/YParameterAdapters.h"
#include "core/YPlugin.h"
#include "core/YProcessingContext.h"
#include "core/YStorer.h"

#include <atomic>
#include <bit>
#include <cstdint>

class YMIDIProcessorBase;
class YXMLItem;

// Command numbers of the effect interface. "first" ... "fourth" name the four arguments.
enum YEffectCommand : int32_t {
    // first: holder, second: YPluginHostCallback. Returns the instance (0: failure).
    kEffectAttach = 0,
    // Destroys the instance.
    kEffectDestroy = 1,
    // Returns the address of the information record (0: failure).
    kEffectGetInformation = 2,
    // Returns 1 when the effect is ready.
    kEffectInitialize = 3,
    kEffectUpdate = 4,
    // Clears the processing state (delay lines, filters, phases).
    kEffectReset = 5,
    // first: YStorer*. Writes or reads the effect's own state.
    kEffectStore = 6,
    // Returns the instance.
    kEffectGetInstance = 7,
    // first: channel, second: note, third: velocity (double), fourth: held notes * 2 + on.
    kEffectMIDINote = 11,
    // first: YMIDIEventKind, second: channel, third: number, fourth: value (double).
    kEffectMIDIEvent = 12,
    // first: parameter index. A host write reached the record.
    kEffectParameterChanged = 13,
    // first: the longest block the frame will pass.
    kEffectSetMaximumBlockSize = 14,
    // Returns the tail length in samples.
    kEffectTailLength = 15,
    // first: editor container, or 0 when the editor closed. Returns 1 when parts were built.
    kEffectEditor = 20,
    // first: channel count, second: pointer to the sample rate (double). Prepares, updates and
    // lets every float record start from its value; returns Prepare's result.
    kEffectPrepare = 100,
    // first: YProcessingContext*, second: inputs, third: outputs, fourth: frames.
    kEffectProcess = 101,
    // Returns 1 when the effect's tail has died away.
    kEffectTailSilent = 102,
    // Returns the latency in samples.
    kEffectLatency = 103,
    // first: samples to skip.
    kEffectSkip = 104,
    // Returns the mask of channel modes the effect supports.
    kEffectChannelModes = 105,
    // GUI-thread update while an editor exists.
    kEffectEditorUpdate = 106,
    // The editor must refresh after processing was re-initialised.
    kEffectEditorRefresh = 107,
};

enum YEffectArgumentTag : int32_t {
    kArgumentNone = 0,
    kArgumentInteger = 1,
    // An object the caller deletes after the call.
    kArgumentObject = 2,
    kArgumentPointer = 3,
    // The value holds the bits of a double.
    kArgumentDouble = 4,
};

struct YEffectArgument {
    int32_t Tag = kArgumentNone;
    int64_t Value = 0;
};

struct YEffectArguments {
    YEffectArgument Values[4];

    int64_t Integer(int index) const noexcept { return Values[index].Value; }
    int32_t Integer32(int index) const noexcept { return static_cast<int32_t>(Values[index].Value); }
    double Double(int index) const noexcept { return std::bit_cast<double>(Values[index].Value); }
    template <typename T> T* Pointer(int index) const noexcept {
        return reinterpret_cast<T*>(static_cast<intptr_t>(Values[index].Value));
    }

    void SetInteger(int index, int64_t value) noexcept { Values[index] = {kArgumentInteger, value}; }
    void SetDouble(int index, double value) noexcept {
        Values[index] = {kArgumentDouble, std::bit_cast<int64_t>(value)};
    }
    void SetPointer(int index, const void* pointer) noexcept {
        Values[index] = {kArgumentPointer, static_cast<int64_t>(reinterpret_cast<intptr_t>(pointer))};
    }
};

// Flags of the information record, first byte.
enum YEffectFlag : uint8_t {
    kEffectFlagAddsToOutput = 0x01,   // the effect adds into its outputs
    kEffectFlagDryCombination = 0x02, // the frame mixes the input into the output
    kEffectFlagHasTail = 0x04,        // the frame asks whether the tail has died away
    kEffectFlagSeparateInputs = 0x08, // inputs and outputs must not share buffers
    kEffectFlagUsesHostTime = 0x40,   // the effect reads tempo and song position
};
// Flags of the information record, second byte.
enum YEffectFlagB : uint8_t {
    kEffectFlagBAcceptsMIDI = 0x01,
    kEffectFlagBProducesMIDI = 0x02,
};

// What the frame learns about an effect when it creates it (command 2).
struct YAudioEffectInformation {
    int32_t Size = sizeof(YAudioEffectInformation);
    int32_t Version = 0x70A00;
    uint8_t Flags = 0;
    uint8_t FlagsB = 0;
    int32_t MaxChannels = 8;
    int32_t MaxInputBuses = 2; // main and side chain
    int32_t MaxOutputBuses = 1;
    PluginParameter* Parameters = nullptr;
    int32_t ParameterCount = 0;
    PluginParameter* SpecialParameters = nullptr;
    int32_t SpecialParameterCount = 0;
};

// Frame settings the effect reads while processing.
struct YEffectFrameSettings {
    uint8_t Sinc = 0;              // high-quality sinc interpolation
    uint8_t ModulationDeclick = 1; // fade out LFO jumps after shape changes
    // Smooth the effect's per-block parameters over the intervals at which the host sets
    // them (the frame turns it on); 0 ramps each Process call straight to the new value.
    uint8_t SmoothAutomation = 0;
};

class YAudioEffectPlugin : public YPlugin, public YParameterOwner {
public:
    static constexpr int32_t kMaxChannels = 8;
    static constexpr int32_t kMaxParameters = 16;
    static constexpr int32_t kDefaultMaximumBlockSize = 8192;

    YAudioEffectPlugin();
    ~YAudioEffectPlugin() override;

    // --- Operations the frame calls (through the commands or directly) ---

    // Finishes set-up after the holder attached; false leaves the effect unusable.
    virtual bool Initialize();
    // Channel count (1 ... kMaxChannels) and sample rate; 0 on success.
    virtual int32_t Prepare(int32_t channels, double sampleRate);
    // Recomputes everything derived from parameters and sample rate.
    virtual void Update();
    // One block; inputs and outputs may be the same buffers.
    virtual void Process(const YProcessingContext& context, float* const* inputs, float* const* outputs,
                         int32_t frames) = 0;
    // Clears the processing state without touching parameters.
    virtual void Reset();
    // Advances time-dependent state by frames samples without processing them.
    virtual void Skip(int32_t frames);
    virtual bool TailSilent();
    virtual int32_t GetTailLength();
    virtual int32_t GetLatency();
    // Mask of the channel modes (bit = mode number) the effect supports.
    virtual int32_t GetChannelModes();
    // Buffers that depend on the block length are sized here, never on the audio thread.
    virtual void SetMaximumBlockSize(int32_t frames);
    int32_t MaximumBlockSize() const noexcept { return m_maximumBlockSize; }

    // State: Store writes the effect's attributes and children into item, Load reads them.
    virtual void Store(YXMLItem& item);
    virtual void Load(YXMLItem& item);
    // Both directions through a storer (nothing happens without an item).
    void StoreState(YStorer& storer);
    // The parameter table as attributes "parameter" + ID: floats (read limited to Min..Max),
    // integers, enumerations (by name in "parameter" + ID + "Enum", else by index), booleans
    // and group switches. Absent attributes leave a value as it is; special records store
    // themselves elsewhere.
    void StoreParameters(YStorer& storer);

    // Editor: builds the effect's parts into container; false when it has none.
    virtual bool CreateEditorParts(void* container);
    virtual void EditorClosed();
    virtual void EditorUpdate();
    virtual void EditorRefresh();

    // MIDI: forwarded to the installed MIDI processor, if any.
    virtual void OnMIDINote(int32_t channel, int32_t note, double velocity, bool on, int32_t heldNotes);
    virtual void OnMIDIEvent(int32_t kind, int32_t channel, int32_t number, double value);
    YMIDIProcessorBase* MIDIProcessor() const noexcept { return m_midiProcessor; }
    void SetMIDIProcessor(YMIDIProcessorBase* processor) noexcept { m_midiProcessor = processor; }

    // --- Parameters ---

    // The derived effect owns its records and registers them here (count ≤ kMaxParameters).
    void SetParameterTable(PluginParameter* parameters, int32_t count);
    void SetSpecialParameters(PluginParameter* parameters, int32_t count);
    PluginParameter* Parameters() const noexcept { return m_information.Parameters; }
    int32_t ParameterCount() const noexcept { return m_information.ParameterCount; }
    PluginParameter* SpecialParameters() const noexcept { return m_information.SpecialParameters; }
    int32_t SpecialParameterCount() const noexcept { return m_information.SpecialParameterCount; }
    // Raises "Index out of range." for an index outside the table.
    PluginParameter& Parameter(int32_t index) const;
    // Lets every float record's processing copy start from its value (no ramp on the next block).
    void SyncProcessingValues() noexcept;

    // YParameterOwner.
    void ParameterChanged(int32_t index) override;
    void SetNeedsUpdate() override;
    bool NeedsUpdate() const noexcept { return m_needsUpdate.load(std::memory_order_acquire); }
    // Returns whether an update was pending and clears the mark.
    bool TakeNeedsUpdate() noexcept { return m_needsUpdate.exchange(false, std::memory_order_acq_rel); }

    // --- Information record and frame settings ---

    YAudioEffectInformation& Information() noexcept { return m_information; }
    const YAudioEffectInformation& Information() const noexcept { return m_information; }
    void SetEffectFlag(uint8_t bit, bool on) noexcept;
    void SetEffectFlagB(uint8_t bit, bool on) noexcept;
    bool HasEffectFlag(uint8_t bit) const noexcept { return (m_information.Flags & bit) != 0; }
    bool HasEffectFlagB(uint8_t bit) const noexcept { return (m_information.FlagsB & bit) != 0; }

    // The frame's settings block; nullptr while the frame has none (defaults apply).
    const YEffectFrameSettings* FrameSettings() const noexcept { return m_frameSettings; }
    void SetFrameSettings(const YEffectFrameSettings* settings) noexcept { m_frameSettings = settings; }

    // --- Command interface ---

    // Commands 0 ... 6, 11 ... 15, 20 and 100 ... 107 (destruction and creation are the
    // interface function's business). Unknown commands answer 0. May raise.
    virtual int64_t HandleCommand(int32_t command, YEffectArguments* arguments);

private:
    YAudioEffectInformation m_information;
    YMIDIProcessorBase* m_midiProcessor = nullptr;
    const YEffectFrameSettings* m_frameSettings = nullptr;
    std::atomic<bool> m_needsUpdate{false};
    int32_t m_maximumBlockSize = kDefaultMaximumBlockSize;
};

using YAudioEffectPluginFactory = YAudioEffectPlugin* (*)();
using YAudioEffectPluginInterfaceFunction = int64_t (*)(void* instance, int32_t command,
                                                        YEffectArguments* arguments);

// Everything an exported effect interface function does: creates the effect through factory
// for commands 0 and 7 without an instance, answers 7 with the instance, destroys it for 1
// and hands every other command to its handler. Exceptions never leave; failures answer 0.
// Other commands without an instance answer 0 rather than create an object nobody would own.
int64_t YAudioEffectPluginCall(void* instance, int32_t command, YEffectArguments* arguments,
                               YAudioEffectPluginFactory factory, const char* guardName) noexcept;
