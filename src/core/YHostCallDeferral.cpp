#include "core/YHostCallDeferral.h"

namespace {
thread_local int t_depth = 0;
} // namespace

YHostCallDeferral::YHostCallDeferral() noexcept { ++t_depth; }
YHostCallDeferral::~YHostCallDeferral() { --t_depth; }
bool YHostCallDeferral::Active() noexcept { return t_depth > 0; }
