#include "foundation/YHexaStream.h"

#include "StreamTestSupport.h"
#include "foundation/YMemoryStream.h"

#include <string>
#include <vector>

namespace {
std::string Text(YMemoryStream copy) {
    copy.Seek(0, YStream::kFromStart);
    std::string bytes(static_cast<std::size_t>(copy.GetSize()), '\0');
    copy.Read(bytes.data(), static_cast<int32_t>(bytes.size()));
    return bytes;
}

class PieceSink : public YStream {
public:
    void Write(const void*, int32_t count) override { pieces.push_back(count); }
    std::vector<int32_t> pieces;
};
} // namespace

TEST(YHexaStreamTest, WritesUppercaseHighNibbleFirst) {
    YMemoryStream memory;
    YHexaStream hexa(memory);
    const unsigned char bytes[] = {0x3C, 0x00, 0xFF, 0xA5, 0x0F};
    hexa.Write(bytes, 1);
    EXPECT_EQ(Text(memory), "3C");
    hexa.Write(bytes + 1, 4);
    EXPECT_EQ(Text(memory), "3C00FFA50F");
    EXPECT_EQ(hexa.GetPosition(), 5);
    EXPECT_EQ(hexa.GetSize(), 5);
}

TEST(YHexaStreamTest, EveryByteRoundTripsAndLowercaseReads) {
    std::string all;
    for (int i = 0; i < 256; ++i) all.push_back(static_cast<char>(i));
    YMemoryStream memory;
    YHexaStream hexa(memory);
    hexa.Write(all.data(), 256);
    hexa.Seek(0, YStream::kFromStart);
    std::string back(256, '\0');
    EXPECT_EQ(hexa.Read(back.data(), 256), 256);
    EXPECT_EQ(back, all);
    EXPECT_TRUE(hexa.IsEnd());

    YMemoryStream lower("3c0aff", 6);
    YHexaStream reader(lower);
    unsigned char out[4] = {};
    EXPECT_EQ(reader.Read(out, 4), 3);
    EXPECT_EQ(out[0], 0x3C);
    EXPECT_EQ(out[1], 0x0A);
    EXPECT_EQ(out[2], 0xFF);
}

TEST(YHexaStreamTest, SeekAndPositionCountBytes) {
    YMemoryStream memory("00112233445566", 14);
    YHexaStream hexa(memory);
    hexa.Seek(2, YStream::kFromStart);
    EXPECT_EQ(hexa.GetPosition(), 2);
    EXPECT_EQ(memory.GetPosition(), 4);
    unsigned char b = 0;
    hexa.Read(&b, 1);
    EXPECT_EQ(b, 0x22);
    hexa.Seek(-1, YStream::kFromEnd);
    hexa.Read(&b, 1);
    EXPECT_EQ(b, 0x66);
    EXPECT_EQ(Raised([&] { hexa.Seek(0, 3); }).message, "Invalid seek origin.");
}

TEST(YHexaStreamTest, BadTextRaisesClearErrors) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"3G", "Invalid character to be converted to a number."},
        {"  ", "Invalid character to be converted to a number."},
        {"0x10", "Invalid character to be converted to a number."},
        {"ABC", "Hexadecimal text has an odd number of characters."},
        {"A", "Hexadecimal text has an odd number of characters."},
    };
    for (const auto& [text, message] : cases) {
        YMemoryStream memory(text.data(), static_cast<int32_t>(text.size()));
        YHexaStream hexa(memory);
        unsigned char out[8];
        EXPECT_EQ(Raised([&] { hexa.Read(out, 8); }).message, message) << text;
    }
    YHexaStream unattached;
    EXPECT_EQ(Raised([&] { unattached.Write("x", 1); }).message, "Hexadecimal stream has no source stream.");
}

TEST(YHexaStreamTest, WritesReachTheSourceInPiecesOf128Characters) {
    PieceSink sink;
    YHexaStream hexa(sink);
    std::string bytes(150, 'z');
    hexa.Write(bytes.data(), 150);
    EXPECT_EQ(sink.pieces, (std::vector<int32_t>{128, 128, 44}));
}
