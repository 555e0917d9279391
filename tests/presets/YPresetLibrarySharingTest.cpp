// Several instances on one preset file: the change transaction, the lock, and what failures
// leave on disk.
#include "presets/YPresetLibrary.h"

#include "PresetTestSupport.h"
#include "core/YUserQuestions.h"
#include "foundation/YException.h"
#include "platform/YPlatformFileLock.h"
#include "presets/YPresetFileWriter.h"
#include "support/ChildProcess.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <thread>
#include <vector>

using presets_test::Compact;
using presets_test::ReadAll;
using presets_test::SampleSettings;
using presets_test::ScratchFolder;
using presets_test::WriteAll;

namespace {
// Names that need escaping, span lines and leave Latin-1, so every shared write carries them.
std::string PresetName(const std::string& owner, int index) {
    return owner + " <" + std::to_string(index) + "> & \"q\" 'a'\n\xD0\x96\xE6\x9D\xB1";
}

std::set<std::string> PresetNames(YPresetLibrary& library) {
    std::set<std::string> names;
    for (YXMLItem* preset : library.Tree().Presets()) names.insert(YPresetTree::ItemName(*preset).ToUTF8());
    return names;
}

void AddPreset(YPresetLibrary& library, const std::string& name) {
    library.Change([&](YPresetTree& tree) {
        YPresetTree::StorePreset(tree.TopFolder(), YString::FromUTF8(name), *SampleSettings());
    });
}

std::string Raised(const std::function<void()>& body) {
    try {
        body();
    } catch (const YException& error) {
        return error.Message().ToUTF8();
    }
    return "(nothing raised)";
}

struct RecordingQuestions : YUserQuestions {
    std::vector<std::string> told;
    bool Confirm(const YString&) override { return true; }
    bool AskText(const YString&, const YString&, YString&) override { return false; }
    void Tell(const YString& message) override { told.push_back(message.ToUTF8()); }
};

std::vector<std::string> g_reported;
void RecordReport(const YString& text) { g_reported.push_back(text.ToUTF8()); }

struct ReportRecorder {
    ReportRecorder() {
        g_reported.clear();
        previous = YSetErrorReportHook(&RecordReport);
    }
    ~ReportRecorder() { YSetErrorReportHook(previous); }
    YErrorReportHook previous;
};

struct StepHookScope {
    explicit StepHookScope(YPresetFileWriter::StepHook hook) : previous(YPresetFileWriter::SetStepHook(hook)) {}
    ~StepHookScope() { YPresetFileWriter::SetStepHook(previous); }
    YPresetFileWriter::StepHook previous;
};

void FailAsAFullDisk(YPresetFileWriter::Step step, const YString&) {
    if (step == YPresetFileWriter::Step::kWritten) YRaise("No space left on device.");
}

// Second processes. Each adds presets named after its role through the change transaction.
int AddPresetsAsAnotherProcess() {
    YPresetLibrary library(YString::FromUTF8(child_process::Variable("VORNIK_TEST_FOLDER")), "Vornik");
    const std::string owner = child_process::Variable("VORNIK_TEST_OWNER");
    const int count = std::stoi(child_process::Variable("VORNIK_TEST_COUNT"));
    try {
        library.SetLockTimeout(60000);
        library.Load();
        for (int i = 0; i < count; ++i) AddPreset(library, PresetName(owner, i));
    } catch (const YException&) {
        return 2;
    }
    return 0;
}
const child_process::RegisterChildRole addPresets("add-presets", &AddPresetsAsAnotherProcess);

// Dies between writing the temporary file and moving it over the library.
void DieBeforeReplace(YPresetFileWriter::Step step, const YString&) {
    if (step == YPresetFileWriter::Step::kBeforeReplace) std::_Exit(7);
}
int CrashWhileSaving() {
    YPresetLibrary library(YString::FromUTF8(child_process::Variable("VORNIK_TEST_FOLDER")), "Vornik");
    YPresetFileWriter::SetStepHook(&DieBeforeReplace);
    try {
        library.Load();
        AddPreset(library, "never arrives");
    } catch (const YException&) {
        return 2;
    }
    return 0;
}
const child_process::RegisterChildRole crashWhileSaving("crash-while-saving", &CrashWhileSaving);

struct Sharing : ::testing::Test {
    ScratchFolder scratch;
    std::string file = scratch.Path("Vornikpresets.xml");

    // The library on disk, as a fresh instance reads it.
    std::set<std::string> NamesOnDisk() {
        YPresetLibrary library(scratch.Folder(), "Vornik");
        library.Load();
        return PresetNames(library);
    }
};
} // namespace

TEST_F(Sharing, AChangeAfterAnotherInstancesChangeKeepsBoth) {
    YPresetLibrary first(scratch.Folder(), "Vornik");
    YPresetLibrary second(scratch.Folder(), "Vornik");
    first.Load();
    second.Load();
    AddPreset(first, "from first");
    EXPECT_TRUE(second.ChangedOnDisk());

    const YPresetLibrary::ChangeResult result = second.Change([](YPresetTree& tree) {
        YPresetTree::StorePreset(tree.TopFolder(), "from second", *SampleSettings());
    });
    EXPECT_TRUE(result.reloaded);
    EXPECT_EQ(PresetNames(second), (std::set<std::string>{"from first", "from second"}));
    EXPECT_EQ(NamesOnDisk(), (std::set<std::string>{"from first", "from second"}));

    // The first instance sees the second's preset when it looks, and its own next change
    // starts from the file again.
    EXPECT_TRUE(first.Refresh());
    EXPECT_EQ(PresetNames(first), (std::set<std::string>{"from first", "from second"}));
    EXPECT_FALSE(first.Refresh()) << "nothing changed since";
    EXPECT_FALSE(first.Change([](YPresetTree&) {}).reloaded);
}

// Another writer that changed the file in place within one tick, keeping its size, its time
// and its identity: only the lock's counter tells.
TEST_F(Sharing, TheLockCounterCatchesAChangeTheStampMisses) {
    YPresetLibrary library(scratch.Folder(), "Vornik");
    library.Load();
    AddPreset(library, "aaaa");
    const std::filesystem::path path = std::filesystem::u8path(file);
    // A whole second, which every system stores exactly, read by the library first.
    const auto time = std::chrono::floor<std::chrono::seconds>(std::filesystem::last_write_time(path));
    std::filesystem::last_write_time(path, time);
    ASSERT_TRUE(library.Refresh());
    std::string text = ReadAll(file);
    text.replace(text.find("\"aaaa\""), 6, "\"bbbb\"");
    {
        std::fstream inPlace(path, std::ios::in | std::ios::out | std::ios::binary);
        inPlace.write(text.data(), static_cast<std::streamsize>(text.size()));
    }
    std::filesystem::last_write_time(path, time);
    EXPECT_FALSE(library.ChangedOnDisk()) << "the stamp alone cannot see this change";

    YPlatformFileLock lock;
    ASSERT_EQ(lock.Lock(library.LockFileName(), 0), YPlatformFileLock::Result::kLocked);
    uint64_t counter = 0;
    ASSERT_TRUE(lock.ReadCounter(counter));
    ASSERT_TRUE(lock.WriteCounter(counter + 1));
    lock.Unlock();

    EXPECT_TRUE(library.Change([](YPresetTree&) {}).reloaded);
    EXPECT_EQ(PresetNames(library), (std::set<std::string>{"bbbb"}));
}

TEST_F(Sharing, TwoThreadsAddingConcurrentlyLoseNothingThreading) {
    constexpr int kEach = 25;
    std::atomic<int> failures{0};
    auto adder = [&](const std::string& owner) {
        YPresetLibrary library(scratch.Folder(), "Vornik");
        library.SetLockTimeout(60000);
        try {
            library.Load();
            for (int i = 0; i < kEach; ++i) AddPreset(library, PresetName(owner, i));
        } catch (const YException&) {
            ++failures;
        }
    };
    std::thread one(adder, "one"), two(adder, "two");
    one.join();
    two.join();
    EXPECT_EQ(failures.load(), 0);
    std::set<std::string> expected;
    for (int i = 0; i < kEach; ++i) {
        expected.insert(PresetName("one", i));
        expected.insert(PresetName("two", i));
    }
    EXPECT_EQ(NamesOnDisk(), expected);
}

TEST_F(Sharing, TwoProcessesAddingConcurrentlyLoseNothing) {
    constexpr int kEach = 20;
    const std::map<std::string, std::string> common{{"VORNIK_TEST_FOLDER", scratch.Path()},
                                                    {"VORNIK_TEST_COUNT", std::to_string(kEach)}};
    auto with = [&](const char* owner) {
        auto variables = common;
        variables["VORNIK_TEST_OWNER"] = owner;
        return variables;
    };
    child_process::Child left("add-presets", with("left")), right("add-presets", with("right"));
    ASSERT_TRUE(left.Started());
    ASSERT_TRUE(right.Started());
    EXPECT_EQ(left.Wait(), 0);
    EXPECT_EQ(right.Wait(), 0);
    std::set<std::string> expected;
    for (int i = 0; i < kEach; ++i) {
        expected.insert(PresetName("left", i));
        expected.insert(PresetName("right", i));
    }
    EXPECT_EQ(NamesOnDisk(), expected);
}

TEST_F(Sharing, AProcessKilledBetweenWriteAndRenameLeavesTheLibraryReadable) {
    {
        YPresetLibrary library(scratch.Folder(), "Vornik");
        AddPreset(library, "kept");
    }
    const std::string before = ReadAll(file);
    child_process::Child child("crash-while-saving", {{"VORNIK_TEST_FOLDER", scratch.Path()}});
    ASSERT_TRUE(child.Started());
    EXPECT_EQ(child.Wait(), 7) << "the child must die at the hook";
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::u8path(file + ".tmp"))) << "the crash left its file";
    EXPECT_EQ(ReadAll(file), before);
    EXPECT_EQ(NamesOnDisk(), (std::set<std::string>{"kept"}));

    // The dead process's lock went with it, and the next change clears the leftover.
    YPresetLibrary library(scratch.Folder(), "Vornik");
    library.SetLockTimeout(0);
    library.Load();
    AddPreset(library, "after");
    EXPECT_EQ(NamesOnDisk(), (std::set<std::string>{"kept", "after"}));
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::u8path(file + ".tmp")));
}

TEST_F(Sharing, AFailedChangeLeavesTreeFileAndLockAsTheyWere) {
    YPresetLibrary library(scratch.Folder(), "Vornik");
    AddPreset(library, "first");
    const std::string before = ReadAll(file);
    const std::string tree = Compact(library.Tree().Document());

    struct Case {
        const char* what;
        std::function<void()> change;
        const char* message;
    };
    const Case cases[] = {
        {"the change raises",
         [&] {
             library.Change([](YPresetTree& t) {
                 YPresetTree::StorePreset(t.TopFolder(), "half", *SampleSettings());
                 YRaiseIndexOutOfRange();
             });
         },
         "Index out of range."},
        {"the disk is full",
         [&] {
             StepHookScope full(&FailAsAFullDisk);
             AddPreset(library, "no room");
         },
         "No space left on device."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string message = Raised(c.change);
        EXPECT_NE(message.find(c.message), std::string::npos) << message;
        EXPECT_EQ(ReadAll(file), before);
        EXPECT_EQ(Compact(library.Tree().Document()), tree);
        EXPECT_FALSE(std::filesystem::exists(std::filesystem::u8path(file + ".tmp")));
        YPlatformFileLock lock;
        EXPECT_EQ(lock.Lock(library.LockFileName(), 0), YPlatformFileLock::Result::kLocked) << "lock released";
    }
    const std::string fullDisk = Raised([&] {
        StepHookScope full(&FailAsAFullDisk);
        AddPreset(library, "x");
    });
    EXPECT_NE(fullDisk.find("Could not save"), std::string::npos) << fullDisk;
    EXPECT_NE(fullDisk.find(library.FileName().ToUTF8()), std::string::npos) << fullDisk;
}

TEST_F(Sharing, ALockHeldElsewhereStopsTheChangeWithinItsTimeOut) {
    YPresetLibrary library(scratch.Folder(), "Vornik");
    AddPreset(library, "first");
    const std::string before = ReadAll(file);
    YPlatformFileLock holder;
    ASSERT_EQ(holder.Lock(library.LockFileName(), 0), YPlatformFileLock::Result::kLocked);

    library.SetLockTimeout(80);
    bool called = false;
    const std::string message = Raised([&] { library.Change([&](YPresetTree&) { called = true; }); });
    EXPECT_FALSE(called);
    EXPECT_NE(message.find("being changed by another instance"), std::string::npos) << message;
    EXPECT_NE(message.find("80 ms"), std::string::npos) << message;
    EXPECT_EQ(ReadAll(file), before);
    EXPECT_NE(Raised([&] { library.Save(); }), "(nothing raised)");

    // Reading does not need the lock badly enough to fail for it.
    YPresetLibrary reader(scratch.Folder(), "Vornik");
    reader.SetLockTimeout(0);
    reader.Load();
    EXPECT_EQ(PresetNames(reader), (std::set<std::string>{"first"}));
}

// Where the lock file cannot be made: its name taken by a folder (root ignores permissions),
// and, where the system enforces them, a folder without write permission.
TEST_F(Sharing, AFolderThatRefusesTheLockFileGivesAClearErrorAndKeepsTheFile) {
    {
        YPresetLibrary library(scratch.Folder(), "Vornik");
        AddPreset(library, "first");
    }
    std::filesystem::remove(std::filesystem::u8path(file + ".lock"));
    std::filesystem::create_directory(std::filesystem::u8path(file + ".lock"));
    const std::string before = ReadAll(file);

    YPresetLibrary library(scratch.Folder(), "Vornik");
    library.Load();
    EXPECT_EQ(PresetNames(library), (std::set<std::string>{"first"})) << "read without the lock";
    const std::string message = Raised([&] { AddPreset(library, "second"); });
    EXPECT_NE(message.find("could not be created"), std::string::npos) << message;
    EXPECT_NE(message.find("read-only"), std::string::npos) << message;
    EXPECT_EQ(ReadAll(file), before);
    EXPECT_EQ(PresetNames(library), (std::set<std::string>{"first"}));
}

#ifndef _WIN32
TEST_F(Sharing, AReadOnlyDataFolderGivesAClearErrorAndKeepsTheFile) {
    ScratchFolder other;
    {
        YPresetLibrary library(other.Folder(), "Vornik");
        AddPreset(library, "first");
    }
    std::filesystem::remove(std::filesystem::u8path(other.Path("Vornikpresets.xml.lock")));
    const std::string before = ReadAll(other.Path("Vornikpresets.xml"));
    const auto folder = std::filesystem::u8path(other.Path());
    std::filesystem::permissions(folder, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    struct Restore {
        std::filesystem::path path;
        ~Restore() { std::filesystem::permissions(path, std::filesystem::perms::owner_all); }
    } restore{folder};
    WriteAll(other.Path("probe"), "x");
    if (std::filesystem::exists(std::filesystem::u8path(other.Path("probe"))))
        GTEST_SKIP() << "this user writes into read-only folders";

    YPresetLibrary library(other.Folder(), "Vornik");
    library.Load();
    const std::string message = Raised([&] { AddPreset(library, "second"); });
    EXPECT_NE(message.find("read-only"), std::string::npos) << message;
    EXPECT_EQ(ReadAll(other.Path("Vornikpresets.xml")), before);
}
#endif

TEST_F(Sharing, AnUnreadableFileIsToldSetAsideAndNeverOverwritten) {
    WriteAll(file, "<Presets><Directory Name=\"x\">");
    ReportRecorder reports;
    RecordingQuestions questions;
    YPresetLibrary library(scratch.Folder(), "Vornik");
    library.SetUserQuestions(&questions);
    EXPECT_THROW(library.Load(), YException);
    ASSERT_EQ(questions.told.size(), 1u);
    EXPECT_NE(questions.told[0].find("could not be read"), std::string::npos) << questions.told[0];
    EXPECT_EQ(g_reported, questions.told);

    // Another instance's change also finds the file unreadable: it writes a new library and
    // the broken one is kept beside it.
    YPresetLibrary other(scratch.Folder(), "Vornik");
    other.SetUserQuestions(&questions);
    const YPresetLibrary::ChangeResult result = other.Change([](YPresetTree& tree) {
        YPresetTree::StorePreset(tree.TopFolder(), "new", *SampleSettings());
    });
    EXPECT_NE(result.notice.ToUTF8().find("Vornikpresets.xml.unreadable"), std::string::npos);
    ASSERT_EQ(questions.told.size(), 2u);
    EXPECT_EQ(questions.told[1], result.notice.ToUTF8());
    EXPECT_EQ(g_reported, questions.told);
    EXPECT_EQ(ReadAll(file + ".unreadable"), "<Presets><Directory Name=\"x\">");
    EXPECT_EQ(NamesOnDisk(), (std::set<std::string>{"new"}));

    // The first instance picks the new file up with its next change; nothing more is set aside.
    AddPreset(library, "newer");
    EXPECT_EQ(NamesOnDisk(), (std::set<std::string>{"new", "newer"}));
    EXPECT_EQ(questions.told.size(), 2u);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::u8path(file + ".unreadable2")));
}
