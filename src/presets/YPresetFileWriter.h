// YPresetFileWriter: writes an XML document over a file so that a failure at any moment
// leaves a whole file behind: the document goes to a temporary file beside the target, the
// previous file is copied to a backup, and only then is the temporary file moved over the
// target in one step.
#pragma once

#include "foundation/YString.h"
#include "foundation/YXMLDocument.h"

class YPresetFileWriter {
public:
    static constexpr const char* kTemporarySuffix = ".tmp";
    static constexpr const char* kBackupSuffix = ".bak";
    static constexpr const char* kUnreadableSuffix = ".unreadable";

    // Writes document (indented, "utf-8") over path. With keepBackup the file it replaces is
    // kept as path + ".bak" first. Raises "Could not save \"{path}\". {reason}" when any step
    // fails; the file at path is then the one that was there before.
    static void Write(const YXMLDocument& document, const YString& path, bool keepBackup);

    // Moves a file that could not be read out of the way, to path + ".unreadable" (or
    // ".unreadable2", ".unreadable3"... so an earlier one is never replaced). Returns the
    // new name; raises when the file cannot be moved.
    static YString SetAside(const YString& path);

private:
    static void Copy(const YString& source, const YString& target);
};
