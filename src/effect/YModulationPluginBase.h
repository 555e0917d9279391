// The modulation base of LFO-driven effects: the LFO phase and its increment from "Rate" or
// the host tempo, MIDI notes that reset the phase, per-channel blocks of modulation values
// from the signal generator with declicking after shape changes, and the generator's storage.
//
// A derived effect's constructor registers its parameter table, then calls InitModulation;
// its Process calls HostPhase, RefreshGenerator, ModulationBlock per channel and AdvancePhase.
#pragma once

#include "core/YAudioEffectPlugin.h"
#include "effect/YMIDIResetProcessor.h"
#include "modulation/YAudioPluginHostSync.h"
#include "modulation/YSignalGenerator.h"

#include <cstdint>
#include <memory>

// The signal generator's settings as attributes and children of the storer's item.
void StoreGenerator(YSignalGenerator& generator, YStorer& storer);

template <class HostSync> class YModulationPluginBase_NoSignalGeneratorT : public YAudioEffectPlugin {
public:
    // The reset processor of this effect: a matching note puts the phase at its "Phase".
    class MIDIResetProcessorType : public YMIDIResetProcessor {
    public:
        void Reset() override {
            if (m_owner) m_owner->ResetPhase();
        }
        YModulationPluginBase_NoSignalGeneratorT* Owner() const noexcept { return m_owner; }
        void SetOwner(YModulationPluginBase_NoSignalGeneratorT* owner) noexcept { m_owner = owner; }

    private:
        YModulationPluginBase_NoSignalGeneratorT* m_owner = nullptr;
    };

    YModulationPluginBase_NoSignalGeneratorT();
    ~YModulationPluginBase_NoSignalGeneratorT() override;

    // Defines the "Rate" record at rateIndex (limits and default in Hz, stored as log10 Hz),
    // lets the effect define its synchronisation records at firstSyncIndex, and installs the
    // MIDI reset processor. The parameter table must be registered before.
    void InitModulation(int32_t rateIndex, double minimumHz, double maximumHz, double defaultHz,
                        int32_t firstSyncIndex);

    // Increment from Rate, host-sync factor, and whether Rate is available (request 2 to the
    // holder when that changes). Nothing happens before Prepare.
    void Update() override;
    void Store(YXMLItem& item) override;
    void Load(YXMLItem& item) override;
    // The MIDI reset settings in the child "MIDIReset" of the storer's item.
    void StoreMIDIReset(YStorer& storer);
    int32_t Prepare(int32_t channels, double sampleRate) override;
    // The effect asks the host-sync object to define its four records here.
    virtual void DefineSynchronizationParameters() = 0;
    // Advances the LFO by frames samples.
    void Skip(int32_t frames) override;
    // Puts the phase at the MIDI reset "Phase".
    virtual void ResetPhase();
    int32_t GetChannelModes() override { return -1; }

    // At block start: tempo and song position take over increment and phase while
    // synchronised (the position only while MIDI reset is off). Negative values change nothing.
    void HostPhase(const YProcessingContext& context) noexcept;
    // At block end: φ := fmod(φ + frames·Δ, 1).
    void AdvancePhase(int32_t frames) noexcept;

    int32_t ChannelCount() const noexcept { return m_channelCount; }
    double SampleRate() const noexcept { return m_sampleRate; }
    double Phase() const noexcept { return m_phase; }
    void SetPhase(double phase) noexcept { m_phase = phase; }
    double Increment() const noexcept { return m_increment; }
    void SetIncrement(double increment) noexcept { m_increment = increment; }
    HostSync& GetHostSync() noexcept { return m_hostSync; }
    MIDIResetProcessorType& MIDIReset() noexcept { return m_midiReset; }
    int32_t RateIndex() const noexcept { return m_rateIndex; }
    int32_t FirstSyncIndex() const noexcept { return m_firstSyncIndex; }
    // Rate is adjustable (synchronisation off): bit 2 of the Rate record's flags B.
    static constexpr uint8_t kRateAvailable = 0x04;

    uint64_t EditorLink() const noexcept { return m_editorLink; }
    void SetEditorLink(uint64_t link) noexcept { m_editorLink = link; }

protected:
    int32_t m_channelCount = 0;
    double m_sampleRate = 0.0;
    HostSync m_hostSync;
    double m_phase = 0.0;
    double m_increment = 0.0;
    uint64_t m_editorLink = 0;
    int32_t m_rateIndex = -1;
    int32_t m_firstSyncIndex = -1;
    MIDIResetProcessorType m_midiReset;
};

template <class HostSync>
class YModulationPluginBaseT : public YModulationPluginBase_NoSignalGeneratorT<HostSync> {
    using Base = YModulationPluginBase_NoSignalGeneratorT<HostSync>;

public:
    // Removes a jump in the modulation after a shape change by fading the difference to the
    // linear continuation of the previous block out over N samples.
    struct Declicker {
        float PreviousButOne = 0.0f;
        float Last = 0.0f;
        float Offset = 0.0f;
        float Step = 0.0f;
        uint8_t Armed = 0;
        int32_t Remaining = 0;
        double InverseLength = 1.0;
        int32_t Length = 1;
        // Values remembered since the last reset (0 ... 2): no history means nothing to
        // continue, so an armed fade is dropped.
        int32_t History = 0;

        void Reset(int32_t length) noexcept;
        void Arm() noexcept { Armed = 1; }
        void Run(double* values, int32_t count) noexcept;
        // True while Run would leave a block's values as they are.
        bool Idle() const noexcept { return !Armed && Remaining <= 0; }
        // What Run keeps of a block it leaves unchanged: its last two values (the first is
        // unused when count is 1).
        void Remember(double previousButOne, double last, int32_t count) noexcept;
    };

    YModulationPluginBaseT();
    ~YModulationPluginBaseT() override;

    int32_t Prepare(int32_t channels, double sampleRate) override;
    void SetMaximumBlockSize(int32_t frames) override;
    void Store(YXMLItem& item) override;
    void Load(YXMLItem& item) override;
    // Without a GUI toolkit there are no generator editor parts yet.
    bool CreateEditorParts(void* container) override;
    void EditorClosed() override;

    // Rebuilds the generator's table when its settings changed; the block is then marked as
    // generator-changed, which arms the declickers. Call once at block start.
    bool RefreshGenerator();
    bool GeneratorChanged() const noexcept { return m_generatorChanged != 0; }

    // Modulation values for channel (0 ... 7): L[i] = generator at phase + i·increment,
    // declicked unless the frame switched declicking off. The pointer stays valid until the
    // next call. Allocates only when count exceeds the size prepared for.
    const double* ModulationBlock(int32_t channel, double phase, double increment, int32_t count);

    YSignalGenerator& Generator() noexcept { return m_generator; }
    void* GeneratorEditor() const noexcept { return m_generatorEditor; }
    void SetGeneratorEditor(void* editor) noexcept { m_generatorEditor = editor; }
    const Declicker& GetDeclicker(int32_t channel) const { return m_declickers[channel]; }
    int32_t ScratchCapacity() const noexcept { return m_scratchCapacity; }

protected:
    // Grows the scratch block to the next power of two at or above count.
    void GrowScratch(int32_t count);

    YSignalGenerator m_generator;
    void* m_generatorEditor = nullptr;
    int32_t m_scratchCapacity = 0;
    std::unique_ptr<double[]> m_scratch;
    int32_t m_scratchRequested = 0;
    Declicker m_declickers[YAudioEffectPlugin::kMaxChannels];
    uint8_t m_generatorChanged = 0;
};

// The base the flanger derives from.
class YModulationPluginBase : public YModulationPluginBaseT<YAudioPluginHostSync> {
public:
    YModulationPluginBase();
    ~YModulationPluginBase() override;
    void Load(YXMLItem& item) override;
};

extern template class YModulationPluginBase_NoSignalGeneratorT<YAudioPluginHostSync>;
extern template class YModulationPluginBaseT<YAudioPluginHostSync>;
