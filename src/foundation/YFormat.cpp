#include "foundation/YFormat.h"

#include "foundation/YException.h"

#include <atomic>
#include <charconv>
#include <memory>

namespace {

using Char = YString::Char;

constexpr uint8_t kHexFlag = 1;
constexpr uint8_t kPlusFlag = 2;

struct Slot {
    int32_t position = -1; // in the literal text; -1 while no placeholder names the slot
    uint8_t flags = 0;
    uint8_t width = 0;
    Char pad = ' ';
    uint8_t precision = 4;
    uint8_t order = 0; // placeholders before this one at the same position
};

uint8_t ClampByte(int64_t v) noexcept { return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v)); }

// Reads an optional '-' and decimal digits at i and advances i past them (not past a lone
// '-'). Large values stop growing: every use clamps them far below the cap.
int64_t ReadNumber(const YString& s, int32_t& i) noexcept {
    const int32_t n = s.Length();
    int32_t k = i;
    const bool negative = k < n && s[k] == '-';
    if (negative) ++k;
    const int32_t first = k;
    int64_t value = 0;
    for (; k < n && s[k] >= '0' && s[k] <= '9'; ++k)
        if (value < 1000000000000000) value = value * 10 + (s[k] - '0');
    if (k == first) return 0;
    i = k;
    return negative ? -value : value;
}

[[noreturn]] void RaiseUnterminated() { YRaise("Formatting string ends in an argument specification."); }

// Parses a placeholder whose "{" is at pattern[i-1]; i moves past its "}". Returns the index.
int ParsePlaceholder(const YString& pattern, int32_t& i, Slot& slot) {
    const int32_t n = pattern.Length();
    const int64_t index = ReadNumber(pattern, i);
    slot = Slot();
    while (true) {
        if (i >= n) RaiseUnterminated();
        const Char c = pattern[i++];
        if (c == '}') break;
        switch (c) {
        case ' ':
        case '0':
            slot.pad = c;
            slot.width = ClampByte(ReadNumber(pattern, i));
            break;
        case '+':
            slot.flags |= kPlusFlag;
            break;
        case '.':
            slot.precision = ClampByte(ReadNumber(pattern, i));
            break;
        case 'x':
            slot.flags |= kHexFlag;
            break;
        default:
            break; // ';' and anything else
        }
    }
    if (index < 0 || index >= YFormat::kMaxSlots) YRaiseIndexOutOfRange();
    return static_cast<int>(index);
}

// Pads a text argument on the left to the slot's width.
YString PaddedText(const Slot& slot, const YString& text) {
    if (slot.width <= text.Length()) return text;
    YString out;
    out.Reserve(slot.width);
    for (int32_t k = text.Length(); k < slot.width; ++k) out.Append(slot.pad);
    out.Append(text);
    return out;
}

// Room for a padded number: the widest number text plus the widest padding and a sign.
constexpr int32_t kPieceChars = YString::kNumberChars + 256 + 1;

// Lays out sign, padding and digits (all ASCII) in out: zeros go between the sign and the
// digits, blanks before the sign. Returns the length.
int32_t PadNumber(const Slot& slot, char sign, const char* digits, int32_t digitCount,
                  char (&out)[kPieceChars]) {
    const int32_t bodyLength = digitCount + (sign ? 1 : 0);
    const int32_t padCount = slot.width > bodyLength ? slot.width - bodyLength : 0;
    const char pad = static_cast<char>(slot.pad);
    int32_t n = 0;
    if (pad != '0')
        for (int32_t k = 0; k < padCount; ++k) out[n++] = pad;
    if (sign) out[n++] = sign;
    if (pad == '0')
        for (int32_t k = 0; k < padCount; ++k) out[n++] = pad;
    for (int32_t k = 0; k < digitCount; ++k) out[n++] = digits[k];
    out[n] = 0;
    return n;
}

} // namespace

struct YFormat::Compiled {
    std::atomic<uint32_t> refs{1};
    Slot slots[kMaxSlots];
    YString text;
    int32_t slotCount = 0;
    int32_t next = 0;
};

YFormat::YFormat(const YString& pattern) {
    auto compiled = std::make_unique<Compiled>();
    // The literal text is never longer than the pattern: write it in place, trim at the end.
    YString& text = compiled->text;
    const int32_t n = pattern.Length();
    if (n == 0) {
        m_compiled = compiled.release();
        return;
    }
    text.Resize(n);
    Char* out = text.MutableData();
    int32_t length = 0;
    int32_t i = 0;
    while (i < n) {
        const Char c = pattern[i++];
        if (c == '}') {
            // "}" stands for the character after it, so "}}" is one "}".
            if (i < n) out[length++] = pattern[i++];
        } else if (c == '{') {
            if (i < n && pattern[i] == '{') {
                out[length++] = '{';
                ++i;
                continue;
            }
            Slot slot;
            const int index = ParsePlaceholder(pattern, i, slot);
            slot.position = length;
            uint8_t order = 0;
            for (int k = 0; k < kMaxSlots; ++k)
                if (k != index && compiled->slots[k].position == slot.position) ++order;
            slot.order = order;
            compiled->slots[index] = slot;
            if (index + 1 > compiled->slotCount) compiled->slotCount = index + 1;
        } else {
            out[length++] = c;
        }
    }
    text.Resize(length);
    m_compiled = compiled.release();
}

YFormat::YFormat(const YFormat& other) noexcept : m_compiled(other.m_compiled) {
    m_compiled->refs.fetch_add(1, std::memory_order_relaxed);
}

YFormat& YFormat::operator=(const YFormat& other) noexcept {
    if (m_compiled != other.m_compiled) {
        other.m_compiled->refs.fetch_add(1, std::memory_order_relaxed);
        Compiled* old = m_compiled;
        m_compiled = other.m_compiled;
        if (old->refs.fetch_sub(1, std::memory_order_acq_rel) == 1) delete old;
    }
    return *this;
}

YFormat::~YFormat() {
    if (m_compiled->refs.fetch_sub(1, std::memory_order_acq_rel) == 1) delete m_compiled;
}

void YFormat::Detach() {
    if (m_compiled->refs.load(std::memory_order_acquire) == 1) return;
    auto* copy = new Compiled;
    for (int k = 0; k < kMaxSlots; ++k) copy->slots[k] = m_compiled->slots[k];
    copy->text = m_compiled->text;
    copy->slotCount = m_compiled->slotCount;
    copy->next = m_compiled->next;
    if (m_compiled->refs.fetch_sub(1, std::memory_order_acq_rel) == 1) delete m_compiled;
    m_compiled = copy;
}

YFormat& YFormat::Insert(const YString& text, Kind kind, double value, int64_t integer) {
    Detach();
    Compiled& c = *m_compiled;
    const int32_t index = c.next++;
    // Arguments beyond the slots in use, and slots no placeholder names, leave no trace.
    if (index >= c.slotCount) return *this;
    const Slot& slot = c.slots[index];
    if (slot.position < 0) return *this;

    // Numbers are laid out on the stack; the text is built without any allocation of its own.
    char number[kPieceChars];
    YString piece;
    if (kind == Kind::kText) {
        piece = PaddedText(slot, text);
    } else {
        char digits[YString::kNumberChars];
        const char* start = digits;
        int32_t count = 0;
        bool negative = false;
        if (kind == Kind::kInteger) {
            // Print the magnitude unsigned: INT64_MIN has no positive int64_t.
            negative = integer < 0;
            const uint64_t magnitude =
                negative ? uint64_t{0} - static_cast<uint64_t>(integer) : uint64_t(integer);
            const auto result =
                std::to_chars(digits, digits + sizeof(digits), magnitude, (slot.flags & kHexFlag) ? 16 : 10);
            count = static_cast<int32_t>(result.ptr - digits);
            for (int32_t k = 0; k < count; ++k)
                if (digits[k] >= 'a' && digits[k] <= 'z')
                    digits[k] = static_cast<char>(digits[k] - 'a' + 'A');
        } else {
            count = YString::PrintDouble(digits, value, slot.precision);
            negative = count > 0 && digits[0] == '-';
            if (negative) ++start, --count;
        }
        const char sign = negative ? '-' : ((slot.flags & kPlusFlag) ? '+' : 0);
        PadNumber(slot, sign, start, count, number);
        // A view of the stack text is enough: Insert copies it before returning.
        piece = YString::Literal(number);
    }

    const int32_t at = slot.position;
    const uint8_t order = slot.order;
    const int32_t added = piece.Length();
    c.text.Insert(at, piece);
    for (int k = 0; k < c.slotCount; ++k) {
        if (k == index) continue;
        Slot& other = c.slots[k];
        if (other.position > at || (other.position == at && other.order > order)) other.position += added;
    }
    return *this;
}

YFormat& YFormat::Arg(const YString& text) { return Insert(text, Kind::kText, 0.0, 0); }
YFormat& YFormat::Arg(double value) { return Insert(YString(), Kind::kDouble, value, 0); }
YFormat& YFormat::Arg(int64_t value) { return Insert(YString(), Kind::kInteger, 0.0, value); }

YString YFormat::ToString() const { return m_compiled->text; }

int YFormat::SlotCount() const noexcept { return m_compiled->slotCount; }

namespace {

// The literal character a pattern element stands for, starting at i; i moves past it.
// Returns false for a placeholder (i is left on its "{") or at the end.
bool LiteralAt(const YString& pattern, int32_t& i, Char& out) {
    const int32_t n = pattern.Length();
    while (i < n) {
        const Char c = pattern[i];
        if (c == '{') {
            if (i + 1 < n && pattern[i + 1] == '{') {
                out = '{';
                i += 2;
                return true;
            }
            return false;
        }
        if (c == '}') {
            if (i + 1 >= n) {
                ++i; // a trailing "}" stands for nothing
                continue;
            }
            out = pattern[i + 1];
            i += 2;
            return true;
        }
        out = c;
        ++i;
        return true;
    }
    return false;
}

// The next literal character after any placeholders from i (without raising).
bool NextLiteral(const YString& pattern, int32_t i, Char& out) {
    const int32_t n = pattern.Length();
    while (i < n) {
        if (LiteralAt(pattern, i, out)) return true;
        if (i >= n) return false;
        // Skip a placeholder up to its "}".
        while (i < n && pattern[i] != '}') ++i;
        if (i >= n) return false;
        ++i;
    }
    return false;
}

} // namespace

int YFormat::Read(const YString& text, const YString& pattern, std::vector<YString>& captures) {
    captures.clear();
    int captured = 0;
    const int32_t tn = text.Length(), pn = pattern.Length();
    int32_t t = 0, p = 0;
    while (p < pn) {
        Char expected = 0;
        int32_t after = p;
        if (LiteralAt(pattern, after, expected)) {
            if (t >= tn) break;
            if (expected <= 32) {
                // A blank needs at least one blank in the text; runs are skipped on both sides.
                if (text[t] > 32) break;
                while (t < tn && text[t] <= 32) ++t;
                p = after;
                while (true) {
                    int32_t probe = p;
                    Char next = 0;
                    if (!LiteralAt(pattern, probe, next) || next > 32) break;
                    p = probe;
                }
            } else {
                if (text[t] != expected) break;
                ++t;
                p = after;
            }
            continue;
        }
        if (after >= pn) {
            p = pn;
            continue;
        }
        // A placeholder: it captures up to the text character matching the next literal.
        p = after + 1;
        Slot slot;
        const int index = ParsePlaceholder(pattern, p, slot);
        if (t >= tn) break;
        Char terminator = 0;
        int32_t end = tn;
        if (NextLiteral(pattern, p, terminator)) {
            end = t;
            while (end < tn && !(terminator <= 32 ? text[end] <= 32 : text[end] == terminator)) ++end;
        }
        if (static_cast<int32_t>(captures.size()) <= index) captures.resize(static_cast<size_t>(index) + 1);
        captures[static_cast<size_t>(index)] = text.Substring(t, end - t);
        ++captured;
        t = end;
    }
    return captured;
}
