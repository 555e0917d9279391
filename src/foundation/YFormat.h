// YFormat: message patterns with numbered placeholders ("{0}", "{0;.1} dB", "{0;+.02}").
//
// A pattern is compiled once into a reference-counted object; arguments are then supplied
// in call order and inserted at their placeholder's position.
//
// Pattern syntax: "{{" is a literal "{"; "}" stands for the character after it (so "}}" is
// "}"); "{n...}" is the placeholder of argument slot n (0..31), whose options follow the
// index up to the closing "}": " w" width w padded with blanks, "0w" width w padded with
// zeros, "+" explicit plus sign, ".p" precision p, "x" hexadecimal; ";" and anything else
// are skipped. A pattern ending inside a placeholder raises
// "Formatting string ends in an argument specification."; an index outside 0..31 raises
// "Index out of range.". Each index should be named once; if named again, the last wins.
//
// How an argument applies its slot's options:
//  - double: precision p (default 4) below 10 prints fixed with p decimals ("{0;.1}" with
//    -3.14159 gives "-3.1"); 10 or more prints general notation with p significant digits.
//    "x" is ignored.
//  - integer: decimal, or upper-case hexadecimal with "x"; precision is ignored. A negative
//    value prints as "-" and its magnitude in either base ("-1F").
//  - any number: "+" puts "+" before a value that is not negative.
//  - all arguments, text included: shorter than the width, the result is padded on the left
//    with the pad character; zeros go between the sign and the digits ("{0;+05}" with 7
//    gives "+0007"), blanks before the sign.
// Arguments fill slots 0, 1, 2 ... in call order; an argument for a slot that no placeholder
// names, or beyond the highest index, is dropped. Placeholders without an argument render
// as nothing.
#pragma once

#include "foundation/YString.h"

#include <concepts>
#include <cstdint>
#include <string_view>
#include <type_traits>
#include <vector>

class YFormat {
public:
    static constexpr int kMaxSlots = 32;

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
    // Every other integer type (unsigned, long, bool) prints as an integer; unsigned values
    // beyond INT64_MAX print as INT64_MAX. A char16_t is one character of text, a char one
    // Latin-1 character.
    template <std::integral T>
    requires(!std::same_as<T, int64_t> && !std::same_as<T, int>) YFormat& Arg(T value) {
        if constexpr (std::is_same_v<T, char16_t>)
            return Arg(YString(&value, 1));
        else if constexpr (std::is_same_v<T, char>)
            return Arg(YString::FromLatin1(std::string_view(&value, 1)));
        else if constexpr (std::is_unsigned_v<T> && sizeof(T) >= sizeof(int64_t))
            return Arg(static_cast<int64_t>(value > static_cast<T>(INT64_MAX) ? INT64_MAX : value));
        else
            return Arg(static_cast<int64_t>(value));
    }
    YFormat& Arg(float value) { return Arg(static_cast<double>(value)); }
    template <typename T> YFormat& operator<<(const T& value) { return Arg(value); }

    // The literal text with every supplied argument inserted.
    YString ToString() const;

    // Number of argument slots in use (highest placeholder index + 1).
    int SlotCount() const noexcept;

    // Reverse reading: walks text and pattern together. A pattern character above code 32
    // must equal the text's; a pattern blank (code 32 or less) needs at least one blank in
    // the text, and runs of blanks are skipped on both sides. A placeholder captures the text
    // up to the first character that matches the next literal pattern character (any blank
    // for a blank; the rest of the text when no literal follows), so of two adjacent
    // placeholders the second captures nothing. captures[index] receives each capture
    // (captures is cleared first and sized to the highest index read). Returns the number of
    // placeholders captured before the first mismatch or the end of either string; the text
    // ending before a placeholder ends the reading without a capture. Raises like the
    // constructor for a placeholder that is cut off or out of range.
    static int Read(const YString& text, const YString& pattern, std::vector<YString>& captures);

    // Convenience: compile, supply every argument, render.
    template <typename... Args> static YString Text(const YString& pattern, const Args&... args) {
        YFormat f(pattern);
        (f.Arg(args), ...);
        return f.ToString();
    }

private:
    struct Compiled;
    enum class Kind { kText, kDouble, kInteger };
    // Copy on write: a compiled pattern shared with another YFormat is copied before a change.
    void Detach();
    YFormat& Insert(const YString& text, Kind kind, double value, int64_t integer);
    Compiled* m_compiled;
};
