// The loaded binary as the operating system knows it: module handles, the load and unload
// notifications, and the last-resort message for a failure while loading.
//
// The library defines YLibraryAttached and YLibraryDetached; one source file of the binary
// expands Y_DEFINE_LIBRARY_ENTRY, which lets the system call them when it maps the binary
// (DllMain on Windows, an ELF constructor and destructor elsewhere).
#pragma once

class YString;

// The handle of the binary that contains address (HMODULE on Windows, the load address
// elsewhere); null when no binary contains it.
void* YPlatformModuleHandleOf(const void* address) noexcept;
// The handle of the host process's own program.
void* YPlatformProcessModuleHandle() noexcept;
// Shows text with an exclamation mark (a message box on Windows, standard error elsewhere).
// For failures no other report can carry.
void YPlatformShowFatalError(const YString& text) noexcept;

// Called when the binary is mapped; instance is its module handle. False fails the load.
bool YLibraryAttached(void* instance) noexcept;
// Called when the binary is unmapped.
void YLibraryDetached() noexcept;

#if defined(_WIN32)
#define Y_DEFINE_LIBRARY_ENTRY                                                                   \
    extern "C" int __stdcall DllMain(void* instance, unsigned long reason, void* /*reserved*/) { \
        if (reason == 1 /* DLL_PROCESS_ATTACH */) return YLibraryAttached(instance) ? 1 : 0;     \
        if (reason == 0 /* DLL_PROCESS_DETACH */) YLibraryDetached();                            \
        return 1;                                                                                \
    }
#else
#define Y_DEFINE_LIBRARY_ENTRY                                                                   \
    __attribute__((constructor)) static void YLibraryConstructor() {                             \
        (void)YLibraryAttached(YPlatformModuleHandleOf(reinterpret_cast<const void*>(&YLibraryAttached))); \
    }                                                                                            \
    __attribute__((destructor)) static void YLibraryDestructor() { YLibraryDetached(); }
#endif
