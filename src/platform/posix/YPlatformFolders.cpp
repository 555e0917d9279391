#include "platform/YPlatformFolders.h"

#include "foundation/YException.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <pwd.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {
[[noreturn]] void RaiseNotRetrieved(const std::string& detail) {
    YString message("Could not retrieve system path.");
    if (!detail.empty()) message = message + YString(" ") + YString::FromUTF8(detail);
    YRaise(message);
}

// The XDG conventions ignore relative paths in their variables.
std::string AbsoluteVariable(const char* name) {
    const char* value = std::getenv(name);
    if (!value || value[0] != '/') return std::string();
    return value;
}

std::string WithoutTrailingSeparators(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

std::string Home() {
    std::string home = AbsoluteVariable("HOME");
    if (!home.empty()) return WithoutTrailingSeparators(home);
    // No HOME (services, stripped environments): the password database still knows it.
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry {};
    passwd* found = nullptr;
    int error = getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found);
    if (found && found->pw_dir && found->pw_dir[0] == '/') return WithoutTrailingSeparators(found->pw_dir);
    RaiseNotRetrieved(error != 0 ? std::strerror(error) : "The user has no home folder.");
}

// First absolute entry of a colon-separated list, or the fallback.
std::string FirstListEntry(const char* variable, const char* fallback) {
    const char* value = std::getenv(variable);
    if (value) {
        std::string list(value);
        std::size_t start = 0;
        while (start <= list.size()) {
            std::size_t end = list.find(':', start);
            if (end == std::string::npos) end = list.size();
            std::string entry = list.substr(start, end - start);
            if (!entry.empty() && entry[0] == '/') return WithoutTrailingSeparators(entry);
            start = end + 1;
        }
    }
    return fallback;
}

std::string ConfigHome() {
    std::string config = AbsoluteVariable("XDG_CONFIG_HOME");
    return config.empty() ? Home() + "/.config" : WithoutTrailingSeparators(config);
}

std::string DataHome() {
    std::string data = AbsoluteVariable("XDG_DATA_HOME");
    return data.empty() ? Home() + "/.local/share" : WithoutTrailingSeparators(data);
}

// A user directory (XDG_DOCUMENTS_DIR, XDG_DESKTOP_DIR): the variable, then the user-dirs.dirs
// file that desktop sessions keep (lines such as XDG_DESKTOP_DIR="$HOME/Desktop"), then
// the conventional folder in the home folder.
std::string UserDirectory(const char* key, const char* fallbackName) {
    std::string direct = AbsoluteVariable(key);
    if (!direct.empty()) return WithoutTrailingSeparators(direct);
    const std::string home = Home();
    const std::string fileName = ConfigHome() + "/user-dirs.dirs";
    if (std::FILE* file = std::fopen(fileName.c_str(), "r")) {
        std::string found;
        char line[4096];
        const std::string prefix = std::string(key) + "=\"";
        while (std::fgets(line, sizeof line, file)) {
            std::string text(line);
            while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
            if (text.compare(0, prefix.size(), prefix) != 0 || text.back() != '"') continue;
            std::string value = text.substr(prefix.size(), text.size() - prefix.size() - 1);
            if (value.compare(0, 5, "$HOME") == 0) {
                value = home + value.substr(5);
            } else if (value.empty() || value[0] != '/') {
                continue;
            }
            found = WithoutTrailingSeparators(value);
        }
        std::fclose(file);
        // "$HOME/" alone means the user switched the folder off; the home folder stands in.
        if (!found.empty()) return found;
    }
    return home + "/" + fallbackName;
}

bool IsDirectory(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string Resolve(int32_t kind) {
    const std::string maker = std::string("/") + YPlatformFolders::kMakerFolder;
    switch (kind) {
    case YPlatformFolders::kCommonApplicationData:
        return FirstListEntry("XDG_CONFIG_DIRS", "/etc/xdg") + maker;
    case YPlatformFolders::kApplicationData:
        return ConfigHome() + maker;
    case YPlatformFolders::kDocuments:
    case YPlatformFolders::kCommonDocuments: // no shared documents folder on Linux
    case YPlatformFolders::kUserDocuments:
        return UserDirectory("XDG_DOCUMENTS_DIR", "Documents");
    case YPlatformFolders::kProgramFiles:
        return "/opt";
    case YPlatformFolders::kCommonProgramFiles:
        return "/usr/local/lib";
    case YPlatformFolders::kCommonStartMenu:
    case YPlatformFolders::kCommonPrograms:
        return FirstListEntry("XDG_DATA_DIRS", "/usr/share") + "/applications";
    case YPlatformFolders::kStartMenu:
    case YPlatformFolders::kPrograms:
        return DataHome() + "/applications";
    case YPlatformFolders::kCommonDesktop: // no shared desktop either
    case YPlatformFolders::kDesktop:
        return UserDirectory("XDG_DESKTOP_DIR", "Desktop");
    case YPlatformFolders::kSystem:
        return "/usr";
    case YPlatformFolders::kFonts:
        return DataHome() + "/fonts";
    case YPlatformFolders::kTemporary: {
        std::string temporary = AbsoluteVariable("TMPDIR");
        if (!temporary.empty()) {
            temporary = WithoutTrailingSeparators(temporary);
            if (IsDirectory(temporary)) return temporary;
        }
        return "/tmp";
    }
    default:
        RaiseNotRetrieved(std::string());
    }
}
} // namespace

YString YPlatformFolders::Get(int32_t kind) { return YString::FromUTF8(Resolve(kind)); }

YString YPlatformFolders::Child(const YString& folder, const YString& name) {
    if (folder.IsEmpty()) return name;
    if (folder[folder.Length() - 1] == u'/') return folder + name;
    return folder + YString("/") + name;
}
