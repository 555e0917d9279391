// YFormat: message patterns with numbered placeholders ("{0}", "{0;.1} dB", "{0;+.02}").
//
// A pattern is compiled once into a reference-counted object; arguments are then supplied
// in call order and inserted at their placeholder's position.
#pragma once

#include "foundation/YString.h"

#include <cstdint>
#include <vector>

class YFormat {
public:
    // Compiles the pattern; raises "Formatting string ends in an argument specification."
    explicit YFormat(const YString& pattern);
    YFormat(const YFormat& other) noexcept;
    YFormat& operator=(const YFormat& other) noexcept;
    ~YFormat();

    // Supply the next argument.
    YFormat& Arg(const YString& text);
    YFormat& Arg(double value);
    YFormat& Arg(int64_t value);
    YFormat& Arg(int value) { return Arg(static_cast<int64_t>(value)); }
    template <typename T> YFormat& operator<<(const T& value) { return Arg(value); }

    // The literal text with every supplied argument inserted.
    YString ToString() const;

    // Number of argument slots in use (highest placeholder index + 1).
    int SlotCount() const noexcept;

    // Reverse reading: walks text and pattern together; each placeholder captures the
    // matching part of the text (captures[index]). Returns the number of placeholders
    // captured before the first mismatch or the end of either string.
    static int Read(const YString& text, const YString& pattern, std::vector<YString>& captures);

    // Convenience: compile, supply every argument, render.
    template <typename... Args> static YString Text(const YString& pattern, const Args&... args) {
        YFormat f(pattern);
        (f.Arg(args), ...);
        return f.ToString();
    }

private:
    struct Compiled;
    void Detach();
    Compiled* m_compiled;
};
