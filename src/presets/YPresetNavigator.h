// YPresetNavigator: a plug-in's preset manager together with the framework thread that carries
// out the preset steps the audio thread queues (preset triggers, the MIDI preset switch).
// Steps run on that thread while no editor is open, and on the editor's thread while one is:
// the editor flips SetStepsOnEditorThread when it opens and closes and calls RunQueuedSteps
// from its timer in between. Either way a step never runs on the audio thread, and the audio
// thread only queues it and wakes this thread without waiting for anything.
//
// The frame owns the navigator (YPresetNavigation); its destructor stops the thread before
// the plug-in goes.
#pragma once

#include "core/YPresetNavigation.h"
#include "platform/YSynchronizer.h"
#include "platform/YThread.h"
#include "presets/YPresetManagerBase.h"

#include <atomic>
#include <cstdint>
#include <memory>

class YAudioEffectPluginToAudioPluginAdapter;

class YPresetNavigator final : public YPresetNavigation {
public:
    // How long the thread sleeps at most between looks at the queue: a wake-up the audio
    // thread could not give at once (the semaphore was busy that moment) waits this long.
    static constexpr uint32_t kPollMs = 100;

    // Starts the thread. The plug-in outlives the navigator; the manager serves that plug-in.
    YPresetNavigator(YAudioEffectPluginToAudioPluginAdapter& plugin, std::unique_ptr<YPresetManagerBase> manager);
    ~YPresetNavigator() override;

    YPresetManagerBase& Manager() noexcept { return *m_manager; }

    void PresetStepQueued() noexcept override;

    // The hand-over switch: on while an editor is open (its thread runs the steps), off
    // otherwise (the framework thread runs them). Switching off wakes the thread for steps
    // that arrived meanwhile.
    void SetStepsOnEditorThread(bool on) noexcept;
    bool StepsOnEditorThread() const noexcept { return m_onEditorThread.load(std::memory_order_acquire); }

    // Carries out every queued step in arrival order and answers how many it took, then the
    // plug-in's deferred work (an automated morph's corner extras). A step that fails is
    // reported through the error hook and the next one runs. One caller at a time: others
    // wait. Never call it on the audio thread.
    int32_t RunQueuedSteps();

    // Steps the framework thread has taken from the queue and run since creation.
    uint32_t StepsRunOnThread() const noexcept { return m_stepsOnThread.load(std::memory_order_acquire); }

private:
    class StepThread : public YThread {
    public:
        explicit StepThread(YPresetNavigator& owner) : m_owner(owner) {}
        ~StepThread() override { Stop(); }

    protected:
        int32_t Thread() override;

    private:
        YPresetNavigator& m_owner;
    };

    int32_t RunSteps(bool onThread);

    YAudioEffectPluginToAudioPluginAdapter& m_plugin;
    std::unique_ptr<YPresetManagerBase> m_manager;
    YLock m_consumerLock; // one taker of the frame's queue at a time
    YSemaphore m_signal{0, 1};
    std::atomic<bool> m_onEditorThread{false};
    std::atomic<bool> m_stopping{false};
    std::atomic<uint32_t> m_stepsOnThread{0};
    StepThread m_thread{*this};
};
