// YString: the one string type of the framework.
//
// Two storage forms share one small value object:
//  - a literal view: wraps a NUL-terminated 8-bit program literal, never allocates,
//    copying copies the pointer and length only;
//  - a shared buffer: 16-bit characters in a heap block laid out as
//    [capacity in bytes : u32][reference count : u32][chars ...][u16 NUL],
//    reference-counted atomically, copied before any change when shared.
// A block for N characters is N*2 + 8 bytes rounded up to the next power of two strictly
// above, so the terminating NUL always fits (4 characters: 32 bytes, not 16).
// Literal bytes widen one to one (Latin-1); program literals are meant to be ASCII, and
// UTF-8 text goes through FromUTF8.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>

class YString {
public:
    using Char = char16_t;

    // The empty literal view.
    YString() noexcept : m_rep{kEmpty, 0, kLiteralFlag} {}

    // Literal view of a program literal: no allocation.
    template <std::size_t N>
    YString(const char (&literal)[N]) noexcept // NOLINT(google-explicit-constructor)
        : m_rep{literal, static_cast<int32_t>(std::char_traits<char>::length(literal)), kLiteralFlag} {}
    // A writable char array is not a literal: its contents may change after wrapping.
    template <std::size_t N> YString(char (&)[N]) = delete;

    // Copies of 16-bit text (length -1: up to the terminating NUL).
    YString(const Char* text, int32_t length = -1);

    // Copies share: a literal view copies three fields, a buffer gains one reference.
    // Inline so that copying a literal costs no more than copying a pointer and a length.
    YString(const YString& other) noexcept : m_rep(other.m_rep) {
        if (!(other.m_rep.flags & kLiteralFlag)) AddRef();
    }
    YString(YString&& other) noexcept : m_rep(other.m_rep) { other.m_rep = Rep{kEmpty, 0, kLiteralFlag}; }
    YString& operator=(const YString& other) noexcept {
        // Taking the new reference first keeps self-assignment safe.
        const Rep rep = other.m_rep;
        if (!(rep.flags & kLiteralFlag)) other.AddRef();
        if (!(m_rep.flags & kLiteralFlag)) Release();
        m_rep = rep;
        return *this;
    }
    YString& operator=(YString&& other) noexcept {
        if (this != &other) {
            if (!(m_rep.flags & kLiteralFlag)) Release();
            m_rep = other.m_rep;
            other.m_rep = Rep{kEmpty, 0, kLiteralFlag};
        }
        return *this;
    }
    template <std::size_t N> YString& operator=(const char (&literal)[N]) noexcept {
        return *this = YString(literal);
    }
    ~YString() {
        if (!(m_rep.flags & kLiteralFlag)) Release();
    }

    // Wraps a NUL-terminated 8-bit text that lives as long as the program (no copy).
    static YString Literal(const char* text) noexcept;

    // Conversions from and to UTF-8 and UTF-16 (invalid UTF-8 sequences become U+FFFD).
    static YString FromUTF8(std::string_view utf8);
    static YString FromUTF16(std::u16string_view utf16);
    // Latin-1 / 8-bit text, each byte widened to one 16-bit unit.
    static YString FromLatin1(std::string_view text);
    std::string ToUTF8() const;
    std::u16string ToUTF16() const;

    int32_t Length() const noexcept { return m_rep.length; }
    bool IsEmpty() const noexcept { return m_rep.length == 0; }
    bool IsLiteral() const noexcept { return (m_rep.flags & kLiteralFlag) != 0; }

    // Character access; a literal view widens on read. No range check.
    Char operator[](int32_t index) const noexcept {
        return IsLiteral()
                   ? static_cast<Char>(static_cast<unsigned char>(static_cast<const char*>(m_rep.ptr)[index]))
                   : static_cast<const Char*>(m_rep.ptr)[index];
    }

    // Copy on write and the capacity rule: afterwards this string owns a buffer (count 1)
    // that holds at least n characters.
    void Reserve(int32_t n);
    // Writable characters after copy on write (Length() of them, NUL-terminated).
    Char* MutableData();
    // Sets the length (reserving as needed; new characters are zero).
    void Resize(int32_t n);

    YString& Append(const YString& text);
    YString& Append(Char c);
    YString& operator+=(const YString& text) { return Append(text); }
    YString& operator+=(Char c) { return Append(c); }
    friend YString operator+(const YString& a, const YString& b);

    // Insert text before index (clamped to 0..Length()).
    YString& Insert(int32_t index, const YString& text);

    // Substring from index with at most length characters (-1: to the end); clamped.
    YString Substring(int32_t index, int32_t length = -1) const;

    // Index of the first occurrence at or after start, or -1.
    int32_t Find(const YString& what, int32_t start = 0) const noexcept;
    int32_t Find(Char c, int32_t start = 0) const noexcept;

    // Lexicographic comparison by 16-bit unit: <0, 0, >0.
    int Compare(const YString& other) const noexcept;
    friend bool operator==(const YString& a, const YString& b) noexcept { return a.Compare(b) == 0; }
    friend bool operator!=(const YString& a, const YString& b) noexcept { return a.Compare(b) != 0; }
    friend bool operator<(const YString& a, const YString& b) noexcept { return a.Compare(b) < 0; }

    // Removes leading and trailing characters with codes up to 32.
    YString Trimmed() const;

    // Integer parsing: optional leading '-', then digits ('0'-'9', then letters of either
    // case for 10, 11, ...) whose value is below base (2..36); stops at the first other
    // character. consumed receives the number of characters read: "-1Fz" in base 16 gives
    // -31 with 3 consumed. Without any digit (or with a base outside 2..36) the result is 0
    // and nothing is consumed. Values beyond 64 bits saturate.
    int64_t ToInteger(int base = 10, int32_t* consumed = nullptr) const noexcept;
    // Floating-point parsing of a decimal number (C locale); consumed as above.
    double ToDouble(int32_t* consumed = nullptr) const noexcept { return ToDoubleAt(0, consumed); }
    // The same for the text from start on (clamped to the string), without copying it: lists
    // of numbers are read one after another in place.
    double ToDoubleAt(int32_t start, int32_t* consumed = nullptr) const noexcept;

    // Precision 0..9: fixed with that many decimals; 10 or more: general notation with that
    // many significant digits. Always a '.' decimal point, whatever the C locale says.
    // Integers print in base 2..36 with upper-case letters.
    static YString FromDouble(double value, int precision);
    static YString FromInteger(int64_t value, int base = 10);
    // The same into a caller's buffer, without allocating (for the audio thread); return the
    // number of characters written (no NUL).
    static constexpr int32_t kNumberChars = 400;
    static int32_t PrintDouble(char (&buffer)[kNumberChars], double value, int precision) noexcept;
    static int32_t PrintInteger(char (&buffer)[kNumberChars], int64_t value, int base = 10) noexcept;

    // Reference count of the shared buffer (0 for literal views); for tests.
    int32_t ShareCount() const noexcept;

private:
    static constexpr uint8_t kLiteralFlag = 1;
    static const char kEmpty[1];

    struct AdoptTag {};
    // Takes over a pointer as it is: a literal (flags = kLiteralFlag) or a buffer reference.
    YString(AdoptTag, const void* ptr, int32_t length, uint8_t flags) noexcept : m_rep{ptr, length, flags} {}

    // Reference counting of the buffer (only when !IsLiteral()). Release drops this string's
    // reference and leaves the fields for the caller to overwrite.
    void AddRef() const noexcept;
    void Release() noexcept;
    // The buffer's characters (only when !IsLiteral()).
    Char* Buffer() const noexcept { return static_cast<Char*>(const_cast<void*>(m_rep.ptr)); }
    // Copies count characters from index of src, widening a literal view.
    static void CopyChars(Char* dst, const YString& src, int32_t index, int32_t count) noexcept;

    // The three fields, kept in one block so that a copy moves them together.
    struct Rep {
        const void* ptr; // const char* (literal view) or Char* (first character of a buffer)
        int32_t length;
        uint8_t flags; // bit 0: literal view
    };
    Rep m_rep;
};

// Writes the text as UTF-8 in quotes; test frameworks find it to print failed comparisons.
void PrintTo(const YString& text, std::ostream* out);
