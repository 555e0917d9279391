#include "gui/loader/YXmlLoader.h"

#include "foundation/YException.h"
#include "foundation/YFormat.h"
#include "platform/YSynchronizer.h"

#include <algorithm>
#include <atomic>
#include <vector>

// The element table, filled by YXmlLoaderElements.cpp.
void YXmlLoaderRegisterElements();

namespace {

char16_t Fold(char16_t c) noexcept { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; }

// Compares a name with a stored (already folded) key, ignoring the name's ASCII case.
int CompareFolded(const YString& name, const YString& key) noexcept {
    const int32_t n = std::min(name.Length(), key.Length());
    for (int32_t i = 0; i < n; ++i) {
        const char16_t a = Fold(name[i]);
        const char16_t b = key[i];
        if (a != b) return a < b ? -1 : 1;
    }
    return name.Length() == key.Length() ? 0 : (name.Length() < key.Length() ? -1 : 1);
}

YString Folded(const YString& name) {
    std::u16string text = name.ToUTF16();
    for (char16_t& c : text) c = Fold(c);
    return YString::FromUTF16(text);
}

// One hash table of name to factory: 32 buckets, each sorted by name for a binary search.
template <class Factory> class Table {
public:
    void Add(const YString& name, std::unique_ptr<Factory> factory) {
        std::vector<Entry>& bucket = m_buckets[YControl::YXmlLoader::Hash(name) % YControl::YXmlLoader::kBuckets];
        auto it = Position(bucket, name);
        if (it != bucket.end() && CompareFolded(name, it->key) == 0) {
            it->factory = std::move(factory);
        } else {
            bucket.insert(it, Entry{Folded(name), std::move(factory)});
        }
    }
    const Factory* Find(const YString& name) const {
        const std::vector<Entry>& bucket = m_buckets[YControl::YXmlLoader::Hash(name) % YControl::YXmlLoader::kBuckets];
        auto it = Position(bucket, name);
        return it != bucket.end() && CompareFolded(name, it->key) == 0 ? it->factory.get() : nullptr;
    }

private:
    struct Entry {
        YString key;
        std::unique_ptr<Factory> factory;
    };
    template <class Bucket> static auto Position(Bucket& bucket, const YString& name) {
        return std::lower_bound(bucket.begin(), bucket.end(), name,
                                [](const Entry& e, const YString& n) { return CompareFolded(n, e.key) > 0; });
    }
    std::vector<Entry> m_buckets[YControl::YXmlLoader::kBuckets];
};

struct Registry {
    Table<YControl::YXmlLoader::Creator> creators;
    Table<YControl::YXmlLoader::ValueCreator> values;
};

Registry& Storage() {
    static Registry registry;
    return registry;
}

// 0 empty, 1 being filled, 2 filled.
std::atomic<int> g_state{0};

YLock& FillLock() {
    static YLock lock;
    return lock;
}

// Fills the table on first use. The lock is re-entrant for its owner: the registration
// functions called while filling register through the public functions, which then find
// the table being filled by their own thread and go on; other threads wait for the end.
Registry& Filled() {
    if (g_state.load(std::memory_order_acquire) != 2) {
        YScopedLock hold(FillLock());
        if (g_state.load(std::memory_order_relaxed) == 0) {
            g_state.store(1, std::memory_order_relaxed);
            YXmlLoaderRegisterElements();
            g_state.store(2, std::memory_order_release);
        }
    }
    return Storage();
}

// The nesting of the loads running on this thread.
thread_local int32_t t_depth = 0;

class DepthGuard {
public:
    DepthGuard() {
        if (t_depth >= YControl::YXmlLoader::kMaxDepth) {
            YRaiseFormat(YException::kGeneral, "GUI definition nested deeper than {0} levels.",
                         YControl::YXmlLoader::kMaxDepth);
        }
        ++t_depth;
    }
    ~DepthGuard() { --t_depth; }
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;
};

} // namespace

uint32_t YControl::YXmlLoader::Hash(const YString& name) noexcept {
    uint32_t hash = 0;
    const int32_t length = name.Length();
    if (length < 16) {
        for (int32_t i = 0; i < length; ++i) hash ^= static_cast<uint32_t>(Fold(name[i])) << (i % 32);
    } else {
        const int32_t samples = std::min(length / 4, 8);
        for (int32_t k = 0; k < samples; ++k) hash ^= static_cast<uint32_t>(Fold(name[k * 4])) << (4 * k);
    }
    return hash;
}

// Registering from outside fills the table first, so that the built-in factories never
// replace one registered later.
void YControl::YXmlLoader::Register(const YString& name, std::unique_ptr<Creator> creator) {
    Filled().creators.Add(name, std::move(creator));
}

void YControl::YXmlLoader::RegisterValue(const YString& name, std::unique_ptr<ValueCreator> creator) {
    Filled().values.Add(name, std::move(creator));
}

const YControl::YXmlLoader::Creator* YControl::YXmlLoader::FindCreator(const YString& name) {
    return Filled().creators.Find(name);
}

const YControl::YXmlLoader::ValueCreator* YControl::YXmlLoader::FindValueCreator(const YString& name) {
    return Filled().values.Find(name);
}

void YControl::YXmlLoader::LoadChildren(YControl& control, const YXMLItem& element, bool addToLayout) {
    DepthGuard depth;
    const Registry& registry = Filled();
    for (const YXMLItem& child : element.Children()) {
        if (const Creator* creator = registry.creators.Find(child.GetName())) {
            creator->Create(control, child, addToLayout);
        }
    }
}

void YControl::YXmlLoader::LoadDefinition(YControl& root, const YXMLItem& definition) {
    root.Load(definition);
    LoadChildren(root, definition, false);
}

std::unique_ptr<YValue> YControl::YXmlLoader::CreateValue(const YXMLItem& element) {
    const Registry& registry = Filled();
    for (const YXMLItem& child : element.Children()) {
        if (const ValueCreator* creator = registry.values.Find(child.GetName())) return creator->Create(child);
    }
    return nullptr;
}

void YControl::YXmlLoader::FinishControl(YControl& parent, YControl& control, const YXMLItem& element,
                                         bool addToLayout) {
    control.Load(element);
    LoadChildren(control, element, false);
    if (!addToLayout || parent.ClientControl() == &control || parent.LayoutCount() == 0) return;
    YLayout* layout = parent.Layout(parent.LayoutCount() - 1);
    layout->AddControlFromDefinition(control);
    layout->LoadChild(control, element);
}

void YControl::YXmlLoader::FinishLayout(YControl& parent, YLayout& layout, const YXMLItem& element) {
    layout.Load(element);
    LoadChildren(parent, element, true);
}
