// The processing thread feeds learned controllers and preset steps into the map's rings while
// the GUI side takes them. Run under ThreadSanitizer: no race may be reported, and nothing the
// ring accepted may be lost, repeated or reordered.
#include "core/YMIDIControllerMap.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

TEST(MIDIControllerMapThreading, LearnQueueDeliversInOrderWhileBothSidesRun) {
    YMIDIControllerMap map;
    map.SetLearning(true);
    constexpr int32_t kMessages = 20000;
    std::atomic<bool> done{false};
    std::vector<int32_t> taken;
    taken.reserve(kMessages);

    std::thread gui([&] {
        YMIDIControllerMap::Learned learned;
        for (;;) {
            const bool finished = done.load(std::memory_order_acquire);
            while (map.TakeLearned(learned)) taken.push_back((learned.Channel - 1) * 128 + learned.Controller);
            if (finished) break;
            std::this_thread::yield();
        }
    });
    for (int32_t i = 0; i < kMessages; ++i) {
        map.OnController(i / 128 % 16, i % 128, 0.5);
        if (i % 64 == 0) std::this_thread::yield();
    }
    done.store(true, std::memory_order_release);
    gui.join();

    ASSERT_FALSE(taken.empty());
    EXPECT_EQ(taken.size() + map.DroppedLearned(), static_cast<size_t>(kMessages));
    for (size_t k = 1; k < taken.size(); ++k) {
        // Each message i carries (i / 128 % 16) * 128 + i % 128, which grows by one per message
        // and wraps every 2048: what arrives is a subsequence in order.
        const int32_t step = (taken[k] - taken[k - 1] + 2048) % 2048;
        EXPECT_GT(step, 0) << k;
    }
}

TEST(MIDIControllerMapThreading, PresetStepsCrossFromTheProcessingThread) {
    YMIDIControllerMap map;
    map.PresetSwitch.Enabled = true;
    map.PresetSwitch.Controller = 64;
    constexpr int32_t kSwings = 5000;
    std::atomic<bool> done{false};
    int32_t sum = 0;
    int32_t count = 0;
    std::thread gui([&] {
        int32_t step = 0;
        for (;;) {
            const bool finished = done.load(std::memory_order_acquire);
            while (map.TakePresetStep(step)) {
                sum += step;
                ++count;
            }
            if (finished) break;
            std::this_thread::yield();
        }
    });
    for (int32_t i = 0; i < kSwings; ++i) {
        map.ApplyController(0, 64, 1.0);
        map.ApplyController(0, 64, 0.0);
        if (i % 4 == 0) std::this_thread::yield();
    }
    done.store(true, std::memory_order_release);
    gui.join();
    int32_t step = 0;
    while (map.TakePresetStep(step)) {
        sum += step;
        ++count;
    }
    EXPECT_GT(count, 0);
    // Every crossing queued exactly one step, taken or dropped by a full ring.
    EXPECT_EQ(count + static_cast<int32_t>(map.DroppedPresetSteps()), 2 * kSwings);
    if (map.DroppedPresetSteps() == 0) {
        EXPECT_EQ(sum, 0);
    }
}

} // namespace
