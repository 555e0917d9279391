// A control that writes down what reaches it, for routing tests: each event as
// "id:code" (plus "+d" when the double flag is set), hover and focus changes, help requests.
#pragma once

#include "gui/toolkit/YContainer.h"
#include "gui/toolkit/YWindow.h"

#include <string>
#include <vector>

struct EventLog {
    std::vector<std::string> entries;
    void Add(std::string entry) { entries.push_back(std::move(entry)); }
    std::string Joined() const {
        std::string all;
        for (const std::string& e : entries) {
            if (!all.empty()) all += ' ';
            all += e;
        }
        return all;
    }
    void Clear() { entries.clear(); }
};

class RecordingControl : public YContainer {
public:
    RecordingControl(YControl* parent, const char* id, EventLog& log, YRect rect)
        : YContainer(parent, YString::FromUTF8(id)), m_name(id), m_log(log) {
        SetPosition(rect.left, rect.top);
        SetSize(rect.Width(), rect.Height());
    }

    // Event codes this control answers "handled" to (bit per code); all by default.
    uint64_t handles = ~uint64_t{0};
    // Codes whose preview stops the routing here.
    uint64_t previews = 0;
    // Hover changes are written down only when asked for (every press moves the hover too).
    bool logHover = false;

    bool HandleEvent(YSystemEvent& event) override {
        std::string entry = m_name + ":" + std::to_string(event.code);
        if (event.flags & YEventFlag::kDouble) entry += "+d";
        m_log.Add(entry);
        return (handles >> event.code) & 1;
    }
    bool EventPreview(YSystemEvent& event, YControl*) override {
        if (((previews >> event.code) & 1) == 0) return false;
        m_log.Add(m_name + ":preview" + std::to_string(event.code));
        return true;
    }
    void HoverChanged(bool hovered) override {
        if (logHover) m_log.Add(m_name + (hovered ? ":enter" : ":leave"));
    }
    void FocusGained() override { m_log.Add(m_name + ":focus"); }
    void FocusLost() override { m_log.Add(m_name + ":blur"); }
    void CaptureLost() override {
        YContainer::CaptureLost();
        m_log.Add(m_name + ":capturelost");
    }
    void Timer() override { m_log.Add(m_name + ":timer"); }

    const std::string& Name() const { return m_name; }

private:
    std::string m_name;
    EventLog& m_log;
};

constexpr uint64_t Bit(int32_t code) { return uint64_t{1} << code; }
