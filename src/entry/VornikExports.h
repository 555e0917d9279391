// The functions the plug-in binary exports (besides VornikAudioEffectPluginInterface).
#pragma once

#include "entry/vst2/Vst2Abi.h"
#include "platform/YExport.h"

#include <cstdint>

// What a sibling module built on the same framework hands over when it adopts this library.
struct YLibraryInitializeParameters {
    // Five opaque hooks.
    void* const* SharedPointers;
    // The lock that guards the framework's shared lists (a YLock); null keeps this library's.
    void* SharedLock;
    // The identity text of the adopting module (UTF-16, zero-terminated); may be null.
    const char16_t* Text;
};

// VST 2.4: the AEffect record of a new plug-in, or null. Also exported as "main".
Y_EXPORT Vst2::AEffect* VSTPluginMain(Vst2::HostCallback audioMaster);
// VST 3: the class factory (reference-counted), or null.
Y_EXPORT void* GetPluginFactory();
// Take nothing, do nothing, answer true.
Y_EXPORT bool InitDll();
Y_EXPORT bool ExitDll();
#if !defined(_WIN32)
// VST 3 hosts on Linux refuse a module without these two: called once after loading (with the
// library handle) and once before unloading. Start-up happens with the first plug-in, so both
// only answer true.
Y_EXPORT bool ModuleEntry(void* libraryHandle);
Y_EXPORT bool ModuleExit();
#endif
// Adopts this library: takes over the caller's hooks and lock, returns the module instance
// (created and initialised when there was none), or null on failure.
Y_EXPORT void* YLibraryDLLInitialize(const YLibraryInitializeParameters* parameters);
