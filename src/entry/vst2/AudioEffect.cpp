#include "entry/vst2/AudioEffect.h"

#include "foundation/YException.h"

namespace Vst2 {

namespace {

// The record's entries. Each finds the object behind the record and never lets anything
// escape into the host.

intptr_t DispatchEntry(AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
    return YGuard("Vst2::AudioEffect::dispatcher", intptr_t{0}, [&]() -> intptr_t {
        AudioEffect* object = AudioEffect::FromAeffect(effect);
        if (object == nullptr) return 0;
        if (opcode == effClose) {
            object->close();
            // The record dies with the object: mark it so a late call finds nothing.
            effect->object = nullptr;
            delete object;
            return 1;
        }
        return object->dispatcher(opcode, index, value, ptr, opt);
    });
}

void ProcessEntry(AEffect* effect, float** inputs, float** outputs, int32_t frames) {
    YGuard("Vst2::AudioEffect::process", [&] {
        if (AudioEffect* object = AudioEffect::FromAeffect(effect)) object->process(inputs, outputs, frames);
    });
}

void ProcessReplacingEntry(AEffect* effect, float** inputs, float** outputs, int32_t frames) {
    YGuard("Vst2::AudioEffect::processReplacing", [&] {
        if (AudioEffect* object = AudioEffect::FromAeffect(effect))
            object->processReplacing(inputs, outputs, frames);
    });
}

void ProcessDoubleReplacingEntry(AEffect* effect, double** inputs, double** outputs, int32_t frames) {
    YGuard("Vst2::AudioEffect::processDoubleReplacing", [&] {
        if (AudioEffect* object = AudioEffect::FromAeffect(effect))
            object->processDoubleReplacing(inputs, outputs, frames);
    });
}

void SetParameterEntry(AEffect* effect, int32_t index, float value) {
    YGuard("Vst2::AudioEffect::setParameter", [&] {
        if (AudioEffect* object = AudioEffect::FromAeffect(effect)) object->setParameter(index, value);
    });
}

float GetParameterEntry(AEffect* effect, int32_t index) {
    return YGuard("Vst2::AudioEffect::getParameter", 0.0f, [&] {
        AudioEffect* object = AudioEffect::FromAeffect(effect);
        return object != nullptr ? object->getParameter(index) : 0.0f;
    });
}

} // namespace

AudioEffect::AudioEffect(HostCallback audioMaster, int32_t numPrograms, int32_t numParams)
    : m_audioMaster(audioMaster), m_numPrograms(numPrograms), m_numParams(numParams) {
    m_effect.magic = kEffectMagic;
    m_effect.dispatcher = &DispatchEntry;
    m_effect.process = &ProcessEntry;
    m_effect.setParameter = &SetParameterEntry;
    m_effect.getParameter = &GetParameterEntry;
    m_effect.numPrograms = numPrograms;
    m_effect.numParams = numParams;
    m_effect.numInputs = 1;
    m_effect.numOutputs = 2;
    m_effect.flags = 0;
    m_effect.ioRatio = 1.0f;
    m_effect.object = this;
    m_effect.uniqueID = FourCC('N', 'o', 'E', 'f');
    m_effect.version = 1;
    m_effect.processReplacing = &ProcessReplacingEntry;
    m_effect.processDoubleReplacing = &ProcessDoubleReplacingEntry;
}

AudioEffect::~AudioEffect() {
    // The editor goes first: it may still refer to the effect.
    m_editor.reset();
    m_effect.object = nullptr;
}

AudioEffect* AudioEffect::FromAeffect(AEffect* effect) noexcept {
    if (effect == nullptr || effect->magic != kEffectMagic) return nullptr;
    return static_cast<AudioEffect*>(effect->object);
}

void AudioEffect::setNumParams(int32_t params) noexcept {
    m_numParams = params;
    m_effect.numParams = params;
}

void AudioEffect::setFlag(int32_t flag, bool on) noexcept {
    if (on)
        m_effect.flags |= flag;
    else
        m_effect.flags &= ~flag;
}

void AudioEffect::setProgram(int32_t program) {
    if (program >= 0 && program < m_numPrograms) m_curProgram = program;
}

void AudioEffect::getProgramName(char* name) {
    if (name != nullptr) *name = 0;
}

void AudioEffect::setParameterAutomated(int32_t index, float value) {
    setParameter(index, value);
    callHost(audioMasterAutomate, index, 0, nullptr, value);
}

void AudioEffect::getParameterLabel(int32_t, char* label) {
    if (label != nullptr) *label = 0;
}

void AudioEffect::getParameterDisplay(int32_t, char* text) {
    if (text != nullptr) *text = 0;
}

void AudioEffect::getParameterName(int32_t, char* text) {
    if (text != nullptr) *text = 0;
}

int32_t AudioEffect::getMasterVersion() {
    const intptr_t version = callHost(audioMasterVersion);
    return version != 0 ? static_cast<int32_t>(version) : 1;
}

intptr_t AudioEffect::callHost(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
    return m_audioMaster != nullptr ? m_audioMaster(&m_effect, opcode, index, value, ptr, opt) : 0;
}

intptr_t AudioEffect::dispatcher(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
    switch (opcode) {
    case effOpen:
        open();
        return 0;
    case effSetProgram:
        if (value >= 0 && value < m_numPrograms) setProgram(static_cast<int32_t>(value));
        return 0;
    case effGetProgram:
        return getProgram();
    case effSetProgramName:
        if (ptr != nullptr) setProgramName(static_cast<char*>(ptr));
        return 0;
    case effGetProgramName:
        if (ptr != nullptr) getProgramName(static_cast<char*>(ptr));
        return 0;
    case effGetParamLabel:
        if (ptr != nullptr) getParameterLabel(index, static_cast<char*>(ptr));
        return 0;
    case effGetParamDisplay:
        if (ptr != nullptr) getParameterDisplay(index, static_cast<char*>(ptr));
        return 0;
    case effGetParamName:
        if (ptr != nullptr) getParameterName(index, static_cast<char*>(ptr));
        return 0;
    case effSetSampleRate:
        setSampleRate(opt);
        return 0;
    case effSetBlockSize:
        setBlockSize(static_cast<int32_t>(value));
        return 0;
    case effMainsChanged:
        if (value == 0)
            suspend();
        else
            resume();
        return 0;
    case effEditGetRect:
        if (ptr == nullptr) return 0;
        *static_cast<ERect**>(ptr) = nullptr;
        return m_editor != nullptr && m_editor->getRect(static_cast<ERect**>(ptr)) ? 1 : 0;
    case effEditOpen:
        return m_editor != nullptr && m_editor->open(ptr) ? 1 : 0;
    case effEditClose:
        if (m_editor != nullptr) m_editor->close();
        return 0;
    case effEditIdle:
        if (m_editor != nullptr) m_editor->idle();
        return 0;
    case effGetChunk:
        if (ptr == nullptr) return 0;
        return getChunk(static_cast<void**>(ptr), index != 0);
    case effSetChunk:
        if (ptr == nullptr || value <= 0 || value > INT32_MAX) return 0;
        return setChunk(ptr, static_cast<int32_t>(value), index != 0);
    default:
        return 0;
    }
}

} // namespace Vst2
