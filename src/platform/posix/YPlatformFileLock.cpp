#include "platform/YPlatformFileLock.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {
void SetError(YString& target, int error) noexcept {
    try {
        target = YString::FromUTF8(std::strerror(error));
    } catch (...) {
    }
}
} // namespace

intptr_t YPlatformFileLock::OpenFile(const YString& path, YString& error) noexcept {
    int fd = -1;
    try {
        fd = open(path.ToUTF8().c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    } catch (...) {
        errno = ENOMEM;
    }
    if (fd < 0) {
        SetError(error, errno);
        return kNoHandle;
    }
    return fd;
}

// flock locks belong to the open file description, so two descriptors of one process
// conflict, which is what two plug-in instances in one host need (fcntl record locks would
// let every thread of the process through).
YPlatformFileLock::Attempt YPlatformFileLock::TryLock(intptr_t handle, YString& error) noexcept {
    for (;;) {
        if (flock(static_cast<int>(handle), LOCK_EX | LOCK_NB) == 0) return Attempt::kLocked;
        const int code = errno;
        if (code == EINTR) continue;
        if (code == EWOULDBLOCK) return Attempt::kBusy;
        SetError(error, code);
        return Attempt::kFailed;
    }
}

void YPlatformFileLock::Release(intptr_t handle) noexcept {
    // Unlocking first matters when a forked child still shares the open file description.
    flock(static_cast<int>(handle), LOCK_UN);
    close(static_cast<int>(handle));
}

bool YPlatformFileLock::ReadHead(intptr_t handle, unsigned char* bytes, uint32_t size, uint32_t& done) noexcept {
    const ssize_t count = pread(static_cast<int>(handle), bytes, size, 0);
    if (count < 0) return false;
    done = static_cast<uint32_t>(count);
    return true;
}

bool YPlatformFileLock::WriteHead(intptr_t handle, const unsigned char* bytes, uint32_t size) noexcept {
    return pwrite(static_cast<int>(handle), bytes, size, 0) == static_cast<ssize_t>(size);
}
