#include "foundation/YMemoryStream.h"

#include "StreamTestSupport.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {
// All bytes of a stream, read through a copy so that its position stays.
std::string Contents(YMemoryStream copy) {
    copy.Seek(0, YStream::kFromStart);
    std::string bytes(static_cast<std::size_t>(copy.GetSize()), '\0');
    copy.Read(bytes.data(), static_cast<int32_t>(bytes.size()));
    return bytes;
}
} // namespace

TEST(YMemoryStreamTest, WriteReadAndOverwriteInTheMiddle) {
    YMemoryStream stream;
    EXPECT_TRUE(stream.IsEnd());
    stream.Write("hello world", 11);
    EXPECT_EQ(stream.GetPosition(), 11);
    EXPECT_EQ(stream.GetSize(), 11);
    stream.Seek(6, YStream::kFromStart);
    stream.Write("W", 1);
    EXPECT_EQ(stream.GetSize(), 11); // writing inside does not grow the size
    stream.Seek(0, YStream::kFromStart);
    char buffer[32] = {};
    EXPECT_EQ(stream.Read(buffer, 5), 5);
    EXPECT_EQ(std::string(buffer, 5), "hello");
    EXPECT_EQ(stream.Read(buffer, 32), 6); // only what is left
    EXPECT_EQ(std::string(buffer, 6), " World");
    EXPECT_EQ(stream.Read(buffer, 32), 0);
    EXPECT_TRUE(stream.IsEnd());
}

TEST(YMemoryStreamTest, SeeksClampToTheStreamAndRejectUnknownOrigins) {
    YMemoryStream stream("0123456789", 10);
    const struct {
        int64_t offset;
        int origin;
        int64_t expected;
    } cases[] = {
        {-5, YStream::kFromStart, 0},
        {4, YStream::kFromStart, 4},
        {100, YStream::kFromStart, 10},
        {-3, YStream::kFromEnd, 7},
        {5, YStream::kFromEnd, 10},
        {-20, YStream::kFromEnd, 0},
        {2, YStream::kFromCurrent, 2},
        {INT64_MAX, YStream::kFromCurrent, 10},
        {INT64_MIN, YStream::kFromCurrent, 0},
    };
    for (const auto& c : cases) {
        if (c.origin != YStream::kFromCurrent) stream.Seek(0, YStream::kFromStart);
        stream.Seek(c.offset, c.origin);
        EXPECT_EQ(stream.GetPosition(), c.expected) << c.offset << " from " << c.origin;
    }
    stream.Seek(3, YStream::kFromStart);
    RaisedError error = Raised([&] { stream.Seek(1, 5); });
    EXPECT_EQ(error.message, "Invalid seek origin.");
    EXPECT_EQ(error.code, 2);
    EXPECT_EQ(stream.GetPosition(), 3);
}

TEST(YMemoryStreamTest, CapacityGrowsToTheNeedThenDoubles) {
    YMemoryStream stream;
    std::vector<char> bytes(100, 'a');
    stream.Write(bytes.data(), 10);
    EXPECT_EQ(stream.GetCapacity(), 10);
    stream.Write(bytes.data(), 1);
    EXPECT_EQ(stream.GetCapacity(), 20);
    stream.Write(bytes.data(), 60); // needs 71: 20 -> 40 -> 80
    EXPECT_EQ(stream.GetCapacity(), 80);
    stream.Write(bytes.data(), 9); // exactly 80
    EXPECT_EQ(stream.GetCapacity(), 80);
    EXPECT_EQ(stream.GetSize(), 80);
}

TEST(YMemoryStreamTest, ShrinkingTheCapacityClampsSizeAndPosition) {
    YMemoryStream stream("abcdefgh", 8);
    stream.Seek(7, YStream::kFromStart);
    stream.SetCapacity(4);
    EXPECT_EQ(stream.GetSize(), 4);
    EXPECT_EQ(stream.GetPosition(), 4);
    EXPECT_EQ(Contents(stream), "abcd");
    stream.SetCapacity(0);
    EXPECT_EQ(stream.GetSize(), 0);
    stream.Write("z", 1);
    EXPECT_EQ(Contents(stream), "z");
    EXPECT_EQ(Raised([&] { stream.SetCapacity(-1); }).message, "Index out of range.");
}

TEST(YMemoryStreamTest, CopiesShareTheBlockUntilOneWrites) {
    YMemoryStream original("shared", 6);
    YMemoryStream copy(original);
    EXPECT_TRUE(original.IsShared());
    EXPECT_EQ(copy.GetData(), original.GetData());
    EXPECT_EQ(copy.GetPosition(), 0);

    copy.Seek(0, YStream::kFromStart);
    copy.Write("S", 1);
    EXPECT_NE(copy.GetData(), original.GetData());
    EXPECT_FALSE(original.IsShared());
    EXPECT_EQ(Contents(original), "shared");
    EXPECT_EQ(Contents(copy), "Shared");

    YMemoryStream assigned;
    assigned = original;
    assigned = assigned; // self-assignment keeps the block alive
    EXPECT_EQ(Contents(assigned), "shared");
    assigned.Seek(0, YStream::kFromEnd);
    assigned.Write("!", 1);
    EXPECT_EQ(Contents(assigned), "shared!");
    EXPECT_EQ(Contents(original), "shared");
}

TEST(YMemoryStreamTest, AttachedMemoryIsReadInPlaceAndCopiedOnTheFirstWrite) {
    char outside[] = "outside bytes";
    YMemoryStream stream;
    stream.Attach(outside, 13);
    EXPECT_EQ(stream.GetData(), reinterpret_cast<const uint8_t*>(outside));
    EXPECT_EQ(Contents(stream), "outside bytes");
    stream.Seek(0, YStream::kFromStart);
    stream.Write("O", 1);
    EXPECT_STREQ(outside, "outside bytes"); // never written through
    EXPECT_NE(stream.GetData(), reinterpret_cast<const uint8_t*>(outside));
    EXPECT_EQ(Contents(stream), "Outside bytes");
}

TEST(YMemoryStreamTest, TruncateCutsAtThePosition) {
    YMemoryStream stream("abcdef", 6);
    YMemoryStream copy(stream);
    stream.Seek(2, YStream::kFromStart);
    stream.Truncate();
    EXPECT_EQ(stream.GetSize(), 2);
    EXPECT_TRUE(stream.IsEnd());
    EXPECT_EQ(Contents(stream), "ab");
    EXPECT_EQ(Contents(copy), "abcdef");
}

TEST(YMemoryStreamTest, BadArgumentsRaiseAndLeaveTheStreamAsItWas) {
    YMemoryStream stream("abc", 3);
    char buffer[4];
    EXPECT_EQ(Raised([&] { stream.Write(buffer, -1); }).message, "Index out of range.");
    EXPECT_EQ(Raised([&] { stream.Write(nullptr, 2); }).message, "Index out of range.");
    EXPECT_EQ(Raised([&] { stream.Read(buffer, -1); }).message, "Index out of range.");
    EXPECT_EQ(Raised([&] { stream.Attach(nullptr, 5); }).message, "Index out of range.");
    EXPECT_EQ(stream.GetPosition(), 0);
    EXPECT_EQ(Contents(stream), "abc");
    stream.Write(nullptr, 0);
    EXPECT_EQ(stream.Read(nullptr, 0), 0);
}

TEST(YMemoryStreamThreading, CopiesHandedToThreadsKeepTheirOwnContents) {
    std::string base(4096, 'b');
    YMemoryStream original(base.data(), static_cast<int32_t>(base.size()));
    constexpr int kThreads = 4;
    std::vector<std::string> results(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t, copy = YMemoryStream(original)]() mutable {
            for (int round = 0; round < 200; ++round) {
                YMemoryStream local(copy); // more sharing from this thread
                local.Seek(t, YStream::kFromStart);
                char c = static_cast<char>('0' + t);
                local.Write(&c, 1);
                copy = local;
            }
            results[static_cast<std::size_t>(t)] = Contents(copy);
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(Contents(original), base);
    for (int t = 0; t < kThreads; ++t) {
        std::string expected = base;
        expected[static_cast<std::size_t>(t)] = static_cast<char>('0' + t);
        EXPECT_EQ(results[static_cast<std::size_t>(t)], expected);
    }
}
