#include "platform/YPlatformFileLock.h"

#include <string>
#include <windows.h>

namespace {
// The whole file's possible range: the counter at its start is inside it, and readers that do
// not hold the lock never touch the file.
constexpr DWORD kRangeLow = 0xFFFFFFFFu;
constexpr DWORD kRangeHigh = 0x7FFFFFFFu;

HANDLE AsHandle(intptr_t handle) noexcept { return reinterpret_cast<HANDLE>(handle); }

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
} // namespace

intptr_t YPlatformFileLock::OpenFile(const YString& path, YString& error) noexcept {
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
        SetError(error, GetLastError());
        return kNoHandle;
    }
    return reinterpret_cast<intptr_t>(file);
}

YPlatformFileLock::Attempt YPlatformFileLock::TryLock(intptr_t handle, YString& error) noexcept {
    OVERLAPPED at{};
    if (LockFileEx(AsHandle(handle), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, kRangeLow, kRangeHigh,
                   &at) != FALSE)
        return Attempt::kLocked;
    const DWORD code = GetLastError();
    if (code == ERROR_LOCK_VIOLATION || code == ERROR_IO_PENDING) return Attempt::kBusy;
    SetError(error, code);
    return Attempt::kFailed;
}

void YPlatformFileLock::Release(intptr_t handle) noexcept {
    OVERLAPPED at{};
    UnlockFileEx(AsHandle(handle), 0, kRangeLow, kRangeHigh, &at); // fails harmlessly when not locked
    CloseHandle(AsHandle(handle));
}

bool YPlatformFileLock::ReadHead(intptr_t handle, unsigned char* bytes, uint32_t size, uint32_t& done) noexcept {
    OVERLAPPED at{}; // offset 0
    DWORD count = 0;
    if (ReadFile(AsHandle(handle), bytes, size, &count, &at) == FALSE && GetLastError() != ERROR_HANDLE_EOF)
        return false;
    done = count;
    return true;
}

bool YPlatformFileLock::WriteHead(intptr_t handle, const unsigned char* bytes, uint32_t size) noexcept {
    OVERLAPPED at{}; // offset 0
    DWORD count = 0;
    return WriteFile(AsHandle(handle), bytes, size, &count, &at) != FALSE && count == size;
}
