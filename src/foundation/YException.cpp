#include "foundation/YException.h"

#include <atomic>

namespace {
void DiscardReport(const YString&) {}
std::atomic<YErrorReportHook> g_reportHook{&DiscardReport};
} // namespace

YException::~YException() = default;

void YRaise(const YString& message, int32_t code) { throw YException(message, code); }

void YRaiseIndexOutOfRange() { YRaise("Index out of range."); }

void YRaiseNotImplemented(const YString& serviceName) {
    YRaiseFormat(YException::kNotImplemented, "Service \"{0}\" is not implemented.", serviceName);
}

YErrorReportHook YSetErrorReportHook(YErrorReportHook hook) noexcept {
    return g_reportHook.exchange(hook ? hook : &DiscardReport);
}

void YReportError(const YString& text) noexcept {
    try {
        g_reportHook.load()(text);
    } catch (...) {
        // Reporting must never fail the caller.
    }
}

void YReportSystemException(const char* qualifiedName) noexcept {
    try {
        YErrorReportHook hook = g_reportHook.load();
        hook(YFormat::Text("SYSTEM EXCEPTION! {0}", YString::Literal(qualifiedName)));
    } catch (...) {
        // Reporting must never fail the guard.
    }
}
