// Helpers shared by the stream and XML tests.
#pragma once

#include "foundation/YException.h"
#include "foundation/YStream.h"
#include "support/ScratchFolder.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

// The message and code of the YException that f raises; a failure when it raises nothing.
// Joins texts by appending (GCC 12 warns falsely about literal + std::string at -O3).
template <typename... Parts> std::string Cat(const Parts&... parts) {
    std::string text;
    (text.append(parts), ...);
    return text;
}

struct RaisedError {
    std::string message;
    int32_t code = -1;
};

template <typename F> RaisedError Raised(F&& f) {
    try {
        f();
    } catch (const YException& e) {
        return {e.Message().ToUTF8(), e.ErrorCode()};
    }
    ADD_FAILURE() << "nothing was raised";
    return {};
}

