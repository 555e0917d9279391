// YPresetManagerBase: the user's preset library as the plug-in works with it: which preset is
// current, stepping to the previous or next one, a random preset, the folder and preset
// commands of the preset window with their questions, and the smart randomiser. What touches
// the plug-in itself (applying settings, storing them, its locks) is left to YPresetManagerT.
//
// Threads: every operation takes the manager's lock, which comes before the plug-in's
// processing lock: callers must not hold any of the plug-in's locks. Operations raise on
// failure ("Index out of range." for addresses outside the tree, "Could not acquire mutex."
// when the plug-in's locks cannot be taken); the caller's guard reports it.
#pragma once

#include "foundation/YString.h"
#include "foundation/YXMLDocument.h"
#include "platform/YSynchronizer.h"
#include "presets/YPresetLibrary.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class YActivePresetCatalog;
class YConfigurationLock;
class YUserQuestions;

class YPresetManagerBase {
public:
    // An item of the tree: child indices (folders and presets counted together) from the top
    // folder; empty is the top folder itself.
    using Address = std::vector<int32_t>;

    static constexpr const char* kNewFolderPrompt = "Enter name of the new folder";
    static constexpr const char* kNewFolderProposal = "New folder ";
    static constexpr const char* kRenameFolderPrompt = "Enter new name of the folder";
    static constexpr const char* kDeleteFolderQuestion =
        "Are you sure you want to delete selected folder including all presets and subfolders?";
    static constexpr const char* kImportQuestion =
        "This function will replace remove all presets in selected directory and replace them with presets "
        "loaded from the file. Are you sure you want to continue?";
    static constexpr const char* kReplacePresetQuestion = "Are you sure you want to replace selected preset?";
    static constexpr const char* kDeletePresetQuestion = "Are you sure you want to delete selected preset?";
    static constexpr const char* kNewPresetPrompt = "Enter name of the new preset";
    static constexpr const char* kNewPresetProposal = "New preset ";

    // The library in folder (the product's data folder); nothing is read until first needed.
    YPresetManagerBase(const YString& folder, const YString& productName);
    virtual ~YPresetManagerBase();
    YPresetManagerBase(const YPresetManagerBase&) = delete;
    YPresetManagerBase& operator=(const YPresetManagerBase&) = delete;

    // Who answers the questions (not owned). Without one every question is answered no and
    // every text prompt cancelled; notices are dropped.
    void SetQuestions(YUserQuestions* questions) noexcept;

    // The library, read on first use (a file in the older form is converted and rewritten).
    YPresetLibrary& Library();
    // Reads the file again on the next use.
    void ForgetTree();
    // Reads the file again on the next use when another instance changed it since. Stepping
    // and random presets do this first; addresses always mean the tree as it was last shown,
    // so whoever shows the tree calls this before showing it again.
    void FollowFile();

    // --- Loading and stepping ---

    // Applies a preset's settings to the plug-in. The content is decoded and parsed before
    // the plug-in's locks are taken; a damaged preset raises and changes nothing. A preset of
    // this tree becomes the current one; for any other the current index stays.
    void LoadPreset(const YXMLItem& preset);
    // Loads the preset at index (tree order) and makes it the current one.
    void LoadPresetAt(int32_t index);
    // (current + step) modulo count, wrapping at both ends.
    static int32_t WrapIndex(int32_t current, int32_t step, int32_t count) noexcept;
    // Loads the previous (-1) or next (+1) preset of the whole tree; false, with nothing
    // changed, when the tree holds no preset.
    bool StepPreset(int32_t step);
    bool PreviousPreset() { return StepPreset(-1); }
    bool NextPreset() { return StepPreset(1); }
    // Loads a preset drawn with the shared random state; false when there is none.
    bool LoadRandomPreset();
    int32_t PresetCount();

    // --- Folder commands (the address names a folder) ---

    // Asks for the name (proposal "New folder " + the first number not in use there) and
    // appends the folder; false when cancelled. added receives the new folder's address.
    bool AddFolder(const Address& parent, Address* added = nullptr);
    bool RenameFolder(const Address& folder);
    bool DeleteFolder(const Address& folder);
    void ExportFolder(const Address& folder, const YString& fileName);
    bool ImportFolder(const Address& folder, const YString& fileName);

    // --- Preset commands (the address names a preset, or the folder to add to) ---

    void LoadPresetCommand(const Address& preset);
    // Asks for a name and stores the current settings as a new preset at the end of folder
    // (or over the preset of that name there); false when cancelled.
    bool AddPreset(const Address& folder);
    bool ReplacePreset(const Address& preset);
    bool DeletePreset(const Address& preset);

    // --- Active presets (the product's read-only presets and their editor) ---

    int32_t ActivePresetCount();
    // Applies an active preset's settings and makes it the one in use; the editor's mode and
    // the current preset index stay. Raises "Index out of range." outside 0 ... count - 1.
    void SelectActivePreset(int32_t index);
    // Switches the active-preset editor between edit mode and use.
    void SetActivePresetEditMode(bool edit);

    // --- Smart randomiser ---

    // New settings from the "Randomizer Multi" or "Randomizer" folder, applied with the
    // plug-in's locks held. A folder with fewer than 2 presets changes nothing (false). With
    // neither folder, every randomisable parameter is randomised in full instead.
    bool GenerateRandomSettingsSmart();

    // The item at an address; raises "Index out of range." when there is none.
    YXMLItem& ItemAt(const Address& address);

protected:
    // --- The plug-in, for YPresetManagerT ---

    // Applies a settings tree (root "settings") under the plug-in's locks.
    virtual void ApplySettings(YXMLItem& settings) = 0;
    // Stores the current settings as a preset of that name in folder.
    virtual void StoreCurrentSettings(YXMLItem& folder, const YString& name) = 0;
    virtual int32_t CurrentIndex() = 0;
    virtual void SetCurrentIndex(int32_t index) = 0;
    // Whether the active-preset editor is in edit mode.
    virtual bool ActivePresetEdit() = 0;
    // Holds the plug-in's processing, editor and parameter locks while it lives.
    virtual std::unique_ptr<YConfigurationLock> LockPlugin() = 0;
    // The per-parameter randomisation of every randomisable parameter (amount 1), applied.
    virtual void RandomizeParameters() = 0;
    // The plug-in's active presets (null when it has none) and its active-preset state.
    virtual const YActivePresetCatalog* ActivePresets() = 0;
    virtual void SetActivePresetState(int32_t index, bool edit) = 0;

private:
    YXMLItem& FolderAt(const Address& address);
    YXMLItem& PresetAt(const Address& address);
    bool Ask(const char* question);
    // Every command's change is one library transaction: the file is read again when another
    // instance changed it, and the item the command was given is found there by its key.
    // Questions are asked before, never while the file is locked.
    void Commit(const std::function<void(YPresetTree&)>& change);
    // The item a key names in tree; raises "Index out of range." when it is gone or of the
    // other kind.
    static YXMLItem& Resolve(YPresetTree& tree, const YPresetTree::Key& key, bool folder);
    static Address AddressOf(YPresetTree& tree, const YXMLItem& item);

    YLock m_lock;
    YPresetLibrary m_library;
    bool m_loaded = false;
    YUserQuestions* m_questions = nullptr;
};
