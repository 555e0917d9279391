#include "platform/YPlatformFolders.h"

#include "foundation/YException.h"
#include "support/ScratchFolder.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace {
std::string Utf8(const YString& text) { return text.ToUTF8(); }

bool IsAbsolute(const std::string& path) {
#ifdef _WIN32
    return (path.size() >= 3 && path[1] == ':' && path[2] == '\\') || path.rfind("\\\\", 0) == 0;
#else
    return !path.empty() && path[0] == '/';
#endif
}

TEST(YPlatformFoldersTest, EveryKindIsAnAbsoluteFolderWithoutTrailingSeparator) {
    for (int32_t kind = 0; kind < YPlatformFolders::kKindCount; ++kind) {
        const std::string folder = Utf8(YPlatformFolders::Get(kind));
        EXPECT_TRUE(IsAbsolute(folder)) << kind << ": " << folder;
        const bool root = folder.size() <= 3; // "/" or "C:\"
        const bool trailing = !root && (folder.back() == '/' || folder.back() == '\\');
        EXPECT_FALSE(trailing) << kind << ": " << folder;
    }
    const std::string separator =
#ifdef _WIN32
        "\\";
#else
        "/";
#endif
    for (int32_t kind : {0, 1}) {
        const std::string folder = Utf8(YPlatformFolders::Get(kind));
        EXPECT_EQ(folder.substr(folder.size() - 8), separator + "Quenlor") << kind;
    }
    // Common documents fall back to the user's; both name the same kind of folder.
    EXPECT_EQ(Utf8(YPlatformFolders::Get(YPlatformFolders::kDocuments)),
              Utf8(YPlatformFolders::Get(YPlatformFolders::kUserDocuments)));
    EXPECT_TRUE(std::filesystem::is_directory(std::filesystem::u8path(Utf8(YPlatformFolders::Get(15)))));
}

TEST(YPlatformFoldersTest, UnknownKindRaisesTheRetrievalError) {
    for (int32_t kind : {-1, 16, 1000}) {
        try {
            YPlatformFolders::Get(kind);
            ADD_FAILURE() << "no exception for kind " << kind;
        } catch (const YException& error) {
            EXPECT_EQ(Utf8(error.Message()), "Could not retrieve system path.");
        }
    }
}

TEST(YPlatformFoldersTest, ChildAddsExactlyOneSeparator) {
#ifdef _WIN32
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\a", "C:\\a\\YSPS"}, {"C:\\", "C:\\YSPS"}, {"C:/a/", "C:/a/YSPS"}, {"", "YSPS"}};
#else
    const std::pair<const char*, const char*> cases[] = {{"/a", "/a/YSPS"}, {"/", "/YSPS"}, {"/a/", "/a/YSPS"}, {"", "YSPS"}};
#endif
    for (auto [folder, expected] : cases)
        EXPECT_EQ(Utf8(YPlatformFolders::Child(YString::FromUTF8(folder), "YSPS")), expected) << folder;
}

#ifndef _WIN32
// Sets variables for one test and puts the previous environment back afterwards.
class Environment {
public:
    ~Environment() {
        for (auto it = m_saved.rbegin(); it != m_saved.rend(); ++it) {
            if (it->second)
                setenv(it->first.c_str(), it->second->c_str(), 1);
            else
                unsetenv(it->first.c_str());
        }
    }
    void Set(const char* name, const std::optional<std::string>& value) {
        const char* old = std::getenv(name);
        m_saved.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        if (value)
            setenv(name, value->c_str(), 1);
        else
            unsetenv(name);
    }

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> m_saved;
};


TEST(YPlatformFoldersTest, LinuxFollowsTheXdgVariables) {
    Environment environment;
    environment.Set("HOME", "/home/someone/");
    environment.Set("XDG_CONFIG_HOME", "/srv/config");
    environment.Set("XDG_CONFIG_DIRS", "relative/ignored:/etc/site-xdg/:/etc/xdg");
    environment.Set("XDG_DATA_HOME", std::nullopt);
    environment.Set("XDG_DATA_DIRS", "/usr/local/share:/usr/share");
    environment.Set("XDG_DOCUMENTS_DIR", "/data/docs/");
    environment.Set("XDG_DESKTOP_DIR", "/data/desk");
    environment.Set("TMPDIR", "/");
    const std::pair<int32_t, const char*> cases[] = {
        {0, "/etc/site-xdg/Quenlor"},   {1, "/srv/config/Quenlor"},   {2, "/data/docs"},
        {3, "/data/docs"},              {4, "/data/docs"},            {5, "/opt"},
        {6, "/usr/local/lib"},          {7, "/usr/local/share/applications"},
        {8, "/home/someone/.local/share/applications"},               {9, "/usr/local/share/applications"},
        {10, "/home/someone/.local/share/applications"},              {11, "/data/desk"},
        {12, "/data/desk"},             {13, "/usr"},                 {14, "/home/someone/.local/share/fonts"},
        {15, "/"},
    };
    for (auto [kind, expected] : cases) EXPECT_EQ(Utf8(YPlatformFolders::Get(kind)), expected) << kind;
}

TEST(YPlatformFoldersTest, LinuxFallsBackWhenVariablesAreMissingOrRelative) {
    ScratchFolder scratch;
    Environment environment;
    environment.Set("HOME", scratch.Path());
    environment.Set("XDG_CONFIG_HOME", "not/absolute");
    environment.Set("XDG_CONFIG_DIRS", std::nullopt);
    environment.Set("XDG_DATA_HOME", std::nullopt);
    environment.Set("XDG_DATA_DIRS", "");
    environment.Set("XDG_DOCUMENTS_DIR", std::nullopt);
    environment.Set("XDG_DESKTOP_DIR", std::nullopt);
    environment.Set("TMPDIR", scratch.Path() + "/does-not-exist");
    EXPECT_EQ(Utf8(YPlatformFolders::Get(0)), "/etc/xdg/Quenlor");
    EXPECT_EQ(Utf8(YPlatformFolders::Get(1)), scratch.Path() + "/.config/Quenlor");
    EXPECT_EQ(Utf8(YPlatformFolders::Get(2)), scratch.Path() + "/Documents");
    EXPECT_EQ(Utf8(YPlatformFolders::Get(7)), "/usr/share/applications");
    EXPECT_EQ(Utf8(YPlatformFolders::Get(12)), scratch.Path() + "/Desktop");
    EXPECT_EQ(Utf8(YPlatformFolders::Get(15)), "/tmp");
}

TEST(YPlatformFoldersTest, LinuxReadsTheUserDirsFile) {
    ScratchFolder scratch;
    Environment environment;
    environment.Set("HOME", scratch.Path());
    environment.Set("XDG_CONFIG_HOME", std::nullopt);
    environment.Set("XDG_DOCUMENTS_DIR", std::nullopt);
    environment.Set("XDG_DESKTOP_DIR", std::nullopt);
    std::filesystem::create_directories(scratch.Path() + "/.config");
    std::ofstream(scratch.Path() + "/.config/user-dirs.dirs")
        << "# written by xdg-user-dirs-update\n"
           "XDG_DESKTOP_DIR=\"/mnt/Schreibtisch\"\n"
           "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n"
           "XDG_MUSIC_DIR=\"$HOME/Musik\"\n";
    EXPECT_EQ(Utf8(YPlatformFolders::Get(2)), scratch.Path() + "/Dokumente");
    EXPECT_EQ(Utf8(YPlatformFolders::Get(12)), "/mnt/Schreibtisch");
}
#endif
} // namespace
