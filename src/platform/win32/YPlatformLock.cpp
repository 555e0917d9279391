#include "platform/YPlatformLock.h"

#include <windows.h>

static_assert(sizeof(CRITICAL_SECTION) <= 64 && alignof(CRITICAL_SECTION) <= 8,
              "YPlatformLock storage too small for CRITICAL_SECTION");

namespace {
CRITICAL_SECTION* Native(unsigned char* storage) { return reinterpret_cast<CRITICAL_SECTION*>(storage); }
} // namespace

YPlatformLock::YPlatformLock() noexcept { InitializeCriticalSection(Native(m_storage)); }

YPlatformLock::~YPlatformLock() { DeleteCriticalSection(Native(m_storage)); }

void YPlatformLock::Enter() noexcept { EnterCriticalSection(Native(m_storage)); }

bool YPlatformLock::TryEnter() noexcept { return TryEnterCriticalSection(Native(m_storage)) != FALSE; }

void YPlatformLock::Leave() noexcept { LeaveCriticalSection(Native(m_storage)); }
