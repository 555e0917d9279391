#include "core/YAudioPluginAutomationAdapter.h"

#include <atomic>
#include <cmath>

namespace {

std::atomic<YAudioPluginAutomationAdapter::AutomationOutFunction> g_automationOut{nullptr};

} // namespace

void YAudioPluginAutomationAdapter::SetAutomationOut(AutomationOutFunction function) noexcept {
    g_automationOut.store(function, std::memory_order_release);
}

YAudioPluginAutomationAdapter::AutomationOutFunction
YAudioPluginAutomationAdapter::GetAutomationOut() noexcept {
    return g_automationOut.load(std::memory_order_acquire);
}

YAudioPluginAutomationAdapter::~YAudioPluginAutomationAdapter() = default;

void YAudioPluginAutomationAdapter::SetParameterIfChanged(int32_t local, double normalized, bool silent) {
    if (std::fabs(normalized - GetParameter(local)) >= 1e-50) SetParameter(local, normalized, silent);
}

double YAudioPluginAutomationAdapter::GetParameter(int32_t) { return 0.0; }

void YAudioPluginAutomationAdapter::GetParameterName(YString& out, int32_t) { out = YString(); }

void YAudioPluginAutomationAdapter::GetParameterShortName(YString& out, int32_t local) {
    GetParameterName(out, local);
}

void YAudioPluginAutomationAdapter::GetParameterFullLabel(YString& out, int32_t) { out = m_baseLabel; }

void YAudioPluginAutomationAdapter::GetParameterValueName(YString& out, int32_t) { out = YString(); }

void YAudioPluginAutomationAdapter::GetParameterValueNameFrom01(YString& out, int32_t, double) {
    out = YString();
}

double YAudioPluginAutomationAdapter::ParseParameterValueName(int32_t, const YString& text) {
    return text.Trimmed().ToDouble();
}

void YAudioPluginAutomationAdapter::GetParameterUnitsName(YString& out, int32_t) { out = YString(); }

bool YAudioPluginAutomationAdapter::IsInterpolable(int32_t) { return false; }

void YAudioPluginAutomationAdapter::SetHold(int32_t, bool) {}

int32_t YAudioPluginAutomationAdapter::GetParameterType(int32_t) { return 1; }

double YAudioPluginAutomationAdapter::GetParameterDefaultValue(int32_t) { return 0.5; }

void YAudioPluginAutomationAdapter::BeginTouch(int32_t) {}

void YAudioPluginAutomationAdapter::Touched(int32_t) {}

bool YAudioPluginAutomationAdapter::IsRandomizable() { return true; }

void YAudioPluginAutomationAdapter::Randomize(double, bool) {}

void YAudioPluginAutomationAdapter::SendAutomation(int32_t local) {
    if (m_plugin == nullptr) return;
    SendAutomationValue(local, GetParameter(local));
}

void YAudioPluginAutomationAdapter::SendAutomationValue(int32_t local, double value) {
    if (m_plugin == nullptr) return;
    if (AutomationOutFunction out = GetAutomationOut()) out(m_plugin, m_firstIndex + local, value);
}

void YAudioPluginAutomationAdapter::SendAutomationValueWithChange(int32_t local, double value) {
    if (m_plugin == nullptr) return;
    SendAutomationValue(local, value <= 1e-10 ? value + 1e-10 : value - 1e-10);
    SendAutomationValue(local, value);
}

void YAudioPluginAutomationAdapter::SendAllAutomation() {
    for (int32_t i = 0; i < m_indexCount; ++i) SendAutomation(i);
}

YString YAudioPluginAutomationAdapter::JoinLabels(const YString& first, const YString& second) {
    if (first.IsEmpty()) return second;
    if (second.IsEmpty()) return first;
    return first + YString(" - ") + second;
}
