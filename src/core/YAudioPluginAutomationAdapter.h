// The unit through which the plug-in publishes host parameters: one adapter serves a block of
// consecutive host indices and converts between normalised host values and its own state.
// The plug-in knows it as YAudioPlugin::AutomationAdapter.
#pragma once

#include "foundation/YObject.h"
#include "foundation/YString.h"

#include <atomic>
#include <cstdint>

class YAudioPlugin;

class YAudioPluginAutomationAdapter : public YObject {
public:
    YAudioPluginAutomationAdapter() = default;
    YAudioPluginAutomationAdapter(const YAudioPluginAutomationAdapter&) = delete;
    YAudioPluginAutomationAdapter& operator=(const YAudioPluginAutomationAdapter&) = delete;
    ~YAudioPluginAutomationAdapter() override;

    // The adapter interface; every index is local (host index minus FirstIndex()).
    virtual void SetParameter(int32_t local, double normalized, bool silent) = 0;
    // Forwards only a real change, so hosts that echo values back do not cause updates.
    virtual void SetParameterIfChanged(int32_t local, double normalized, bool silent);
    virtual double GetParameter(int32_t local);
    virtual void GetParameterName(YString& out, int32_t local);
    virtual void GetParameterShortName(YString& out, int32_t local);
    virtual void GetParameterFullLabel(YString& out, int32_t local);
    virtual void GetParameterValueName(YString& out, int32_t local);
    virtual void GetParameterValueNameFrom01(YString& out, int32_t local, double normalized);
    virtual double ParseParameterValueName(int32_t local, const YString& text);
    virtual void GetParameterUnitsName(YString& out, int32_t local);
    virtual bool IsInterpolable(int32_t local);
    virtual void SetHold(int32_t local, bool on);
    virtual int32_t GetParameterType(int32_t local);
    virtual double GetParameterDefaultValue(int32_t local);
    // Edit gestures: the editor's learn functions listen for them.
    virtual void BeginTouch(int32_t local);
    virtual void Touched(int32_t local);
    virtual bool IsRandomizable();
    virtual void Randomize(double amount, bool force = false);

    // Automation out through the plug-in (nothing happens while the adapter has no plug-in).
    void SendAutomation(int32_t local);
    void SendAutomationValue(int32_t local, double value);
    // Sends a nudged value first so that the host records a change even for its current value.
    void SendAutomationValueWithChange(int32_t local, double value);
    void SendAllAutomation();

    // Asks the plug-in to refresh this adapter's controls in the editor.
    void RequestEditorUpdate();
    // The plug-in's editor-update mark: Mark answers whether it was clear, Take clears it and
    // answers whether it was set. Safe from any thread.
    bool MarkEditorUpdatePending() noexcept { return !m_editorUpdatePending.exchange(true); }
    bool TakeEditorUpdatePending() noexcept { return m_editorUpdatePending.exchange(false); }
    bool IsEditorUpdatePending() const noexcept { return m_editorUpdatePending.load(); }

    int32_t IndexCount() const noexcept { return m_indexCount; }
    void SetIndexCount(int32_t count) noexcept { m_indexCount = count; }
    int32_t FirstIndex() const noexcept { return m_firstIndex; }
    void SetFirstIndex(int32_t index) noexcept { m_firstIndex = index; }
    bool IsEnabled() const noexcept { return m_enabled; }
    void SetEnabled(bool enabled) noexcept { m_enabled = enabled; }
    YAudioPlugin* Plugin() const noexcept { return m_plugin; }
    void SetPlugin(YAudioPlugin* plugin) noexcept { m_plugin = plugin; }
    const YString& BaseLabel() const noexcept { return m_baseLabel; }
    void SetBaseLabel(const YString& label) { m_baseLabel = label; }
    uint64_t OwnerTag() const noexcept { return m_ownerTag; }
    void SetOwnerTag(uint64_t tag) noexcept { m_ownerTag = tag; }

    // Two label parts joined as labels are everywhere: either one alone, or "a - b".
    static YString JoinLabels(const YString& first, const YString& second);

private:
    int32_t m_indexCount = 1;
    int32_t m_firstIndex = 0;
    bool m_enabled = true;
    YAudioPlugin* m_plugin = nullptr;
    YString m_baseLabel;
    uint64_t m_ownerTag = 0;
    std::atomic<bool> m_editorUpdatePending{false};
};
