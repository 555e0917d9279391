// The library's process-wide state: what it learned when the system mapped it, the library
// lock, the module instance, and the hooks a sibling module can hand over.
#pragma once

#include "foundation/YString.h"
#include "platform/YSynchronizer.h"
#include "platform/YPlatformCPU.h"

#include <cstdint>
#include <memory>
#include <vector>

class YModule;

// Filled when the library is mapped.
const YPlatformCPUFeatures& YCPUFeatures() noexcept;
// The library's own module handle; null until the library is mapped.
void* YLibraryInstanceHandle() noexcept;
// True once the system unmaps the library: code that would touch windows or threads then
// does nothing.
bool YLibraryDetaching() noexcept;

// What the system's load notification does: reads the CPU features and keeps the handle.
// An exception shows "Fatal exception occured. Please contact the developer." and fails.
bool YLibraryAttach(void* instance) noexcept;
// What the unload notification does: sets the detaching flag and destroys the module instance.
void YLibraryDetach() noexcept;

// Serialises creating and initialising the module instance. Created on first use.
YLock& YLibraryLock();

// The module instance, null until framework start-up or YLibraryDLLInitialize creates it.
YModule* YModuleInstance() noexcept;
// The first module instance ever created; a later one does not replace it.
YModule* YFirstModuleInstance() noexcept;
// Installs the module instance (the library lock held); remembers the first one.
void YSetModuleInstance(std::unique_ptr<YModule> module) noexcept;
// Destroys the module instance (guarded as "YCreateModuleInstance").
void YDestroyModuleInstance() noexcept;

// Loads the framework's global resources: runs every registered loader once per call.
void YLoadGlobalResources();
// Subsystems with global resources register their loader before the first plug-in exists.
void YRegisterGlobalResourceLoader(void (*loader)());
// How often the global resources were loaded in this process.
int32_t YGlobalResourceLoadCount() noexcept;

// Output files of the documentation generator.
std::vector<YString>& YDocumentationOutputPaths();

// The five opaque hooks a sibling module may hand over (this library's own by default).
constexpr int32_t kSharedPointerCount = 5;
void* const* YSharedPointers() noexcept;
void YAdoptSharedPointers(void* const* pointers) noexcept;
