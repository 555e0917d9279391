#include "presets/YPresetManagerBase.h"

#include "core/PluginParameter.h"
#include "core/YActivePresetCatalog.h"
#include "core/YConfigurationLock.h"
#include "core/YGlobalConfiguration.h"
#include "core/YUserQuestions.h"
#include "foundation/YException.h"
#include "presets/YPresetContent.h"
#include "presets/YPresetExport.h"
#include "presets/YSmartRandomizer.h"

#include <algorithm>

YPresetManagerBase::YPresetManagerBase(const YString& folder, const YString& productName)
    : m_library(folder, productName) {}

YPresetManagerBase::~YPresetManagerBase() = default;

void YPresetManagerBase::SetQuestions(YUserQuestions* questions) noexcept {
    YScopedLock lock(m_lock);
    m_questions = questions;
    m_library.SetUserQuestions(questions);
}

YPresetLibrary& YPresetManagerBase::Library() {
    YScopedLock lock(m_lock);
    if (!m_loaded) {
        // A file that cannot be read raises here, every time, until it is mended or a save
        // sets it aside: nothing is built on a tree that is not the user's.
        const YPresetLibrary::LoadResult result = m_library.Load();
        m_loaded = true;
        if (!result.notice.IsEmpty() && m_questions) m_questions->Tell(result.notice);
    }
    return m_library;
}

void YPresetManagerBase::FollowFile() {
    YScopedLock lock(m_lock);
    if (m_loaded && m_library.ChangedOnDisk()) m_loaded = false;
}

void YPresetManagerBase::ForgetTree() {
    YScopedLock lock(m_lock);
    m_loaded = false;
}

// ---------------------------------------------------------------------------------------------
// Loading and stepping

void YPresetManagerBase::LoadPreset(const YXMLItem& preset) {
    YScopedLock lock(m_lock);
    if (!YPresetTree::IsPreset(preset)) YRaise("Index out of range.");
    // Decoded, inflated and parsed here, so that the plug-in's locks cover the reading only.
    std::unique_ptr<YXMLDocument> settings = YPresetContent::Settings(preset);
    int32_t index = -1;
    if (m_loaded) {
        const std::vector<YXMLItem*> presets = m_library.Tree().Presets();
        const auto found = std::find(presets.begin(), presets.end(), &preset);
        if (found != presets.end()) index = static_cast<int32_t>(found - presets.begin());
    }
    // A preset carries the index that was current when it was stored; it means nothing now.
    const int32_t current = CurrentIndex();
    try {
        ApplySettings(*settings);
    } catch (...) {
        SetCurrentIndex(current);
        throw;
    }
    SetCurrentIndex(index >= 0 ? index : current);
}

void YPresetManagerBase::LoadPresetAt(int32_t index) {
    YScopedLock lock(m_lock);
    const std::vector<YXMLItem*> presets = Library().Tree().Presets();
    if (index < 0 || index >= static_cast<int32_t>(presets.size())) YRaise("Index out of range.");
    LoadPreset(*presets[static_cast<size_t>(index)]);
}

int32_t YPresetManagerBase::WrapIndex(int32_t current, int32_t step, int32_t count) noexcept {
    if (count <= 0) return 0;
    int64_t sum = static_cast<int64_t>(current) + step;
    // A sum below zero is lifted by a multiple of the count first.
    if (sum < 0) sum += 100 * static_cast<int64_t>(count);
    int64_t index = sum % count;
    if (index < 0) index += count; // an index far below zero stored in an old state
    return static_cast<int32_t>(index);
}

bool YPresetManagerBase::StepPreset(int32_t step) {
    YScopedLock lock(m_lock);
    FollowFile();
    const int32_t count = PresetCount();
    if (count == 0) return false;
    LoadPresetAt(WrapIndex(CurrentIndex(), step, count));
    return true;
}

bool YPresetManagerBase::LoadRandomPreset() {
    YScopedLock lock(m_lock);
    FollowFile();
    const int32_t count = PresetCount();
    if (count == 0) return false;
    LoadPresetAt(YSmartRandomizer::Draw(count));
    return true;
}

int32_t YPresetManagerBase::PresetCount() {
    YScopedLock lock(m_lock);
    return static_cast<int32_t>(Library().Tree().Presets().size());
}

// ---------------------------------------------------------------------------------------------
// Addresses, questions, saving

YXMLItem& YPresetManagerBase::ItemAt(const Address& address) {
    YScopedLock lock(m_lock);
    YXMLItem* item = &Library().Tree().TopFolder();
    for (const int32_t index : address) {
        if (!YPresetTree::IsFolder(*item) || index < 0 || index >= item->GetChildCount()) YRaise("Index out of range.");
        item = &item->GetChildAt(index);
        if (!YPresetTree::IsFolder(*item) && !YPresetTree::IsPreset(*item)) YRaise("Index out of range.");
    }
    return *item;
}

YXMLItem& YPresetManagerBase::FolderAt(const Address& address) {
    YXMLItem& item = ItemAt(address);
    if (!YPresetTree::IsFolder(item)) YRaise("Index out of range.");
    return item;
}

YXMLItem& YPresetManagerBase::PresetAt(const Address& address) {
    YXMLItem& item = ItemAt(address);
    if (!YPresetTree::IsPreset(item)) YRaise("Index out of range.");
    return item;
}

bool YPresetManagerBase::Ask(const char* question) {
    if (!YGlobalConfiguration::Instance().ConfirmationEnabled()) return true;
    return m_questions != nullptr && m_questions->Confirm(YString::Literal(question));
}

YXMLItem& YPresetManagerBase::Resolve(YPresetTree& tree, const YPresetTree::Key& key, bool folder) {
    YXMLItem* item = tree.Find(key);
    // Gone, or renamed by another instance since the address was given.
    if (item == nullptr || YPresetTree::IsFolder(*item) != folder) YRaise("Index out of range.");
    return *item;
}

YPresetManagerBase::Address YPresetManagerBase::AddressOf(YPresetTree& tree, const YXMLItem& item) {
    Address address;
    for (const YXMLItem* at = &item; at != &tree.TopFolder(); at = at->GetParent()) {
        const YXMLItem* parent = at->GetParent();
        int32_t index = 0;
        while (&parent->GetChildAt(index) != at) ++index;
        address.insert(address.begin(), index);
    }
    return address;
}

void YPresetManagerBase::Commit(const std::function<void(YPresetTree&)>& change) {
    // The library tells the user about a file it had to set aside.
    m_library.Change(change);
}

// ---------------------------------------------------------------------------------------------
// Folder commands

bool YPresetManagerBase::AddFolder(const Address& parent, Address* added) {
    YScopedLock lock(m_lock);
    YXMLItem& folder = FolderAt(parent);
    const YPresetTree::Key key = m_library.Tree().KeyOf(folder);
    int32_t number = 1;
    while (YPresetTree::FindFolder(folder, YString::Literal(kNewFolderProposal) + YString::FromInteger(number)))
        ++number;
    YString name;
    if (!m_questions || !m_questions->AskText(YString::Literal(kNewFolderPrompt),
                                              YString::Literal(kNewFolderProposal) + YString::FromInteger(number), name))
        return false;
    Commit([&](YPresetTree& tree) {
        const YXMLItem& child = YPresetTree::AddFolder(Resolve(tree, key, true), name);
        if (added) *added = AddressOf(tree, child);
    });
    return true;
}

bool YPresetManagerBase::RenameFolder(const Address& address) {
    YScopedLock lock(m_lock);
    if (address.empty()) YRaise("Index out of range.");
    YXMLItem& folder = FolderAt(address);
    const YPresetTree::Key key = m_library.Tree().KeyOf(folder);
    YString name;
    if (!m_questions ||
        !m_questions->AskText(YString::Literal(kRenameFolderPrompt), YPresetTree::ItemName(folder), name))
        return false;
    Commit([&](YPresetTree& tree) {
        Resolve(tree, key, true).SetAttribute(YString::Literal(YPresetTree::kFolderNameAttribute), name);
    });
    return true;
}

bool YPresetManagerBase::DeleteFolder(const Address& address) {
    YScopedLock lock(m_lock);
    // The top folder holds the tree; it is not the user's to delete.
    if (address.empty()) YRaise("Index out of range.");
    YXMLItem& folder = FolderAt(address);
    const YPresetTree::Key key = m_library.Tree().KeyOf(folder);
    if (!Ask(kDeleteFolderQuestion)) return false;
    Commit([&](YPresetTree& tree) {
        YXMLItem& target = Resolve(tree, key, true);
        target.GetParent()->RemoveChild(target);
    });
    return true;
}

void YPresetManagerBase::ExportFolder(const Address& address, const YString& fileName) {
    YScopedLock lock(m_lock);
    YPresetExport::Export(FolderAt(address), fileName);
}

bool YPresetManagerBase::ImportFolder(const Address& address, const YString& fileName) {
    YScopedLock lock(m_lock);
    YXMLItem& folder = FolderAt(address);
    const YPresetTree::Key key = m_library.Tree().KeyOf(folder);
    if (!Ask(kImportQuestion)) return false;
    Commit([&](YPresetTree& tree) { YPresetExport::Import(Resolve(tree, key, true), fileName); });
    return true;
}

// ---------------------------------------------------------------------------------------------
// Preset commands

void YPresetManagerBase::LoadPresetCommand(const Address& address) {
    YScopedLock lock(m_lock);
    LoadPreset(PresetAt(address));
}

bool YPresetManagerBase::AddPreset(const Address& address) {
    YScopedLock lock(m_lock);
    YXMLItem& folder = FolderAt(address);
    const YPresetTree::Key key = m_library.Tree().KeyOf(folder);
    int32_t number = 1;
    while (YPresetTree::FindPreset(folder, YString::Literal(kNewPresetProposal) + YString::FromInteger(number)))
        ++number;
    YString name;
    if (!m_questions || !m_questions->AskText(YString::Literal(kNewPresetPrompt),
                                              YString::Literal(kNewPresetProposal) + YString::FromInteger(number), name))
        return false;
    Commit([&](YPresetTree& tree) { StoreCurrentSettings(Resolve(tree, key, true), name); });
    return true;
}

bool YPresetManagerBase::ReplacePreset(const Address& address) {
    YScopedLock lock(m_lock);
    YXMLItem& preset = PresetAt(address);
    const YPresetTree::Key key = m_library.Tree().KeyOf(preset);
    if (!Ask(kReplacePresetQuestion)) return false;
    Commit([&](YPresetTree& tree) {
        YXMLItem& target = Resolve(tree, key, false);
        StoreCurrentSettings(*target.GetParent(), YPresetTree::ItemName(target));
    });
    return true;
}

bool YPresetManagerBase::DeletePreset(const Address& address) {
    YScopedLock lock(m_lock);
    YXMLItem& preset = PresetAt(address);
    const YPresetTree::Key key = m_library.Tree().KeyOf(preset);
    if (!Ask(kDeletePresetQuestion)) return false;
    Commit([&](YPresetTree& tree) {
        YXMLItem& target = Resolve(tree, key, false);
        target.GetParent()->RemoveChild(target);
    });
    return true;
}

// ---------------------------------------------------------------------------------------------
// Active presets

int32_t YPresetManagerBase::ActivePresetCount() {
    YScopedLock lock(m_lock);
    const YActivePresetCatalog* catalog = ActivePresets();
    return catalog ? catalog->Count() : 0;
}

void YPresetManagerBase::SelectActivePreset(int32_t index) {
    YScopedLock lock(m_lock);
    const YActivePresetCatalog* catalog = ActivePresets();
    if (!catalog || index < 0 || index >= catalog->Count()) YRaise("Index out of range.");
    YXMLDocument settings(YString::Literal("settings"));
    YPresetContent::CopyTree(catalog->Settings(index), settings);
    YXMLItem& state = settings.GetOrCreateChild("ActivePreset");
    state.SetAttribute("CurrentActivePreset", YString::FromInteger(index));
    state.SetAttribute("Edit", ActivePresetEdit() ? "1" : "0");
    const int32_t current = CurrentIndex();
    ApplySettings(settings);
    SetCurrentIndex(current);
}

void YPresetManagerBase::SetActivePresetEditMode(bool edit) {
    YScopedLock lock(m_lock);
    SetActivePresetState(-1, edit);
}

// ---------------------------------------------------------------------------------------------
// Smart randomiser

bool YPresetManagerBase::GenerateRandomSettingsSmart() {
    YScopedLock lock(m_lock);
    YPresetTree& tree = Library().Tree();
    const std::unique_ptr<YConfigurationLock> locks = LockPlugin();
    const YSmartRandomizer::Source source = YSmartRandomizer::FindSource(tree);
    if (source.folder == nullptr) {
        RandomizeParameters();
        return true;
    }
    const std::vector<YXMLItem*> found = YPresetTree::PresetsIn(*source.folder);
    const std::vector<const YXMLItem*> presets(found.begin(), found.end());
    std::unique_ptr<YXMLDocument> result = YSmartRandomizer::Generate(presets, source.multi);
    if (!result) return false;
    // The active-preset editor stays in the mode it is in.
    result->GetOrCreateChild("ActivePreset").SetAttribute("Edit", ActivePresetEdit() ? "1" : "0");
    const int32_t current = CurrentIndex();
    ApplySettings(*result);
    // Bred settings belong to no preset of the tree; the index keeps its place for stepping.
    SetCurrentIndex(current);
    return true;
}
