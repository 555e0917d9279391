#include "platform/YPlatformTlsSlot.h"

#include <gtest/gtest.h>
#include <thread>

TEST(YPlatformTlsSlot, HoldsAValueUntilFreed) {
    YPlatformTlsSlot slot;
    EXPECT_FALSE(slot.Set(&slot)) << "no slot yet";
    EXPECT_EQ(slot.Get(), nullptr);
    ASSERT_TRUE(slot.Allocate());
    EXPECT_FALSE(slot.Allocate());
    EXPECT_EQ(slot.Get(), nullptr);
    int value = 0;
    EXPECT_TRUE(slot.Set(&value));
    EXPECT_EQ(slot.Get(), &value);
    slot.Free();
    EXPECT_FALSE(slot.IsAllocated());
    EXPECT_EQ(slot.Get(), nullptr);
}

TEST(YPlatformTlsSlot, SlotsAreIndependent) {
    YPlatformTlsSlot a, b;
    ASSERT_TRUE(a.Allocate());
    ASSERT_TRUE(b.Allocate());
    int x = 0, y = 0;
    a.Set(&x);
    b.Set(&y);
    EXPECT_EQ(a.Get(), &x);
    EXPECT_EQ(b.Get(), &y);
}

TEST(YPlatformTlsSlot, NewSlotStartsNullAfterOneWasFreed) {
    int value = 0;
    {
        YPlatformTlsSlot old;
        ASSERT_TRUE(old.Allocate());
        old.Set(&value);
    }
    YPlatformTlsSlot fresh;
    ASSERT_TRUE(fresh.Allocate());
    EXPECT_EQ(fresh.Get(), nullptr) << "a reused slot must not show a stale value";
}

TEST(YPlatformTlsSlotThreading, EachThreadSeesItsOwnValue) {
    YPlatformTlsSlot slot;
    ASSERT_TRUE(slot.Allocate());
    int mine = 1, theirs = 2;
    slot.Set(&mine);
    void* seenAtStart = &mine;
    void* seenAfterSet = nullptr;
    std::thread([&] {
        seenAtStart = slot.Get();
        slot.Set(&theirs);
        seenAfterSet = slot.Get();
    }).join();
    EXPECT_EQ(seenAtStart, nullptr);
    EXPECT_EQ(seenAfterSet, &theirs);
    EXPECT_EQ(slot.Get(), &mine);
}
