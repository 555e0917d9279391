#include "VstTestHost.h"

#include "foundation/YString.h"
#include "platform/YPlatformLibrary.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>

namespace VstTestHost {

namespace {

std::string g_path;
HostState g_host;

YPlatformLibrary& Library() {
    static YPlatformLibrary library;
    if (!library.IsOpen() && !library.Open(YString::FromUTF8(g_path)))
        ADD_FAILURE() << library.ErrorText().ToUTF8();
    return library;
}

} // namespace

void SetPluginPath(const std::string& path) { g_path = path; }

const std::string& PluginPath() { return g_path; }

void* Export(const char* name) {
    void* symbol = Library().Symbol(name);
    if (symbol == nullptr) ADD_FAILURE() << Library().ErrorText().ToUTF8();
    return symbol;
}

HostState& Host() { return g_host; }

void ResetHost() { g_host = HostState{}; }

intptr_t HostCallback(Vst2::AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
    // Plug-ins call back from any thread (the threading tests drive several at once); the
    // record is shared, and the automation hook may call back into us.
    static std::recursive_mutex lock;
    const std::lock_guard<std::recursive_mutex> guard(lock);
    switch (opcode) {
    case Vst2::audioMasterVersion:
        return g_host.Version;
    case Vst2::audioMasterAutomate:
        g_host.Automated.emplace_back(index, opt);
        if (g_host.OnAutomate != nullptr) g_host.OnAutomate(effect, index, opt);
        return 0;
    case Vst2::audioMasterWantMidi:
        ++g_host.WantMidi;
        return 1;
    case Vst2::audioMasterGetTime:
        g_host.LastTimeFilter = static_cast<int32_t>(value);
        return g_host.GiveTime ? reinterpret_cast<intptr_t>(&g_host.Time) : 0;
    case Vst2::audioMasterIOChanged:
        ++g_host.IOChanged;
        return 1;
    case Vst2::audioMasterSizeWindow:
        return g_host.SizeWindowAnswer;
    case Vst2::audioMasterProcessEvents: {
        const auto* events = static_cast<const Vst2::VstEvents*>(ptr);
        for (int32_t i = 0; events != nullptr && i < events->numEvents; ++i) {
            Vst2::VstMidiEvent event{};
            std::memcpy(&event, events->events[i], sizeof event);
            g_host.MidiOut.push_back(event);
        }
        return 1;
    }
    default:
        (void)index;
        return 0;
    }
}

Instance::Instance(const char* entryName) {
    auto entry = reinterpret_cast<Vst2::PluginEntryProc>(Export(entryName));
    if (entry != nullptr) m_effect = entry(&HostCallback);
}

Instance::~Instance() {
    if (m_effect != nullptr) m_effect->dispatcher(m_effect, Vst2::effClose, 0, 0, nullptr, 0.0f);
}

intptr_t Instance::Dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
    return m_effect->dispatcher(m_effect, opcode, index, value, ptr, opt);
}

std::string Instance::Text(int32_t opcode, int32_t index) {
    char text[256];
    std::memset(text, 0x55, sizeof text);
    Dispatch(opcode, index, 0, text);
    text[sizeof text - 1] = 0;
    return text;
}

int32_t Instance::CanDo(const char* text) {
    std::string copy(text);
    return static_cast<int32_t>(Dispatch(Vst2::effCanDo, 0, 0, copy.data()));
}

int32_t Instance::FindParameter(const std::string& name) {
    for (int32_t i = 0; i < m_effect->numParams; ++i)
        if (Text(Vst2::effGetParamName, i) == name) return i;
    return -1;
}

float Instance::Get(int32_t index) { return m_effect->getParameter(m_effect, index); }

void Instance::Set(int32_t index, float value) { m_effect->setParameter(m_effect, index, value); }

void Instance::Start(float sampleRate, int32_t blockSize) {
    Dispatch(Vst2::effOpen);
    Dispatch(Vst2::effSetSampleRate, 0, 0, nullptr, sampleRate);
    Dispatch(Vst2::effSetBlockSize, 0, blockSize);
    Dispatch(Vst2::effMainsChanged, 0, 1);
}

std::vector<uint8_t> Instance::Chunk() {
    void* data = nullptr;
    const intptr_t size = Dispatch(Vst2::effGetChunk, 0, 0, &data);
    if (size <= 0 || data == nullptr) return {};
    const auto* bytes = static_cast<const uint8_t*>(data);
    return std::vector<uint8_t>(bytes, bytes + size);
}

intptr_t Instance::LoadChunk(const std::vector<uint8_t>& bytes) {
    std::vector<uint8_t> copy = bytes;
    return Dispatch(Vst2::effSetChunk, 0, static_cast<intptr_t>(copy.size()), copy.data());
}

void Instance::Process(std::vector<std::vector<float>>& inputs, std::vector<std::vector<float>>& outputs,
                       int32_t frames) {
    std::vector<float*> in(inputs.size() + 1, nullptr);
    std::vector<float*> out(outputs.size() + 1, nullptr);
    for (size_t c = 0; c < inputs.size(); ++c) in[c] = inputs[c].empty() ? nullptr : inputs[c].data();
    for (size_t c = 0; c < outputs.size(); ++c) out[c] = outputs[c].empty() ? nullptr : outputs[c].data();
    m_effect->processReplacing(m_effect, in.data(), out.data(), frames);
}

std::vector<float> Signal(int32_t frames, int32_t channel, double sampleRate) {
    std::vector<float> samples(static_cast<size_t>(frames));
    uint32_t noise = 12345u + static_cast<uint32_t>(channel) * 977u;
    const double pi = 3.14159265358979323846;
    for (int32_t i = 0; i < frames; ++i) {
        noise = noise * 1664525u + 1013904223u;
        const double t = i / sampleRate;
        samples[static_cast<size_t>(i)] =
            static_cast<float>(0.4 * std::sin(2 * pi * 220.0 * t + channel) + 0.2 * std::sin(2 * pi * 1375.0 * t) +
                               0.05 * (static_cast<double>(noise >> 8) / 16777216.0 - 0.5));
    }
    return samples;
}

bool AllFinite(const std::vector<float>& samples) {
    for (float s : samples)
        if (!std::isfinite(s)) return false;
    return true;
}

double Energy(const std::vector<float>& samples) {
    double sum = 0.0;
    for (float s : samples) sum += static_cast<double>(s) * s;
    return sum;
}

} // namespace VstTestHost

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    std::string path;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument.rfind("--plugin=", 0) == 0) path = argument.substr(9);
    }
    if (path.empty())
        if (const char* environment = std::getenv("VORNIK_PLUGIN")) path = environment;
    if (path.empty()) {
        std::fprintf(stderr, "usage: host_tests --plugin=PATH (or VORNIK_PLUGIN=PATH)\n");
        return 2;
    }
    VstTestHost::SetPluginPath(path);
    return RUN_ALL_TESTS();
}
