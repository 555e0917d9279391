#include "entry/YLibrary.h"

#include "entry/YModule.h"
#include "foundation/YException.h"
#include "platform/YPlatformModule.h"
#if defined(_WIN32)
#include "gui/windows/win32/YWindowSystemMSWindows.h"
#endif

#include <atomic>

namespace {

YPlatformCPUFeatures g_cpuFeatures;
std::atomic<void*> g_instanceHandle{nullptr};
std::atomic<bool> g_detaching{false};

// Owned, but deliberately without a static destructor: the unload notification destroys it,
// and the order of that against the binary's static destructors differs between systems.
std::atomic<YModule*> g_module{nullptr};
std::atomic<YModule*> g_firstModule{nullptr};

void* g_ownSharedPointers[kSharedPointerCount] = {};
void* g_sharedPointers[kSharedPointerCount] = {};

YLock& LoaderListLock() {
    static YLock lock;
    return lock;
}

std::vector<void (*)()>& Loaders() {
    static std::vector<void (*)()> loaders;
    return loaders;
}

std::atomic<int32_t> g_resourceLoads{0};

} // namespace

const YPlatformCPUFeatures& YCPUFeatures() noexcept { return g_cpuFeatures; }

void* YLibraryInstanceHandle() noexcept { return g_instanceHandle.load(); }

bool YLibraryDetaching() noexcept { return g_detaching.load(); }

bool YLibraryAttach(void* instance) noexcept {
    try {
        g_cpuFeatures = YPlatformReadCPUFeatures();
        // The signal-processing kernels pick their code paths from g_cpuFeatures when they
        // are first used; nothing else needs setting up here.
        g_instanceHandle.store(instance);
        for (int32_t i = 0; i < kSharedPointerCount; ++i) g_sharedPointers[i] = g_ownSharedPointers[i];
        return true;
    } catch (...) {
        YPlatformShowFatalError(YString("Fatal exception occured. Please contact the developer."));
        return false;
    }
}

void YLibraryDetach() noexcept {
    g_detaching.store(true);
    YDestroyModuleInstance();
#if defined(_WIN32)
    // Registered with the first editor window; the class must not outlive the code it names.
    YWindowSystemMSWindows::UnregisterWindowClass();
#endif
}

YLock& YLibraryLock() {
    static YLock lock;
    return lock;
}

YModule* YModuleInstance() noexcept { return g_module.load(); }

YModule* YFirstModuleInstance() noexcept { return g_firstModule.load(); }

void YSetModuleInstance(std::unique_ptr<YModule> module) noexcept {
    YModule* expected = nullptr;
    g_firstModule.compare_exchange_strong(expected, module.get());
    delete g_module.exchange(module.release());
}

void YDestroyModuleInstance() noexcept {
    YGuard("YCreateModuleInstance", [] {
        std::unique_ptr<YModule> module(g_module.exchange(nullptr));
        module.reset();
    });
}

void YLoadGlobalResources() {
    std::vector<void (*)()> loaders;
    {
        const YScopedLock lock(LoaderListLock());
        loaders = Loaders();
    }
    for (void (*loader)() : loaders) loader();
    g_resourceLoads.fetch_add(1);
}

void YRegisterGlobalResourceLoader(void (*loader)()) {
    if (loader == nullptr) return;
    const YScopedLock lock(LoaderListLock());
    Loaders().push_back(loader);
}

int32_t YGlobalResourceLoadCount() noexcept { return g_resourceLoads.load(); }

std::vector<YString>& YDocumentationOutputPaths() {
    static std::vector<YString> paths;
    return paths;
}

void* const* YSharedPointers() noexcept { return g_sharedPointers; }

void YAdoptSharedPointers(void* const* pointers) noexcept {
    for (int32_t i = 0; i < kSharedPointerCount; ++i)
        g_sharedPointers[i] = pointers != nullptr ? pointers[i] : g_ownSharedPointers[i];
}
