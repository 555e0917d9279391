#include "foundation/YBufferingStream.h"

#include "StreamTestSupport.h"
#include "foundation/YMemoryStream.h"

#include <functional>
#include <string>
#include <vector>

namespace {
// A memory stream that counts the calls reaching it.
class CountingStream : public YMemoryStream {
public:
    void Write(const void* bytes, int32_t count) override {
        writes.push_back(count);
        YMemoryStream::Write(bytes, count);
    }
    int32_t Read(void* bytes, int32_t count) override {
        ++reads;
        return YMemoryStream::Read(bytes, count);
    }
    std::string Contents() {
        YMemoryStream copy(*this);
        copy.Seek(0, kFromStart);
        std::string bytes(static_cast<std::size_t>(copy.GetSize()), '\0');
        copy.Read(bytes.data(), static_cast<int32_t>(bytes.size()));
        return bytes;
    }
    std::vector<int32_t> writes;
    int reads = 0;
};
} // namespace

TEST(YBufferingStreamTest, UseBeforeAttachingRaises) {
    YBufferingStream stream;
    char byte = 0;
    const std::vector<std::function<void()>> calls = {
        [&] { stream.Write(&byte, 1); }, [&] { stream.Read(&byte, 1); }, [&] { stream.Seek(0, 0); },
        [&] { stream.GetPosition(); },   [&] { stream.Flush(); },        [&] { stream.IsEnd(); },
        [&] { stream.GetSize(); },
    };
    for (const auto& call : calls)
        EXPECT_EQ(Raised(call).message, "Buffering stream has not been initialized.");
    stream.Close();
}

TEST(YBufferingStreamTest, SmallWritesReachTheSourceAsBlocks) {
    CountingStream target;
    {
        YBufferingStream buffered(target, 64);
        for (int i = 0; i < 100; ++i) buffered.Write("abc", 3);
        EXPECT_EQ(buffered.GetPosition(), 300);
        EXPECT_LE(target.writes.size(), 5u);
        buffered.Write(std::string(200, 'L').data(), 200); // large writes pass straight through
    }
    EXPECT_EQ(target.Contents().size(), 500u);
    std::string expected;
    for (int i = 0; i < 100; ++i) expected += "abc";
    expected += std::string(200, 'L');
    EXPECT_EQ(target.Contents(), expected);
}

TEST(YBufferingStreamTest, ReadsAreServedFromTheBlockAndSeeksStayConsistent) {
    std::string text;
    for (int i = 0; i < 1000; ++i) text.push_back(static_cast<char>('a' + i % 26));
    CountingStream source;
    source.YMemoryStream::Write(text.data(), 1000);
    source.Seek(0, YStream::kFromStart);
    YBufferingStream buffered(source, 256);
    std::string got;
    char c = 0;
    while (buffered.Read(&c, 1) == 1) got.push_back(c);
    EXPECT_EQ(got, text);
    EXPECT_LE(source.reads, 6);
    EXPECT_TRUE(buffered.IsEnd());

    buffered.Seek(10, YStream::kFromStart);
    buffered.Read(&c, 1);
    EXPECT_EQ(c, text[10]);
    buffered.Seek(5, YStream::kFromCurrent);
    EXPECT_EQ(buffered.GetPosition(), 16);
    buffered.Read(&c, 1);
    EXPECT_EQ(c, text[16]);
    buffered.Seek(-3, YStream::kFromCurrent);
    buffered.Read(&c, 1);
    EXPECT_EQ(c, text[14]);
    EXPECT_EQ(buffered.GetSize(), 1000);
}

TEST(YBufferingStreamTest, WritingAfterReadingLandsAtTheLogicalPosition) {
    CountingStream source;
    source.YMemoryStream::Write("0123456789", 10);
    source.Seek(0, YStream::kFromStart);
    YBufferingStream buffered(source, 64);
    char two[2];
    buffered.Read(two, 2);
    buffered.Write("AB", 2);
    EXPECT_EQ(buffered.GetPosition(), 4);
    buffered.Read(two, 2);
    EXPECT_EQ(std::string(two, 2), "45");
    buffered.Flush();
    EXPECT_EQ(source.Contents(), "01AB456789");
}
