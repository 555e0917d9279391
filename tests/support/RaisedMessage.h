// The message of the YException a call raises, for tests that expect one; "(nothing raised)"
// when it returns normally. Other exceptions pass through.
#pragma once

#include "foundation/YException.h"

#include <string>
#include <utility>

template <typename F> std::string RaisedMessage(F&& f) {
    try {
        std::forward<F>(f)();
    } catch (const YException& e) {
        return e.Message().ToUTF8();
    }
    return "(nothing raised)";
}
