#include "presets/YPresetExport.h"

#include "PresetTestSupport.h"
#include "foundation/YException.h"
#include "presets/YPresetTree.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>

using presets_test::Compact;
using presets_test::ReadAll;
using presets_test::SampleSettings;
using presets_test::ScratchFolder;
using presets_test::WriteAll;

namespace {
// Children only: the folder's own name differs between source and target.
std::string ChildrenOf(const YXMLItem& folder) {
    std::string text;
    for (const YXMLItem& child : folder.Children()) text += Compact(child);
    return text;
}

void Fill(YXMLItem& folder) {
    YPresetTree::StorePreset(folder, "first", *SampleSettings("0.1"));
    YXMLItem& sub = YPresetTree::AddFolder(folder, "Sub & <more>");
    YPresetTree::StorePreset(sub, "inner", *SampleSettings("0.2"));
    YPresetTree::AddFolder(sub, "empty");
    YPresetTree::StorePreset(folder, "last", *SampleSettings("0.3"));
}
} // namespace

TEST(YPresetExportTest, ExportThenImportIntoAnEmptyFolderReproducesIt) {
    ScratchFolder scratch;
    YPresetTree source;
    YXMLItem& folder = YPresetTree::AddFolder(source.TopFolder(), "Mine");
    Fill(folder);
    const YString file = scratch.File("mine.ypresets");
    YPresetExport::Export(folder, file);
    EXPECT_NE(ReadAll(scratch.Path("mine.ypresets")).find("<ExportPresets>\n"), std::string::npos);

    YPresetTree target;
    YXMLItem& empty = YPresetTree::AddFolder(target.TopFolder(), "Imported");
    YPresetExport::Import(empty, file);
    EXPECT_EQ(ChildrenOf(empty), ChildrenOf(folder));
    EXPECT_EQ(YPresetTree::ItemName(empty).ToUTF8(), "Imported");
    EXPECT_EQ(scratch.Listing(), "mine.ypresets;");
}

TEST(YPresetExportTest, ImportReplacesTheFolderChildrenAndConvertsInlinePresets) {
    ScratchFolder scratch;
    WriteAll(scratch.Path("in.ypresets"),
             "<ExportPresets><preset name=\"old\" parameterDepth=\"0.5\"/><Directory Name=\"D\"/></ExportPresets>");
    YPresetTree tree;
    YXMLItem& folder = YPresetTree::AddFolder(tree.TopFolder(), "F");
    Fill(folder);
    YPresetExport::Import(folder, scratch.File("in.ypresets"));
    ASSERT_EQ(folder.GetChildCount(), 2);
    EXPECT_EQ(YPresetTree::ItemName(folder.GetChildAt(0)).ToUTF8(), "old");
    EXPECT_FALSE(YPresetContent::IsInline(folder.GetChildAt(0)));
    EXPECT_EQ(Compact(*YPresetContent::Settings(folder.GetChildAt(0))),
              "<?xml version=\"1.0\" encoding=\"utf-8\"?><settings parameterDepth=\"0.5\"/>");
    EXPECT_TRUE(YPresetTree::IsFolder(folder.GetChildAt(1)));
}

TEST(YPresetExportTest, ABadFileChangesNothing) {
    struct Case {
        const char* what;
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {"wrong root", "<Presets><preset name=\"a\" x=\"1\"/></Presets>", "Its root is \"Presets\""},
        {"malformed", "<ExportPresets><preset name=\"a\">", "Invalid file contents."},
        {"odd content", "<ExportPresets><preset name=\"a\" compressed=\"3C7\"/></ExportPresets>", "odd number"},
        {"non-hex content", "<ExportPresets><Directory Name=\"d\"><preset name=\"b\" compressed=\"ZZ\"/></Directory>"
                            "</ExportPresets>",
         "The preset \"b\" is damaged"},
        {"unknown item", "<ExportPresets><settings/></ExportPresets>", "neither a folder nor a preset"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchFolder scratch;
        WriteAll(scratch.Path("bad.ypresets"), c.text);
        YPresetTree tree;
        YXMLItem& folder = YPresetTree::AddFolder(tree.TopFolder(), "Keep");
        Fill(folder);
        const std::string before = Compact(folder);
        try {
            YPresetExport::Import(folder, scratch.File("bad.ypresets"));
            ADD_FAILURE() << "imported";
        } catch (const YException& error) {
            EXPECT_NE(error.Message().ToUTF8().find(c.expected), std::string::npos) << error.Message().ToUTF8();
            EXPECT_NE(error.Message().ToUTF8().find("bad.ypresets"), std::string::npos);
        }
        EXPECT_EQ(Compact(folder), before);
    }
    YPresetTree tree;
    ScratchFolder scratch;
    EXPECT_THROW(YPresetExport::Import(tree.TopFolder(), scratch.File("missing.ypresets")), YException);
}

TEST(YPresetExportTest, AFailedExportLeavesAnEarlierFileWhole) {
    ScratchFolder scratch;
    const std::string path = scratch.Path("out.ypresets");
    WriteAll(path, "earlier");
    std::filesystem::create_directory(std::filesystem::u8path(path + ".tmp"));
    YPresetTree tree;
    Fill(tree.TopFolder());
    EXPECT_THROW(YPresetExport::Export(tree.TopFolder(), YString::FromUTF8(path)), YException);
    EXPECT_EQ(ReadAll(path), "earlier");
}
