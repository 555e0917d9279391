#include "platform/YPlatformFileLock.h"

#include "platform/YPlatformTime.h"

#include <string>
#include <windows.h>

namespace {
// The whole file's possible range: the counter at its start is inside it, and readers that do
// not hold the lock never touch the file.
constexpr DWORD kRangeLow = 0xFFFFFFFFu;
constexpr DWORD kRangeHigh = 0x7FFFFFFFu;

HANDLE AsHandle(intptr_t handle) noexcept { return reinterpret_cast<HANDLE>(handle); }

bool TryLock(HANDLE file) noexcept {
    OVERLAPPED at{};
    return LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, kRangeLow, kRangeHigh, &at) !=
           FALSE;
}

void SetError(YString& target, DWORD code) noexcept {
    try {
        wchar_t* buffer = nullptr;
        const DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                                FORMAT_MESSAGE_IGNORE_INSERTS,
                                            nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
        std::u16string text;
        if (length > 0 && buffer) text.assign(buffer, buffer + length);
        if (buffer) LocalFree(buffer);
        while (!text.empty() && (text.back() == u'\n' || text.back() == u'\r' || text.back() == u' '))
            text.pop_back();
        target = text.empty() ? YString::FromUTF8("System error " + std::to_string(code) + ".")
                              : YString::FromUTF16(text);
    } catch (...) {
    }
}

bool Transfer(HANDLE file, void* bytes, DWORD size, bool write, DWORD& done) noexcept {
    OVERLAPPED at{}; // offset 0
    return write ? WriteFile(file, bytes, size, &done, &at) != FALSE : ReadFile(file, bytes, size, &done, &at) != FALSE;
}
} // namespace

YPlatformFileLock::Result YPlatformFileLock::Lock(const YString& path, uint32_t timeoutMs) noexcept {
    m_error = YString();
    if (IsLocked()) return Result::kFailed;
    HANDLE file = INVALID_HANDLE_VALUE;
    try {
        const std::u16string wide = path.ToUTF16();
        const std::wstring name(wide.begin(), wide.end());
        // Shared in every way: the lock, not the sharing mode, is what excludes.
        file = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    } catch (...) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    }
    if (file == INVALID_HANDLE_VALUE) {
        SetError(m_error, GetLastError());
        return Result::kFailed;
    }
    const uint32_t start = YPlatformTickCount();
    uint32_t pause = 1;
    for (;;) {
        if (TryLock(file)) {
            m_handle = reinterpret_cast<intptr_t>(file);
            return Result::kLocked;
        }
        const DWORD error = GetLastError();
        if (error != ERROR_LOCK_VIOLATION && error != ERROR_IO_PENDING) {
            CloseHandle(file);
            SetError(m_error, error);
            return Result::kFailed;
        }
        const uint32_t waited = YPlatformTickCount() - start;
        if (waited >= timeoutMs) break;
        YPlatformSleep(pause < timeoutMs - waited ? pause : timeoutMs - waited);
        if (pause < 16) pause *= 2;
    }
    CloseHandle(file);
    return Result::kTimedOut;
}

void YPlatformFileLock::Unlock() noexcept {
    if (!IsLocked()) return;
    HANDLE file = AsHandle(m_handle);
    OVERLAPPED at{};
    UnlockFileEx(file, 0, kRangeLow, kRangeHigh, &at);
    CloseHandle(file);
    m_handle = kNoHandle;
}

bool YPlatformFileLock::ReadCounter(uint64_t& value) noexcept {
    if (!IsLocked()) return false;
    unsigned char bytes[8] = {};
    DWORD done = 0;
    if (!Transfer(AsHandle(m_handle), bytes, sizeof bytes, false, done) && GetLastError() != ERROR_HANDLE_EOF)
        return false;
    // A new or shorter file counts as 0.
    value = 0;
    if (done == sizeof bytes)
        for (int i = 7; i >= 0; --i) value = value << 8 | bytes[i];
    return true;
}

bool YPlatformFileLock::WriteCounter(uint64_t value) noexcept {
    if (!IsLocked()) return false;
    unsigned char bytes[8];
    for (int i = 0; i < 8; ++i) bytes[i] = static_cast<unsigned char>(value >> (8 * i));
    DWORD done = 0;
    return Transfer(AsHandle(m_handle), bytes, sizeof bytes, true, done) && done == sizeof bytes;
}
