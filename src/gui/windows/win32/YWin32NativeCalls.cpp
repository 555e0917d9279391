#include "gui/windows/win32/YWin32NativeCalls.h"

#include "foundation/YException.h"

#include <deque>

namespace {
struct Deferred {
    const void* owner;
    void (*work)(void*);
    void* context;
};
thread_local int t_depth = 0;
thread_local std::deque<Deferred>* t_deferred = nullptr;

std::deque<Deferred>& List() {
    if (t_deferred == nullptr) t_deferred = new std::deque<Deferred>();
    return *t_deferred;
}

void RunDeferred() {
    // One at a time: a piece of work may cancel or add others.
    while (t_deferred != nullptr && !t_deferred->empty()) {
        const Deferred next = t_deferred->front();
        t_deferred->pop_front();
        YGuard("YWin32NativeCalls::RunDeferred", [&] { next.work(next.context); });
    }
    delete t_deferred;
    t_deferred = nullptr;
}
} // namespace

namespace YWin32NativeCalls {

Scope::Scope() noexcept { ++t_depth; }

Scope::~Scope() {
    // The deferred work runs outside every window procedure: what it destroys goes at once.
    if (--t_depth == 0) RunDeferred();
}

bool Inside() noexcept { return t_depth > 0; }

void Defer(const void* owner, void (*work)(void*), void* context) {
    if (t_depth == 0) {
        work(context);
        return;
    }
    List().push_back(Deferred{owner, work, context});
}

void Cancel(const void* owner) noexcept {
    if (t_deferred == nullptr) return;
    std::erase_if(*t_deferred, [&](const Deferred& d) { return d.owner == owner; });
}

} // namespace YWin32NativeCalls
