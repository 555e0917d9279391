#include "presets/YPresetLibrary.h"

#include "core/YUserQuestions.h"
#include "foundation/YException.h"
#include "foundation/YXMLCopy.h"
#include "platform/YPlatformEnvironment.h"
#include "platform/YPlatformFileLock.h"
#include "platform/YPlatformFolders.h"
#include "platform/YStdFileStream.h"
#include "presets/YPresetFileWriter.h"

#include <memory>

YString YPresetLibrary::DataFolder(const YString& productName) {
    YString overridden;
    if (YPlatformEnvironment::Get(DataFolderVariable(productName).c_str(), overridden) && !overridden.IsEmpty())
        return overridden;
    return YPlatformFolders::Child(YPlatformFolders::Get(YPlatformFolders::kApplicationData), productName);
}

std::string YPresetLibrary::DataFolderVariable(const YString& productName) {
    std::string name = productName.ToUTF8();
    for (char& c : name) c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    return name + "_DATA_FOLDER";
}

YPresetLibrary::YPresetLibrary(const YString& folder, const YString& productName)
    : m_fileName(YPlatformFolders::Child(folder, productName + YString::Literal(kPresetFileSuffix))),
      m_activeFileName(YPlatformFolders::Child(folder, productName + YString::Literal(kActiveFileSuffix))),
      m_lockFileName(m_fileName + YString::Literal(kLockSuffix)) {}

YPresetLibrary::~YPresetLibrary() = default;

void YPresetLibrary::Tell(const YString& message) const {
    YReportError(message);
    if (m_questions != nullptr) m_questions->Tell(message);
}

bool YPresetLibrary::TakeLock(YPlatformFileLock& lock, bool required) {
    const YPlatformFileLock::Result result = lock.Lock(m_lockFileName, m_lockTimeoutMs);
    if (result == YPlatformFileLock::Result::kLocked) return true;
    if (!required) return false;
    if (result == YPlatformFileLock::Result::kTimedOut)
        YRaiseFormat(YException::kGeneral,
                     "The preset file \"{0}\" is being changed by another instance: its lock \"{1}\" was not "
                     "released within {2} ms. Nothing was changed.",
                     m_fileName, m_lockFileName, YString::FromInteger(static_cast<int64_t>(m_lockTimeoutMs)));
    YRaiseFormat(YException::kGeneral,
                 "The preset file \"{0}\" cannot be changed: its lock \"{1}\" could not be created ({2}). The "
                 "folder may be read-only. Nothing was changed.",
                 m_fileName, m_lockFileName, lock.ErrorText());
}

bool YPresetLibrary::NeedsReading(YPlatformFileLock& lock) const {
    if (!m_known || YPlatformFile::Stamp(m_fileName) != m_stamp) return true;
    // The counter catches what the stamp cannot: another instance's write within one tick of
    // the clock that kept the size (and, on some file systems, reused the file's identity).
    uint64_t counter = 0;
    return !lock.ReadCounter(counter) || !m_counterKnown || counter != m_counter;
}

int32_t YPresetLibrary::ReadFile(YPlatformFileLock* lock) {
    m_tree.Clear();
    m_unreadable = false;
    // Taken before reading: a write after it shows up as a changed stamp later, never as a
    // change that went unnoticed.
    m_stamp = YPlatformFile::Stamp(m_fileName);
    m_counterKnown = lock != nullptr && lock->ReadCounter(m_counter);
    m_known = true;
    if (!m_stamp.exists) return 0;
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
    return m_tree.ConvertInlinePresets();
}

YString YPresetLibrary::WriteLocked(YPlatformFileLock& lock) {
    // An unreadable file is never written over: the user's presets in it may still be
    // recoverable by hand.
    const YString asideName = YPresetFileWriter::Write(
        m_tree.Document(), m_fileName,
        m_unreadable ? YPresetFileWriter::Previous::kSetAside : YPresetFileWriter::Previous::kKeepBackup);
    m_unreadable = false;
    uint64_t counter = 0;
    m_counterKnown = lock.ReadCounter(counter) && lock.WriteCounter(counter + 1);
    m_counter = counter + 1;
    m_stamp = YPlatformFile::Stamp(m_fileName);
    m_known = true;
    if (asideName.IsEmpty()) return YString();
    const YString notice = YFormat::Text(
        "The preset file \"{0}\" could not be read; it has been kept as \"{1}\".", m_fileName, asideName);
    Tell(notice);
    return notice;
}

YPresetLibrary::LoadResult YPresetLibrary::Load() {
    LoadResult result;
    if (!YPlatformFile::Exists(m_fileName)) {
        // Nothing to read, and nothing is created for it.
        ReadFile(nullptr);
        return result;
    }
    YPlatformFileLock lock;
    YString lockProblem;
    try {
        TakeLock(lock, true);
    } catch (const YException& error) {
        lockProblem = error.Message();
    }
    try {
        result.converted = ReadFile(lock.IsLocked() ? &lock : nullptr);
    } catch (const YException& error) {
        Tell(error.Message());
        throw;
    }
    if (result.converted > 0) {
        // Rewritten at once so that the older form is read only once.
        try {
            if (!lock.IsLocked()) YRaise(lockProblem);
            WriteLocked(lock);
            result.rewritten = true;
        } catch (const YException& error) {
            result.notice = error.Message();
        }
    }
    return result;
}

YPresetLibrary::ChangeResult YPresetLibrary::Change(const std::function<void(YPresetTree&)>& change) {
    const YString folder = YPlatformFile::ParentDirectory(m_fileName);
    if (!folder.IsEmpty() && !YPlatformFile::CreateDirectories(folder))
        YRaiseFormat(YException::kGeneral, "The folder \"{0}\" for the preset file could not be created.", folder);
    YPlatformFileLock lock;
    TakeLock(lock, true);
    ChangeResult result;
    if (NeedsReading(lock)) {
        result.reloaded = true;
        try {
            ReadFile(&lock);
        } catch (const YException&) {
            // Unreadable: the change goes into an empty tree and the write sets the file aside,
            // which the user hears about then.
        }
    }
    auto before = std::make_unique<YXMLDocument>(m_tree.Document().GetName());
    YXMLCopyTree(m_tree.Document(), *before);
    const bool unreadable = m_unreadable;
    try {
        change(m_tree);
        result.notice = WriteLocked(lock);
    } catch (...) {
        m_tree.Assign(std::move(before));
        m_unreadable = unreadable;
        throw;
    }
    return result;
}

YString YPresetLibrary::Save() {
    const YString folder = YPlatformFile::ParentDirectory(m_fileName);
    if (!folder.IsEmpty()) YPlatformFile::CreateDirectories(folder);
    YPlatformFileLock lock;
    TakeLock(lock, true);
    return WriteLocked(lock);
}

bool YPresetLibrary::ChangedOnDisk() const { return !m_known || YPlatformFile::Stamp(m_fileName) != m_stamp; }

bool YPresetLibrary::Refresh() {
    if (!ChangedOnDisk()) return false;
    Load();
    return true;
}
