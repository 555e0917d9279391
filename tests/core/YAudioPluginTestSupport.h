// What the tests of YAudioPlugin share: fake parameter adapters, a plug-in that doubles its input,
// a host that records what it is told, and a stereo block.
#pragma once

#include "core/PluginParameter.h"
#include "core/YAudioPlugin.h"
#include "foundation/YException.h"
#include "platform/YPlatformFloatingPoint.h"

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace YAudioPluginTestSupport {

// A block of host parameters with plain values; records what the plug-in asks of it.
class FakeAdapter : public YAudioPlugin::AutomationAdapter {
public:
    enum class Failure { kNone, kFramework, kForeign };

    FakeAdapter(std::string name, int32_t width, bool interpolable = false)
        : values(static_cast<size_t>(width), 0.0), holds(static_cast<size_t>(width), false),
          m_name(std::move(name)), m_interpolable(interpolable) {
        SetIndexCount(width);
    }

    void SetParameter(int32_t local, double value, bool silent) override {
        Fail();
        values.at(static_cast<size_t>(local)) = value;
        writes.push_back({local, value, silent});
    }
    double GetParameter(int32_t local) override {
        Fail();
        return values.at(static_cast<size_t>(local));
    }
    void GetParameterName(YString& out, int32_t local) override {
        Fail();
        out = YString::FromUTF8(m_name + std::to_string(local));
    }
    void GetParameterValueName(YString& out, int32_t local) override {
        Fail();
        out = YString::FromUTF8(std::to_string(values.at(static_cast<size_t>(local))));
    }
    void GetParameterValueNameFrom01(YString& out, int32_t, double value) override {
        Fail();
        out = YString::FromUTF8(std::to_string(value));
    }
    double ParseParameterValueName(int32_t local, const YString& text) override {
        Fail();
        return YAudioPluginAutomationAdapter::ParseParameterValueName(local, text);
    }
    void GetParameterUnitsName(YString& out, int32_t) override {
        Fail();
        out = "ms";
    }
    int32_t GetParameterType(int32_t) override {
        Fail();
        return 2;
    }
    double GetParameterDefaultValue(int32_t) override {
        Fail();
        return 0.25;
    }
    bool IsInterpolable(int32_t) override { return m_interpolable; }
    void SetHold(int32_t local, bool on) override { holds.at(static_cast<size_t>(local)) = on; }

    struct Write {
        int32_t local;
        double value;
        bool silent;
    };

    Failure failure = Failure::kNone;
    std::vector<double> values;
    std::vector<bool> holds;
    std::vector<Write> writes;

private:
    void Fail() {
        if (failure == Failure::kFramework) YRaise("Could not acquire mutex.");
        if (failure == Failure::kForeign) throw std::runtime_error("adapter broke");
    }

    std::string m_name;
    bool m_interpolable;
};

// Doubles its input, so processed audio is told apart from passed-through audio.
class FakePlugin : public YAudioPlugin {
public:
    void Process(float** inputs, float** outputs, int32_t frames) override {
        ++processCalls;
        subBlocks.push_back(frames);
        flushDuringProcess = YPlatformFlushDenormalsEnabled();
        if (watched != nullptr) watchedValues.push_back(watched->values[0]);
        if (watchedRecord != nullptr) recordValues.push_back(watchedRecord->EffectiveFloat());
        songPositions.push_back(HostSync().SongPosition);
        inputsSeen = inputs[0];
        for (int32_t slot = 0; slot < 2; ++slot) {
            if (inputs[slot] == nullptr || outputs[slot] == nullptr) continue;
            if (addsToOutput)
                for (int32_t i = 0; i < frames; ++i) outputs[slot][i] += 2.0f * inputs[slot][i];
            else
                for (int32_t i = 0; i < frames; ++i) outputs[slot][i] = 2.0f * inputs[slot][i];
        }
    }
    int32_t GetLatency() override { return latency; }
    bool AddsToOutput() override { return addsToOutput; }
    bool NeedsSeparateInputs() override { return separateInputs; }
    void ParametersChanged() override { ++parametersChanged; }
    void UpdateEditorControls(AutomationAdapter& adapter) override { refreshed.push_back(&adapter); }

    int32_t latency = 0;
    bool addsToOutput = false;
    bool separateInputs = false;
    int processCalls = 0;
    int parametersChanged = 0;
    bool flushDuringProcess = false;
    std::vector<int32_t> subBlocks;
    FakeAdapter* watched = nullptr;
    std::vector<double> watchedValues;
    PluginParameter* watchedRecord = nullptr;
    std::vector<double> recordValues;
    std::vector<double> songPositions;
    float* inputsSeen = nullptr;
    std::vector<YAudioPlugin::AutomationAdapter*> refreshed;
};

class FakeHost : public YAudioPluginAdapter {
public:
    void AutomateParameter(int32_t hostIndex, double value) override {
        automation.push_back({hostIndex, value});
    }
    void SendBypassAutomation(bool on) override { bypass.push_back(on); }
    void GenerateMIDIEvent(int32_t deltaFrames, const uint8_t bytes[4]) override {
        midi.push_back({deltaFrames, bytes[0], bytes[1], bytes[2]});
    }
    void ReportLatency() override { ++latencyReports; }
    bool ChangeEditorSize(int32_t, int32_t) override { return true; }

    struct Automation {
        int32_t index;
        double value;
    };
    std::vector<Automation> automation;
    std::vector<bool> bypass;
    std::vector<std::vector<int32_t>> midi;
    int latencyReports = 0;
};

// Stereo in, stereo out: a main bus on slots 0 and 1 with room for the eight slots per bus.
struct StereoBlock {
    explicit StereoBlock(int32_t frames, float outputFill = 7.0f)
        : inL(frames), inR(frames), outL(frames, outputFill), outR(frames, outputFill) {
        for (int32_t i = 0; i < frames; ++i) {
            inL[static_cast<size_t>(i)] = 1.0f + i;
            inR[static_cast<size_t>(i)] = -1.0f - i;
        }
        inputs[0] = inL.data();
        inputs[1] = inR.data();
        outputs[0] = outL.data();
        outputs[1] = outR.data();
    }
    std::vector<float> inL, inR, outL, outR;
    float* inputs[YAudioPlugin::kMaxSlots] = {};
    float* outputs[YAudioPlugin::kMaxSlots] = {};
};

inline FakeAdapter& Add(YAudioPlugin& plugin, const std::string& name, int32_t width, bool interpolable = false) {
    return static_cast<FakeAdapter&>(
        plugin.AddAutomationAdapter(std::make_unique<FakeAdapter>(name, width, interpolable)));
}

inline std::string Str(const YString& s) { return s.ToUTF8(); }

} // namespace YAudioPluginTestSupport
