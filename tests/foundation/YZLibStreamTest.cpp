#include "foundation/YZLibStream.h"

#include "StreamTestSupport.h"
#include "foundation/YMemoryStream.h"

#include <string>
#include <vector>
#include <zlib.h>

namespace {

std::string Bytes(YMemoryStream copy) {
    copy.Seek(0, YStream::kFromStart);
    std::string bytes(static_cast<std::size_t>(copy.GetSize()), '\0');
    copy.Read(bytes.data(), static_cast<int32_t>(bytes.size()));
    return bytes;
}

// Text that compresses, but not to nothing.
std::string Sample(std::size_t size) {
    std::string text;
    uint32_t state = 12345;
    while (text.size() < size) {
        state = state * 214013 + 2531011;
        text += Cat("<Parameter value=\"", std::to_string((state >> 16) & 0x7FFF), "\"/>");
    }
    text.resize(size);
    return text;
}

std::string Compress(const std::string& plain, int quality) {
    YMemoryStream target;
    YZLibStream deflater(target, YZLibStream::kCompress, quality);
    deflater.Write(plain.data(), static_cast<int32_t>(plain.size()));
    deflater.Terminate();
    return Bytes(target);
}

std::string Inflate(const std::string& compressed, int32_t piece = 1000) {
    YMemoryStream source(compressed.data(), static_cast<int32_t>(compressed.size()));
    YZLibStream inflater(source, YZLibStream::kDecompress);
    std::string plain;
    std::vector<char> buffer(static_cast<std::size_t>(piece));
    for (;;) {
        int32_t got = inflater.Read(buffer.data(), piece);
        if (got == 0) break;
        plain.append(buffer.data(), static_cast<std::size_t>(got));
    }
    EXPECT_TRUE(inflater.IsEnd());
    EXPECT_EQ(inflater.GetPosition(), static_cast<int64_t>(plain.size()));
    return plain;
}

// zlib's own one-shot compression at a level, to compare against.
std::string Reference(const std::string& plain, int level) {
    uLongf size = compressBound(static_cast<uLong>(plain.size()));
    std::string out(size, '\0');
    EXPECT_EQ(compress2(reinterpret_cast<Bytef*>(out.data()), &size,
                        reinterpret_cast<const Bytef*>(plain.data()), static_cast<uLong>(plain.size()),
                        level),
              Z_OK);
    out.resize(size);
    return out;
}

std::vector<std::string> g_reports;
void Record(const YString& text) { g_reports.push_back(text.ToUTF8()); }

class SinkRecordingWrites : public YStream {
public:
    void Write(const void*, int32_t count) override { writes.push_back(count); }
    std::vector<int32_t> writes;
};

} // namespace

TEST(YZLibStreamTest, QualityMapsToTheZLibLevel) {
    const std::pair<int, int> cases[] = {{100, 9}, {1, 0},  {0, 0},  {-40, 0}, {10, 0},
                                         {11, 1},  {50, 4}, {91, 9}, {99, 9},  {250, 9}};
    for (auto [quality, level] : cases) EXPECT_EQ(YZLibStream::LevelForQuality(quality), level) << quality;
    // The level really reaches zlib: the header names it, and at level 9 the output equals
    // zlib's own one-shot result.
    const std::string plain = Sample(50000);
    const std::string best = Compress(plain, 100);
    const std::string stored = Compress(plain, 1);
    EXPECT_EQ(best.substr(0, 2), "\x78\xDA");
    EXPECT_TRUE(best == Reference(plain, 9));
    EXPECT_EQ(stored.substr(0, 2), "\x78\x01");
    EXPECT_GT(stored.size(), plain.size()); // level 0 only stores
}

TEST(YZLibStreamTest, RoundTripsAcrossBufferBoundaries) {
    for (std::size_t size : {0u, 1u, 4095u, 4096u, 4097u, 200000u}) {
        const std::string plain = Sample(size);
        for (int quality : {1, 60, 100}) {
            const std::string compressed = Compress(plain, quality);
            EXPECT_EQ(Inflate(compressed), plain) << size << " at " << quality;
            EXPECT_EQ(Inflate(compressed, 1), plain) << size << " byte by byte";
        }
    }
}

TEST(YZLibStreamTest, OutputReachesTheTargetIn4096ByteBlocks) {
    SinkRecordingWrites sink;
    YZLibStream deflater(sink, YZLibStream::kCompress, 1); // stored: output is as large as input
    const std::string plain = Sample(30000);
    for (std::size_t at = 0; at < plain.size(); at += 700)
        deflater.Write(plain.data() + at,
                       static_cast<int32_t>(std::min<std::size_t>(700, plain.size() - at)));
    deflater.Terminate();
    ASSERT_GE(sink.writes.size(), 7u);
    for (std::size_t i = 0; i + 1 < sink.writes.size(); ++i) EXPECT_EQ(sink.writes[i], 4096);
    EXPECT_LE(sink.writes.back(), 4096);
    EXPECT_EQ(deflater.GetPosition(), 30000);
    EXPECT_EQ(Raised([&] { deflater.Write("x", 1); }).message, "ZLIB stream has already been terminated.");
    deflater.Terminate(); // a second time adds nothing
}

TEST(YZLibStreamTest, CorruptTruncatedOrPlainInputRaisesInvalidContent) {
    const std::string plain = Sample(20000);
    const std::string compressed = Compress(plain, 100);
    std::string flipped = compressed;
    for (std::size_t i = 10; i < flipped.size(); i += 97) flipped[i] = static_cast<char>(flipped[i] ^ 0x5A);
    const std::vector<std::pair<const char*, std::string>> cases = {
        {"truncated", compressed.substr(0, compressed.size() / 2)},
        {"no checksum", compressed.substr(0, compressed.size() - 2)},
        {"flipped", flipped},
        {"plain text", plain},
        {"header only", compressed.substr(0, 2)},
        {"empty", ""},
    };
    for (const auto& [name, bytes] : cases) {
        RaisedError error = Raised([&] { Inflate(bytes); });
        EXPECT_EQ(error.message, "Source compressed stream has invalid content.") << name;
        EXPECT_EQ(error.code, 256) << name;
    }
}

TEST(YZLibStreamTest, BytesAfterTheCompressedDataAreLeftAlone) {
    const std::string compressed = Compress("payload", 100) + "trailing garbage";
    EXPECT_EQ(Inflate(compressed), "payload");
}

TEST(YZLibStreamTest, WrongDirectionAndUnattachedUseRaiseNotImplemented) {
    YMemoryStream memory;
    char byte = 0;
    YZLibStream inflater(memory, YZLibStream::kDecompress);
    EXPECT_EQ(Raised([&] { inflater.Write(&byte, 1); }).message,
              "Service \"write to stream\" is not implemented.");
    YZLibStream deflater(memory, YZLibStream::kCompress);
    EXPECT_EQ(Raised([&] { deflater.Read(&byte, 1); }).message,
              "Service \"read from stream\" is not implemented.");
    EXPECT_EQ(Raised([&] { deflater.IsEnd(); }).code, 1);
    YZLibStream unattached;
    EXPECT_EQ(Raised([&] { unattached.Read(&byte, 1); }).code, 1);
    EXPECT_EQ(Raised([&] { unattached.Truncate(); }).message,
              "Service \"truncate stream\" is not implemented.");
    deflater.Terminate();
}

TEST(YZLibStreamTest, AnUnterminatedStreamIsReportedNeverThrownFromTheDestructor) {
    g_reports.clear();
    YErrorReportHook previous = YSetErrorReportHook(&Record);
    YMemoryStream target;
    {
        YZLibStream written(target, YZLibStream::kCompress);
        written.Write("data", 4);
    }
    {
        YZLibStream untouched(target, YZLibStream::kCompress);
        YZLibStream finished(target, YZLibStream::kCompress);
        finished.Write("data", 4);
        finished.Terminate();
    }
    // Unwinding from another error: that error is the one that matters.
    try {
        YZLibStream unwinding(target, YZLibStream::kCompress);
        unwinding.Write("data", 4);
        YRaise("first error");
    } catch (const YException&) {
    }
    YSetErrorReportHook(previous);
    ASSERT_EQ(g_reports.size(), 1u);
    EXPECT_EQ(g_reports[0],
              "SYSTEM EXCEPTION! YZLibStream::~YZLibStream: ZLIB stream has not been terminated.");

    YZLibStream closing(target, YZLibStream::kCompress);
    closing.Write("data", 4);
    EXPECT_EQ(Raised([&] { closing.Close(); }).message, "ZLIB stream has not been terminated.");
    closing.Close(); // released: nothing more to say
}

TEST(YZLibStreamTest, AReadLimitStopsInflatingOneBytePastIt) {
    const std::string plain = Sample(50000);
    const std::string compressed = Compress(plain, 100);
    struct Case {
        int64_t limit;
        int32_t piece;
        bool refused;
    };
    // Exactly the size passes; one byte less is refused, whatever the read sizes.
    const Case cases[] = {{50000, 4096, false}, {50000, 50000, false}, {80000, 65536, false},
                          {49999, 4096, true},  {49999, 50000, true},  {49999, 1, true},
                          {0, 7, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(Cat("limit ", std::to_string(c.limit), " piece ", std::to_string(c.piece)));
        YMemoryStream source(compressed.data(), static_cast<int32_t>(compressed.size()));
        YZLibStream inflater(source, YZLibStream::kDecompress);
        inflater.SetReadLimit(c.limit);
        std::string got;
        std::vector<char> buffer(static_cast<std::size_t>(c.piece));
        bool refused = false;
        try {
            for (int32_t n; (n = inflater.Read(buffer.data(), c.piece)) > 0;)
                got.append(buffer.data(), static_cast<std::size_t>(n));
        } catch (const YException& e) {
            refused = true;
            EXPECT_EQ(e.ErrorCode(), YZLibStream::kReadLimitCode);
            EXPECT_EQ(e.Message().ToUTF8(), Cat("Inflated data exceeds ", std::to_string(c.limit), " bytes."));
            EXPECT_EQ(inflater.GetPosition(), c.limit + 1);
            // Reading on raises again rather than going further.
            EXPECT_EQ(Raised([&] { inflater.Read(buffer.data(), c.piece); }).code, YZLibStream::kReadLimitCode);
            EXPECT_EQ(inflater.GetPosition(), c.limit + 1);
        }
        EXPECT_EQ(refused, c.refused);
        if (!refused) {
            EXPECT_EQ(got, plain);
        }
    }
}
