#include "presets/YPresetLibrary.h"

#include "PresetTestSupport.h"
#include "foundation/YException.h"
#include "presets/YActivePresets.h"
#include "presets/YPresetFileWriter.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>

using presets_test::Compact;
using presets_test::ReadAll;
using presets_test::SampleSettings;
using presets_test::ScratchFolder;
using presets_test::WriteAll;

namespace {
struct Fixture : ::testing::Test {
    ScratchFolder scratch;
    std::string file = scratch.Path("Vornikpresets.xml");

    // A library of three presets in two folders, saved.
    void SaveSample() {
        YPresetLibrary library(scratch.Folder(), "Vornik");
        library.Load();
        YXMLItem& top = library.Tree().TopFolder();
        YPresetTree::StorePreset(top, "Jet <1> & \"2\"", *SampleSettings("0.1"));
        YXMLItem& sub = YPresetTree::AddFolder(top, YString::FromUTF8("Медленно\nслои"));
        YPresetTree::StorePreset(sub, YString::FromUTF8("テープ"), *SampleSettings("0.2"));
        YPresetTree::StorePreset(top, "last", *SampleSettings("0.3"));
        library.Save();
    }

    std::string LoadedTree() {
        YPresetLibrary library(scratch.Folder(), "Vornik");
        library.Load();
        return Compact(library.Tree().Document());
    }

    std::string LoadError() {
        YPresetLibrary library(scratch.Folder(), "Vornik");
        try {
            library.Load();
        } catch (const YException& error) {
            return error.Message().ToUTF8();
        }
        return "(no error)";
    }
};
} // namespace

TEST_F(Fixture, FileNamesFollowTheProductName) {
    YPresetLibrary library(scratch.Folder(), "Vornik");
    // Compared as files: Windows joins with its own separator.
    EXPECT_TRUE(std::filesystem::equivalent(std::filesystem::u8path(library.FileName().ToUTF8()).parent_path(),
                                            std::filesystem::u8path(scratch.Path())));
    EXPECT_EQ(std::filesystem::u8path(library.FileName().ToUTF8()).filename().string(), "Vornikpresets.xml");
    EXPECT_EQ(std::filesystem::u8path(library.ActiveFileName().ToUTF8()).filename().string(), "Vornikpresets.active");
}

TEST_F(Fixture, AMissingFileIsAnEmptyLibraryAndWritesNothing) {
    YPresetLibrary library(scratch.Folder(), "Vornik");
    const YPresetLibrary::LoadResult result = library.Load();
    EXPECT_EQ(result.converted, 0);
    EXPECT_TRUE(library.Tree().Presets().empty());
    EXPECT_EQ(scratch.Listing(), "");
}

TEST_F(Fixture, NamesOrderAndContentSurviveSaveAndLoad) {
    SaveSample();
    YPresetLibrary library(scratch.Folder(), "Vornik");
    library.Load();
    const auto presets = library.Tree().Presets();
    ASSERT_EQ(presets.size(), 3u);
    EXPECT_EQ(YPresetTree::ItemName(*presets[0]).ToUTF8(), "Jet <1> & \"2\"");
    EXPECT_EQ(YPresetTree::ItemName(*presets[1]).ToUTF8(), "テープ");
    EXPECT_EQ(YPresetTree::ItemName(*presets[2]).ToUTF8(), "last");
    EXPECT_EQ(YPresetTree::ItemName(*presets[1]->GetParent()).ToUTF8(), "Медленно\nслои");
    EXPECT_EQ(Compact(*YPresetContent::Settings(*presets[1])), Compact(*SampleSettings("0.2")));
    // The file is indented UTF-8 with the content in the compressed form.
    const std::string text = ReadAll(file);
    EXPECT_EQ(text.rfind("<?xml version=\"1.0\" encoding=\"utf-8\"?>", 0), 0u);
    EXPECT_NE(text.find("\n\t<Directory"), std::string::npos);
    EXPECT_NE(text.find("compressed=\"78DA"), std::string::npos);
}

TEST_F(Fixture, InlinePresetsAreConvertedAndTheFileRewrittenAtOnce) {
    WriteAll(file, "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                   "<Presets><Directory Name=\"Presets\">"
                   "<preset name=\"old\" Version=\"461312\" parameterDepth=\"0.5\"><shape Kind=\"2\"/></preset>"
                   "</Directory></Presets>");
    YPresetLibrary library(scratch.Folder(), "Vornik");
    const YPresetLibrary::LoadResult result = library.Load();
    EXPECT_EQ(result.converted, 1);
    EXPECT_TRUE(result.rewritten);

    const std::string text = ReadAll(file);
    EXPECT_NE(text.find("compressed=\""), std::string::npos);
    EXPECT_EQ(text.find("parameterDepth"), std::string::npos);
    YPresetLibrary again(scratch.Folder(), "Vornik");
    EXPECT_EQ(again.Load().converted, 0);
    const auto settings = YPresetContent::Settings(*again.Tree().Presets().at(0));
    EXPECT_EQ(Compact(*settings), "<?xml version=\"1.0\" encoding=\"utf-8\"?><settings Version=\"461312\" "
                                  "parameterDepth=\"0.5\"><shape Kind=\"2\"/></settings>");
}

TEST_F(Fixture, SavingKeepsThePreviousVersionAsABackup) {
    SaveSample();
    const std::string first = ReadAll(file);
    YPresetLibrary library(scratch.Folder(), "Vornik");
    library.Load();
    YPresetTree::StorePreset(library.Tree().TopFolder(), "added", *SampleSettings());
    library.Save();
    EXPECT_EQ(ReadAll(file + ".bak"), first);
    EXPECT_NE(ReadAll(file), first);
    EXPECT_EQ(scratch.Listing(), "Vornikpresets.xml;Vornikpresets.xml.bak;Vornikpresets.xml.lock;");
}

TEST_F(Fixture, AnUnreadableFileIsReportedKeptAndSetAsideBeforeTheNextSave) {
    const char* broken[] = {
        "<Presets><Directory Name=\"x\"></Presets>",
        "not xml at all",
        "<Presets><preset name=\"a\" compressed=\"78DA\"",
    };
    for (const char* text : broken) {
        SCOPED_TRACE(text);
        ScratchFolder folder;
        const std::string path = folder.Path("Vornikpresets.xml");
        WriteAll(path, text);
        YPresetLibrary library(folder.Folder(), "Vornik");
        try {
            library.Load();
            ADD_FAILURE() << "loaded a broken file";
        } catch (const YException& error) {
            EXPECT_NE(error.Message().ToUTF8().find("could not be read"), std::string::npos);
            EXPECT_NE(error.Message().ToUTF8().find(library.FileName().ToUTF8()), std::string::npos);
        }
        EXPECT_TRUE(library.HasUnreadableFile());
        EXPECT_EQ(ReadAll(path), text);
        EXPECT_EQ(folder.Listing(), "Vornikpresets.xml;Vornikpresets.xml.lock;");

        YPresetTree::StorePreset(library.Tree().TopFolder(), "fresh", *SampleSettings());
        const std::string notice = library.Save().ToUTF8();
        EXPECT_NE(notice.find("Vornikpresets.xml.unreadable"), std::string::npos) << notice;
        EXPECT_EQ(ReadAll(path + ".unreadable"), text);
        EXPECT_EQ(folder.Listing(), "Vornikpresets.xml;Vornikpresets.xml.lock;Vornikpresets.xml.unreadable;");
    }
}

TEST_F(Fixture, AnUnreadableFileStaysInPlaceWhenTheSaveFails) {
    WriteAll(file, "broken <");
    std::filesystem::create_directory(std::filesystem::u8path(file + ".tmp"));
    YPresetLibrary library(scratch.Folder(), "Vornik");
    EXPECT_THROW(library.Load(), YException);
    YPresetTree::StorePreset(library.Tree().TopFolder(), "fresh", *SampleSettings());
    EXPECT_THROW(library.Save(), YException);
    EXPECT_EQ(ReadAll(file), "broken <");
    EXPECT_EQ(scratch.Listing(), "Vornikpresets.xml;Vornikpresets.xml.lock;Vornikpresets.xml.tmp;");
}

TEST_F(Fixture, AnEarlierSetAsideFileIsNeverReplaced) {
    WriteAll(file + ".unreadable", "first");
    WriteAll(file, "second <");
    YPresetLibrary library(scratch.Folder(), "Vornik");
    EXPECT_THROW(library.Load(), YException);
    library.Save();
    EXPECT_EQ(ReadAll(file + ".unreadable"), "first");
    EXPECT_EQ(ReadAll(file + ".unreadable2"), "second <");
}

// A folder where nothing can be created (root ignores permissions, so the temporary file's
// name is taken by a folder instead): the save fails and the library on disk is as it was.
TEST_F(Fixture, AFailedWriteLeavesTheFileAsItWas) {
    SaveSample();
    const std::string before = ReadAll(file);
    std::filesystem::create_directory(std::filesystem::u8path(file + ".tmp"));

    YPresetLibrary library(scratch.Folder(), "Vornik");
    library.Load();
    YPresetTree::StorePreset(library.Tree().TopFolder(), "lost", *SampleSettings());
    try {
        library.Save();
        ADD_FAILURE() << "saved through a blocked temporary file";
    } catch (const YException& error) {
        EXPECT_NE(error.Message().ToUTF8().find("Could not save"), std::string::npos);
    }
    EXPECT_EQ(ReadAll(file), before);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::u8path(file + ".bak")));

    // Once the way is clear the same library saves what it holds.
    std::filesystem::remove(std::filesystem::u8path(file + ".tmp"));
    library.Save();
    EXPECT_EQ(LoadedTree(), Compact(library.Tree().Document()));
}

TEST_F(Fixture, AFailedBackupStopsTheSave) {
    SaveSample();
    const std::string before = ReadAll(file);
    std::filesystem::create_directory(std::filesystem::u8path(file + ".bak.tmp"));
    YPresetLibrary library(scratch.Folder(), "Vornik");
    library.Load();
    YPresetTree::StorePreset(library.Tree().TopFolder(), "lost", *SampleSettings());
    EXPECT_THROW(library.Save(), YException);
    EXPECT_EQ(ReadAll(file), before);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::u8path(file + ".tmp")));
}

// A crash after the temporary file was written and before it was moved over the library.
TEST_F(Fixture, ACrashBetweenWriteAndRenameLeavesTheLibraryReadable) {
    SaveSample();
    const std::string saved = LoadedTree();
    WriteAll(file + ".tmp", "<Presets><Directory Name=\"half");

    EXPECT_EQ(LoadedTree(), saved);
    YPresetLibrary library(scratch.Folder(), "Vornik");
    library.Load();
    YPresetTree::StorePreset(library.Tree().TopFolder(), "after", *SampleSettings());
    library.Save();
    EXPECT_EQ(LoadedTree(), Compact(library.Tree().Document()));
    EXPECT_EQ(scratch.Listing(), "Vornikpresets.xml;Vornikpresets.xml.bak;Vornikpresets.xml.lock;");
}

TEST_F(Fixture, AConversionThatCannotBeWrittenStillLoads) {
    WriteAll(file, "<Presets><Directory Name=\"Presets\"><preset name=\"old\" a=\"1\"/></Directory></Presets>");
    std::filesystem::create_directory(std::filesystem::u8path(file + ".tmp"));
    YPresetLibrary library(scratch.Folder(), "Vornik");
    const YPresetLibrary::LoadResult result = library.Load();
    EXPECT_EQ(result.converted, 1);
    EXPECT_FALSE(result.rewritten);
    EXPECT_NE(result.notice.ToUTF8().find("Could not save"), std::string::npos);
    EXPECT_FALSE(YPresetContent::IsInline(*library.Tree().Presets().at(0)));
    EXPECT_NE(ReadAll(file).find("a=\"1\""), std::string::npos);
}

TEST_F(Fixture, ActivePresetsCarryThePrefixAndTheirSettings) {
    YActivePresets active;
    active.Load(scratch.File("Vornikpresets.active"));
    EXPECT_EQ(active.Count(), 0);

    WriteAll(scratch.Path("Vornikpresets.active"),
             "<ActivePresets NamePrefix=\"Act: \">"
             "<preset Name=\"One\" parameterDepth=\"0.25\"><shape Kind=\"1\"/></preset>"
             "<other/><preset Name=\"Two\"/></ActivePresets>");
    active.Load(scratch.File("Vornikpresets.active"));
    ASSERT_EQ(active.Count(), 2);
    EXPECT_EQ(active.DisplayName(0).ToUTF8(), "Act: One");
    EXPECT_EQ(active.DisplayName(1).ToUTF8(), "Act: Two");
    EXPECT_EQ(Compact(active.Settings(0)),
              "<?xml version=\"1.0\" encoding=\"utf-8\"?><settings parameterDepth=\"0.25\"><shape Kind=\"1\"/></settings>");
    EXPECT_THROW(active.DisplayName(2), YException);
    EXPECT_THROW(active.Settings(-1), YException);

    // A broken file is refused and the list read before stays.
    WriteAll(scratch.Path("Vornikpresets.active"), "<ActivePresets><preset Name=\"x\">");
    EXPECT_THROW(active.Load(scratch.File("Vornikpresets.active")), YException);
    EXPECT_EQ(active.Count(), 2);
}
