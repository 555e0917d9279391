// A window listener that paints a fixed pattern (left half one colour, right half another) and
// records what the window system tells it, for the native window tests of both systems.
#pragma once

#include "gui/windows/YPlatformWindow.h"

#include <cstddef>

#include <atomic>
#include <vector>

class RecordingListener : public YPlatformWindowListener {
public:
    static constexpr uint32_t kLeftColour = 0xFFC02010u;  // alpha, red, green, blue from the top byte
    static constexpr uint32_t kRightColour = 0xFF1040E0u;

    void OnNativePaint(const YRect& dirty) override {
        ++paints;
        lastDirty = dirty;
        const YSize size = window->ClientSize();
        paintedSize = size;
        bitmap.assign(static_cast<size_t>(size.x) * static_cast<size_t>(size.y), 0);
        for (int32_t y = 0; y < size.y; ++y)
            for (int32_t x = 0; x < size.x; ++x)
                bitmap[static_cast<size_t>(y) * static_cast<size_t>(size.x) + static_cast<size_t>(x)] =
                    x < size.x / 2 ? kLeftColour : kRightColour;
        window->Present(dirty, bitmap.data(), size.x, size.y);
    }
    void OnNativeSize(int32_t width, int32_t height) override { sizes.push_back({width, height}); }
    bool OnNativeEvent(const YSystemEvent& event) override {
        if (YEventCode::IsKeyboard(event.code)) {
            keys.push_back(event);
            return true;
        }
        if (event.code != YEventCode::kMouseMove) mouse.push_back(event);
        return YEventCode::IsDoubleClick(event.code) ? takeDoubleClicks : true;
    }
    void OnNativeFocus(bool gained) override { focus.push_back(gained); }
    void OnNativeTimer(uintptr_t id) override { timers.push_back(id); }
    void OnNativeCaptureLost() override { ++captureLost; }
    void OnNativeClose() override { ++closes; }
    void OnNativeMessage(uint32_t message) override { messages.push_back(message); }

    // Mouse events without moves, of one code.
    std::vector<YSystemEvent> Mouse(int32_t code) const {
        std::vector<YSystemEvent> found;
        for (const YSystemEvent& event : mouse)
            if (event.code == code) found.push_back(event);
        return found;
    }

    YPlatformWindow* window = nullptr; // set by the test once the window exists
    std::vector<uint32_t> bitmap;
    bool takeDoubleClicks = true;
    int paints = 0;
    YRect lastDirty;
    YSize paintedSize;
    std::vector<YSize> sizes;
    std::vector<YSystemEvent> mouse;
    std::vector<YSystemEvent> keys;
    std::vector<bool> focus;
    std::vector<uintptr_t> timers;
    int captureLost = 0;
    int closes = 0;
    std::vector<uint32_t> messages;
};
