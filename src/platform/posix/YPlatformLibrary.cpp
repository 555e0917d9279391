#include "platform/YPlatformLibrary.h"

#include <dlfcn.h>
#include <string>

namespace {
// dlerror() returns the reason once and clears it; a null reason still gets a text.
YString SystemReason() {
    const char* reason = dlerror();
    return YString::FromUTF8(reason ? reason : "unknown reason");
}
} // namespace

bool YPlatformLibrary::Open(const YString& path) {
    if (m_handle) {
        m_error = YString::FromUTF8("Could not load \"" + path.ToUTF8() + "\": a library is open already (\"" +
                                    m_path.ToUTF8() + "\")");
        return false;
    }
    if (path.IsEmpty()) {
        m_error = YString::Literal("Could not load a library: no path given");
        return false;
    }
    dlerror();
    // RTLD_LOCAL keeps a plug-in's symbols from resolving another plug-in's, as hosts do.
    m_handle = dlopen(path.ToUTF8().c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!m_handle) {
        m_error = YString::FromUTF8("Could not load \"" + path.ToUTF8() + "\": " + SystemReason().ToUTF8());
        return false;
    }
    m_path = path;
    m_error = YString();
    return true;
}

void YPlatformLibrary::Close() noexcept {
    if (!m_handle) return;
    dlclose(m_handle);
    m_handle = nullptr;
}

void* YPlatformLibrary::Symbol(const char* name) {
    if (!m_handle) {
        m_error = YString::FromUTF8(std::string("Could not find \"") + name + "\": no library is open");
        return nullptr;
    }
    dlerror();
    void* address = dlsym(m_handle, name);
    // A symbol may legitimately be null; only dlerror() tells a missing one apart.
    const char* reason = dlerror();
    if (reason) {
        m_error = YString::FromUTF8(std::string("Could not find \"") + name + "\" in \"" + m_path.ToUTF8() +
                                    "\": " + reason);
        return nullptr;
    }
    m_error = YString();
    return address;
}
