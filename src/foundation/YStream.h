// YStream: the one polymorphic byte stream of the framework. Operations a stream does not
// offer raise "Service ... is not implemented." instead of silently doing nothing.
#pragma once

#include "foundation/YObject.h"
#include "foundation/YString.h"

#include <cstdint>

class YStream : public YObject {
public:
    enum SeekOrigin : int { kFromStart = 0, kFromCurrent = 1, kFromEnd = 2 };
    // Results of ReadLine.
    enum ReadLineResult : int { kLineComplete = 0, kLineBufferFull = 1, kLineStreamEnded = 2 };

    YStream() = default;
    ~YStream() override;

    virtual YStream* GetSubstream();
    virtual void Write(const void* bytes, int32_t count);
    // Writes count zero bytes through Write.
    virtual void WriteFill(int32_t count);
    // Returns the number of bytes read; 0 at the end of the stream.
    virtual int32_t Read(void* bytes, int32_t count);
    // Reads one line of 8-bit text into buffer (NUL-terminated, at most size - 1 characters);
    // carriage returns are dropped, line feed or NUL ends the line. Returns a ReadLineResult.
    virtual int ReadLine(char* buffer, int32_t size);
    // The UTF-8 form of text, without terminator.
    virtual void WriteString(const YString& text);
    // WriteString, then a line feed.
    virtual void WriteLine(const YString& text);
    // Forward-only in the base: skips ahead by reading.
    virtual void Seek(int64_t offset, int origin);
    virtual int64_t GetPosition();
    virtual void Flush();
    virtual bool IsEnd();
    virtual void Truncate();
    virtual int64_t GetSize();
    // Closing hook; does nothing in the base.
    virtual void Close();

protected:
    // The absolute target of a seek; raises "Invalid seek origin." for an unknown origin.
    int64_t SeekTarget(int64_t offset, int origin);
};
