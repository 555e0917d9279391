#include "platform/YPlatformTime.h"

#include <windows.h>

uint32_t YPlatformTickCount() noexcept { return static_cast<uint32_t>(GetTickCount()); }

void YPlatformYieldProcessor() noexcept { SwitchToThread(); }

void YPlatformSleep(uint32_t milliseconds) noexcept { Sleep(milliseconds); }
