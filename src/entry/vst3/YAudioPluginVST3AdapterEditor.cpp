// YAudioPluginVST3Adapter::YEditor: the plug-in view a host embeds. All views of one adapter
// show the adapter's one editor window (YEditorHost); on Linux the view joins the host's run
// loop, through which the editor's GUI-thread work runs.
#include "entry/vst3/YAudioPluginVST3Adapter.h"

#include "foundation/YException.h"

#include <algorithm>
#include <cstring>

namespace {
#if defined(_WIN32)
constexpr const char* kPlatformType = Vst3::kPlatformTypeHWND;
#else
constexpr const char* kPlatformType = Vst3::kPlatformTypeX11EmbedWindowID;
#endif
// How often the run loop's timer runs the editor's timers and queued work.
constexpr Vst3::Linux::TimerInterval kRunLoopTimerMs = 20;
} // namespace

// The run loop's event and timer handler: a reference-counted object of its own, so that a host
// that keeps it a little longer finds it whole; it stops calling the view once unhooked.
class YAudioPluginVST3Adapter::YEditor::RunLoopHandler final : public Vst3::Linux::IEventHandler,
                                                                 public Vst3::Linux::ITimerHandler {
public:
    explicit RunLoopHandler(YEditor& view) noexcept : m_view(&view) {}

    Vst3::tresult Y_VST3_CALL queryInterface(const Vst3::TUID iid, void** obj) override {
        if (obj == nullptr) return Vst3::kInvalidArgument;
        if (Vst3::FUnknown::iid.Matches(iid) || Vst3::Linux::IEventHandler::iid.Matches(iid)) {
            *obj = static_cast<Vst3::Linux::IEventHandler*>(this);
        } else if (Vst3::Linux::ITimerHandler::iid.Matches(iid)) {
            *obj = static_cast<Vst3::Linux::ITimerHandler*>(this);
        } else {
            *obj = nullptr;
            return Vst3::kNoInterface;
        }
        addRef();
        return Vst3::kResultOk;
    }
    Vst3::uint32 Y_VST3_CALL addRef() override { return ++m_refCount; }
    Vst3::uint32 Y_VST3_CALL release() override {
        const Vst3::uint32 left = --m_refCount;
        if (left == 0) delete this;
        return left;
    }
    void Y_VST3_CALL onFDIsSet(Vst3::Linux::FileDescriptor) override { Run(); }
    void Y_VST3_CALL onTimer() override { Run(); }

    void Unhook() noexcept { m_view = nullptr; }

private:
    ~RunLoopHandler() = default;
    void Run() {
        YGuard("YAudioPluginVST3Adapter::YEditor::RunLoopHandler", [&] {
            if (m_view != nullptr) m_view->RunLoopCall();
        });
    }

    std::atomic<Vst3::uint32> m_refCount{1};
    YEditor* m_view;
};

YAudioPluginVST3Adapter::YEditor::YEditor(YAudioPluginVST3Adapter& adapter) noexcept : m_adapter(adapter) {
    m_adapter.addRef();
}

YAudioPluginVST3Adapter::YEditor::~YEditor() {
    YGuard("YAudioPluginVST3Adapter::YEditor::~YEditor", [&] {
        // A host that releases the view without removing it first.
        if (m_attached) removed();
        LeaveRunLoop();
    });
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
    return YEditorHost::Available() && type != nullptr && std::strcmp(type, kPlatformType) == 0 ? Vst3::kResultTrue
                                                                                               : Vst3::kResultFalse;
}

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::YEditor::attached(void* parent, Vst3::FIDString type) {
    return YGuard("YAudioPluginVST3Adapter::YEditor::attached", Vst3::kResultFalse, [&] {
        if (parent == nullptr || isPlatformTypeSupported(type) != Vst3::kResultTrue) return Vst3::kResultFalse;
        // Attached again without removed: the old embedding ends first.
        if (m_attached) removed();
        if (!m_adapter.m_editorHost) m_adapter.m_editorHost = std::make_unique<YEditorHost>(m_adapter.Plugin());
        if (!m_adapter.m_editorHost->Open(parent)) return Vst3::kResultFalse;
        m_parent = parent;
        m_attached = true;
        m_adapter.m_editor = this;
        JoinRunLoop();
        return Vst3::kResultOk;
    });
}

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::YEditor::removed() {
    return YGuard("YAudioPluginVST3Adapter::YEditor::removed", Vst3::kResultFalse, [&] {
        if (!m_attached) return Vst3::kResultFalse;
        m_attached = false;
        m_parent = nullptr;
        LeaveRunLoop();
        if (m_adapter.m_editorHost) m_adapter.m_editorHost->Close();
        if (m_adapter.m_editor == this) m_adapter.m_editor = nullptr;
        return Vst3::kResultOk;
    });
}

void YAudioPluginVST3Adapter::YEditor::JoinRunLoop() {
#if !defined(_WIN32)
    if (m_runLoop != nullptr || m_adapter.m_plugFrame == nullptr) return;
    void* loop = nullptr;
    if (m_adapter.m_plugFrame->queryInterface(Vst3::Linux::IRunLoop::iid.bytes, &loop) != Vst3::kResultOk ||
        loop == nullptr)
        return;
    m_runLoop = static_cast<Vst3::Linux::IRunLoop*>(loop);
    m_handler = new RunLoopHandler(*this);
    for (int fd : m_adapter.m_editorHost->Descriptors()) m_runLoop->registerEventHandler(m_handler, fd);
    m_runLoop->registerTimer(m_handler, kRunLoopTimerMs);
#endif
}

void YAudioPluginVST3Adapter::YEditor::LeaveRunLoop() {
    if (m_runLoop == nullptr) return;
    m_handler->Unhook();
    m_runLoop->unregisterEventHandler(m_handler);
    m_runLoop->unregisterTimer(m_handler);
    m_handler->release();
    m_handler = nullptr;
    m_runLoop->release();
    m_runLoop = nullptr;
}

void YAudioPluginVST3Adapter::YEditor::RunLoopCall() {
    if (!m_attached || !m_adapter.m_editorHost) return;
    m_adapter.Plugin().ProcessUpdate();
    m_adapter.m_editorHost->Idle();
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
        if (!YEditorHost::Available()) return Vst3::kResultFalse;
        if (!m_adapter.m_editorHost) m_adapter.m_editorHost = std::make_unique<YEditorHost>(m_adapter.Plugin());
        if (!m_adapter.m_editorHost->Create()) return Vst3::kResultFalse;
        const YSize editor = m_adapter.m_editorHost->Size();
        *size = Vst3::ViewRect{0, 0, editor.x < 5 ? 0 : editor.x, editor.y < 5 ? 0 : editor.y};
        return Vst3::kResultOk;
    });
}

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::YEditor::onSize(Vst3::ViewRect* newSize) {
    return YGuard("YAudioPluginVST3Adapter::YEditor::onSize", Vst3::kResultFalse, [&] {
        if (newSize == nullptr) return Vst3::kInvalidArgument;
        if (!m_adapter.m_editorHost || !m_adapter.m_editorHost->Exists()) return Vst3::kResultFalse;
        const int64_t width = int64_t{newSize->right} - newSize->left;
        const int64_t height = int64_t{newSize->bottom} - newSize->top;
        // Nothing to show in: the editor keeps its size.
        if (width <= 0 || height <= 0 || width > 16384 || height > 16384) return Vst3::kResultFalse;
        return m_adapter.m_editorHost->Resize(static_cast<int32_t>(width), static_cast<int32_t>(height))
                   ? Vst3::kResultOk
                   : Vst3::kResultFalse;
    });
}

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::YEditor::onFocus(Vst3::TBool) { return Vst3::kResultFalse; }

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::YEditor::setFrame(Vst3::IPlugFrame* frame) {
    return YGuard("YAudioPluginVST3Adapter::YEditor::setFrame", Vst3::kResultFalse, [&] {
        // A new frame brings its own run loop.
        LeaveRunLoop();
        m_adapter.m_plugFrame = frame;
        m_adapter.m_editor = this;
        if (m_attached) JoinRunLoop();
        return Vst3::kResultOk;
    });
}

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::YEditor::canResize() { return Vst3::kResultTrue; }

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::YEditor::checkSizeConstraint(Vst3::ViewRect* rect) {
    return YGuard("YAudioPluginVST3Adapter::YEditor::checkSizeConstraint", Vst3::kResultFalse, [&] {
        if (rect == nullptr) return Vst3::kInvalidArgument;
        if (!m_adapter.m_editorHost || !m_adapter.m_editorHost->Exists()) return Vst3::kResultFalse;
        const YSize minimal = m_adapter.m_editorHost->MinimalSize();
        rect->right = std::max(rect->right, rect->left + minimal.x);
        rect->bottom = std::max(rect->bottom, rect->top + minimal.y);
        return Vst3::kResultTrue;
    });
}
