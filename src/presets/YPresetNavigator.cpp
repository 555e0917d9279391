#include "presets/YPresetNavigator.h"

#include "core/YAudioEffectPluginToAudioPluginAdapter.h"
#include "core/YHostCallDeferral.h"
#include "foundation/YException.h"

#include <utility>

YPresetNavigator::YPresetNavigator(YAudioEffectPluginToAudioPluginAdapter& plugin,
                                   std::unique_ptr<YPresetManagerBase> manager)
    : m_plugin(plugin), m_manager(std::move(manager)) {
    if (!m_manager) YRaise("The preset navigator needs a preset manager.");
    m_thread.SetPriority(YThread::kPriorityNormal);
    m_thread.Start();
}

YPresetNavigator::~YPresetNavigator() {
    // The flag first, then the wake-up: the loop sees the flag whenever it wakes.
    m_stopping.store(true, std::memory_order_release);
    m_signal.Unlock();
    m_thread.Stop();
}

void YPresetNavigator::PresetStepQueued() noexcept { m_signal.TryUnlock(); }

void YPresetNavigator::SetStepsOnEditorThread(bool on) noexcept {
    m_onEditorThread.store(on, std::memory_order_release);
    if (!on) m_signal.TryUnlock();
}

int32_t YPresetNavigator::RunQueuedSteps() { return RunSteps(false); }

int32_t YPresetNavigator::RunSteps(bool onThread) {
    YScopedLock consumer(m_consumerLock);
    int32_t taken = 0;
    int32_t step = 0;
    while (!m_stopping.load(std::memory_order_acquire) && m_plugin.TakePresetStep(step)) {
        ++taken;
        YGuard("YPresetNavigator::RunQueuedSteps", [&] { m_manager->StepPreset(step); });
        if (onThread) m_stepsOnThread.fetch_add(1, std::memory_order_acq_rel);
    }
    // Then what automated changes left for this side (a morph's corner extras).
    if (!m_stopping.load(std::memory_order_acquire))
        YGuard("YPresetNavigator::RunDeferredWork", [&] { m_plugin.RunDeferredWork(); });
    return taken;
}

int32_t YPresetNavigator::StepThread::Thread() {
    while (!m_owner.m_stopping.load(std::memory_order_acquire) && !IsStopRequested()) {
        if (!m_owner.StepsOnEditorThread()) {
            const YHostCallDeferral deferral; // the host hears of the loads from its own threads
            YGuard("YPresetNavigator::StepThread", [&] { m_owner.RunSteps(true); });
        }
        m_owner.m_signal.Lock(kPollMs);
    }
    return 0;
}
