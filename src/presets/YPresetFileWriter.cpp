#include "presets/YPresetFileWriter.h"

#include "foundation/YException.h"
#include "platform/YPlatformFile.h"
#include "platform/YStdFileStream.h"

#include <atomic>
#include <vector>

namespace {
std::atomic<YPresetFileWriter::StepHook> g_stepHook{nullptr};

void Hook(YPresetFileWriter::Step step, const YString& path) {
    if (const YPresetFileWriter::StepHook hook = g_stepHook.load(std::memory_order_acquire)) hook(step, path);
}

// Writes through a temporary file that is removed when anything fails.
template <typename Fill> void WriteTemporary(const YString& temporary, Fill fill) {
    try {
        YStdFileStream stream(temporary, YStdFileStream::kCreate | YStdFileStream::kWrite);
        fill(stream);
        stream.Flush();
        stream.Close();
    } catch (...) {
        YPlatformFile::Remove(temporary);
        throw;
    }
}

void MoveOver(const YString& source, const YString& target) {
    if (!YPlatformFile::Replace(source, target)) {
        YPlatformFile::Remove(source);
        YRaiseFormat(YException::kGeneral, "\"{0}\" could not be replaced.", target);
    }
}
} // namespace

void YPresetFileWriter::Copy(const YString& source, const YString& target) {
    std::vector<uint8_t> bytes;
    {
        YStdFileStream input(source, YStdFileStream::kRead);
        uint8_t buffer[16384];
        for (;;) {
            const int32_t count = input.Read(buffer, static_cast<int32_t>(sizeof buffer));
            if (count <= 0) break;
            bytes.insert(bytes.end(), buffer, buffer + count);
        }
    }
    const YString temporary = target + YString::Literal(kTemporarySuffix);
    WriteTemporary(temporary, [&](YStdFileStream& stream) {
        if (!bytes.empty()) stream.Write(bytes.data(), static_cast<int32_t>(bytes.size()));
    });
    MoveOver(temporary, target);
}

YString YPresetFileWriter::Write(const YXMLDocument& document, const YString& path, Previous previous) {
    YString asideName;
    try {
        const YString temporary = path + YString::Literal(kTemporarySuffix);
        WriteTemporary(temporary, [&](YStdFileStream& stream) {
            document.Save(stream, "utf-8", false);
            Hook(Step::kWritten, path);
        });
        try {
            if (previous == Previous::kKeepBackup && YPlatformFile::Exists(path))
                Copy(path, path + YString::Literal(kBackupSuffix));
            else if (previous == Previous::kSetAside && YPlatformFile::Exists(path))
                asideName = SetAside(path);
            Hook(Step::kBeforeReplace, path);
        } catch (...) {
            YPlatformFile::Remove(temporary);
            throw;
        }
        MoveOver(temporary, path);
    } catch (const YException& error) {
        YRaiseFormat(YException::kGeneral, "Could not save \"{0}\". {1}", path, error.Message());
    }
    return asideName;
}

YPresetFileWriter::StepHook YPresetFileWriter::SetStepHook(StepHook hook) noexcept {
    return g_stepHook.exchange(hook, std::memory_order_acq_rel);
}

YString YPresetFileWriter::SetAside(const YString& path) {
    YString target = path + YString::Literal(kUnreadableSuffix);
    for (int32_t number = 2; YPlatformFile::Exists(target); ++number)
        target = path + YString::Literal(kUnreadableSuffix) + YString::FromInteger(number);
    if (!YPlatformFile::Replace(path, target))
        YRaiseFormat(YException::kGeneral, "\"{0}\" could not be read and could not be moved aside to \"{1}\".", path,
                     target);
    return target;
}
