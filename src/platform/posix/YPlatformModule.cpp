#include "platform/YPlatformModule.h"

#include "foundation/YString.h"

#include <cstdio>
#include <dlfcn.h>

void* YPlatformModuleHandleOf(const void* address) noexcept {
    Dl_info info{};
    if (address == nullptr || dladdr(address, &info) == 0) return nullptr;
    return info.dli_fbase;
}

void* YPlatformProcessModuleHandle() noexcept {
    // The program itself is never unloaded, so the reference this takes does no harm.
    return dlopen(nullptr, RTLD_LAZY | RTLD_NOLOAD);
}

void YPlatformShowFatalError(const YString& text) noexcept {
    try {
        std::fprintf(stderr, "%s\n", text.ToUTF8().c_str());
    } catch (...) {
    }
}
