#include "core/YAudioEffectPlugin.h"

#include "core/YMIDIProcessorBase.h"
#include "foundation/YException.h"
#include "foundation/YXMLItem.h"

#include <memory>

YAudioEffectPlugin::YAudioEffectPlugin() = default;

YAudioEffectPlugin::~YAudioEffectPlugin() = default;

bool YAudioEffectPlugin::Initialize() { return true; }

int32_t YAudioEffectPlugin::Prepare(int32_t, double) { return 0; }

void YAudioEffectPlugin::Update() {}

void YAudioEffectPlugin::Reset() {}

void YAudioEffectPlugin::Skip(int32_t) {}

bool YAudioEffectPlugin::TailSilent() { return true; }

int32_t YAudioEffectPlugin::GetTailLength() { return 0; }

int32_t YAudioEffectPlugin::GetLatency() { return 0; }

int32_t YAudioEffectPlugin::GetChannelModes() { return 0; }

void YAudioEffectPlugin::SetMaximumBlockSize(int32_t frames) {
    if (frames > 0) m_maximumBlockSize = frames;
}

void YAudioEffectPlugin::Store(YXMLItem& item) {
    YStorer storer{true, &item};
    StoreParameters(storer);
}

void YAudioEffectPlugin::Load(YXMLItem& item) {
    ScopedLock lock(*this);
    YStorer storer{false, &item};
    StoreParameters(storer);
}

void YAudioEffectPlugin::StoreParameters(YStorer& storer) {
    if (!storer.Item) return;
    YXMLItem& item = *storer.Item;
    for (int32_t i = 0; i < m_information.ParameterCount; ++i) {
        PluginParameter& record = m_information.Parameters[i];
        const YString key = YString("parameter") + record.ID;
        switch (record.Kind) {
        case kParameterFloat:
            storer.DoubleIfPresent(key, record.Float.Value);
            if (storer.IsReading()) record.ClampValue();
            break;
        case kParameterInteger:
            storer.IntegerIfPresent(key, record.Int.Value);
            if (storer.IsReading()) record.ClampValue();
            break;
        case kParameterEnum: {
            const YString enumKey = key + YString("Enum");
            const int32_t count = record.Enum.Names ? record.Enum.Count : 0;
            if (storer.IsWriting()) {
                item.SetAttribute(key, YString::FromInteger(record.Enum.Value));
                if (record.Enum.Value >= 0 && record.Enum.Value < count)
                    item.SetAttribute(enumKey, YString::Literal(record.Enum.Names[record.Enum.Value]));
                break;
            }
            int32_t index = -1;
            if (const YString* name = item.FindAttribute(enumKey)) {
                for (int32_t n = 0; n < count && index < 0; ++n)
                    if (*name == YString::Literal(record.Enum.Names[n])) index = n;
            }
            if (index < 0 && YStorer::ReadInteger(item, key, index) && (index < 0 || index >= count))
                index = -1;
            if (index >= 0) record.Enum.Value = index;
            break;
        }
        case kParameterBool: {
            int32_t on = record.Bool.Value ? 1 : 0;
            storer.IntegerIfPresent(key, on);
            record.Bool.Value = on != 0 ? 1 : 0;
            break;
        }
        case kParameterGroup: {
            if (!record.Group.State) break;
            int32_t on = *record.Group.State ? 1 : 0;
            storer.IntegerIfPresent(key, on);
            *record.Group.State = on != 0 ? 1 : 0;
            break;
        }
        default:
            break;
        }
    }
}

void YAudioEffectPlugin::StoreState(YStorer& storer) {
    if (!storer.Item) return;
    if (storer.Writing)
        Store(*storer.Item);
    else
        Load(*storer.Item);
}

bool YAudioEffectPlugin::CreateEditorParts(void*) { return false; }

void YAudioEffectPlugin::EditorClosed() {}

void YAudioEffectPlugin::EditorUpdate() {}

void YAudioEffectPlugin::EditorRefresh() {}

void YAudioEffectPlugin::OnMIDINote(int32_t channel, int32_t note, double velocity, bool on,
                                    int32_t heldNotes) {
    if (m_midiProcessor) m_midiProcessor->OnNote(channel, note, velocity, on, heldNotes);
}

void YAudioEffectPlugin::OnMIDIEvent(int32_t kind, int32_t channel, int32_t number, double value) {
    if (m_midiProcessor) m_midiProcessor->Dispatch(kind, channel, number, value);
}

void YAudioEffectPlugin::SetParameterTable(PluginParameter* parameters, int32_t count) {
    if (count < 0 || count > kMaxParameters || (count > 0 && !parameters)) YRaiseIndexOutOfRange();
    m_information.Parameters = parameters;
    m_information.ParameterCount = count;
}

void YAudioEffectPlugin::SetSpecialParameters(PluginParameter* parameters, int32_t count) {
    if (count < 0 || count > kMaxParameters || (count > 0 && !parameters)) YRaiseIndexOutOfRange();
    m_information.SpecialParameters = parameters;
    m_information.SpecialParameterCount = count;
}

PluginParameter& YAudioEffectPlugin::Parameter(int32_t index) const {
    if (index < 0 || index >= m_information.ParameterCount) YRaiseIndexOutOfRange();
    return m_information.Parameters[index];
}

void YAudioEffectPlugin::SyncProcessingValues() noexcept {
    for (int32_t i = 0; i < m_information.ParameterCount; ++i) {
        PluginParameter& record = m_information.Parameters[i];
        if (record.Kind == kParameterFloat) record.Float.Processing = record.Float.Value;
    }
}

void YAudioEffectPlugin::ParameterChanged(int32_t) {}

void YAudioEffectPlugin::SetNeedsUpdate() { m_needsUpdate.store(true, std::memory_order_release); }

void YAudioEffectPlugin::SetEffectFlag(uint8_t bit, bool on) noexcept {
    m_information.Flags =
        static_cast<uint8_t>(on ? (m_information.Flags | bit) : (m_information.Flags & ~bit));
}

void YAudioEffectPlugin::SetEffectFlagB(uint8_t bit, bool on) noexcept {
    m_information.FlagsB =
        static_cast<uint8_t>(on ? (m_information.FlagsB | bit) : (m_information.FlagsB & ~bit));
}

namespace {

int64_t Address(const void* pointer) noexcept {
    return static_cast<int64_t>(reinterpret_cast<intptr_t>(pointer));
}

} // namespace

int64_t YAudioEffectPlugin::HandleCommand(int32_t command, YEffectArguments* arguments) {
    // Commands without arguments must not need a block; those with arguments answer 0 without.
    static YEffectArguments none;
    const YEffectArguments& a = arguments ? *arguments : none;
    switch (command) {
    case kEffectAttach:
        AttachHost(a.Pointer<void>(0), reinterpret_cast<YPluginHostCallback>(a.Pointer<void>(1)));
        return Address(this);
    case kEffectGetInformation:
        return Address(&m_information);
    case kEffectInitialize:
        return Initialize() ? 1 : 0;
    case kEffectUpdate:
        m_needsUpdate.store(false, std::memory_order_release);
        Update();
        return 0;
    case kEffectReset:
        Reset();
        return 0;
    case kEffectStore: {
        YStorer* storer = a.Pointer<YStorer>(0);
        if (!storer) return 0;
        StoreState(*storer);
        return 1;
    }
    case kEffectGetInstance:
        return Address(this);
    case kEffectMIDINote: {
        const int64_t packed = a.Integer(3);
        OnMIDINote(a.Integer32(0), a.Integer32(1), a.Double(2), (packed & 1) != 0,
                   static_cast<int32_t>(packed >> 1));
        return 0;
    }
    case kEffectMIDIEvent:
        OnMIDIEvent(a.Integer32(0), a.Integer32(1), a.Integer32(2), a.Double(3));
        return 0;
    case kEffectParameterChanged:
        ParameterChanged(a.Integer32(0));
        return 0;
    case kEffectSetMaximumBlockSize:
        SetMaximumBlockSize(a.Integer32(0));
        return 0;
    case kEffectTailLength:
        return GetTailLength();
    case kEffectEditor: {
        void* container = a.Pointer<void>(0);
        if (!container) {
            EditorClosed();
            return 0;
        }
        return CreateEditorParts(container) ? 1 : 0;
    }
    case kEffectPrepare: {
        const double* sampleRate = a.Pointer<const double>(1);
        if (!sampleRate) return -1;
        const int32_t result = Prepare(a.Integer32(0), *sampleRate);
        m_needsUpdate.store(false, std::memory_order_release);
        Update();
        SyncProcessingValues();
        return result;
    }
    case kEffectProcess: {
        const YProcessingContext* context = a.Pointer<const YProcessingContext>(0);
        float* const* inputs = a.Pointer<float* const>(1);
        float* const* outputs = a.Pointer<float* const>(2);
        const int32_t frames = a.Integer32(3);
        if (!outputs || frames <= 0) return 0;
        static const YProcessingContext noTransport;
        Process(context ? *context : noTransport, inputs ? inputs : outputs, outputs, frames);
        return 0;
    }
    case kEffectTailSilent:
        return TailSilent() ? 1 : 0;
    case kEffectLatency:
        return GetLatency();
    case kEffectSkip:
        Skip(a.Integer32(0));
        return 0;
    case kEffectChannelModes:
        return GetChannelModes();
    case kEffectEditorUpdate:
        EditorUpdate();
        return 0;
    case kEffectEditorRefresh:
        EditorRefresh();
        return 0;
    default:
        return 0;
    }
}

int64_t YAudioEffectPluginCall(void* instance, int32_t command, YEffectArguments* arguments,
                               YAudioEffectPluginFactory factory, const char* guardName) noexcept {
    return YGuard(guardName, int64_t{0}, [&]() -> int64_t {
        auto* effect = static_cast<YAudioEffectPlugin*>(instance);
        if (!effect) {
            if ((command != kEffectAttach && command != kEffectGetInstance) || !factory) return 0;
            std::unique_ptr<YAudioEffectPlugin> created(factory());
            if (!created) return 0;
            const int64_t result = command == kEffectAttach ? created->HandleCommand(command, arguments)
                                                            : Address(created.get());
            // A failed attach leaves nobody to own the new object.
            if (result == 0) return 0;
            created.release();
            return result;
        }
        if (command == kEffectGetInstance) return Address(effect);
        if (command == kEffectDestroy) {
            delete effect;
            return 0;
        }
        return effect->HandleCommand(command, arguments);
    });
}
