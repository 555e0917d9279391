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

    // What becomes of the file being replaced.
    enum class Previous {
        kDiscard,    // replaced
        kKeepBackup, // copied to path + ".bak" first
        kSetAside,   // could not be read: moved aside (see SetAside), never written over
    };

    // Writes document (indented, "utf-8") over path. The document is written to path + ".tmp"
    // before anything happens to the previous file. Raises "Could not save \"{path}\".
    // {reason}" when any step fails; the file at path is then the one that was there before.
    // Returns the name the previous file was set aside under (empty when none was).
    static YString Write(const YXMLDocument& document, const YString& path, Previous previous);

    // Moves a file that could not be read out of the way, to path + ".unreadable" (or
    // ".unreadable2", ".unreadable3"... so an earlier one is never replaced). Returns the
    // new name; raises when the file cannot be moved.
    static YString SetAside(const YString& path);

    // Points of a write where tests step in to simulate what the system does rarely: a hook
    // that raises at kWritten fails the write as a full disk does; one that ends the process
    // at kBeforeReplace is a crash between writing and renaming.
    enum class Step {
        kWritten,       // the document is in the temporary file, not yet flushed
        kBeforeReplace, // the temporary file is complete and the backup made
    };
    using StepHook = void (*)(Step step, const YString& path);
    // Installs a hook for every later write (nullptr removes it); returns the previous one.
    static StepHook SetStepHook(StepHook hook) noexcept;

private:
    static void Copy(const YString& source, const YString& target);
};
