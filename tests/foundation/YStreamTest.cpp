#include "foundation/YStream.h"

#include "StreamTestSupport.h"
#include "foundation/YMemoryStream.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>

namespace {

// A forward-only source: reads from a byte string and records the size of every request.
class ScriptedStream : public YStream {
public:
    explicit ScriptedStream(std::string bytes) : m_bytes(std::move(bytes)) {}
    int32_t Read(void* bytes, int32_t count) override {
        m_requests.push_back(count);
        int32_t n = std::min<int32_t>(count, static_cast<int32_t>(m_bytes.size() - m_position));
        std::memcpy(bytes, m_bytes.data() + m_position, static_cast<std::size_t>(n));
        m_position += static_cast<std::size_t>(n);
        return n;
    }
    int64_t GetPosition() override { return static_cast<int64_t>(m_position); }
    int64_t GetSize() override { return static_cast<int64_t>(m_bytes.size()); }
    std::vector<int32_t> m_requests;

private:
    std::string m_bytes;
    std::size_t m_position = 0;
};

// A sink that records every write.
class RecordingStream : public YStream {
public:
    void Write(const void* bytes, int32_t count) override {
        m_writes.push_back(count);
        m_bytes.append(static_cast<const char*>(bytes), static_cast<std::size_t>(count));
    }
    std::vector<int32_t> m_writes;
    std::string m_bytes;
};

class BareStream : public YStream {};

} // namespace

TEST(YStreamTest, ServicesTheBaseDoesNotOfferRaiseNotImplementedWithTheirNames) {
    BareStream stream;
    char byte = 0;
    const std::vector<std::pair<std::string, std::function<void()>>> cases = {
        {"return substream", [&] { stream.GetSubstream(); }},
        {"write to stream", [&] { stream.Write(&byte, 1); }},
        {"read from stream", [&] { stream.Read(&byte, 1); }},
        {"get stream position", [&] { stream.GetPosition(); }},
        {"flush stream", [&] { stream.Flush(); }},
        {"end of stream test", [&] { stream.IsEnd(); }},
        {"truncate stream", [&] { stream.Truncate(); }},
        {"stream size detection", [&] { stream.GetSize(); }},
    };
    for (const auto& [service, call] : cases) {
        RaisedError error = Raised(call);
        EXPECT_EQ(error.message, Cat("Service \"", service, "\" is not implemented."));
        EXPECT_EQ(error.code, YException::kNotImplemented) << service;
    }
    stream.Close(); // the closing hook does nothing
}

TEST(YStreamTest, SeekForwardReadsInPiecesAndStopsAtTheEnd) {
    ScriptedStream stream(std::string(3000, 'x') + "tail");
    stream.Seek(2500, YStream::kFromStart);
    EXPECT_EQ(stream.GetPosition(), 2500);
    EXPECT_EQ(stream.m_requests, (std::vector<int32_t>{1024, 1024, 452}));
    stream.Seek(500, YStream::kFromCurrent);
    char rest[8] = {};
    EXPECT_EQ(stream.Read(rest, 8), 4);
    EXPECT_STREQ(rest, "tail");
    // Past the end: reading stops when the stream ends.
    stream.Seek(100, YStream::kFromEnd);
    EXPECT_EQ(stream.GetPosition(), 3004);
}

TEST(YStreamTest, SeekBackwardAndUnknownOriginsRaise) {
    ScriptedStream stream("abcdef");
    stream.Seek(4, YStream::kFromStart);
    RaisedError backward = Raised([&] { stream.Seek(1, YStream::kFromStart); });
    EXPECT_EQ(backward.message, "Service \"backward seek in a stream\" is not implemented.");
    EXPECT_EQ(backward.code, 1);
    EXPECT_EQ(stream.GetPosition(), 4);
    for (int origin : {-1, 3, 17}) {
        RaisedError bad = Raised([&] { stream.Seek(0, origin); });
        EXPECT_EQ(bad.message, "Invalid seek origin.");
        EXPECT_EQ(bad.code, 2);
    }
}

TEST(YStreamTest, WriteFillWritesZerosInPiecesOfAtMost1024) {
    RecordingStream sink;
    sink.WriteFill(2500);
    EXPECT_EQ(sink.m_writes, (std::vector<int32_t>{1024, 1024, 452}));
    EXPECT_EQ(sink.m_bytes, std::string(2500, '\0'));
    sink.WriteFill(0);
    sink.WriteFill(-3);
    EXPECT_EQ(sink.m_bytes.size(), 2500u);
}

TEST(YStreamTest, WriteStringIsUtf8WithoutTerminatorAndWriteLineAddsALineFeed) {
    RecordingStream sink;
    sink.WriteString(YString::FromUTF8("Gr\xC3\xBC\xC3\x9F"
                                       "e"));
    sink.WriteString(YString());
    sink.WriteLine("ok");
    sink.WriteLine(YString());
    EXPECT_EQ(sink.m_bytes, "Gr\xC3\xBC\xC3\x9F"
                            "eok\n\n");
}

// ReadLine has two implementations (the byte-wise base and the memory stream's own): one
// table runs against both.
struct ReadLineCase {
    const char* name;
    std::string bytes;
    int32_t size;
    std::vector<std::pair<std::string, int>> lines; // expected text and result per call
};

class ReadLineTest : public ::testing::TestWithParam<bool> {
protected:
    std::unique_ptr<YStream> Make(const std::string& bytes) {
        if (GetParam()) return std::make_unique<ScriptedStream>(bytes);
        return std::make_unique<YMemoryStream>(bytes.data(), static_cast<int32_t>(bytes.size()));
    }
};

TEST_P(ReadLineTest, FollowsTheLineRules) {
    const std::vector<ReadLineCase> cases = {
        {"crlf", std::string("ab\r\nc"), 16, {{"ab", 0}, {"c", 0}, {"", 2}}},
        {"empty stream", "", 16, {{"", 2}}},
        {"nul ends a line", std::string("ab\0cd", 5), 16, {{"ab", 0}, {"cd", 0}, {"", 2}}},
        {"empty lines", "\n\r\n", 16, {{"", 0}, {"", 0}, {"", 2}}},
        {"buffer fills first", "abcdef\n", 4, {{"abc", 1}, {"def", 1}, {"", 0}, {"", 2}}},
        {"lone carriage return", "\r", 16, {{"", 2}}},
    };
    for (const ReadLineCase& c : cases) {
        std::unique_ptr<YStream> stream = Make(c.bytes);
        for (const auto& [text, result] : c.lines) {
            char buffer[16];
            std::memset(buffer, 'Z', sizeof buffer);
            EXPECT_EQ(stream->ReadLine(buffer, c.size), result) << c.name;
            EXPECT_EQ(std::string(buffer), text) << c.name;
        }
    }
}

TEST_P(ReadLineTest, TinyBuffersReportFull) {
    std::unique_ptr<YStream> stream = Make("abc");
    char buffer[1] = {'Z'};
    EXPECT_EQ(stream->ReadLine(buffer, 1), 1);
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(stream->ReadLine(buffer, 0), 1);
    EXPECT_EQ(stream->ReadLine(nullptr, 10), 1);
    char line[8];
    EXPECT_EQ(stream->ReadLine(line, 8), 0); // nothing was consumed by the calls above
    EXPECT_STREQ(line, "abc");
}

INSTANTIATE_TEST_SUITE_P(BaseAndMemory, ReadLineTest, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Base" : "Memory"; });
