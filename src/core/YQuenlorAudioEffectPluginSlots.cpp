// The settings slots A to H and copy and paste of the live settings as text.
#include "core/YConfigurationLock.h"
#include "core/YGlobalConfiguration.h"
#include "core/YQuenlorAudioEffectPlugin.h"
#include "core/YUserQuestions.h"
#include "foundation/YException.h"
#include "foundation/YFormat.h"
#include "foundation/YMemoryStream.h"
#include "foundation/YXMLCopy.h"
#include "foundation/YXMLDocument.h"

#include <string>
#include <string_view>

namespace {

// The slot that keeps morphed settings when the user wants the corners preserved.
constexpr int32_t kSlotE = 4;

// Sets a flag for as long as the holder lives, also when a store raises.
class ScopedFlag {
public:
    explicit ScopedFlag(bool& flag) noexcept : m_flag(flag), m_before(flag) { m_flag = true; }
    ~ScopedFlag() { m_flag = m_before; }
    ScopedFlag(const ScopedFlag&) = delete;
    ScopedFlag& operator=(const ScopedFlag&) = delete;

private:
    bool& m_flag;
    bool m_before;
};

const char kReplaceCornerQuestion[] =
    "Preset {0} is currently selected, which means that the changes you have made using ABCD morphing will "
    "replace it. ABCD morphing uses presets A,B,C and D, so next time you use it you would be morphing different "
    "presets, because you are going to change one of them.<p><p><b>Would you like to select preset E, so that "
    "the ABCD settings will be preseved?";

void CheckSlot(int32_t slot) {
    if (slot < 0 || slot >= YQuenlorAudioEffectPlugin::kSlotCount) YRaiseIndexOutOfRange();
}

} // namespace

YString YQuenlorAudioEffectPlugin::SlotLetter(int32_t slot) {
    CheckSlot(slot);
    return YString::FromUTF8(std::string(1, static_cast<char>('A' + slot)));
}

std::unique_ptr<YXMLItem> YQuenlorAudioEffectPlugin::LiveSettingsLocked() {
    auto tree = std::make_unique<YXMLItem>("settings");
    const ScopedFlag settingsOnly(m_settingsOnly);
    YStorer storer{true, tree.get()};
    Store(storer);
    return tree;
}

void YQuenlorAudioEffectPlugin::ApplySettingsLocked(YXMLItem& settings) {
    const ScopedFlag settingsOnly(m_settingsOnly);
    YStorer storer{false, &settings};
    try {
        Store(storer);
    } catch (...) {
        // Whatever was read still reaches the effect as one consistent update.
        YGuard("YQuenlorAudioEffectPlugin::ApplySettings", [&] { AfterLoading(true); });
        throw;
    }
}

void YQuenlorAudioEffectPlugin::SelectSlot(int32_t slot, YUserQuestions* questions) {
    CheckSlot(slot);
    bool keepCorner = false;
    if (questions != nullptr && m_morphEdited.load() && m_activeSlot < kMorphCorners &&
        YGlobalConfiguration::Instance().ConfirmationEnabled())
        keepCorner = questions->Confirm(YFormat::Text(kReplaceCornerQuestion, SlotLetter(m_activeSlot)));
    {
        const YConfigurationLock locks(*this);
        // The live settings go into the slot that was active, or into E to spare the corner.
        const int32_t keeper = keepCorner ? kSlotE : m_activeSlot;
        if (keepCorner) UpdateActiveCornerLocked();
        m_slots[keeper] = LiveSettingsLocked();
        m_activeSlot = slot;
        m_morphEdited = false;
        try {
            if (slot != keeper) ApplySettingsLocked(*m_slots[slot]);
        } catch (...) {
            YGuard("YQuenlorAudioEffectPlugin::SelectSlot", [&] { RebuildMorphLocked(); });
            throw;
        }
        RebuildMorphLocked();
    }
    FollowLatency();
}

void YQuenlorAudioEffectPlugin::CopySlot(int32_t from, int32_t to) {
    CheckSlot(from);
    CheckSlot(to);
    if (from == to) return;
    {
        const YConfigurationLock locks(*this);
        std::unique_ptr<YXMLItem> tree;
        if (from == m_activeSlot) {
            tree = LiveSettingsLocked();
        } else {
            tree = std::make_unique<YXMLItem>("settings");
            if (m_slots[from]) YXMLCopyTree(*m_slots[from], *tree);
        }
        if (to == m_activeSlot) {
            m_morphEdited = false;
            m_slots[to] = std::move(tree);
            try {
                ApplySettingsLocked(*m_slots[to]);
            } catch (...) {
                YGuard("YQuenlorAudioEffectPlugin::CopySlot", [&] { RebuildMorphLocked(); });
                throw;
            }
        } else {
            m_slots[to] = std::move(tree);
        }
        RebuildMorphLocked();
    }
    if (to == m_activeSlot) FollowLatency();
}

YString YQuenlorAudioEffectPlugin::CopySettingsText() {
    YXMLDocument document("settings");
    {
        const YConfigurationLock locks(*this);
        const ScopedFlag settingsOnly(m_settingsOnly);
        YStorer storer{true, &document};
        Store(storer);
    }
    // Named first, so a reader of the mail sees whose settings these are.
    document.SetAttribute("product", ProductName());
    YMemoryStream stream;
    document.Save(stream, "utf-8", true);
    const char* data = reinterpret_cast<const char*>(stream.GetData());
    return YString::FromUTF8(std::string_view(data, static_cast<size_t>(stream.GetSize())));
}

void YQuenlorAudioEffectPlugin::PasteSettingsText(const YString& text, YUserQuestions* questions) {
    try {
        const std::string utf8 = text.Trimmed().ToUTF8();
        if (utf8.empty()) YRaise("The text is empty: there are no settings to paste.");
        if (utf8.size() > static_cast<size_t>(YXMLDocument::kMaxTextBytes))
            YRaise("The text is longer than any settings can be.");
        YMemoryStream stream;
        stream.Attach(utf8.data(), static_cast<int32_t>(utf8.size()));
        YXMLDocument document;
        try {
            document.Load(stream);
        } catch (const YException& e) {
            YRaise(YFormat::Text("The text is not settings: {0}", e.Message()));
        }
        if (!(document.GetName() == YString("settings")))
            YRaise(YFormat::Text("The text is not settings: its root is \"{0}\" instead of \"settings\".",
                                 document.GetName()));
        const YString* product = document.FindAttribute("product");
        if (product == nullptr) YRaise("The text does not say which product its settings are for.");
        if (!(*product == ProductName()))
            YRaise(YFormat::Text("These are settings of {0}, not of {1}.", *product, ProductName()));
        {
            const YConfigurationLock locks(*this);
            m_morphEdited = false;
            try {
                ApplySettingsLocked(document);
            } catch (...) {
                YGuard("YQuenlorAudioEffectPlugin::PasteSettingsText", [&] { RebuildMorphLocked(); });
                throw;
            }
            RebuildMorphLocked();
        }
        FollowLatency();
    } catch (const YException& e) {
        if (questions != nullptr) questions->Tell(e.Message());
        throw;
    }
}
