// While one lives on a thread, that thread does not call into the host: the plug-in's own
// threads (the preset-step thread) change settings, but hosts expect their notifications from
// their own threads, one at a time. What such a change means for the host (a new latency) is
// told at the host's next call from its own thread instead.
#pragma once

class YHostCallDeferral {
public:
    YHostCallDeferral() noexcept;
    ~YHostCallDeferral();
    YHostCallDeferral(const YHostCallDeferral&) = delete;
    YHostCallDeferral& operator=(const YHostCallDeferral&) = delete;

    // Whether the calling thread defers its host calls now.
    static bool Active() noexcept;
};
