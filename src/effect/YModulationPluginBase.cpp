#include "effect/YModulationPluginBase.h"

#include "foundation/YException.h"
#include "foundation/YXMLItem.h"

#include <algorithm>
#include <cmath>

namespace {

// Fractional part kept inside [0, 1); anything non-finite restarts the cycle.
double Wrap01(double x) noexcept {
    if (!std::isfinite(x)) return 0.0;
    double r = x - std::floor(x);
    return r >= 1.0 ? 0.0 : r;
}

constexpr const char* kRateHelp = "<name>Rate</name> defines speed of the low frequency oscillator. This is "
                                  "available only when synchronization to host is disabled.";

} // namespace

// The generator keeps every one of its settings, the curves and the custom sample included.
void StoreGenerator(YSignalGenerator& generator, YStorer& storer) { generator.Store(storer); }

// --- YModulationPluginBase_NoSignalGeneratorT ---

template <class HostSync>
YModulationPluginBase_NoSignalGeneratorT<HostSync>::YModulationPluginBase_NoSignalGeneratorT() {
    m_midiReset.SetOwner(this);
}

template <class HostSync>
YModulationPluginBase_NoSignalGeneratorT<HostSync>::~YModulationPluginBase_NoSignalGeneratorT() = default;

template <class HostSync>
void YModulationPluginBase_NoSignalGeneratorT<HostSync>::InitModulation(int32_t rateIndex, double minimumHz,
                                                                        double maximumHz, double defaultHz,
                                                                        int32_t firstSyncIndex) {
    if (!(minimumHz > 0.0) || !(maximumHz > minimumHz) || !(defaultHz >= minimumHz && defaultHz <= maximumHz))
        YRaise("Invalid modulation rate range.");
    PluginParameter& rate = this->Parameter(rateIndex);
    m_rateIndex = rateIndex;
    m_firstSyncIndex = firstSyncIndex;
    rate.DefineFloat("rate", "Rate", std::log10(minimumHz), std::log10(maximumHz), std::log10(defaultHz));
    rate.Description = YString::Literal(kRateHelp);
    rate.TextFunction = ParameterTextFrequency;
    rate.FlagsB |= kRateAvailable;

    DefineSynchronizationParameters();

    this->SetEffectFlag(kEffectFlagUsesHostTime, true);
    this->SetEffectFlagB(kEffectFlagBAcceptsMIDI, true);
    m_phase = 0.0;
    m_increment = 0.0;
    m_midiReset.SetOwner(this);
    this->SetMIDIProcessor(&m_midiReset);
}

template <class HostSync> void YModulationPluginBase_NoSignalGeneratorT<HostSync>::Update() {
    if (!(m_sampleRate > 0.0)) return;
    YPlugin::ScopedLock lock(*this);
    PluginParameter* rate =
        m_rateIndex >= 0 && m_rateIndex < this->ParameterCount() ? &this->Parameter(m_rateIndex) : nullptr;
    if (rate) m_increment = std::pow(10.0, rate->EffectiveFloat()) / m_sampleRate;
    m_hostSync.UpdateFactor();
    if (!rate) return;
    const bool available = !m_hostSync.IsEnabled();
    const bool wasAvailable = (rate->FlagsB & kRateAvailable) != 0;
    if (available == wasAvailable) return;
    rate->FlagsB =
        static_cast<uint8_t>(available ? (rate->FlagsB | kRateAvailable) : (rate->FlagsB & ~kRateAvailable));
    this->SendHostRequest(kHostRequestParameterAvailability);
}

template <class HostSync> void YModulationPluginBase_NoSignalGeneratorT<HostSync>::Store(YXMLItem& item) {
    YAudioEffectPlugin::Store(item);
    YStorer storer{true, &item};
    StoreMIDIReset(storer);
}

template <class HostSync> void YModulationPluginBase_NoSignalGeneratorT<HostSync>::Load(YXMLItem& item) {
    YPlugin::ScopedLock lock(*this);
    YStorer storer{false, &item};
    StoreMIDIReset(storer);
    YAudioEffectPlugin::Load(item);
}

template <class HostSync>
void YModulationPluginBase_NoSignalGeneratorT<HostSync>::StoreMIDIReset(YStorer& storer) {
    if (!storer.Item) return;
    YStorer child = storer.Child("MIDIReset");
    // A state from before MIDI reset existed starts from the defaults, like absent attributes.
    if (!child.Item)
        m_midiReset.ResetSettings();
    else
        m_midiReset.Store(child);
}

template <class HostSync>
int32_t YModulationPluginBase_NoSignalGeneratorT<HostSync>::Prepare(int32_t channels, double sampleRate) {
    m_channelCount = std::clamp(channels, 0, YAudioEffectPlugin::kMaxChannels);
    m_sampleRate = std::isfinite(sampleRate) && sampleRate > 0.0 ? sampleRate : 0.0;
    m_phase = 0.0;
    m_increment = 0.0;
    return 0;
}

template <class HostSync> void YModulationPluginBase_NoSignalGeneratorT<HostSync>::Skip(int32_t frames) {
    YPlugin::ScopedLock lock(*this);
    if (frames > 0) m_phase = Wrap01(m_phase + static_cast<double>(frames) * m_increment);
}

template <class HostSync> void YModulationPluginBase_NoSignalGeneratorT<HostSync>::ResetPhase() {
    YPlugin::ScopedLock lock(*this);
    m_phase = Wrap01(m_midiReset.Phase);
}

template <class HostSync>
void YModulationPluginBase_NoSignalGeneratorT<HostSync>::HostPhase(
    const YProcessingContext& context) noexcept {
    if (!m_hostSync.IsEnabled() || !(m_sampleRate > 0.0)) return;
    if (!(context.Tempo >= 0.0) || !std::isfinite(context.Tempo)) return;
    const double factor = m_hostSync.Factor();
    m_increment = context.Tempo / (m_sampleRate * 240.0) * factor;
    // While MIDI reset is in charge, notes place the phase, not the transport.
    if (context.SongPosition >= 0.0 && !m_midiReset.Enabled)
        m_phase = Wrap01(m_hostSync.PhaseOffset() + context.SongPosition * factor * 0.25);
}

template <class HostSync>
void YModulationPluginBase_NoSignalGeneratorT<HostSync>::AdvancePhase(int32_t frames) noexcept {
    if (frames <= 0) return;
    double phase = std::fmod(m_phase + static_cast<double>(frames) * m_increment, 1.0);
    if (phase < 0.0) phase += 1.0;
    m_phase = Wrap01(phase);
}

// --- YModulationPluginBaseT ---

template <class HostSync> void YModulationPluginBaseT<HostSync>::Declicker::Reset(int32_t length) noexcept {
    PreviousButOne = Last = Offset = Step = 0.0f;
    Armed = 0;
    Remaining = 0;
    Length = std::max(length, 1);
    InverseLength = 1.0 / Length;
    History = 0;
}

template <class HostSync>
void YModulationPluginBaseT<HostSync>::Declicker::Run(double* values, int32_t count) noexcept {
    if (count <= 0) return;
    if (Armed) {
        Armed = 0;
        if (History > 0) {
            const double continued = History >= 2 ? 2.0 * Last - PreviousButOne : Last;
            const double jump = continued - values[0];
            Remaining = Length;
            Step = static_cast<float>(-jump * InverseLength);
            Offset = static_cast<float>(jump) + Step;
        }
    }
    if (Remaining > 0) {
        const int32_t n = std::min(Remaining, count);
        for (int32_t i = 0; i < n; ++i) {
            values[i] += Offset;
            Offset += Step;
        }
        Remaining -= n;
        if (Remaining == 0) Offset = Step = 0.0f;
    }
    Remember(count >= 2 ? values[count - 2] : 0.0, values[count - 1], count);
}

template <class HostSync>
void YModulationPluginBaseT<HostSync>::Declicker::Remember(double previousButOne, double last,
                                                           int32_t count) noexcept {
    if (count <= 0) return;
    if (count >= 2) {
        PreviousButOne = static_cast<float>(previousButOne);
        Last = static_cast<float>(last);
    } else {
        PreviousButOne = Last;
        Last = static_cast<float>(last);
    }
    History = std::min(History + count, 2);
}

template <class HostSync> YModulationPluginBaseT<HostSync>::YModulationPluginBaseT() {
    for (Declicker& d : m_declickers) d.Reset(1);
}

template <class HostSync> YModulationPluginBaseT<HostSync>::~YModulationPluginBaseT() = default;

template <class HostSync>
int32_t YModulationPluginBaseT<HostSync>::Prepare(int32_t channels, double sampleRate) {
    YPlugin::ScopedLock lock(*this);
    const int32_t result = Base::Prepare(channels, sampleRate);
    m_generator.SetLock(&this->Lock());
    const double length = std::min(std::trunc(this->m_sampleRate), 2147483647.0);
    for (Declicker& d : m_declickers) d.Reset(static_cast<int32_t>(length));
    GrowScratch(this->MaximumBlockSize());
    return result;
}

template <class HostSync> void YModulationPluginBaseT<HostSync>::SetMaximumBlockSize(int32_t frames) {
    YPlugin::ScopedLock lock(*this);
    Base::SetMaximumBlockSize(frames);
    GrowScratch(this->MaximumBlockSize());
}

template <class HostSync> void YModulationPluginBaseT<HostSync>::Store(YXMLItem& item) {
    Base::Store(item);
    YScopedLock generatorLock(m_generator.Lock());
    YStorer shape = YStorer{true, &item}.Child("shape");
    StoreGenerator(m_generator, shape);
}

template <class HostSync> void YModulationPluginBaseT<HostSync>::Load(YXMLItem& item) {
    YPlugin::ScopedLock lock(*this);
    {
        YScopedLock generatorLock(m_generator.Lock());
        if (YXMLItem* shape = item.FindChild("shape")) {
            YStorer storer{false, shape};
            StoreGenerator(m_generator, storer);
        } else {
            // States from before shapes were designed hold only the shape number.
            m_generator.SetEnvelopeDepth(0.0);
            double value = m_generator.GetValue();
            YStorer::ReadDouble(item, "shape", value);
            m_generator.SetValue(value);
        }
    }
    Base::Load(item);
}

template <class HostSync> bool YModulationPluginBaseT<HostSync>::CreateEditorParts(void*) { return false; }

template <class HostSync> void YModulationPluginBaseT<HostSync>::EditorClosed() {
    YPlugin::ScopedLock lock(*this);
    m_generatorEditor = nullptr;
}

template <class HostSync> bool YModulationPluginBaseT<HostSync>::RefreshGenerator() {
    m_generatorChanged = m_generator.Refresh() ? 1 : 0;
    return m_generatorChanged != 0;
}

template <class HostSync>
const double* YModulationPluginBaseT<HostSync>::ModulationBlock(int32_t channel, double phase,
                                                                double increment, int32_t count) {
    if (count <= 0) return m_scratch.get();
    if (count > m_scratchCapacity) GrowScratch(count);
    m_scratchRequested = std::max(m_scratchRequested, count);
    double* values = m_scratch.get();
    for (int32_t i = 0; i < count; ++i)
        values[i] = m_generator.Evaluate(phase + static_cast<double>(i) * increment);
    if (channel < 0 || channel >= YAudioEffectPlugin::kMaxChannels) return values;
    const YEffectFrameSettings* settings = this->FrameSettings();
    if (settings && !settings->ModulationDeclick) return values;
    Declicker& declicker = m_declickers[channel];
    if (m_generatorChanged) declicker.Arm();
    declicker.Run(values, count);
    return values;
}

template <class HostSync> void YModulationPluginBaseT<HostSync>::GrowScratch(int32_t count) {
    if (count <= m_scratchCapacity) return;
    int32_t capacity = 1;
    while (capacity < count && capacity < (1 << 30)) capacity <<= 1;
    m_scratch = std::make_unique<double[]>(static_cast<size_t>(capacity));
    m_scratchCapacity = capacity;
}

// --- YModulationPluginBase ---

YModulationPluginBase::YModulationPluginBase() = default;

YModulationPluginBase::~YModulationPluginBase() = default;

void YModulationPluginBase::Load(YXMLItem& item) { YModulationPluginBaseT<YAudioPluginHostSync>::Load(item); }

template class YModulationPluginBase_NoSignalGeneratorT<YAudioPluginHostSync>;
template class YModulationPluginBaseT<YAudioPluginHostSync>;
