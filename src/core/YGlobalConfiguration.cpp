#include "core/YGlobalConfiguration.h"

#include "core/YSPS.h"
#include "foundation/YException.h"
#include "foundation/YXMLCopy.h"
#include "platform/YStdFileStream.h"
#include "platform/YPlatformFile.h"

#include <utility>
#include <vector>

namespace {
constexpr const char* kRootName = "Configuration";
constexpr const char* kConfirmationEnabled = "ConfirmationEnabled";
constexpr const char* kTabletMode = "TabletMode";
constexpr const char* kDefaultSettingsItem = "DefaultSettings";
constexpr const char* kSettingsRoot = "Settings";

} // namespace

YGlobalConfiguration& YGlobalConfiguration::Instance() {
    static YGlobalConfiguration instance;
    return instance;
}

YGlobalConfiguration::YGlobalConfiguration() = default;

void YGlobalConfiguration::LoadFrom(const YString& path) const {
    m_document.Clear();
    m_document.SetName(YString::Literal(kRootName));
    m_unreadableFile = false;
    m_fileName = path;
    m_loaded = true;
    if (path.IsEmpty() || !YPlatformFile::Exists(path)) return;
    try {
        YStdFileStream stream(path, YStdFileStream::kRead);
        YXMLDocument loaded;
        loaded.Load(stream);
        YXMLCopyTree(loaded, m_document);
    } catch (const YException&) {
        // An unreadable file counts as an empty one; it is kept aside when first rewritten.
        m_document.Clear();
        m_unreadableFile = true;
    }
}

void YGlobalConfiguration::EnsureLoaded() const {
    if (m_loaded) return;
    YString path;
    try {
        path = YSPS::GetGlobalConfigurationFileName();
    } catch (const YException&) {
        // Without a configuration folder every option keeps its default; saving will say why.
    }
    LoadFrom(path);
}

void YGlobalConfiguration::UseFile(const YString& path) {
    YScopedLock hold(m_lock);
    m_explicitFile = !path.IsEmpty();
    m_unsaved = false;
    m_loaded = false;
    if (m_explicitFile)
        LoadFrom(path);
    else
        EnsureLoaded();
}

YString YGlobalConfiguration::FileName() const {
    YScopedLock hold(m_lock);
    EnsureLoaded();
    return m_fileName;
}

bool YGlobalConfiguration::ReadFlag(const char* name, bool defaultValue) const {
    YScopedLock hold(m_lock);
    EnsureLoaded();
    const YString* text = m_document.FindAttribute(YString::Literal(name));
    if (!text) return defaultValue;
    int32_t consumed = 0;
    int64_t value = text->Trimmed().ToInteger(10, &consumed);
    return consumed > 0 ? value != 0 : defaultValue;
}

void YGlobalConfiguration::WriteFlag(const char* name, bool value) {
    YScopedLock hold(m_lock);
    EnsureLoaded();
    const YString key = YString::Literal(name);
    const YString text = value ? YString("1") : YString("0");
    const YString* current = m_document.FindAttribute(key);
    if (current && *current == text && !m_unsaved) return;
    m_document.SetAttribute(key, text);
    Save();
}

bool YGlobalConfiguration::ConfirmationEnabled() const { return ReadFlag(kConfirmationEnabled, true); }
void YGlobalConfiguration::SetConfirmationEnabled(bool on) { WriteFlag(kConfirmationEnabled, on); }
bool YGlobalConfiguration::TabletMode() const { return ReadFlag(kTabletMode, false); }
void YGlobalConfiguration::SetTabletMode(bool on) { WriteFlag(kTabletMode, on); }

std::unique_ptr<YXMLItem> YGlobalConfiguration::DefaultSettings() const {
    YScopedLock hold(m_lock);
    EnsureLoaded();
    const YXMLItem* item = m_document.FindChild(YString::Literal(kDefaultSettingsItem));
    const YXMLItem* settings = item ? item->FindChild(YString::Literal(kSettingsRoot)) : nullptr;
    if (!settings) return nullptr;
    auto copy = std::make_unique<YXMLItem>(YString::Literal(kSettingsRoot));
    YXMLCopyTree(*settings, *copy);
    return copy;
}

void YGlobalConfiguration::SetDefaultSettings(const YXMLItem& settings) {
    YScopedLock hold(m_lock);
    EnsureLoaded();
    YXMLItem& item = m_document.GetOrCreateChild(YString::Literal(kDefaultSettingsItem));
    item.Clear();
    YXMLCopyTree(settings, item.AddChild(YString::Literal(kSettingsRoot)));
    Save();
}

void YGlobalConfiguration::ClearDefaultSettings() {
    YScopedLock hold(m_lock);
    EnsureLoaded();
    YXMLItem* item = m_document.FindChild(YString::Literal(kDefaultSettingsItem));
    if (!item && !m_unsaved) return;
    if (item) m_document.RemoveChild(*item);
    Save();
}

void YGlobalConfiguration::Save() {
    // From here on the file lags behind memory until a write succeeds.
    m_unsaved = true;
    YString path = m_fileName;
    try {
        if (path.IsEmpty()) path = YSPS::GetGlobalConfigurationFileName();
        // Written beside the file and moved over it, so a failed write leaves the old file whole.
        const YString temporary = path + YString(".tmp");
        try {
            YStdFileStream stream(temporary, YStdFileStream::kCreate | YStdFileStream::kWrite);
            m_document.Save(stream, "utf-8", false);
            stream.Flush();
            stream.Close();
        } catch (...) {
            YPlatformFile::Remove(temporary);
            throw;
        }
        if (m_unreadableFile) {
            // Keep what the user had; it may be repairable by hand.
            YPlatformFile::Replace(path, path + YString(".unreadable"));
        }
        if (!YPlatformFile::Replace(temporary, path)) {
            YPlatformFile::Remove(temporary);
            YRaise("The file could not be replaced.");
        }
    } catch (const YException& error) {
        YRaiseFormat(YException::kGeneral, "Could not save the global configuration to \"{0}\". {1}", path,
                     error.Message());
    }
    m_fileName = path;
    m_unreadableFile = false;
    m_unsaved = false;
}
