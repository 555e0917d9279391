// YGlobalConfiguration: options shared by every instance in the process, kept in
// "GlobalConfiguration.xml" in the configuration folder (root "Configuration").
//
// The file is read the first time any option is needed and rewritten in full after every
// change. Keys the program does not know are kept as they are, so a file shared with other
// products of the maker loses nothing. All operations are safe from any thread except the
// audio thread (they take a lock and may touch the disk).
#pragma once

#include "foundation/YString.h"
#include "platform/YSynchronizer.h"
#include "foundation/YXMLDocument.h"

#include <memory>

class YGlobalConfiguration {
public:
    static YGlobalConfiguration& Instance();

    YGlobalConfiguration();
    YGlobalConfiguration(const YGlobalConfiguration&) = delete;
    YGlobalConfiguration& operator=(const YGlobalConfiguration&) = delete;

    // Confirmation questions before destructive actions; on unless switched off.
    bool ConfirmationEnabled() const;
    void SetConfirmationEnabled(bool on);
    // Tablet-friendly mouse handling; off unless switched on.
    bool TabletMode() const;
    void SetTabletMode(bool on);

    // A copy of the stored default settings (root "Settings"); null when none are stored.
    std::unique_ptr<YXMLItem> DefaultSettings() const;
    // Stores a copy of settings as the default settings (its root is named "Settings").
    void SetDefaultSettings(const YXMLItem& settings);
    // Forgets the stored default settings.
    void ClearDefaultSettings();

    // Reads the options from another file from now on (tests, portable set-ups); an empty
    // path goes back to the configuration folder. The file is read at once.
    void UseFile(const YString& path);
    // The file in use; empty while the configuration folder cannot be named.
    YString FileName() const;

    // Every setter changes the options in memory first and then rewrites the file. When the
    // file cannot be written the setter raises "Could not save the global configuration to
    // \"<file>\"." with the reason, the new value stays in effect and the next change tries
    // again; the file on disk keeps its previous contents.

private:
    void EnsureLoaded() const;
    void LoadFrom(const YString& path) const;
    bool ReadFlag(const char* name, bool defaultValue) const;
    void WriteFlag(const char* name, bool value);
    void Save();

    mutable YLock m_lock;
    mutable YXMLDocument m_document{"Configuration"};
    mutable YString m_fileName;
    mutable bool m_loaded = false;
    mutable bool m_explicitFile = false;
    // The file exists but could not be read: it is set aside before the first rewrite.
    mutable bool m_unreadableFile = false;
    bool m_unsaved = false;
};
