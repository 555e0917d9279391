// Allocation of the records behind the POSIX handles.
#pragma once

#include <new>

// Null when memory is short. Plain new rather than the nothrow form, so that the record
// is freed by the same allocator that made it when a program replaces operator new.
template <typename T> T* NewRecord() noexcept {
    try {
        return new T;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
