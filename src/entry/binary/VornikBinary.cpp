// What only the plug-in binary carries: the system's load and unload notifications and the
// entry under the name "main". Test programs link the rest of the entry layer and keep their
// own main.
#include "entry/VornikExports.h"
#include "entry/YLibrary.h"
#include "platform/YPlatformModule.h"

Y_DEFINE_LIBRARY_ENTRY

bool YLibraryAttached(void* instance) noexcept { return YLibraryAttach(instance); }

void YLibraryDetached() noexcept { YLibraryDetach(); }

// "main" is the name older hosts look for. A C++ function cannot be called main, so the
// exported symbol takes that name from the assembler.
Y_EXPORT Vst2::AEffect* VSTPluginMainLegacy(Vst2::HostCallback audioMaster) __asm__("main");
Y_EXPORT Vst2::AEffect* VSTPluginMainLegacy(Vst2::HostCallback audioMaster) { return VSTPluginMain(audioMaster); }
