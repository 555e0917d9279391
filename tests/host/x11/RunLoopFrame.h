// A Linux VST 3 host's plug-in frame with its run loop: the view registers descriptors and
// timers, and the host's GUI thread (the caller of Run) calls them back when a descriptor is
// readable or a timer is due. resizeView answers as a host does: it resizes the view through
// onSize. Handlers are held (addRef) while registered, as hosts hold them.
#pragma once

#include "entry/vst3/Vst3Abi.h"

#include <poll.h>

#include <algorithm>
#include <chrono>
#include <vector>

namespace Vst3Test {

class RunLoopFrame final : public Vst3::IPlugFrame, public Vst3::Linux::IRunLoop {
public:
    using Clock = std::chrono::steady_clock;

    // Without offerRunLoop the frame answers no IRunLoop, as a host without one would.
    explicit RunLoopFrame(bool offerRunLoop = true) : m_offerRunLoop(offerRunLoop) {}
    ~RunLoopFrame() {
        for (Handler& h : handlers) h.handler->release();
        for (Timer& t : timers) t.handler->release();
    }

    Vst3::tresult Y_VST3_CALL queryInterface(const Vst3::TUID iid, void** obj) override {
        if (Vst3::FUnknown::iid.Matches(iid) || Vst3::IPlugFrame::iid.Matches(iid)) {
            *obj = static_cast<Vst3::IPlugFrame*>(this);
        } else if (m_offerRunLoop && Vst3::Linux::IRunLoop::iid.Matches(iid)) {
            *obj = static_cast<Vst3::Linux::IRunLoop*>(this);
        } else {
            *obj = nullptr;
            return Vst3::kNoInterface;
        }
        ++references;
        return Vst3::kResultOk;
    }
    Vst3::uint32 Y_VST3_CALL addRef() override { return static_cast<Vst3::uint32>(++references); }
    Vst3::uint32 Y_VST3_CALL release() override { return static_cast<Vst3::uint32>(--references); }

    Vst3::tresult Y_VST3_CALL resizeView(Vst3::IPlugView* view, Vst3::ViewRect* rect) override {
        if (view == nullptr || rect == nullptr) return Vst3::kInvalidArgument;
        resizes.push_back(*rect);
        return view->onSize(rect);
    }

    Vst3::tresult Y_VST3_CALL registerEventHandler(Vst3::Linux::IEventHandler* handler,
                                                   Vst3::Linux::FileDescriptor fd) override {
        if (handler == nullptr || fd < 0) return Vst3::kInvalidArgument;
        handler->addRef();
        handlers.push_back({handler, fd});
        return Vst3::kResultOk;
    }
    Vst3::tresult Y_VST3_CALL unregisterEventHandler(Vst3::Linux::IEventHandler* handler) override {
        const auto end = std::remove_if(handlers.begin(), handlers.end(), [&](const Handler& h) {
            if (h.handler != handler) return false;
            h.handler->release();
            return true;
        });
        const bool found = end != handlers.end();
        handlers.erase(end, handlers.end());
        return found ? Vst3::kResultOk : Vst3::kInvalidArgument;
    }
    Vst3::tresult Y_VST3_CALL registerTimer(Vst3::Linux::ITimerHandler* handler,
                                            Vst3::Linux::TimerInterval milliseconds) override {
        if (handler == nullptr || milliseconds == 0) return Vst3::kInvalidArgument;
        handler->addRef();
        const auto interval = std::chrono::milliseconds(milliseconds);
        timers.push_back({handler, interval, Clock::now() + interval});
        return Vst3::kResultOk;
    }
    Vst3::tresult Y_VST3_CALL unregisterTimer(Vst3::Linux::ITimerHandler* handler) override {
        const auto end = std::remove_if(timers.begin(), timers.end(), [&](const Timer& t) {
            if (t.handler != handler) return false;
            t.handler->release();
            return true;
        });
        const bool found = end != timers.end();
        timers.erase(end, timers.end());
        return found ? Vst3::kResultOk : Vst3::kInvalidArgument;
    }

    // One turn of the host's loop: waits up to maxWaitMs for a registered descriptor or the next
    // timer, then calls what is ready. A callback may unregister anything, so each is looked
    // up again before it is called. Returns the number of callbacks made.
    int RunOnce(int maxWaitMs) {
        std::vector<pollfd> fds;
        for (const Handler& h : handlers) fds.push_back({h.fd, POLLIN, 0});
        int wait = maxWaitMs;
        const Clock::time_point now = Clock::now();
        for (const Timer& t : timers) {
            // Rounded up: a wait cut short of the expiry would only spin until it.
            const auto due = std::chrono::ceil<std::chrono::milliseconds>(t.next - now).count();
            wait = std::min(wait, static_cast<int>(std::max<long long>(due, 0)));
        }
        ::poll(fds.data(), fds.size(), wait);
        int calls = 0;
        for (const pollfd& p : fds) {
            if ((p.revents & (POLLIN | POLLHUP | POLLERR)) == 0) continue;
            for (const Handler& h : handlers) {
                if (h.fd != p.fd) continue;
                Vst3::Linux::IEventHandler* handler = h.handler;
                handler->onFDIsSet(p.fd);
                ++calls;
                break;
            }
        }
        const Clock::time_point after = Clock::now();
        std::vector<Vst3::Linux::ITimerHandler*> due;
        for (Timer& t : timers) {
            if (t.next > after) continue;
            t.next = after + t.interval;
            due.push_back(t.handler);
        }
        for (Vst3::Linux::ITimerHandler* handler : due) {
            if (std::none_of(timers.begin(), timers.end(), [&](const Timer& t) { return t.handler == handler; }))
                continue;
            handler->onTimer();
            ++calls;
        }
        return calls;
    }

    // Runs the loop for ms milliseconds.
    void Run(int ms) {
        const Clock::time_point end = Clock::now() + std::chrono::milliseconds(ms);
        while (Clock::now() < end) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
            RunOnce(static_cast<int>(std::max<long long>(left, 0)));
        }
    }

    struct Handler {
        Vst3::Linux::IEventHandler* handler;
        int fd;
    };
    struct Timer {
        Vst3::Linux::ITimerHandler* handler;
        std::chrono::milliseconds interval;
        Clock::time_point next;
    };
    std::vector<Handler> handlers;
    std::vector<Timer> timers;
    std::vector<Vst3::ViewRect> resizes;
    int references = 1;

private:
    bool m_offerRunLoop;
};

} // namespace Vst3Test
