// Counts heap allocations made through operator new, so tests can show that a code path
// never allocates. A test program gets the counting operators by compiling
// support/AllocationCounting.inc in exactly one of its sources.
#pragma once

#include <cstdint>

namespace AllocationCounting {

// Number of operator new calls (all threads) since the program started.
uint64_t Count() noexcept;
// Bytes those calls asked for.
uint64_t Bytes() noexcept;

} // namespace AllocationCounting
