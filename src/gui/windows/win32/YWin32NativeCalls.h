// How deep the GUI thread is in this module's window procedures, and work that waits until the
// outermost one returns: a host may close the editor from inside one of its own messages, and
// the objects that message still uses go only afterwards. Per thread; GUI thread only.
#pragma once

namespace YWin32NativeCalls {

// Counts one window-procedure call for its lifetime; the outermost one runs the deferred work
// when it ends.
class Scope {
public:
    Scope() noexcept;
    ~Scope();
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;
};

bool Inside() noexcept;
// Runs work(context) once no window procedure of this thread is running (at once when none is).
void Defer(const void* owner, void (*work)(void*), void* context);
// Drops the deferred work of owner.
void Cancel(const void* owner) noexcept;

} // namespace YWin32NativeCalls
