// YPluginEditor: the root window the hosts embed until the editor's own contents exist. It
// shows the product name, every host parameter with its name, value text and a bar of its
// normalised value, and the level meters of the effect's channels.
//
// It paints from a snapshot of the parameters taken on the GUI thread (Refresh), so painting
// never calls into the plug-in. Refresh reads each parameter through the plug-in's getters,
// which take the parameter lock for one read at a time: the GUI never holds a plug-in lock
// longer than one parameter change would. Host changes reach it through the plug-in's
// editor-update list (HandleUpdateRequest on the GUI thread); the meters through a 50 ms timer.
// Text is drawn with the font built into the binary, so the editor looks the same everywhere.
#pragma once

#include "gui/drawing/YFont.h"
#include "gui/toolkit/YWindow.h"

#include <cstdint>
#include <memory>
#include <vector>

class YAudioPlugin;
class YAudioEffectPluginToAudioPluginAdapter;

class YPluginEditor : public YWindow {
public:
    static constexpr int32_t kDefaultWidth = 520;
    static constexpr int32_t kHeaderHeight = 34;
    static constexpr int32_t kRowHeight = 15;
    static constexpr int32_t kMeterHeight = 40;
    static constexpr int32_t kMinimalWidth = 320;
    static constexpr uint32_t kMeterIntervalMs = 50;
    // Meters show -60 dB ... 0 dB.
    static constexpr float kMeterFloorDb = -60.0f;
    static constexpr int32_t kTitlePixels = 16;
    static constexpr int32_t kTextPixels = 11;

    YPluginEditor(YWindowSystem* windowSystem, YAudioPlugin& plugin);
    ~YPluginEditor() override;

    // The size that shows every parameter.
    YSize PreferredSize() const noexcept;

    // Reads every parameter again and repaints the rows that changed (GUI thread).
    void Refresh();
    // The plug-in's posted editor-update request: takes the marked adapters, then Refresh.
    void HandleUpdateRequest();
    // Starts the meter timer (needs the native window).
    void StartMeters();

    void Paint(YDrawer& drawer) override;
    void Timer() override;

    // Where row i's value bar is, in window coordinates (for checks).
    YRect ValueBarRect(int32_t index) const noexcept;
    YRect MeterRect(int32_t channel, bool output) const noexcept;
    int32_t RowCount() const noexcept { return static_cast<int32_t>(m_rows.size()); }
    int32_t Refreshes() const noexcept { return m_refreshes; }

private:
    struct Row {
        YString name;
        YString text;
        double value = 0.0;
    };

    YRect RowRect(int32_t index) const noexcept;
    void PaintMeters(YDrawer& drawer);

    YAudioPlugin& m_plugin;
    std::unique_ptr<YFont> m_titleFont;
    std::unique_ptr<YFont> m_font;
    YAudioEffectPluginToAudioPluginAdapter* m_effectPlugin; // the meters' source, when it is one
    YString m_title;
    std::vector<Row> m_rows;
    float m_inputLevels[2] = {0.0f, 0.0f};  // 0 ... 1 along the meter
    float m_outputLevels[2] = {0.0f, 0.0f};
    int32_t m_refreshes = 0;
};
