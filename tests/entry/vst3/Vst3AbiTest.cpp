#include "entry/vst3/Vst3Abi.h"

#include <cstddef>
#include <cstring>
#include <gtest/gtest.h>
#include <string>

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// The bytes hosts of this platform expect for an identifier given in the published registry
// form "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}": on Windows the COM GUID record in memory (first
// three groups little-endian), elsewhere the 32 digits in reading order.
std::string ExpectedBytes(const char* registry) {
    std::string digits;
    for (const char* p = registry; *p; ++p)
        if (HexValue(*p) >= 0) digits += *p;
    EXPECT_EQ(digits.size(), 32u) << registry;
    std::string plain(16, '\0');
    for (size_t i = 0; i < 16 && 2 * i + 1 < digits.size(); ++i)
        plain[i] = static_cast<char>(HexValue(digits[2 * i]) * 16 + HexValue(digits[2 * i + 1]));
#if defined(_WIN32)
    const std::string com = {plain[3], plain[2], plain[1], plain[0], plain[5], plain[4], plain[7], plain[6]};
    return com + plain.substr(8);
#else
    return plain;
#endif
}

std::string Bytes(const Vst3::FUID& id) { return std::string(id.bytes, 16); }

std::string Hex(const std::string& bytes) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

} // namespace

TEST(Vst3Abi, InterfaceIdentifiersMatchThePublishedValuesInThePlatformByteOrder) {
    const struct {
        const char* name;
        Vst3::FUID id;
        const char* registry;
    } cases[] = {
        {"FUnknown", Vst3::FUnknown::iid, "{00000000-0000-0000-C000-000000000046}"},
        {"IPluginBase", Vst3::IPluginBase::iid, "{22888DDB-156E-45AE-8358-B34808190625}"},
        {"IPluginFactory", Vst3::IPluginFactory::iid, "{7A4D811C-5211-4A1F-AED9-D2EE0B43BF9F}"},
        {"IPluginFactory2", Vst3::IPluginFactory2::iid, "{0007B650-F24B-4C0B-A464-EDB9F00B2ABB}"},
        {"IPluginFactory3", Vst3::IPluginFactory3::iid, "{4555A2AB-C123-4E57-9B12-291036878931}"},
        {"IComponent", Vst3::IComponent::iid, "{E831FF31-F2D5-4301-928E-BBEE25697802}"},
        {"IAudioProcessor", Vst3::IAudioProcessor::iid, "{42043F99-B7DA-453C-A569-E79D9AAEC33D}"},
        {"IProcessContextRequirements", Vst3::IProcessContextRequirements::iid,
         "{2A654303-EF76-4E3D-95B5-FE83730EF6D0}"},
        {"IEditController", Vst3::IEditController::iid, "{DCD7BBE3-7742-448D-A874-AACC979C759E}"},
        {"IEditController2", Vst3::IEditController2::iid, "{7F4EFE59-F320-4967-AC27-A3AEAFB63038}"},
        {"IUnitInfo", Vst3::IUnitInfo::iid, "{3D4BD6B5-913A-4FD2-A886-E768A5EB92C1}"},
        {"IMidiMapping", Vst3::IMidiMapping::iid, "{DF0FF9F7-49B7-4669-B63A-B7327ADBF5E5}"},
        {"IConnectionPoint", Vst3::IConnectionPoint::iid, "{70A4156F-6E6E-4026-9891-48BFAA60D8D1}"},
        {"IPlugView", Vst3::IPlugView::iid, "{5BC32507-D060-49EA-A615-1B522B755B29}"},
        {"IPlugFrame", Vst3::IPlugFrame::iid, "{367FAF01-AFA9-4693-8D4D-A2A0ED0882A3}"},
        {"IComponentHandler", Vst3::IComponentHandler::iid, "{93A0BEA3-0BD0-45DB-8E89-0B0CC1E46AC6}"},
        {"IBStream", Vst3::IBStream::iid, "{C3BF6EA2-3099-4752-9B6B-F9901EE33E9B}"},
        {"IHostApplication", Vst3::IHostApplication::iid, "{58E595CC-DB2D-4969-8B6A-AF8C36A664E5}"},
        {"IParameterChanges", Vst3::IParameterChanges::iid, "{A4779663-0BB6-4A56-B443-84A8466FEB9D}"},
        {"IParamValueQueue", Vst3::IParamValueQueue::iid, "{01263A18-ED07-4F6F-98C9-D3564686F9BA}"},
        {"IEventList", Vst3::IEventList::iid, "{3A2C4214-3463-49FE-B2C4-F397B9695A44}"},
        {"IAttributeList", Vst3::IAttributeList::iid, "{1E5F0AEB-CC7F-4533-A254-401138AD5EE4}"},
        {"IMessage", Vst3::IMessage::iid, "{936F033B-C6C0-47DB-BB08-82F813C1E613}"},
    };
    for (const auto& c : cases) EXPECT_EQ(Hex(Bytes(c.id)), Hex(ExpectedBytes(c.registry))) << c.name;
}

TEST(Vst3Abi, WordsAreLaidOutAsEachPlatformsHostsReadThem) {
    // IComponent spelled out byte by byte, independent of any helper.
#if defined(_WIN32)
    const unsigned char expected[16] = {0x31, 0xFF, 0x31, 0xE8, 0xD5, 0xF2, 0x01, 0x43,
                                        0x92, 0x8E, 0xBB, 0xEE, 0x25, 0x69, 0x78, 0x02};
#else
    const unsigned char expected[16] = {0xE8, 0x31, 0xFF, 0x31, 0xF2, 0xD5, 0x43, 0x01,
                                        0x92, 0x8E, 0xBB, 0xEE, 0x25, 0x69, 0x78, 0x02};
#endif
    EXPECT_EQ(std::memcmp(Vst3::IComponent::iid.bytes, expected, 16), 0);
    EXPECT_TRUE(Vst3::IComponent::iid.Matches(expected));
    EXPECT_FALSE(Vst3::IComponent::iid.Matches(Vst3::IAudioProcessor::iid.bytes));
    EXPECT_FALSE(Vst3::IComponent::iid.Matches(nullptr));
    EXPECT_EQ(Vst3::FourCC("QnVk"), 0x516E566Bu);
}

TEST(Vst3Abi, ResultCodesFollowThePlatformConvention) {
#if defined(_WIN32)
    EXPECT_EQ(static_cast<uint32_t>(Vst3::kNoInterface), 0x80004002u);
    EXPECT_EQ(static_cast<uint32_t>(Vst3::kInvalidArgument), 0x80070057u);
    EXPECT_EQ(static_cast<uint32_t>(Vst3::kNotImplemented), 0x80004001u);
    EXPECT_EQ(static_cast<uint32_t>(Vst3::kInternalError), 0x80004005u);
#else
    EXPECT_EQ(Vst3::kNoInterface, -1);
    EXPECT_EQ(Vst3::kInvalidArgument, 2);
    EXPECT_EQ(Vst3::kNotImplemented, 3);
    EXPECT_EQ(Vst3::kInternalError, 4);
#endif
    EXPECT_EQ(Vst3::kResultOk, 0);
    EXPECT_EQ(Vst3::kResultTrue, 0);
    EXPECT_EQ(Vst3::kResultFalse, 1);
}

TEST(Vst3Abi, RecordSizesAndOffsetsMatchTheHostsLayout) {
    const struct {
        const char* what;
        size_t actual;
        size_t expected;
    } cases[] = {
        {"sizeof PFactoryInfo", sizeof(Vst3::PFactoryInfo), 452},
        {"PFactoryInfo::url", offsetof(Vst3::PFactoryInfo, url), 64},
        {"PFactoryInfo::email", offsetof(Vst3::PFactoryInfo, email), 320},
        {"PFactoryInfo::flags", offsetof(Vst3::PFactoryInfo, flags), 448},
        {"sizeof PClassInfo", sizeof(Vst3::PClassInfo), 116},
        {"PClassInfo::cardinality", offsetof(Vst3::PClassInfo, cardinality), 16},
        {"PClassInfo::category", offsetof(Vst3::PClassInfo, category), 20},
        {"PClassInfo::name", offsetof(Vst3::PClassInfo, name), 52},
        {"sizeof PClassInfo2", sizeof(Vst3::PClassInfo2), 440},
        {"PClassInfo2::classFlags", offsetof(Vst3::PClassInfo2, classFlags), 116},
        {"PClassInfo2::subCategories", offsetof(Vst3::PClassInfo2, subCategories), 120},
        {"PClassInfo2::vendor", offsetof(Vst3::PClassInfo2, vendor), 248},
        {"PClassInfo2::version", offsetof(Vst3::PClassInfo2, version), 312},
        {"PClassInfo2::sdkVersion", offsetof(Vst3::PClassInfo2, sdkVersion), 376},
        {"sizeof PClassInfoW", sizeof(Vst3::PClassInfoW), 696},
        {"PClassInfoW::name", offsetof(Vst3::PClassInfoW, name), 52},
        {"PClassInfoW::classFlags", offsetof(Vst3::PClassInfoW, classFlags), 180},
        {"PClassInfoW::subCategories", offsetof(Vst3::PClassInfoW, subCategories), 184},
        {"PClassInfoW::vendor", offsetof(Vst3::PClassInfoW, vendor), 312},
        {"PClassInfoW::version", offsetof(Vst3::PClassInfoW, version), 440},
        {"PClassInfoW::sdkVersion", offsetof(Vst3::PClassInfoW, sdkVersion), 568},
        {"sizeof ProcessSetup", sizeof(Vst3::ProcessSetup), 24},
        {"ProcessSetup::sampleRate", offsetof(Vst3::ProcessSetup, sampleRate), 16},
        {"sizeof AudioBusBuffers", sizeof(Vst3::AudioBusBuffers), 24},
        {"AudioBusBuffers::silenceFlags", offsetof(Vst3::AudioBusBuffers, silenceFlags), 8},
        {"AudioBusBuffers::channelBuffers32", offsetof(Vst3::AudioBusBuffers, channelBuffers32), 16},
        {"sizeof ProcessData", sizeof(Vst3::ProcessData), 80},
        {"ProcessData::inputs", offsetof(Vst3::ProcessData, inputs), 24},
        {"ProcessData::outputs", offsetof(Vst3::ProcessData, outputs), 32},
        {"ProcessData::inputParameterChanges", offsetof(Vst3::ProcessData, inputParameterChanges), 40},
        {"ProcessData::inputEvents", offsetof(Vst3::ProcessData, inputEvents), 56},
        {"ProcessData::outputEvents", offsetof(Vst3::ProcessData, outputEvents), 64},
        {"ProcessData::processContext", offsetof(Vst3::ProcessData, processContext), 72},
        {"sizeof ProcessContext", sizeof(Vst3::ProcessContext), 112},
        {"ProcessContext::sampleRate", offsetof(Vst3::ProcessContext, sampleRate), 8},
        {"ProcessContext::projectTimeMusic", offsetof(Vst3::ProcessContext, projectTimeMusic), 40},
        {"ProcessContext::barPositionMusic", offsetof(Vst3::ProcessContext, barPositionMusic), 48},
        {"ProcessContext::cycleStartMusic", offsetof(Vst3::ProcessContext, cycleStartMusic), 56},
        {"ProcessContext::tempo", offsetof(Vst3::ProcessContext, tempo), 72},
        {"ProcessContext::timeSigNumerator", offsetof(Vst3::ProcessContext, timeSigNumerator), 80},
        {"ProcessContext::chord", offsetof(Vst3::ProcessContext, chord), 88},
        {"ProcessContext::frameRate", offsetof(Vst3::ProcessContext, frameRate), 96},
        {"ProcessContext::samplesToNextClock", offsetof(Vst3::ProcessContext, samplesToNextClock), 104},
        {"sizeof Event", sizeof(Vst3::Event), 48},
        {"Event::ppqPosition", offsetof(Vst3::Event, ppqPosition), 8},
        {"Event::flags", offsetof(Vst3::Event, flags), 16},
        {"Event::type", offsetof(Vst3::Event, type), 18},
        {"Event::noteOn", offsetof(Vst3::Event, noteOn), 24},
        {"NoteOnEvent::velocity", offsetof(Vst3::NoteOnEvent, velocity), 8},
        {"NoteOffEvent::noteId", offsetof(Vst3::NoteOffEvent, noteId), 8},
        {"sizeof ParameterInfo", sizeof(Vst3::ParameterInfo), 792},
        {"ParameterInfo::title", offsetof(Vst3::ParameterInfo, title), 4},
        {"ParameterInfo::shortTitle", offsetof(Vst3::ParameterInfo, shortTitle), 260},
        {"ParameterInfo::units", offsetof(Vst3::ParameterInfo, units), 516},
        {"ParameterInfo::stepCount", offsetof(Vst3::ParameterInfo, stepCount), 772},
        {"ParameterInfo::defaultNormalizedValue", offsetof(Vst3::ParameterInfo, defaultNormalizedValue), 776},
        {"ParameterInfo::unitId", offsetof(Vst3::ParameterInfo, unitId), 784},
        {"ParameterInfo::flags", offsetof(Vst3::ParameterInfo, flags), 788},
        {"sizeof BusInfo", sizeof(Vst3::BusInfo), 276},
        {"BusInfo::name", offsetof(Vst3::BusInfo, name), 12},
        {"BusInfo::busType", offsetof(Vst3::BusInfo, busType), 268},
        {"BusInfo::flags", offsetof(Vst3::BusInfo, flags), 272},
        {"sizeof ViewRect", sizeof(Vst3::ViewRect), 16},
        {"sizeof UnitInfo", sizeof(Vst3::UnitInfo), 268},
        {"UnitInfo::name", offsetof(Vst3::UnitInfo, name), 8},
        {"UnitInfo::programListId", offsetof(Vst3::UnitInfo, programListId), 264},
    };
    for (const auto& c : cases) EXPECT_EQ(c.actual, c.expected) << c.what;
}
