// A real plug-in with a preset manager over a library in a scratch folder, questions answered
// by the test, and presets told apart by their Depth.
#pragma once

#include "PresetTestSupport.h"
#include "core/FrameTestSupport.h"
#include "core/StateTestSupport.h"
#include "core/YQuenlorAudioEffectPlugin.h"
#include "core/YUserQuestions.h"
#include "entry/VornikAudioEffectPluginInterface.h"
#include "presets/YPresetManagerT.h"
#include "presets/YPresetTransfer.h"

#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace presets_test {

// Answers every question with the answers set and records what was asked.
class ScriptedQuestions : public YUserQuestions {
public:
    bool Confirm(const YString& question) override {
        asked.push_back(question.ToUTF8());
        if (whileAsking) whileAsking();
        return confirm;
    }
    bool AskText(const YString& prompt, const YString& proposal, YString& answer) override {
        asked.push_back(prompt.ToUTF8());
        proposals.push_back(proposal.ToUTF8());
        if (!giveText) return false;
        answer = text.empty() ? proposal : YString::FromUTF8(text);
        return true;
    }
    void Tell(const YString& message) override { told.push_back(message.ToUTF8()); }

    // Runs while a question is open, as another instance would meanwhile.
    std::function<void()> whileAsking;
    bool confirm = true;
    bool giveText = true;
    std::string text; // empty: take the proposal
    std::vector<std::string> asked;
    std::vector<std::string> proposals;
    std::vector<std::string> told;
};

using Manager = YPresetManagerT<YQuenlorAudioEffectPlugin>;

class PresetManagerTest : public frametest::OwnConfigurationTest {
protected:
    PresetManagerTest() : frametest::OwnConfigurationTest("vornik-preset-manager-") {}

    void SetUp() override {
        frametest::OwnConfigurationTest::SetUp();
        plugin = YQuenlorAudioEffectPlugin::Create("Vornik", "Quenlor", VornikAudioEffectPluginInterface, 500, 100);
        ASSERT_NE(plugin, nullptr);
        depth = frametest::FindParameter(*plugin, "Depth");
        ASSERT_GE(depth, 0);
        manager = std::make_unique<Manager>(*plugin, scratch.Folder());
        manager->SetQuestions(&questions);
    }

    // Stores the plug-in's settings with Depth at the normalised value as a preset.
    YXMLItem& AddPreset(YXMLItem& folder, const std::string& name, double depthValue) {
        const double before = plugin->GetParameter(depth);
        plugin->SetParameter(depth, depthValue);
        YXMLItem& preset = YPresetTransfer::StorePreset(folder, YString::FromUTF8(name), *plugin);
        plugin->SetParameter(depth, before);
        return preset;
    }
    YXMLItem& Top() { return manager->Library().Tree().TopFolder(); }
    void SaveLibrary() { manager->Library().Save(); }

    // Five presets in tree order 0 ... 4, Depth 0.1 ... 0.5, spread over nested folders:
    // P0, A { P1, B { P2 }, P3 }, P4.
    void AddFivePresets() {
        AddPreset(Top(), "P0", 0.1);
        YXMLItem& a = YPresetTree::AddFolder(Top(), "A");
        AddPreset(a, "P1", 0.2);
        AddPreset(YPresetTree::AddFolder(a, "B"), "P2", 0.3);
        AddPreset(a, "P3", 0.4);
        AddPreset(Top(), "P4", 0.5);
        SaveLibrary();
    }
    static double DepthOfIndex(int32_t index) { return 0.1 * (index + 1); }

    // The library as a new manager reads it from disk.
    std::string OnDisk() {
        YPresetLibrary library(scratch.Folder(), "Vornik");
        library.Load();
        return Compact(library.Tree().Document());
    }

    ScratchFolder scratch;
    std::unique_ptr<YQuenlorAudioEffectPlugin> plugin;
    std::unique_ptr<Manager> manager;
    ScriptedQuestions questions;
    int32_t depth = -1;
};

} // namespace presets_test
