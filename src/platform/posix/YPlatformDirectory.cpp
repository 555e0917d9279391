#include "platform/YPlatformDirectory.h"

#include "platform/YPlatformFolders.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void List(const std::string& folder, std::vector<YString>& files, int32_t depth, size_t maxFiles) {
    DIR* dir = opendir(folder.c_str());
    if (!dir) return;
    while (files.size() < maxFiles) {
        const dirent* entry = readdir(dir);
        if (!entry) break;
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        const std::string path = folder + "/" + name;
        struct stat info {};
        if (lstat(path.c_str(), &info) != 0) continue;
        if (S_ISLNK(info.st_mode) && stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) continue;
        if (S_ISDIR(info.st_mode)) {
            if (depth > 0) List(path, files, depth - 1, maxFiles);
        } else if (S_ISREG(info.st_mode)) {
            files.push_back(YString::FromUTF8(path));
        }
    }
    closedir(dir);
}

// The text of each <dir>...</dir> element of fontconfig's main configuration file. A "~/"
// start means the home folder; prefix attributes other than none are the per-user folders
// added below anyway.
void ConfiguredFolders(std::vector<YString>& folders) {
    const char* config = std::getenv("FONTCONFIG_FILE");
    std::FILE* f = std::fopen(config && *config ? config : "/etc/fonts/fonts.conf", "rb");
    if (!f) return;
    std::string text;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0 && text.size() < (1u << 20)) text.append(buffer, n);
    std::fclose(f);
    const char* home = std::getenv("HOME");
    for (size_t at = text.find("<dir"); at != std::string::npos; at = text.find("<dir", at + 4)) {
        const size_t open = text.find('>', at);
        if (open == std::string::npos) break;
        const std::string tag = text.substr(at, open - at);
        if (tag.size() > 4 && tag[4] != ' ' && tag[4] != '\t') continue; // <dirname> and the like
        if (tag.find("prefix=") != std::string::npos) continue;
        const size_t close = text.find("</dir>", open);
        if (close == std::string::npos) break;
        std::string folder = text.substr(open + 1, close - open - 1);
        if (folder.rfind("~/", 0) == 0) {
            if (!home) continue;
            folder = std::string(home) + folder.substr(1);
        }
        if (!folder.empty() && folder[0] == '/') folders.push_back(YString::FromUTF8(folder));
    }
}

} // namespace

void YPlatformDirectory::ListFiles(const YString& folder, std::vector<YString>& files, int32_t maxDepth,
                                   size_t maxFiles) {
    if (!folder.IsEmpty()) List(folder.ToUTF8(), files, maxDepth, maxFiles);
}

std::vector<YString> YPlatformDirectory::FontFolders() {
    std::vector<YString> folders;
    ConfiguredFolders(folders);
    for (const char* fixed : {"/usr/share/fonts", "/usr/local/share/fonts"}) {
        const YString f = YString::FromUTF8(fixed);
        bool known = false;
        for (const YString& g : folders) known = known || g == f;
        if (!known) folders.push_back(f);
    }
    try {
        folders.push_back(YPlatformFolders::Get(YPlatformFolders::kFonts));
    } catch (...) {
        // No home: the system folders are enough.
    }
    if (const char* home = std::getenv("HOME"); home && *home) folders.push_back(YString::FromUTF8(std::string(home) + "/.fonts"));
    return folders;
}
