#include "presets/YFactoryPresets.h"

#include "foundation/YMemoryStream.h"
#include "foundation/YResource.h"
#include "platform/YPlatformFile.h"
#include "presets/YPresetFileWriter.h"
#include "presets/YPresetLibrary.h"
#include "presets/YPresetTree.h"

#include "presets/YPresetContent.h"

Y_DECLARE_RESOURCE(FactoryPresets)
Y_DECLARE_RESOURCE(FactoryActivePresets)

namespace {

std::unique_ptr<YXMLDocument> Parse(const YEmbeddedResource& resource) {
    const std::vector<uint8_t> bytes = YResource::Inflate(resource);
    YMemoryStream stream;
    stream.Attach(bytes.data(), static_cast<int32_t>(bytes.size()));
    auto document = std::make_unique<YXMLDocument>();
    document->Load(stream);
    return document;
}

// Raised inside the change transaction when another instance wrote the file first: the
// transaction then writes nothing.
struct AlreadyThere {};

} // namespace

std::unique_ptr<YXMLDocument> YFactoryPresets::Library() {
    YPresetTree tree;
    tree.Assign(Parse(YResources::FactoryPresets));
    tree.ConvertInlinePresets();
    auto document = std::make_unique<YXMLDocument>(tree.Document().GetName());
    YPresetContent::CopyTree(tree.Document(), *document);
    return document;
}

std::unique_ptr<YXMLDocument> YFactoryPresets::ActivePresets() { return Parse(YResources::FactoryActivePresets); }

YFactoryPresets::InstallResult YFactoryPresets::InstallIfMissing(const YString& folder, const YString& productName) {
    InstallResult result;
    YPresetLibrary library(folder, productName);
    if (!YPlatformFile::Exists(library.FileName())) {
        std::unique_ptr<YXMLDocument> factory = Library();
        try {
            library.Change([&](YPresetTree& tree) {
                if (YPlatformFile::Exists(library.FileName())) throw AlreadyThere{};
                tree.Assign(std::move(factory));
            });
            result.libraryWritten = true;
        } catch (const AlreadyThere&) {
        }
    }
    if (!YPlatformFile::Exists(library.ActiveFileName())) {
        YPresetFileWriter::Write(*ActivePresets(), library.ActiveFileName(), YPresetFileWriter::Previous::kDiscard);
        result.activeWritten = true;
    }
    return result;
}
