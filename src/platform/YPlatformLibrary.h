// YPlatformLibrary: a dynamic library loaded at run time (a shared object or a DLL), and
// the symbols it exports. Hosts use it to load a plug-in binary the way a DAW does.
//
// A default-constructed object holds no library until Open() succeeds. The library is
// released by Close() or the destructor; symbol addresses are invalid after that.
#pragma once

#include "foundation/YString.h"

class YPlatformLibrary {
public:
    YPlatformLibrary() noexcept = default;
    ~YPlatformLibrary() { Close(); }
    YPlatformLibrary(const YPlatformLibrary&) = delete;
    YPlatformLibrary& operator=(const YPlatformLibrary&) = delete;

    // Loads the library at path (a file path, or a bare system library name that the
    // system's search rules resolve). False on failure or if a library is open already;
    // ErrorText() then tells why, naming the path.
    bool Open(const YString& path);
    // Releases the library; nothing happens without one.
    void Close() noexcept;
    bool IsOpen() const noexcept { return m_handle != nullptr; }

    // The address of an exported function or variable; nullptr when the library does not
    // export it or none is open (ErrorText() then tells which symbol).
    void* Symbol(const char* name);

    // Typed form for functions: library.Function<int (*)(int)>("abs").
    template <typename FunctionPointer> FunctionPointer Function(const char* name) {
        return reinterpret_cast<FunctionPointer>(Symbol(name));
    }

    // What went wrong in the last failed Open() or Symbol(); empty after a success.
    const YString& ErrorText() const noexcept { return m_error; }

private:
    void* m_handle = nullptr;
    YString m_path;
    YString m_error;
};
