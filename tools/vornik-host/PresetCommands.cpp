#include "PresetCommands.h"

#include "entry/VornikIdentity.h"
#include "foundation/YException.h"
#include "foundation/YMemoryStream.h"
#include "platform/YPlatformFile.h"
#include "presets/YPresetContent.h"
#include "presets/YPresetExport.h"
#include "presets/YPresetLibrary.h"


namespace {

const YString& Product() {
    static const YString name(VornikIdentity::kProductName);
    return name;
}

// "A/B/C" into its names; empty names (leading, trailing or doubled slashes) are dropped.
std::vector<YString> SplitPath(const std::string& path) {
    std::vector<YString> names;
    std::string name;
    for (char c : path + "/") {
        if (c != '/') {
            name += c;
        } else if (!name.empty()) {
            names.push_back(YString::FromUTF8(name));
            name.clear();
        }
    }
    return names;
}

std::string JoinPath(const std::vector<std::string>& names) {
    std::string path;
    for (const std::string& name : names) path += (path.empty() ? "" : "/") + name;
    return path;
}

// Any framework error becomes the host's own, so main() prints it and exits with 1.
template <class F> auto Guarded(F&& body) -> decltype(body()) {
    try {
        return body();
    } catch (const YException& error) {
        throw HostError(error.Message().ToUTF8());
    }
}

// Reads the library; a missing file is an error here (there is nothing to list or load).
void Read(YPresetLibrary& library) {
    if (!YPlatformFile::Exists(library.FileName()))
        throw HostError("No preset file \"" + library.FileName().ToUTF8() + "\"");
    library.Load();
}

void Walk(const YXMLItem& folder, std::vector<std::string>& path, std::vector<std::string>& out) {
    for (const YXMLItem& child : folder.Children()) {
        if (YPresetTree::IsPreset(child)) {
            path.push_back(YPresetTree::ItemName(child).ToUTF8());
            out.push_back(JoinPath(path));
            path.pop_back();
        } else if (YPresetTree::IsFolder(child)) {
            path.push_back(YPresetTree::ItemName(child).ToUTF8());
            Walk(child, path, out);
            path.pop_back();
        }
    }
}

int32_t CountPresets(const YXMLItem& folder) {
    int32_t count = 0;
    for (const YXMLItem& child : folder.Children()) {
        if (YPresetTree::IsPreset(child)) ++count;
        else if (YPresetTree::IsFolder(child)) count += CountPresets(child);
    }
    return count;
}

YXMLItem& FolderAt(YPresetLibrary& library, const std::string& folderPath) {
    YXMLItem* folder = library.Tree().FindFolderPath(SplitPath(folderPath));
    if (!folder) throw HostError("No preset folder \"" + folderPath + "\" in \"" + library.FileName().ToUTF8() + "\"");
    return *folder;
}

} // namespace

namespace PresetCommands {

std::string LibraryFolder(const std::string& folder) {
    if (!folder.empty()) return folder;
    return Guarded([] { return YPresetLibrary::DataFolder(Product()).ToUTF8(); });
}

std::vector<std::string> List(const std::string& folder) {
    return Guarded([&] {
        YPresetLibrary library(YString::FromUTF8(LibraryFolder(folder)), Product());
        Read(library);
        std::vector<std::string> out, path;
        Walk(library.Tree().TopFolder(), path, out);
        return out;
    });
}

std::vector<uint8_t> StateOf(const std::string& folder, const std::string& path) {
    return Guarded([&] {
        YPresetLibrary library(YString::FromUTF8(LibraryFolder(folder)), Product());
        Read(library);
        std::vector<YString> names = SplitPath(path);
        if (names.empty()) throw HostError("--preset needs a name: \"" + path + "\"");
        const YString name = names.back();
        names.pop_back();
        const YXMLItem* parent = library.Tree().FindFolderPath(names);
        const YXMLItem* preset = parent ? YPresetTree::FindPreset(*parent, name) : nullptr;
        if (!preset) {
            std::string message = "No preset \"" + path + "\" in \"" + library.FileName().ToUTF8() + "\"";
            if (parent) {
                std::string known;
                for (const YXMLItem* item : YPresetTree::PresetsIn(*parent))
                    known += (known.empty() ? "" : ", ") + YPresetTree::ItemName(*item).ToUTF8();
                if (!known.empty()) message += "; that folder holds: " + known;
            } else {
                message += "; no such folder";
            }
            throw HostError(message);
        }
        const std::unique_ptr<YXMLDocument> settings = YPresetContent::Settings(*preset);
        YMemoryStream stream;
        settings->SaveCompressed(stream);
        const uint8_t* data = stream.GetData();
        return std::vector<uint8_t>(data, data + stream.GetSize());
    });
}

int32_t Export(const std::string& folder, const std::string& folderPath, const std::string& file) {
    return Guarded([&] {
        YPresetLibrary library(YString::FromUTF8(LibraryFolder(folder)), Product());
        Read(library);
        const YXMLItem& source = FolderAt(library, folderPath);
        YPresetExport::Export(source, YString::FromUTF8(file));
        return CountPresets(source);
    });
}

int32_t Import(const std::string& folder, const std::string& folderPath, const std::string& file) {
    return Guarded([&] {
        YPresetLibrary library(YString::FromUTF8(LibraryFolder(folder)), Product());
        if (YPlatformFile::Exists(library.FileName())) library.Load();
        int32_t count = 0;
        library.Change([&](YPresetTree& tree) {
            YXMLItem* target = &tree.TopFolder();
            for (const YString& name : SplitPath(folderPath)) {
                YXMLItem* next = YPresetTree::FindFolder(*target, name);
                target = next ? next : &YPresetTree::AddFolder(*target, name);
            }
            YPresetExport::Import(*target, YString::FromUTF8(file));
            count = CountPresets(*target);
        });
        return count;
    });
}

} // namespace PresetCommands
