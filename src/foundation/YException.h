// YException and the guard that keeps every exception away from the host.
#pragma once

#include "foundation/YFormat.h"
#include "foundation/YString.h"

#include <cstdint>
#include <exception>
#include <utility>

class YException {
public:
    enum Code : int32_t { kGeneral = 0, kNotImplemented = 1, kInvalidSeekOrigin = 2 };

    explicit YException(YString message, int32_t code = kGeneral, YString caption = YString()) noexcept
        : m_caption(std::move(caption)), m_message(std::move(message)), m_code(code) {}
    virtual ~YException();

    const YString& Caption() const noexcept { return m_caption; }
    const YString& Message() const noexcept { return m_message; }
    int32_t ErrorCode() const noexcept { return m_code; }

private:
    YString m_caption;
    YString m_message;
    int32_t m_code;
};

// Raise a YException with a message and code.
[[noreturn]] void YRaise(const YString& message, int32_t code = YException::kGeneral);

// Raise with a formatted message: YRaiseFormat(code, "File \"{0}\" ...", name).
template <typename... Args>
[[noreturn]] void YRaiseFormat(int32_t code, const YString& pattern, const Args&... args) {
    YRaise(YFormat::Text(pattern, args...), code);
}

// "Index out of range."
[[noreturn]] void YRaiseIndexOutOfRange();
// "Service \"{0}\" is not implemented." with code 1.
[[noreturn]] void YRaiseNotImplemented(const YString& serviceName);

// The error-report hook receives the text of every foreign exception a guard catches.
// It may be called from the audio thread and must not block. The product's hook discards.
using YErrorReportHook = void (*)(const YString& text);
// Installs a hook (nullptr restores the discarding hook); returns the previous one.
YErrorReportHook YSetErrorReportHook(YErrorReportHook hook) noexcept;
// Hands an error text to the hook.
void YReportError(const YString& text) noexcept;
// Formats "SYSTEM EXCEPTION! {0}" with the guarded function's name and hands it to the hook.
void YReportSystemException(const char* qualifiedName) noexcept;

// The guard: runs body; a YException is dropped silently, anything else is reported;
// either way the neutral result is returned. Whatever the body half-built must be owned
// by RAII objects so that unwinding releases it.
template <typename R, typename F>
R YGuard(const char* qualifiedName, R neutral, F&& body) noexcept {
    try {
        return std::forward<F>(body)();
    } catch (const YException&) {
        return neutral;
    } catch (...) {
        YReportSystemException(qualifiedName);
        return neutral;
    }
}

template <typename F>
void YGuard(const char* qualifiedName, F&& body) noexcept {
    try {
        std::forward<F>(body)();
    } catch (const YException&) {
    } catch (...) {
        YReportSystemException(qualifiedName);
    }
}
