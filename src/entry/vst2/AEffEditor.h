// AEffEditor: the editor half of a VST 2.4 plug-in as the host sees it (rectangle, open,
// close, idle, keys). The base answers that there is nothing to show.
#pragma once

#include "entry/vst2/Vst2Abi.h"

namespace Vst2 {

class AudioEffect;

class AEffEditor {
public:
    explicit AEffEditor(AudioEffect* effect) noexcept : m_effect(effect) {}
    virtual ~AEffEditor() = default;
    AEffEditor(const AEffEditor&) = delete;
    AEffEditor& operator=(const AEffEditor&) = delete;

    // Hands out the editor's size; false (and a null rectangle) when there is none.
    virtual bool getRect(ERect** rect) {
        if (rect != nullptr) *rect = nullptr;
        return false;
    }
    // parent: the host's window. True when the editor is shown in it.
    virtual bool open(void* parent) {
        m_systemWindow = parent;
        return false;
    }
    virtual void close() { m_systemWindow = nullptr; }
    virtual bool isOpen() const noexcept { return m_systemWindow != nullptr; }
    virtual void idle() {}
    // True when the editor used the key.
    virtual bool onKeyDown(VstKeyCode& /*key*/) { return false; }
    virtual bool onKeyUp(VstKeyCode& /*key*/) { return false; }
    virtual bool setKnobMode(int32_t /*mode*/) { return false; }

    AudioEffect* getEffect() const noexcept { return m_effect; }
    void* getSystemWindow() const noexcept { return m_systemWindow; }

protected:
    AudioEffect* m_effect;
    void* m_systemWindow = nullptr;
};

} // namespace Vst2
