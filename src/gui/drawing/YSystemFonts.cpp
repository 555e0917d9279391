// YFont's system font list: every face in the system's font folders, by family and style.
#include "gui/drawing/YFont.h"

#include "foundation/YException.h"
#include "platform/YPlatformDirectory.h"
#include "platform/YSynchronizer.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cctype>
#include <string>

namespace {

struct SystemFace {
    YString path;
    std::string family; // lower case
    bool bold = false;
    bool italic = false;
};

struct Registry {
    YLock lock;
    bool scanned = false;
    std::vector<SystemFace> faces;
};

Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

bool IsFontFile(const std::string& path) {
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos) return false;
    const std::string ext = Lower(path.substr(dot + 1));
    return ext == "ttf" || ext == "otf" || ext == "ttc";
}

// Limits that keep a scan of a strange system bounded.
constexpr int32_t kMaxDepth = 6;
constexpr size_t kMaxFiles = 20000;

void Scan(std::vector<SystemFace>& faces, const std::vector<YString>& folders) {
    faces.clear();
    std::vector<YString> files;
    for (const YString& folder : folders)
        YPlatformDirectory::ListFiles(folder, files, kMaxDepth, kMaxFiles);
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) return;
    for (const YString& file : files) {
        const std::string path = file.ToUTF8();
        if (!IsFontFile(path)) continue;
        // Opening by path reads only the tables that name the face.
        FT_Face face = nullptr;
        if (FT_New_Face(library, path.c_str(), 0, &face) != 0) continue;
        if (face->family_name && FT_IS_SCALABLE(face))
            faces.push_back({file, Lower(face->family_name), (face->style_flags & FT_STYLE_FLAG_BOLD) != 0,
                             (face->style_flags & FT_STYLE_FLAG_ITALIC) != 0});
        FT_Done_Face(face);
    }
    FT_Done_FreeType(library);
}

} // namespace

size_t YFont::ReScanSystemFonts() { return ReScanSystemFonts(YPlatformDirectory::FontFolders()); }

size_t YFont::ReScanSystemFonts(const std::vector<YString>& folders) {
    Registry& r = TheRegistry();
    YScopedLock hold(r.lock);
    Scan(r.faces, folders);
    r.scanned = true;
    return r.faces.size();
}

std::unique_ptr<YFont> YFont::Find(const YFontDescriptor& descriptor) {
    YString path;
    {
        Registry& r = TheRegistry();
        YScopedLock hold(r.lock);
        if (!r.scanned) {
            Scan(r.faces, YPlatformDirectory::FontFolders());
            r.scanned = true;
        }
        const std::string family = Lower(descriptor.family.ToUTF8());
        bool familyFound = false;
        for (const SystemFace& face : r.faces) {
            if (face.family != family) continue;
            familyFound = true;
            if (face.bold == descriptor.bold && face.italic == descriptor.italic) {
                path = face.path;
                break;
            }
        }
        if (path.IsEmpty()) {
            if (familyFound)
                YRaiseFormat(YException::kGeneral, "Font {0} was not found in the system with correct styles.",
                             descriptor.family);
            YRaiseFormat(YException::kGeneral, "Font {0} was not found in the system.", descriptor.family);
        }
    }
    return FromFile(path, descriptor.pixelSize);
}
