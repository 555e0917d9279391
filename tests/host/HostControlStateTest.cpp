// MIDI control and multiparameters survive a state round trip through each entry of the built
// binary: every stored field comes back, and saving the loaded state gives the same bytes.
#include "Vst3TestInstance.h"
#include "VstTestHost.h"

#include "foundation/YMemoryStream.h"
#include "foundation/YXMLDocument.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// One of each kind of record, every field away from its default.
const std::string kControlState =
    "<settings ControllersEnabled=\"1\" NoteControllersEnabled=\"1\">"
    "<PreviousNextPresetController Enabled=\"1\" Controller=\"20\" Channel=\"2\"/>"
    "<Controllers><Controller5 Enabled=\"1\" ParameterName=\"Depth\" Value=\"0.25\" MaxValue=\"0.75\" "
    "Range=\"0.5\" Channel=\"3\" Controller=\"74\" FullRange=\"4\" Invert=\"1\"/></Controllers>"
    "<NoteControllers><NoteController7 Enabled=\"1\" ParameterName=\"Rate\" Mode=\"2\" Channel=\"5\" "
    "Note=\"61\" Value=\"0.125\" MaxValue=\"0.875\"/></NoteControllers>"
    "<MultiParameters><MultiParameter2 Name=\"Sweep\" Enabled=\"1\" Group=\"Group A\" Info=\"Moves one\" "
    "Mode=\"Switch\" ValueMode=\"By first parameter\" SwitchTime=\"0.25\" DefaultValue=\"0.125\">"
    "<Parameter ParameterName=\"Feedback\" Value=\"0.2\" MaxValue=\"0.9\" Range=\"0.4\" FullRange=\"2\" "
    "Invert=\"1\" UseFirstRange=\"1\"/></MultiParameter2></MultiParameters>"
    "</settings>";

// path: child names from the root; every attribute of expected must be there with its text.
void ExpectItem(YXMLDocument& document, const std::vector<const char*>& path,
                const std::vector<std::pair<const char*, const char*>>& expected) {
    YXMLItem* item = &document;
    const std::string where = path.empty() ? "root" : path.back();
    for (const char* name : path) {
        item = item->FindChild(YString::FromUTF8(name));
        ASSERT_NE(item, nullptr) << name;
    }
    for (const auto& [name, value] : expected) {
        const YString attribute = YString::FromUTF8(name);
        ASSERT_TRUE(item->HasAttribute(attribute)) << where << " " << name;
        EXPECT_EQ(item->GetAttribute(attribute).ToUTF8(), value) << where << " " << name;
    }
}

void ExpectEveryField(const std::vector<uint8_t>& saved) {
    YMemoryStream stream(saved.data(), static_cast<int32_t>(saved.size()));
    YXMLDocument document;
    document.LoadCompressed(stream);
    ExpectItem(document, {}, {{"ControllersEnabled", "1"}, {"NoteControllersEnabled", "1"}});
    ExpectItem(document, {"PreviousNextPresetController"}, {{"Enabled", "1"}, {"Controller", "20"}, {"Channel", "2"}});
    ExpectItem(document, {"Controllers", "Controller5"},
               {{"Enabled", "1"}, {"ParameterName", "Depth"}, {"Value", "0.25"}, {"MaxValue", "0.75"},
                {"Range", "0.5"}, {"Channel", "3"}, {"Controller", "74"}, {"FullRange", "4"}, {"Invert", "1"}});
    ExpectItem(document, {"NoteControllers", "NoteController7"},
               {{"Enabled", "1"}, {"ParameterName", "Rate"}, {"Mode", "2"}, {"Channel", "5"}, {"Note", "61"},
                {"Value", "0.125"}, {"MaxValue", "0.875"}});
    ExpectItem(document, {"MultiParameters", "MultiParameter2"},
               {{"Name", "Sweep"}, {"Enabled", "1"}, {"Group", "Group A"}, {"Info", "Moves one"},
                {"Mode", "Switch"}, {"ValueMode", "By first parameter"}, {"SwitchTime", "0.25"},
                {"DefaultValue", "0.125"}});
    ExpectItem(document, {"MultiParameters", "MultiParameter2", "Parameter"},
               {{"ParameterName", "Feedback"}, {"Value", "0.2"}, {"MaxValue", "0.9"}, {"Range", "0.4"},
                {"FullRange", "2"}, {"Invert", "1"}, {"UseFirstRange", "1"}});
}

const std::vector<uint8_t> kControlBytes(kControlState.begin(), kControlState.end());

TEST(VstHostControlStateTest, EveryControlFieldSurvivesTheChunk) {
    VstTestHost::ResetHost();
    VstTestHost::Instance first;
    ASSERT_NE(first.Effect(), nullptr);
    first.Start();
    ASSERT_EQ(first.LoadChunk(kControlBytes), 1);
    const std::vector<uint8_t> saved = first.Chunk();
    ExpectEveryField(saved);

    VstTestHost::Instance second;
    second.Start();
    ASSERT_EQ(second.LoadChunk(saved), 1);
    EXPECT_EQ(second.Chunk(), saved);
}

std::vector<uint8_t> ComponentState(Vst3Test::Vst3Instance& plugin) {
    Vst3Test::MemoryStream stream;
    EXPECT_EQ(plugin.component->getState(&stream), Vst3::kResultOk);
    return std::vector<uint8_t>(stream.data.begin(), stream.data.end());
}

class Vst3HostControlStateTest : public Vst3Test::FactoryTest {};

TEST_F(Vst3HostControlStateTest, EveryControlFieldSurvivesTheComponentState) {
    Vst3Test::Vst3Instance first(*factory);
    ASSERT_TRUE(first.Ok());
    Vst3Test::MemoryStream in;
    in.data = kControlState;
    ASSERT_EQ(first.component->setState(&in), Vst3::kResultOk);
    const std::vector<uint8_t> saved = ComponentState(first);
    ExpectEveryField(saved);

    Vst3Test::Vst3Instance second(*factory);
    ASSERT_TRUE(second.Ok());
    Vst3Test::MemoryStream again;
    again.data.assign(saved.begin(), saved.end());
    ASSERT_EQ(second.component->setState(&again), Vst3::kResultOk);
    EXPECT_EQ(ComponentState(second), saved);
}

} // namespace
