// A small VST 2.4 host for tests: loads the built plug-in binary through the platform layer,
// creates instances through its exported entry and talks to them through the AEffect record
// only, with a host callback that records what the plug-in asks for.
#pragma once

#include "entry/vst2/Vst2Abi.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace VstTestHost {

// The binary under test; set by main from --plugin=PATH or VORNIK_PLUGIN.
void SetPluginPath(const std::string& path);
const std::string& PluginPath();
// The loaded binary's export, or null (with a failure recorded) when it cannot be found.
void* Export(const char* name);

// What the host answers and what it saw. One host for the whole process: reset per test.
struct HostState {
    intptr_t Version = 2400;
    bool GiveTime = false;
    Vst2::VstTimeInfo Time{};
    int32_t LastTimeFilter = 0;
    int32_t IOChanged = 0;
    int32_t WantMidi = 0;
    intptr_t SizeWindowAnswer = 0;
    std::vector<std::pair<int32_t, float>> Automated;
    std::vector<Vst2::VstMidiEvent> MidiOut;
    // Called from inside audioMasterAutomate (echo tests): index, value.
    void (*OnAutomate)(Vst2::AEffect* effect, int32_t index, float value) = nullptr;
};
HostState& Host();
void ResetHost();
intptr_t HostCallback(Vst2::AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);

// One instance, closed by the destructor.
class Instance {
public:
    // Creates through VSTPluginMain; Effect() is null when the plug-in refused.
    explicit Instance(const char* entryName = "VSTPluginMain");
    ~Instance();
    Instance(const Instance&) = delete;
    Instance& operator=(const Instance&) = delete;

    Vst2::AEffect* Effect() const noexcept { return m_effect; }
    intptr_t Dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr, float opt = 0.0f);
    std::string Text(int32_t opcode, int32_t index = 0);
    int32_t CanDo(const char* text);
    // Index of the parameter whose name is name, -1 when none.
    int32_t FindParameter(const std::string& name);
    float Get(int32_t index);
    void Set(int32_t index, float value);
    // sample rate, block size, resume.
    void Start(float sampleRate = 44100.0f, int32_t blockSize = 512);
    std::vector<uint8_t> Chunk();
    intptr_t LoadChunk(const std::vector<uint8_t>& bytes);

    // Runs processReplacing over channel buffers (one per host channel; an empty vector
    // passes a null pointer).
    void Process(std::vector<std::vector<float>>& inputs, std::vector<std::vector<float>>& outputs, int32_t frames);

private:
    Vst2::AEffect* m_effect = nullptr;
};

// Fixture base: a fresh host and one instance, started at the default rate and block size.
class StartedInstanceTest : public testing::Test {
protected:
    void SetUp() override {
        ResetHost();
        m_instance = std::make_unique<Instance>();
        ASSERT_NE(m_instance->Effect(), nullptr);
        m_instance->Start();
    }
    Instance& Plugin() { return *m_instance; }

    std::unique_ptr<Instance> m_instance;
};

// A test signal: a sum of two sines with a little noise, channel c shifted in phase.
std::vector<float> Signal(int32_t frames, int32_t channel, double sampleRate = 44100.0);
bool AllFinite(const std::vector<float>& samples);
double Energy(const std::vector<float>& samples);

} // namespace VstTestHost
