#include "foundation/YException.h"
#include "foundation/YResource.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

Y_DECLARE_RESOURCE(TestText)
Y_DECLARE_RESOURCE(TestEmpty)

namespace {

std::vector<uint8_t> FileBytes(const char* path) {
    std::ifstream file(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::string InflateError(const YEmbeddedResource& resource) {
    try {
        YResource::Inflate(resource);
    } catch (const YException& error) {
        return error.Message().ToUTF8();
    }
    return "(no error)";
}

const std::vector<uint8_t>& Compressed() {
    static const std::vector<uint8_t> bytes(YResources::TestText.bytes,
                                            YResources::TestText.bytes + YResources::TestText.size);
    return bytes;
}

} // namespace

TEST(YResource, InflatesToTheFileItWasBuiltFrom) {
    const std::vector<uint8_t> expected = FileBytes(VORNIK_TEST_RESOURCE_FILE);
    ASSERT_GT(expected.size(), 10000u);
    EXPECT_STREQ(YResources::TestText.name, "TestText");
    // Compressed: the build did not just copy the file.
    EXPECT_LT(YResources::TestText.size, expected.size() / 4);
    EXPECT_EQ(YResource::Inflate(YResources::TestText), expected);
}

TEST(YResource, EmptyFileGivesNoBytes) {
    EXPECT_TRUE(YResource::Inflate(YResources::TestEmpty).empty());
}

TEST(YResource, DamagedDataRaisesNamingTheResource) {
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        const char* reason;
    };
    std::vector<uint8_t> truncated(Compressed().begin(), Compressed().end() - 5);
    ASSERT_GT(Compressed().size(), 18u);
    std::vector<uint8_t> badCheck = Compressed();
    badCheck.at(badCheck.size() - 8) ^= 0x01; // first byte of the CRC-32
    std::vector<uint8_t> badLength = Compressed();
    badLength.at(badLength.size() - 1) ^= 0x01;
    std::vector<uint8_t> trailing = Compressed();
    trailing.push_back(0);
    std::vector<uint8_t> badDeflate = Compressed();
    badDeflate.at(10) = 0xFF; // first byte of the deflate data: a reserved block type
    const std::vector<uint8_t> zlibFramed{0x78, 0x9C, 0x03, 0x00, 0x00, 0x00, 0x00, 0x01};
    const std::vector<uint8_t> text{'h', 'e', 'l', 'l', 'o'};
    const Case cases[] = {
        {"not gzip", text, nullptr},
        {"zlib framing", zlibFramed, nullptr},
        {"truncated", truncated, "ends too early"},
        {"check sum", badCheck, "incorrect data check"},
        {"length", badLength, "incorrect length check"},
        {"bytes after the end", trailing, "bytes after the end"},
        {"bad deflate data", badDeflate, nullptr},
        {"no data", {}, "no data"},
    };
    for (const Case& c : cases) {
        const YEmbeddedResource resource{"Broken", c.bytes.empty() ? nullptr : c.bytes.data(), c.bytes.size()};
        const std::string message = InflateError(resource);
        EXPECT_EQ(message.rfind("Resource \"Broken\" is damaged: ", 0), 0u) << c.what << ": " << message;
        if (c.reason) {
            EXPECT_NE(message.find(c.reason), std::string::npos) << c.what << ": " << message;
        }
    }
}
