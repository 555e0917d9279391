// YStdFileStream: a stream over a C-runtime file.
#pragma once

#include "foundation/YStream.h"

#include <cstdio>

class YStdFileStream : public YStream {
public:
    enum OpenFlags : int { kRead = 1, kWrite = 2, kCreate = 4 };

    YStdFileStream() noexcept = default;
    // Opens at once (see Open).
    YStdFileStream(const YString& fileName, int flags);
    YStdFileStream(const YStdFileStream&) = delete;
    YStdFileStream& operator=(const YStdFileStream&) = delete;
    ~YStdFileStream() override;

    // Read only: an existing file; write: an existing file, read and written in place;
    // create (with or without write): a new or emptied file, creating missing directories.
    void Open(const YString& fileName, int flags);
    bool IsOpen() const noexcept { return m_file != nullptr; }
    const YString& GetFileName() const noexcept { return m_fileName; }

    void Write(const void* bytes, int32_t count) override;
    int32_t Read(void* bytes, int32_t count) override;
    void Seek(int64_t offset, int origin) override;
    int64_t GetPosition() override;
    void Flush() override;
    bool IsEnd() override;
    int64_t GetSize() override;
    // Closes the file; the stream may be opened again.
    void Close() override;

private:
    enum class LastOperation { kNone, kRead, kWrite };

    std::FILE* File();
    // The C runtime needs a positioning call between reading and writing.
    void SwitchTo(LastOperation operation);
    void Restore(int64_t position) noexcept;

    YString m_fileName;
    std::FILE* m_file = nullptr;
    LastOperation m_last = LastOperation::kNone;
};
