// YPlatformLock: the operating system's re-entrant lock (a critical section on Windows,
// a recursive mutex elsewhere). The owning thread may enter it again; it must leave it as
// often as it entered. Neither copyable nor movable: the system object lives in place.
#pragma once

class YPlatformLock {
public:
    YPlatformLock() noexcept;
    ~YPlatformLock();
    YPlatformLock(const YPlatformLock&) = delete;
    YPlatformLock& operator=(const YPlatformLock&) = delete;

    // Waits without limit.
    void Enter() noexcept;
    // One attempt: false if another thread owns the lock.
    bool TryEnter() noexcept;
    // Only the owning thread may leave.
    void Leave() noexcept;

private:
    // Room for the system object, which the headers above the platform layer never see.
    alignas(8) unsigned char m_storage[64];
};
