// YAudioPluginVST3Adapter::YEditor: the plug-in view a host embeds.
#include "entry/vst3/YAudioPluginVST3Adapter.h"

#include "foundation/YException.h"

#include <cstring>

YAudioPluginVST3Adapter::YEditor::YEditor(YAudioPluginVST3Adapter& adapter) noexcept : m_adapter(adapter) {
    m_adapter.addRef();
}

YAudioPluginVST3Adapter::YEditor::~YEditor() {
    if (m_adapter.m_editor == this) {
        m_adapter.m_editor = nullptr;
        m_adapter.m_plugFrame = nullptr;
    }
    m_adapter.release();
}

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::YEditor::queryInterface(const Vst3::TUID iid, void** obj) {
    if (obj == nullptr) return Vst3::kInvalidArgument;
    if (Vst3::FUnknown::iid.Matches(iid) || Vst3::IPlugView::iid.Matches(iid)) {
        addRef();
        *obj = static_cast<Vst3::IPlugView*>(this);
        return Vst3::kResultOk;
    }
    *obj = nullptr;
    return Vst3::kNoInterface;
}

Vst3::uint32 Y_VST3_CALL YAudioPluginVST3Adapter::YEditor::addRef() { return ++m_refCount; }

Vst3::uint32 Y_VST3_CALL YAudioPluginVST3Adapter::YEditor::release() {
    return YGuard("YAudioPluginVST3Adapter::YEditor::release", Vst3::uint32{0}, [&] {
        const Vst3::uint32 left = --m_refCount;
        if (left == 0) delete this;
        return left;
    });
}

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::YEditor::isPlatformTypeSupported(Vst3::FIDString type) {
    return type != nullptr && std::strcmp(type, "HWND") == 0 ? Vst3::kResultTrue : Vst3::kResultFalse;
}

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::YEditor::attached(void* parent, Vst3::FIDString type) {
    return YGuard("YAudioPluginVST3Adapter::YEditor::attached", Vst3::kResultFalse, [&] {
        if (parent == nullptr || isPlatformTypeSupported(type) != Vst3::kResultTrue) return Vst3::kResultFalse;
        YAudioPlugin& plugin = m_adapter.Plugin();
        if (!plugin.EditorExists() && !plugin.CreateEditor()) return Vst3::kResultFalse;
        m_parent = parent;
        m_attached = true;
        m_adapter.m_editor = this;
        plugin.SetEditorOpen(true);
        return Vst3::kResultOk;
    });
}

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::YEditor::removed() {
    return YGuard("YAudioPluginVST3Adapter::YEditor::removed", Vst3::kResultFalse, [&] {
        if (m_attached) m_adapter.Plugin().SetEditorOpen(false);
        m_attached = false;
        m_parent = nullptr;
        if (m_adapter.m_editor == this) m_adapter.m_editor = nullptr;
        return Vst3::kResultOk;
    });
}

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::YEditor::onWheel(float) { return Vst3::kResultFalse; }

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::YEditor::onKeyDown(Vst3::char16, Vst3::int16, Vst3::int16) {
    return Vst3::kResultFalse;
}

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::YEditor::onKeyUp(Vst3::char16, Vst3::int16, Vst3::int16) {
    return Vst3::kResultFalse;
}

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::YEditor::getSize(Vst3::ViewRect* size) {
    return YGuard("YAudioPluginVST3Adapter::YEditor::getSize", Vst3::kResultFalse, [&] {
        if (size == nullptr) return Vst3::kInvalidArgument;
        YAudioPlugin& plugin = m_adapter.Plugin();
        if (!plugin.EditorExists() && !plugin.CreateEditor()) return Vst3::kResultFalse;
        // The editor window reports no size of its own yet.
        return Vst3::kResultFalse;
    });
}

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::YEditor::onSize(Vst3::ViewRect* newSize) {
    if (newSize == nullptr) return Vst3::kInvalidArgument;
    return m_adapter.Plugin().EditorExists() ? Vst3::kResultOk : Vst3::kResultFalse;
}

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::YEditor::onFocus(Vst3::TBool) { return Vst3::kResultFalse; }

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::YEditor::setFrame(Vst3::IPlugFrame* frame) {
    m_adapter.m_plugFrame = frame;
    m_adapter.m_editor = this;
    return Vst3::kResultOk;
}

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::YEditor::canResize() { return Vst3::kResultTrue; }

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::YEditor::checkSizeConstraint(Vst3::ViewRect* rect) {
    if (rect == nullptr) return Vst3::kInvalidArgument;
    return m_adapter.Plugin().EditorExists() ? Vst3::kResultTrue : Vst3::kResultFalse;
}
