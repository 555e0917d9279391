#include "platform/YPlatformThread.h"

#include <atomic>
#include <new>
#include <windows.h>

// The record is shared by the handle and the thread; whichever lets go of it last frees it.
// The thread reads it at its start, which may come after Close() has let go.

namespace {
struct Thread {
    HANDLE handle = nullptr;
    YPlatformThreadEntry entry = nullptr;
    void* argument = nullptr;
    bool resumed = false;               // touched by the handle's owner only
    std::atomic<bool> cancelled{false}; // set by Close() before the first resume
    std::atomic<int> references{2};
};

Thread* Native(void* handle) { return static_cast<Thread*>(handle); }

void Unreference(Thread* t) {
    if (t->references.fetch_sub(1, std::memory_order_acq_rel) == 1) delete t;
}

DWORD WINAPI Trampoline(LPVOID argument) {
    Thread* t = static_cast<Thread*>(argument);
    const uint32_t code = t->cancelled.load() ? 0 : t->entry(t->argument);
    Unreference(t);
    return code;
}

bool IsKnownPriority(int priority) {
    switch (priority) {
    case YPlatformThread::kPriorityIdle:
    case YPlatformThread::kPriorityLowest:
    case YPlatformThread::kPriorityBelowNormal:
    case YPlatformThread::kPriorityNormal:
    case YPlatformThread::kPriorityAboveNormal:
    case YPlatformThread::kPriorityHighest:
    case YPlatformThread::kPriorityTimeCritical:
        return true;
    default:
        return false;
    }
}
} // namespace

bool YPlatformThread::Create(YPlatformThreadEntry entry, void* argument) noexcept {
    if (m_handle || !entry) return false;
    Thread* t = nullptr;
    try {
        t = new Thread; // plain new: freed by the same allocator if operator new is replaced
    } catch (const std::bad_alloc&) {
        return false;
    }
    t->entry = entry;
    t->argument = argument;
    t->handle = CreateThread(nullptr, 0, &Trampoline, t, CREATE_SUSPENDED, nullptr);
    if (!t->handle) {
        delete t;
        return false;
    }
    m_handle = t;
    return true;
}

bool YPlatformThread::Resume() noexcept {
    if (!m_handle) return false;
    Thread* t = Native(m_handle);
    t->resumed = true;
    return ResumeThread(t->handle) != static_cast<DWORD>(-1);
}

bool YPlatformThread::SetPriority(int priority) noexcept {
    return m_handle && IsKnownPriority(priority) &&
           SetThreadPriority(Native(m_handle)->handle, priority) != FALSE;
}

int YPlatformThread::Priority() const noexcept {
    if (!m_handle) return kPriorityNormal;
    const int priority = GetThreadPriority(Native(m_handle)->handle);
    return priority == THREAD_PRIORITY_ERROR_RETURN ? kPriorityNormal : priority;
}

bool YPlatformThread::Wait(uint32_t timeoutMs) noexcept {
    return m_handle && WaitForSingleObject(Native(m_handle)->handle, timeoutMs) == WAIT_OBJECT_0;
}

bool YPlatformThread::ExitCode(uint32_t& code) const noexcept {
    if (!m_handle) return false;
    HANDLE h = Native(m_handle)->handle;
    // STILL_ACTIVE is also a possible exit code, so ask whether it ended first.
    DWORD value = 0;
    if (WaitForSingleObject(h, 0) != WAIT_OBJECT_0 || !GetExitCodeThread(h, &value)) return false;
    code = value;
    return true;
}

bool YPlatformThread::IsCurrent() const noexcept {
    return m_handle && GetThreadId(Native(m_handle)->handle) == GetCurrentThreadId();
}

void YPlatformThread::Close() noexcept {
    if (!m_handle) return;
    Thread* t = Native(m_handle);
    m_handle = nullptr;
    if (!t->resumed) {
        // A suspended thread would stay suspended forever: let it run to its end, skipping
        // the entry.
        t->cancelled.store(true);
        ResumeThread(t->handle);
    }
    CloseHandle(t->handle);
    Unreference(t);
}
