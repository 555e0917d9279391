#include "presets/YActivePresets.h"

#include "foundation/YException.h"
#include "foundation/YXMLDocument.h"
#include "platform/YPlatformFile.h"
#include "platform/YPlatformFolders.h"
#include "platform/YStdFileStream.h"
#include "presets/YPresetContent.h"
#include "presets/YPresetLibrary.h"

void YActivePresets::Load(const YString& fileName) {
    if (!YPlatformFile::Exists(fileName)) {
        m_prefix = YString();
        m_presets.clear();
        return;
    }
    YXMLDocument document;
    try {
        YStdFileStream stream(fileName, YStdFileStream::kRead);
        document.Load(stream);
    } catch (const YException& error) {
        YRaiseFormat(YException::kGeneral, "The active presets file \"{0}\" could not be read. {1}", fileName,
                     error.Message());
    }
    std::vector<Entry> presets;
    for (const YXMLItem& child : document.Children()) {
        if (child.GetName() != YString::Literal("preset")) continue;
        Entry entry;
        entry.name = child.GetAttribute(YString::Literal("Name"), YString());
        entry.settings = std::make_unique<YXMLItem>(YString::Literal(YPresetContent::kSettingsRoot));
        YPresetContent::CopyTree(child, *entry.settings);
        entry.settings->RemoveAttribute(YString::Literal("Name"));
        presets.push_back(std::move(entry));
    }
    m_prefix = document.GetAttribute(YString::Literal("NamePrefix"), YString());
    m_presets = std::move(presets);
}

YString YActivePresets::DisplayName(int32_t index) const {
    if (index < 0 || index >= Count()) YRaiseIndexOutOfRange();
    return m_prefix + m_presets[static_cast<size_t>(index)].name;
}

const YXMLItem& YActivePresets::Settings(int32_t index) const {
    if (index < 0 || index >= Count()) YRaiseIndexOutOfRange();
    return *m_presets[static_cast<size_t>(index)].settings;
}

std::unique_ptr<YActivePresetCatalog> YActivePresetFileLoader::Load(const YString& productName) const {
    const YString folder = m_folder.IsEmpty() ? YPresetLibrary::DataFolder(productName) : m_folder;
    const YString fileName =
        YPlatformFolders::Child(folder, productName + YString::Literal(YPresetLibrary::kActiveFileSuffix));
    if (!YPlatformFile::Exists(fileName)) return nullptr;
    auto presets = std::make_unique<YActivePresets>();
    presets->Load(fileName);
    return presets;
}
