// YAudioPluginVST3Adapter: component and controller state, one document for both.
#include "entry/vst3/YAudioPluginVST3Adapter.h"

#include "entry/YHostText.h"
#include "foundation/YException.h"
#include "foundation/YXMLDocument.h"

#include <algorithm>
#include <vector>

Vst3::int32 Y_VST3_CALL YAudioPluginVST3Adapter::getStateRefusal(Vst3::char8* text, Vst3::int32 size) {
    return YGuard("YAudioPluginVST3Adapter::getStateRefusal", Vst3::int32{0}, [&]() -> Vst3::int32 {
        if (text == nullptr || size <= 0) return 0;
        return YCopyHostText(text, m_plugin->StateRefusal(), size - 1);
    });
}

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::setState(Vst3::IBStream* state) {
    return YGuard("YAudioPluginVST3Adapter::setState", Vst3::kResultFalse, [&] {
        if (state == nullptr) return Vst3::kInvalidArgument;
        std::vector<uint8_t> bytes;
        uint8_t piece[kStateReadChunk];
        for (;;) {
            Vst3::int32 read = 0;
            if (state->read(piece, kStateReadChunk, &read) != Vst3::kResultOk || read <= 0) break;
            bytes.insert(bytes.end(), piece, piece + std::min(read, kStateReadChunk));
            // No state the plug-in accepts is longer than its text limit, compressed or not:
            // past it the load below refuses, and an endless host stream is not read on.
            if (bytes.size() > static_cast<size_t>(YXMLDocument::kMaxTextBytes)) break;
        }
        if (!m_plugin->LoadState(bytes.data(), bytes.size())) return Vst3::kResultFalse;
        // Every parameter may have moved: the controller reads them from the plug-in again.
        m_controllerValues.ReleaseAll();
        ServiceGUIThread(true);
        return Vst3::kResultOk;
    });
}

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::getState(Vst3::IBStream* state) {
    return YGuard("YAudioPluginVST3Adapter::getState", Vst3::kResultFalse, [&] {
        if (state == nullptr) return Vst3::kInvalidArgument;
        std::vector<uint8_t> bytes;
        if (!m_plugin->SaveState(bytes)) return Vst3::kResultFalse;
        size_t done = 0;
        while (done < bytes.size()) {
            const Vst3::int32 piece = static_cast<Vst3::int32>(std::min<size_t>(bytes.size() - done, 1u << 30));
            Vst3::int32 written = 0;
            if (state->write(bytes.data() + done, piece, &written) != Vst3::kResultOk || written <= 0)
                return Vst3::kResultFalse;
            done += static_cast<size_t>(written);
        }
        return Vst3::kResultOk;
    });
}

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::setComponentState(Vst3::IBStream*) {
    // The processor that received the state is this object: it is applied already.
    return Vst3::kResultOk;
}
