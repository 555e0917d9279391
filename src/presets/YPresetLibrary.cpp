#include "presets/YPresetLibrary.h"

#include "foundation/YException.h"
#include "platform/YPlatformFile.h"
#include "platform/YPlatformFolders.h"
#include "platform/YStdFileStream.h"
#include "presets/YPresetFileWriter.h"

#include <memory>

YString YPresetLibrary::DataFolder(const YString& productName) {
    return YPlatformFolders::Child(YPlatformFolders::Get(YPlatformFolders::kApplicationData), productName);
}

YPresetLibrary::YPresetLibrary(const YString& folder, const YString& productName)
    : m_fileName(YPlatformFolders::Child(folder, productName + YString::Literal(kPresetFileSuffix))),
      m_activeFileName(YPlatformFolders::Child(folder, productName + YString::Literal(kActiveFileSuffix))) {}

YPresetLibrary::LoadResult YPresetLibrary::Load() {
    LoadResult result;
    m_tree.Clear();
    m_unreadable = false;
    if (!YPlatformFile::Exists(m_fileName)) return result;
    auto document = std::make_unique<YXMLDocument>();
    try {
        YStdFileStream stream(m_fileName, YStdFileStream::kRead);
        document->Load(stream);
    } catch (const YException& error) {
        m_unreadable = true;
        YRaiseFormat(YException::kGeneral,
                     "The preset file \"{0}\" could not be read. {1} It is left as it is and will be moved aside "
                     "before presets are saved again.",
                     m_fileName, error.Message());
    }
    m_tree.Assign(std::move(document));
    result.converted = m_tree.ConvertInlinePresets();
    if (result.converted > 0) {
        // Rewritten at once so that the older form is read only once.
        try {
            Save();
            result.rewritten = true;
        } catch (const YException& error) {
            result.notice = error.Message();
        }
    }
    return result;
}

YString YPresetLibrary::Save() {
    // An unreadable file is never written over: the user's presets in it may still be
    // recoverable by hand.
    const YString asideName = YPresetFileWriter::Write(
        m_tree.Document(), m_fileName,
        m_unreadable ? YPresetFileWriter::Previous::kSetAside : YPresetFileWriter::Previous::kKeepBackup);
    m_unreadable = false;
    if (asideName.IsEmpty()) return YString();
    return YFormat::Text("The preset file \"{0}\" could not be read; it has been kept as \"{1}\".", m_fileName,
                         asideName);
}
