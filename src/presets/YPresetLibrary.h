// YPresetLibrary: the preset file of one product (product name + "presets.xml") in a data
// folder, and the tree it holds. Written only through YPresetFileWriter, so the file on disk
// is always a whole one, with the version before the last save kept as a backup.
//
// Several plug-in instances, in one host or in several, share the file. Each change is one
// transaction (Change): under an advisory lock on the lock file beside the preset file
// (".lock"), the file is read again when it changed on disk since this object last read or
// wrote it, the change is applied to that fresh tree and the result written before the lock
// is released. So two instances that each add a preset both keep theirs.
//
// One library object serves one thread at a time; other objects (and processes) may work on
// the same file meanwhile.
#pragma once

#include "foundation/YString.h"
#include "platform/YPlatformFile.h"
#include "presets/YPresetTree.h"

#include <cstdint>
#include <functional>
#include <string>

class YPlatformFileLock;
class YUserQuestions;

class YPresetLibrary {
public:
    static constexpr const char* kPresetFileSuffix = "presets.xml";
    static constexpr const char* kActiveFileSuffix = "presets.active";
    static constexpr const char* kLockSuffix = ".lock";
    // How long a change waits for another instance to finish its own.
    static constexpr uint32_t kDefaultLockTimeoutMs = 10000;

    // The product's data folder: the user's application-data folder (kind 1) followed by the
    // product name, unless the environment variable DataFolderVariable names another (tests,
    // portable set-ups). Raises "Could not retrieve system path." when the system cannot name
    // it. Creates nothing.
    static YString DataFolder(const YString& productName);
    // The product name in capitals followed by "_DATA_FOLDER" (VORNIK_DATA_FOLDER).
    static std::string DataFolderVariable(const YString& productName);

    YPresetLibrary(const YString& folder, const YString& productName);
    ~YPresetLibrary();
    YPresetLibrary(const YPresetLibrary&) = delete;
    YPresetLibrary& operator=(const YPresetLibrary&) = delete;

    const YString& FileName() const noexcept { return m_fileName; }
    // The active presets file in the same folder.
    const YString& ActiveFileName() const noexcept { return m_activeFileName; }
    // The lock file beside the preset file; created by the first change and left in place.
    const YString& LockFileName() const noexcept { return m_lockFileName; }

    void SetLockTimeout(uint32_t milliseconds) noexcept { m_lockTimeoutMs = milliseconds; }
    // Who hears about files set aside and unreadable files besides the error-report hook (not
    // owned; nullptr: the hook only).
    void SetUserQuestions(YUserQuestions* questions) noexcept { m_questions = questions; }

    struct LoadResult {
        // Presets found in the older inline form and converted.
        int32_t converted = 0;
        // Whether the converted tree was written back; when it could not be, notice says why
        // (the converted tree is still in memory and the next save writes it).
        bool rewritten = false;
        YString notice;
    };

    // Reads the file; a missing file gives an empty tree. A file that cannot be parsed
    // raises (the message names the file and the fault; it also goes to the error-report hook
    // and the user questions' Tell), leaves the tree empty and the file untouched; the next
    // save moves it aside before writing. Reads under the lock when it can be had, else
    // without it (a read-only folder still has a library to read).
    LoadResult Load();

    struct ChangeResult {
        // Whether the file had changed on disk and was read again before the change.
        bool reloaded = false;
        // For the user: an unreadable file was set aside (already told; empty otherwise).
        YString notice;
    };

    // The change transaction: takes the lock (waiting at most the lock time-out), reads the
    // file again when it changed since this object last read or wrote it, calls change on the
    // tree and writes the result. change must find what it changes by name or position
    // inside the tree it is given: items taken from the tree before the call may be gone
    // after a re-read. When change or the write raises, the tree is as it was before change
    // ran (the re-read, if any, stays) and the file on disk is unchanged; the error goes on.
    // Raises without calling change when the lock cannot be had (in use beyond the time-out,
    // or the folder does not allow the lock file: read-only) or the folder cannot be made.
    ChangeResult Change(const std::function<void(YPresetTree&)>& change);

    // Writes the whole tree as it is, under the lock, over whatever the file holds now (the
    // last writer wins: use Change for edits). Raises when the file cannot be written; the
    // file on disk is then the previous one. Returns a message for the user when an
    // unreadable file had to be set aside first (empty otherwise; already told).
    YString Save();

    // Whether the file differs from what this object last read or wrote, by its stamp alone
    // (cheap; a change within one clock tick that keeps the size can go unnoticed until the
    // next change transaction, which also checks the lock file's counter).
    bool ChangedOnDisk() const;
    // Reads the file again when ChangedOnDisk; true when it did. Raises as Load does.
    bool Refresh();

    YPresetTree& Tree() noexcept { return m_tree; }
    // Whether the last read found a file it could not read.
    bool HasUnreadableFile() const noexcept { return m_unreadable; }

private:
    // Takes the lock; with required, raises when it cannot be had, else answers false.
    bool TakeLock(YPlatformFileLock& lock, bool required);
    // Whether the file must be read again under lock before a change.
    bool NeedsReading(YPlatformFileLock& lock) const;
    // Reads the file into the tree and notes its stamp and the lock's counter (lock may be
    // null: unlocked read). Returns the number of converted presets.
    int32_t ReadFile(YPlatformFileLock* lock);
    // Writes the tree while the lock is held and raises the lock's counter. Returns the
    // notice for a file set aside (told already).
    YString WriteLocked(YPlatformFileLock& lock);
    void Tell(const YString& message) const;

    YString m_fileName;
    YString m_activeFileName;
    YString m_lockFileName;
    YPresetTree m_tree;
    bool m_unreadable = false;
    uint32_t m_lockTimeoutMs = kDefaultLockTimeoutMs;
    YUserQuestions* m_questions = nullptr;
    // What the file was when this object last read or wrote it.
    bool m_known = false;
    YPlatformFileStamp m_stamp;
    bool m_counterKnown = false;
    uint64_t m_counter = 0;
};
