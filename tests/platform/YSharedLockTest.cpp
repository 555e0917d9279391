#include "platform/YSharedLock.h"

#include <gtest/gtest.h>

TEST(YSharedLock, IsOneLockUntilReplacedAndRestored) {
    YLock& own = YSharedLock();
    EXPECT_EQ(&YSharedLock(), &own);

    YLock sibling;
    EXPECT_EQ(YSetSharedLock(&sibling), &own);
    EXPECT_EQ(&YSharedLock(), &sibling);
    EXPECT_EQ(YSetSharedLock(nullptr), &sibling);
    EXPECT_EQ(&YSharedLock(), &own);

    EXPECT_EQ(own.Lock(0), 0);
    EXPECT_EQ(own.Lock(0), 0) << "re-entrant like every YLock";
    own.Unlock();
    own.Unlock();
}
