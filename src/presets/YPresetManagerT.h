// YPresetManagerT: the preset manager over one effect adapter (the product's plug-in class).
// The adapter must offer ApplySettings(YXMLItem&), SaveState, CurrentPresetIndex and
// SetCurrentPresetIndex, ActivePresetEdit, its three locks and its automation adapters.
#pragma once

#include "core/YConfigurationLock.h"
#include "foundation/YException.h"
#include "foundation/YMemoryStream.h"
#include "presets/YPresetManagerBase.h"
#include "presets/YPresetTransfer.h"

#include <cstdint>
#include <memory>
#include <vector>

template <typename Adapter> class YPresetManagerT : public YPresetManagerBase {
public:
    // The adapter outlives the manager.
    YPresetManagerT(Adapter& adapter, const YString& folder)
        : YPresetManagerBase(folder, adapter.ProductName()), m_adapter(adapter) {}

    Adapter& Plugin() noexcept { return m_adapter; }

protected:
    void ApplySettings(YXMLItem& settings) override { m_adapter.ApplySettings(settings); }

    void StoreCurrentSettings(YXMLItem& folder, const YString& name) override {
        YPresetTransfer::StorePreset(folder, name, m_adapter);
    }

    int32_t CurrentIndex() override {
        YScopedLock parameters(m_adapter.ParameterLock());
        return m_adapter.CurrentPresetIndex();
    }

    void SetCurrentIndex(int32_t index) override {
        YScopedLock parameters(m_adapter.ParameterLock());
        m_adapter.SetCurrentPresetIndex(index);
    }

    bool ActivePresetEdit() override {
        YScopedLock parameters(m_adapter.ParameterLock());
        return m_adapter.ActivePresetEdit();
    }

    std::unique_ptr<YConfigurationLock> LockPlugin() override {
        return std::make_unique<YConfigurationLock>(m_adapter);
    }

    void RandomizeParameters() override {
        const YConfigurationLock locks(m_adapter);
        for (int32_t n = 0; n < m_adapter.AutomationAdapterCount(); ++n)
            if (auto* adapter = m_adapter.GetAutomationAdapter(n)) adapter->Randomize(1.0);
        // Read back through the state, so that the effect takes the new values the way it
        // takes a preset's (one update, re-initialised where needed).
        std::vector<uint8_t> state;
        if (!m_adapter.SaveState(state)) YRaise("The plug-in could not save its settings.");
        YMemoryStream stream;
        stream.Attach(state.data(), static_cast<int32_t>(state.size()));
        YXMLDocument settings;
        settings.LoadCompressed(stream);
        m_adapter.ApplySettings(settings);
    }

    const YActivePresetCatalog* ActivePresets() override { return m_adapter.ActivePresets(); }

    // index -1 keeps the active preset in use.
    void SetActivePresetState(int32_t index, bool edit) override {
        YScopedLock parameters(m_adapter.ParameterLock());
        if (index >= 0) m_adapter.SetCurrentActivePreset(index);
        m_adapter.SetActivePresetEdit(edit);
    }

private:
    Adapter& m_adapter;
};
