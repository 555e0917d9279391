#include "platform/YPlatformFileLock.h"

#include "platform/YPlatformTime.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {
// flock locks belong to the open file description, so two descriptors of one process
// conflict, which is what two plug-in instances in one host need (fcntl record locks would
// let every thread of the process through).
bool TryLock(int fd, int& error) noexcept {
    for (;;) {
        if (flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
        error = errno;
        if (error != EINTR) return false;
    }
}

void SetError(YString& target, int error) noexcept {
    try {
        target = YString::FromUTF8(std::strerror(error));
    } catch (...) {
    }
}
} // namespace

YPlatformFileLock::Result YPlatformFileLock::Lock(const YString& path, uint32_t timeoutMs) noexcept {
    m_error = YString();
    if (IsLocked()) return Result::kFailed;
    int fd = -1;
    try {
        fd = open(path.ToUTF8().c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    } catch (...) {
        errno = ENOMEM;
    }
    if (fd < 0) {
        SetError(m_error, errno);
        return Result::kFailed;
    }
    const uint32_t start = YPlatformTickCount();
    uint32_t pause = 1;
    for (;;) {
        int error = 0;
        if (TryLock(fd, error)) {
            m_handle = fd;
            return Result::kLocked;
        }
        if (error != EWOULDBLOCK) {
            close(fd);
            SetError(m_error, error);
            return Result::kFailed;
        }
        const uint32_t waited = YPlatformTickCount() - start;
        if (waited >= timeoutMs) break;
        YPlatformSleep(pause < timeoutMs - waited ? pause : timeoutMs - waited);
        if (pause < 16) pause *= 2;
    }
    close(fd);
    return Result::kTimedOut;
}

void YPlatformFileLock::Unlock() noexcept {
    if (!IsLocked()) return;
    const int fd = static_cast<int>(m_handle);
    flock(fd, LOCK_UN);
    close(fd);
    m_handle = kNoHandle;
}

bool YPlatformFileLock::ReadCounter(uint64_t& value) noexcept {
    if (!IsLocked()) return false;
    unsigned char bytes[8] = {};
    const ssize_t count = pread(static_cast<int>(m_handle), bytes, sizeof bytes, 0);
    if (count < 0) return false;
    // A new or shorter file counts as 0.
    value = 0;
    if (count == static_cast<ssize_t>(sizeof bytes))
        for (int i = 7; i >= 0; --i) value = value << 8 | bytes[i];
    return true;
}

bool YPlatformFileLock::WriteCounter(uint64_t value) noexcept {
    if (!IsLocked()) return false;
    unsigned char bytes[8];
    for (int i = 0; i < 8; ++i) bytes[i] = static_cast<unsigned char>(value >> (8 * i));
    return pwrite(static_cast<int>(m_handle), bytes, sizeof bytes, 0) == static_cast<ssize_t>(sizeof bytes);
}
