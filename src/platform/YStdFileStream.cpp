#include "platform/YStdFileStream.h"

#include "foundation/YException.h"
#include "platform/YPlatformFile.h"

#include <cstdio>

namespace {
constexpr int32_t kDiskFullCode = 256;
}

YStdFileStream::YStdFileStream(const YString& fileName, int flags) { Open(fileName, flags); }

YStdFileStream::~YStdFileStream() {
    if (m_file) std::fclose(m_file);
}

void YStdFileStream::Open(const YString& fileName, int flags) {
    Close();
    const bool create = (flags & kCreate) != 0;
    const bool write = (flags & kWrite) != 0;
    const char* mode = "rb";
    if (create) {
        // A directory that cannot be made shows up as the failure to create the file.
        YPlatformFile::CreateParentDirectories(fileName);
        mode = "w+b";
    } else if (write) {
        mode = "r+b";
    }
    std::FILE* file = YPlatformFile::Open(fileName, mode);
    if (!file) {
        if (create)
            YRaiseFormat(YException::kGeneral,
                         "File \"{0}\" could not be created. Make sure there is no write-protected file "
                         "already existing.",
                         fileName);
        YRaiseFormat(YException::kGeneral, "File \"{0}\" could not be open. Make sure it exists.", fileName);
    }
    m_file = file;
    m_fileName = fileName;
    m_last = LastOperation::kNone;
}

void YStdFileStream::Close() {
    if (m_file) {
        std::fclose(m_file);
        m_file = nullptr;
    }
    m_last = LastOperation::kNone;
}

std::FILE* YStdFileStream::File() {
    if (!m_file) YRaise("File stream is not initialized.");
    return m_file;
}

void YStdFileStream::SwitchTo(LastOperation operation) {
    if (m_last != LastOperation::kNone && m_last != operation) YPlatformFile::Seek(m_file, 0, SEEK_CUR);
    m_last = operation;
}

void YStdFileStream::Restore(int64_t position) noexcept {
    if (!m_file) return;
    std::clearerr(m_file);
    if (position >= 0) YPlatformFile::Seek(m_file, position, SEEK_SET);
    m_last = LastOperation::kNone;
}

void YStdFileStream::Write(const void* bytes, int32_t count) {
    std::FILE* file = File();
    if (count < 0 || (count > 0 && !bytes)) YRaiseIndexOutOfRange();
    if (count == 0) return;
    SwitchTo(LastOperation::kWrite);
    int64_t start = YPlatformFile::Tell(file);
    const char* data = static_cast<const char*>(bytes);
    std::size_t left = static_cast<std::size_t>(count);
    while (left > 0) {
        std::size_t written = std::fwrite(data, 1, left, file);
        if (written == 0) {
            Restore(start);
            YRaiseFormat(kDiskFullCode, "Error writing to file \"{0}\". Probably disk full.", m_fileName);
        }
        data += written;
        left -= written;
    }
}

int32_t YStdFileStream::Read(void* bytes, int32_t count) {
    std::FILE* file = File();
    if (count < 0 || (count > 0 && !bytes)) YRaiseIndexOutOfRange();
    if (count == 0) return 0;
    SwitchTo(LastOperation::kRead);
    int64_t start = YPlatformFile::Tell(file);
    std::size_t got = std::fread(bytes, 1, static_cast<std::size_t>(count), file);
    if (got < static_cast<std::size_t>(count) && std::ferror(file)) {
        Restore(start);
        YRaiseFormat(YException::kGeneral, "Error reading from file \"{0}\".", m_fileName);
    }
    return static_cast<int32_t>(got);
}

void YStdFileStream::Seek(int64_t offset, int origin) {
    std::FILE* file = File();
    int whence = SEEK_SET;
    switch (origin) {
    case kFromStart:
        whence = SEEK_SET;
        break;
    case kFromCurrent:
        whence = SEEK_CUR;
        break;
    case kFromEnd:
        whence = SEEK_END;
        break;
    default:
        YRaise("Invalid seek origin.", YException::kInvalidSeekOrigin);
    }
    int64_t start = YPlatformFile::Tell(file);
    if (!YPlatformFile::Seek(file, offset, whence) || YPlatformFile::Tell(file) < 0) {
        Restore(start);
        YRaise("Could not perform file seek.");
    }
    m_last = LastOperation::kNone;
}

int64_t YStdFileStream::GetPosition() {
    int64_t position = YPlatformFile::Tell(File());
    if (position < 0) YRaise("Could not perform file seek.");
    return position;
}

void YStdFileStream::Flush() {
    if (std::fflush(File()) != 0)
        YRaiseFormat(kDiskFullCode, "Error writing to file \"{0}\". Probably disk full.", m_fileName);
}

bool YStdFileStream::IsEnd() { return GetPosition() >= GetSize(); }

int64_t YStdFileStream::GetSize() {
    std::FILE* file = File();
    int64_t position = GetPosition();
    if (!YPlatformFile::Seek(file, 0, SEEK_END)) {
        Restore(position);
        YRaise("Could not perform file seek.");
    }
    int64_t size = YPlatformFile::Tell(file);
    Restore(position);
    if (size < 0) YRaise("Could not perform file seek.");
    return size;
}
