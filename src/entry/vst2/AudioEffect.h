// AudioEffect: the plug-in side of the VST 2.4 record. It owns the AEffect the host holds,
// turns the host's calls through that record into virtual operations, and wraps the host
// callbacks a plug-in needs. Derived classes override what they support; every default is
// the neutral answer of the interface.
#pragma once

#include "entry/vst2/AEffEditor.h"
#include "entry/vst2/Vst2Abi.h"

#include <cstdint>
#include <memory>

namespace Vst2 {

class AudioEffect {
public:
    static constexpr float kDefaultSampleRate = 44100.0f;
    static constexpr int32_t kDefaultBlockSize = 1024;

    AudioEffect(HostCallback audioMaster, int32_t numPrograms, int32_t numParams);
    virtual ~AudioEffect();
    AudioEffect(const AudioEffect&) = delete;
    AudioEffect& operator=(const AudioEffect&) = delete;

    // The record handed to the host; its object field leads back here.
    AEffect* getAeffect() noexcept { return &m_effect; }
    // The object behind a record, or null for a record that is not ours.
    static AudioEffect* FromAeffect(AEffect* effect) noexcept;

    // Maps one host request to the operations below.
    virtual intptr_t dispatcher(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);

    virtual void open() {}
    // The host is about to release the plug-in (the record's dispatcher deletes it next).
    virtual void close() {}
    virtual void suspend() {}
    virtual void resume() {}

    virtual void setSampleRate(float sampleRate) { m_sampleRate = sampleRate; }
    virtual void setBlockSize(int32_t blockSize) { m_blockSize = blockSize; }
    float getSampleRate() const noexcept { return m_sampleRate; }
    int32_t getBlockSize() const noexcept { return m_blockSize; }

    virtual void setProgram(int32_t program);
    virtual int32_t getProgram() { return m_curProgram; }
    virtual void setProgramName(char* /*name*/) {}
    virtual void getProgramName(char* name);

    virtual void setParameter(int32_t /*index*/, float /*value*/) {}
    virtual float getParameter(int32_t /*index*/) { return 0.0f; }
    // Sets the parameter and tells the host to record the change.
    virtual void setParameterAutomated(int32_t index, float value);
    virtual void getParameterLabel(int32_t index, char* label);
    virtual void getParameterDisplay(int32_t index, char* text);
    virtual void getParameterName(int32_t index, char* text);

    // data receives the address of bytes the plug-in keeps until the next call; returns their
    // size (0: none).
    virtual int32_t getChunk(void** /*data*/, bool /*isPreset*/) { return 0; }
    virtual int32_t setChunk(void* /*data*/, int32_t /*size*/, bool /*isPreset*/) { return 0; }

    virtual void process(float** /*inputs*/, float** /*outputs*/, int32_t /*frames*/) {}
    virtual void processReplacing(float** /*inputs*/, float** /*outputs*/, int32_t /*frames*/) {}
    virtual void processDoubleReplacing(double** /*inputs*/, double** /*outputs*/, int32_t /*frames*/) {}

    // The editor (owned); null for a plug-in without one.
    AEffEditor* getEditor() const noexcept { return m_editor.get(); }
    void setEditor(std::unique_ptr<AEffEditor> editor) noexcept { m_editor = std::move(editor); }

    // --- Record set-up ---
    void setUniqueID(int32_t id) noexcept { m_effect.uniqueID = id; }
    void setNumInputs(int32_t inputs) noexcept { m_effect.numInputs = inputs; }
    void setNumOutputs(int32_t outputs) noexcept { m_effect.numOutputs = outputs; }
    void setNumParams(int32_t params) noexcept;
    void setInitialDelay(int32_t delay) noexcept { m_effect.initialDelay = delay; }
    void setEffectVersion(int32_t version) noexcept { m_effect.version = version; }
    void setFlag(int32_t flag, bool on) noexcept;
    bool hasFlag(int32_t flag) const noexcept { return (m_effect.flags & flag) != 0; }

    // --- Host callbacks ---
    HostCallback getAudioMaster() const noexcept { return m_audioMaster; }
    // The host's VST version; a host that answers 0 counts as version 1.
    int32_t getMasterVersion();
    // Null without a host callback.
    intptr_t callHost(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                      float opt = 0.0f);

protected:
    AEffect m_effect{};
    HostCallback m_audioMaster;
    float m_sampleRate = kDefaultSampleRate;
    int32_t m_blockSize = kDefaultBlockSize;
    int32_t m_numPrograms;
    int32_t m_numParams;
    int32_t m_curProgram = 0;

private:
    std::unique_ptr<AEffEditor> m_editor;
};

} // namespace Vst2
