// The counting allocation operators for this test program.
#include "support/AllocationCounting.inc"
