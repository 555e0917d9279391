// The editor open beside the plug-in's other threads, as a host runs them: the audio thread
// processes a signal, a host thread moves parameters, and the GUI thread runs the window
// system's loop, the meters and the repaints, with the framework threads running by themselves.
// Run under ThreadSanitizer: no race may be reported and nothing may deadlock; afterwards the
// editor shows the host's last values and the meters the signal.
#include "core/YQuenlorAudioEffectPlugin.h"
#include "entry/VornikAudioEffectPluginInterface.h"
#include "entry/VornikIdentity.h"
#include "gui/editor/YPluginEditor.h"
#include "gui/windows/YWindowSystemHeadless.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

// How the editor host hands the plug-in's update requests to the GUI thread.
class PostingQueue final : public YGUIRequestQueue {
public:
    PostingQueue(YWindowSystemHeadless& system, YPluginEditor& editor) : m_system(system), m_editor(editor) {}
    void PostEditorUpdateRequest(YAudioPlugin&) override {
        YPluginEditor* editor = &m_editor;
        m_system.Windows().Post(static_cast<YWindow*>(editor), [editor] { editor->HandleUpdateRequest(); });
        posts.fetch_add(1);
    }
    std::atomic<int> posts{0};

private:
    YWindowSystemHeadless& m_system;
    YPluginEditor& m_editor;
};

int32_t FindParameter(YAudioPlugin& plugin, const char* name) {
    for (int32_t i = 0; i < plugin.GetParameterCount(); ++i)
        if (plugin.GetParameterName(i).ToUTF8() == name) return i;
    return -1;
}

// Whether the bar of row shows value: lit up to its length, dark after it.
bool BarShows(const YBaseBitmap& bitmap, const YPluginEditor& editor, int32_t row, double value) {
    const YRect bar = editor.ValueBarRect(row);
    const int32_t filled = static_cast<int32_t>(std::lround(value * bar.Width()));
    const int32_t y = bar.top + 1;
    const YColor track = bitmap.At(bar.right, y);
    return filled > 2 && filled < bar.Width() - 2 && bitmap.At(bar.left + filled - 2, y) != track &&
           bitmap.At(bar.left + filled + 1, y) == track;
}

TEST(PluginEditorThreading, TheEditorRepaintsWhileAudioAndHostThreadsRun) {
    auto plugin = YQuenlorAudioEffectPlugin::Create(VornikIdentity::kProductName, VornikIdentity::kVendorName,
                                                    VornikAudioEffectPluginInterface, VornikIdentity::kEditorWidth,
                                                    VornikIdentity::kEditorHeight);
    ASSERT_NE(plugin, nullptr);
    std::vector<int32_t> moved;
    for (const char* name : {"Depth", "Range", "Rate", "Feedback", "Min frequency"}) {
        moved.push_back(FindParameter(*plugin, name));
        ASSERT_GE(moved.back(), 0) << name;
    }

    YWindowSystemHeadless system(true);
    auto editor = std::make_unique<YPluginEditor>(&system, *plugin);
    system.CreateNativeWindow(*editor, 0);
    system.Show(*editor);
    PostingQueue queue(system, *editor);
    plugin->SetGUIRequestQueue(&queue);
    plugin->SetEditorExists(true);
    plugin->SetEditorOpen(true);
    editor->StartMeters();
    system.ProcessPendingMessages();

    std::atomic<bool> stop{false};
    std::thread audio([&] {
        std::vector<std::vector<float>> in(2, std::vector<float>(128)), out(2, std::vector<float>(128));
        // The plug-in takes every bus's slots, as the host adapters hand them over.
        float* inputs[YAudioPlugin::kMaxSlots] = {in[0].data(), in[1].data()};
        float* outputs[YAudioPlugin::kMaxSlots] = {out[0].data(), out[1].data()};
        int64_t n = 0;
        while (!stop.load()) {
            for (auto& channel : in)
                for (float& sample : channel) sample = 0.5f * std::sin(0.03f * static_cast<float>(n++));
            plugin->ProcessAudio(inputs, outputs, 128, true);
        }
    });
    std::atomic<bool> hostDone{false};
    std::thread host([&] {
        for (int i = 0; i < 2000; ++i) {
            const int32_t index = moved[static_cast<size_t>(i) % moved.size()];
            plugin->SetParameter(index, (i % 89) / 88.0);
            if (i % 16 == 0) std::this_thread::yield();
        }
        hostDone.store(true);
    });

    // The GUI thread: the window system's loop and the meters' timer, until the host is done.
    int rounds = 0;
    while (!hostDone.load() || rounds < 20) {
        system.ProcessPendingMessages();
        system.AdvanceTime(YPluginEditor::kMeterIntervalMs);
        if (++rounds % 8 == 0) system.Resize(*editor, {editor->Size().x + (rounds % 16 == 0 ? 40 : -40), editor->Size().y});
        std::this_thread::yield();
    }
    host.join();

    // The host's last word, distinct per parameter, reaches the screen through the update list.
    const double last[] = {0.25, 0.4, 0.55, 0.7, 0.85};
    for (size_t k = 0; k < moved.size(); ++k) plugin->SetParameter(moved[k], last[k]);
    const bool shown = WaitUntil([&] {
        system.ProcessPendingMessages();
        system.AdvanceTime(YPluginEditor::kMeterIntervalMs);
        const YBaseBitmap* bitmap = system.Bitmap(*editor);
        if (bitmap == nullptr) return false;
        for (size_t k = 0; k < moved.size(); ++k)
            if (!BarShows(*bitmap, *editor, moved[k], plugin->GetParameter(moved[k]))) return false;
        const YRect meter = editor->MeterRect(0, false);
        return bitmap->At(meter.left + 1, meter.top + 1) != bitmap->At(meter.right, meter.top + 1);
    }, 20000);
    stop.store(true);
    audio.join();
    EXPECT_TRUE(shown) << "the last values and a lit input meter";
    EXPECT_GT(queue.posts.load(), 0);
    EXPECT_GT(editor->Refreshes(), 1);
    for (size_t k = 0; k < moved.size(); ++k) EXPECT_NEAR(plugin->GetParameter(moved[k]), last[k], 1e-9);

    plugin->SetEditorOpen(false);
    plugin->SetGUIRequestQueue(nullptr);
    plugin->SetEditorExists(false);
    system.Windows().CancelPosted(static_cast<YWindow*>(editor.get()));
    editor.reset();
}

} // namespace
