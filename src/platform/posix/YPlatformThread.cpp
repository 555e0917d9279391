#include "platform/YPlatformThread.h"

#include "platform/posix/YPosixDeadline.h"
#include "platform/posix/YPosixRecord.h"

#include <atomic>
#include <cerrno>
#include <pthread.h>
#include <sched.h>

// "Created suspended" is a start gate: the thread starts at once and blocks until Resume()
// (or Close(), which lets it end without running the entry). The record is shared by the
// handle and the thread; whichever lets go of it last frees it.

namespace {
struct Thread {
    pthread_t id{};
    pthread_mutex_t mutex;
    pthread_cond_t changed;
    YPlatformThreadEntry entry = nullptr;
    void* argument = nullptr;
    bool resumed = false;   // gate opened
    bool cancelled = false; // gate opened by Close(): skip the entry
    bool finished = false;
    bool reaped = false; // joined or detached
    uint32_t exitCode = 0;
    int requestedPriority = YPlatformThread::kPriorityNormal;
    std::atomic<int> references{2};
};

Thread* Native(void* handle) { return static_cast<Thread*>(handle); }

void Unreference(Thread* t) {
    if (t->references.fetch_sub(1, std::memory_order_acq_rel) != 1) return;
    pthread_cond_destroy(&t->changed);
    pthread_mutex_destroy(&t->mutex);
    delete t;
}

void* Trampoline(void* argument) {
    Thread* t = static_cast<Thread*>(argument);
    pthread_mutex_lock(&t->mutex);
    while (!t->resumed) pthread_cond_wait(&t->changed, &t->mutex);
    const bool run = !t->cancelled;
    pthread_mutex_unlock(&t->mutex);

    const uint32_t code = run ? t->entry(t->argument) : 0;

    pthread_mutex_lock(&t->mutex);
    t->exitCode = code;
    t->finished = true;
    pthread_cond_broadcast(&t->changed);
    pthread_mutex_unlock(&t->mutex);
    Unreference(t);
    return nullptr;
}

struct Policy {
    int policy;
    int priority;
};

// The mapping documented in the header.
bool MapPriority(int priority, Policy& out) {
    switch (priority) {
    case YPlatformThread::kPriorityIdle:
        out = {SCHED_IDLE, 0};
        return true;
    case YPlatformThread::kPriorityLowest:
    case YPlatformThread::kPriorityBelowNormal:
        out = {SCHED_BATCH, 0};
        return true;
    case YPlatformThread::kPriorityNormal:
    case YPlatformThread::kPriorityAboveNormal:
        out = {SCHED_OTHER, 0};
        return true;
    case YPlatformThread::kPriorityHighest:
        out = {SCHED_FIFO, sched_get_priority_min(SCHED_FIFO)};
        return true;
    case YPlatformThread::kPriorityTimeCritical:
        out = {SCHED_FIFO, (sched_get_priority_min(SCHED_FIFO) + sched_get_priority_max(SCHED_FIFO)) / 2};
        return true;
    default:
        return false;
    }
}

bool Apply(pthread_t id, const Policy& p) {
    sched_param param{};
    param.sched_priority = p.priority;
    return pthread_setschedparam(id, p.policy, &param) == 0;
}
} // namespace

bool YPlatformThread::Create(YPlatformThreadEntry entry, void* argument) noexcept {
    if (m_handle || !entry) return false;
    Thread* t = NewRecord<Thread>();
    if (!t) return false;
    t->entry = entry;
    t->argument = argument;
    pthread_condattr_t condAttr;
    pthread_condattr_init(&condAttr);
    pthread_condattr_setclock(&condAttr, CLOCK_MONOTONIC);
    pthread_cond_init(&t->changed, &condAttr);
    pthread_condattr_destroy(&condAttr);
    pthread_mutex_init(&t->mutex, nullptr);
    // Like a Windows thread, a new thread starts at normal priority whatever its creator runs
    // at; should the system refuse that, it inherits the creator's class instead.
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setinheritsched(&attr, PTHREAD_EXPLICIT_SCHED);
    pthread_attr_setschedpolicy(&attr, SCHED_OTHER);
    sched_param normal{};
    pthread_attr_setschedparam(&attr, &normal);
    int rc = pthread_create(&t->id, &attr, &Trampoline, t);
    pthread_attr_destroy(&attr);
    if (rc == EPERM) rc = pthread_create(&t->id, nullptr, &Trampoline, t);
    if (rc != 0) {
        t->references.store(1);
        Unreference(t);
        return false;
    }
    m_handle = t;
    return true;
}

bool YPlatformThread::Resume() noexcept {
    if (!m_handle) return false;
    Thread* t = Native(m_handle);
    pthread_mutex_lock(&t->mutex);
    t->resumed = true;
    pthread_cond_broadcast(&t->changed);
    pthread_mutex_unlock(&t->mutex);
    return true;
}

bool YPlatformThread::SetPriority(int priority) noexcept {
    Policy wanted{};
    if (!m_handle || !MapPriority(priority, wanted)) return false;
    Thread* t = Native(m_handle);
    pthread_mutex_lock(&t->mutex);
    t->requestedPriority = priority;
    const bool finished = t->finished;
    pthread_mutex_unlock(&t->mutex);
    if (finished) return true;
    // Without privileges the real-time classes are refused, and so is leaving SCHED_IDLE
    // when the nice limit forbids it; the thread then keeps the best class it may have.
    if (!Apply(t->id, wanted) && wanted.policy != SCHED_OTHER) Apply(t->id, {SCHED_OTHER, 0});
    return true;
}

int YPlatformThread::Priority() const noexcept {
    if (!m_handle) return kPriorityNormal;
    Thread* t = Native(m_handle);
    pthread_mutex_lock(&t->mutex);
    const int requested = t->requestedPriority;
    pthread_mutex_unlock(&t->mutex);
    int policy = SCHED_OTHER;
    sched_param param{};
    if (pthread_getschedparam(t->id, &policy, &param) != 0) return requested;
    // Several values share a class: report the requested one when its class is in effect.
    Policy mapped{};
    MapPriority(requested, mapped);
    if (mapped.policy == policy) return requested;
    switch (policy) {
    case SCHED_IDLE:
        return kPriorityIdle;
    case SCHED_BATCH:
        return kPriorityBelowNormal;
    case SCHED_FIFO:
    case SCHED_RR:
        return kPriorityHighest;
    default:
        return kPriorityNormal;
    }
}

bool YPlatformThread::Wait(uint32_t timeoutMs) noexcept {
    if (!m_handle) return false;
    Thread* t = Native(m_handle);
    pthread_mutex_lock(&t->mutex);
    if (timeoutMs == kYPlatformWaitInfinite) {
        while (!t->finished) pthread_cond_wait(&t->changed, &t->mutex);
    } else if (timeoutMs != 0) {
        const timespec deadline = YPosixDeadline(CLOCK_MONOTONIC, timeoutMs);
        while (!t->finished) {
            if (pthread_cond_timedwait(&t->changed, &t->mutex, &deadline) == ETIMEDOUT) break;
        }
    }
    const bool finished = t->finished;
    // Reap the thread so that "ended" also means its stack is gone, as on Windows.
    const bool join = finished && !t->reaped;
    if (join) t->reaped = true;
    pthread_mutex_unlock(&t->mutex);
    if (join) pthread_join(t->id, nullptr);
    return finished;
}

bool YPlatformThread::ExitCode(uint32_t& code) const noexcept {
    if (!m_handle) return false;
    Thread* t = Native(m_handle);
    pthread_mutex_lock(&t->mutex);
    const bool finished = t->finished;
    if (finished) code = t->exitCode;
    pthread_mutex_unlock(&t->mutex);
    return finished;
}

bool YPlatformThread::IsCurrent() const noexcept {
    return m_handle && pthread_equal(Native(m_handle)->id, pthread_self());
}

void YPlatformThread::Close() noexcept {
    if (!m_handle) return;
    Thread* t = Native(m_handle);
    m_handle = nullptr;
    pthread_mutex_lock(&t->mutex);
    if (!t->resumed) {
        t->resumed = true;
        t->cancelled = true;
        pthread_cond_broadcast(&t->changed);
    }
    const bool detach = !t->reaped;
    t->reaped = true;
    pthread_mutex_unlock(&t->mutex);
    if (detach) pthread_detach(t->id);
    Unreference(t);
}
