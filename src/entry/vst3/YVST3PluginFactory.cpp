#include "entry/vst3/YVST3PluginFactory.h"

#include "entry/vst3/YAudioPluginVST3Adapter.h"
#include "foundation/YException.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

template <size_t N>
void CopyText(char (&to)[N], const char* from) noexcept {
    std::memset(to, 0, N);
    if (from == nullptr) return;
    const size_t length = std::min(std::strlen(from), N - 1);
    std::memcpy(to, from, length);
}

// The class strings are ASCII, so widening is a copy.
template <size_t N>
void CopyWide(char16_t (&to)[N], const char* from, size_t fromSize) noexcept {
    std::memset(to, 0, sizeof(to));
    for (size_t i = 0; i + 1 < N && i < fromSize && from[i] != '\0'; ++i)
        to[i] = static_cast<char16_t>(static_cast<unsigned char>(from[i]));
}

std::atomic<YVST3PluginFactory*> g_factory{nullptr};

const Vst3::PFactoryInfo& ProductFactoryInfo() noexcept {
    static const Vst3::PFactoryInfo info = [] {
        Vst3::PFactoryInfo i{};
        CopyText(i.vendor, "Quenlor");
        CopyText(i.url, "https://www.quenlor.com");
        CopyText(i.email, "support@quenlor.com");
        i.flags = Vst3::PFactoryInfo::kUnicode;
        return i;
    }();
    return info;
}

const Vst3::PClassInfo2& ProductClassInfo() noexcept {
    static const Vst3::PClassInfo2 info = [] {
        Vst3::PClassInfo2 i{};
        const Vst3::FUID cid = YVST3PluginFactory::ProductClassID();
        std::memcpy(i.cid, cid.bytes, sizeof(i.cid));
        i.cardinality = Vst3::PClassInfo::kManyInstances;
        CopyText(i.category, "Audio Module Class");
        CopyText(i.name, "Vornik");
        i.classFlags = 0;
        CopyText(i.subCategories, "Fx|Modulation");
        CopyText(i.vendor, "Quenlor");
        CopyText(i.version, "7.10");
        CopyText(i.sdkVersion, "VST 3.5.2");
        return i;
    }();
    return info;
}

} // namespace

YVST3PluginFactory::YVST3PluginFactory(const Vst3::PFactoryInfo& info) noexcept : m_info(info) {}

bool YVST3PluginFactory::RegisterClass(const Vst3::PClassInfo2& info, CreateFunction create) noexcept {
    if (create == nullptr || m_classCount >= kMaxClasses) return false;
    m_classes[m_classCount] = ClassEntry{info, create};
    ++m_classCount;
    return true;
}

Vst3::FUID YVST3PluginFactory::ProductClassID() noexcept {
    return Vst3::FUID::FromWords(Vst3::FourCC("Quen"), Vst3::FourCC("lor_"), Vst3::FourCC("QnVk"),
                                 Vst3::FourCC("QnVk"));
}

Vst3::IPluginFactory* YVST3PluginFactory::Get() noexcept {
    return YGuard("GetPluginFactory", static_cast<Vst3::IPluginFactory*>(nullptr), [] {
        if (YVST3PluginFactory* existing = g_factory.load()) {
            existing->addRef();
            return static_cast<Vst3::IPluginFactory*>(existing);
        }
        auto* factory = new YVST3PluginFactory(ProductFactoryInfo());
        factory->RegisterClass(ProductClassInfo(), &YAudioPluginVST3Adapter::CreateInstance);
        g_factory.store(factory);
        return static_cast<Vst3::IPluginFactory*>(factory);
    });
}

Vst3::tresult Y_VST3_CALL YVST3PluginFactory::queryInterface(const Vst3::TUID iid, void** obj) {
    return YGuard("YVST3PluginFactory::queryInterface", Vst3::kInternalError, [&] {
        if (obj == nullptr) return Vst3::kInvalidArgument;
        if (Vst3::FUnknown::iid.Matches(iid) || Vst3::IPluginFactory::iid.Matches(iid) ||
            Vst3::IPluginFactory2::iid.Matches(iid) || Vst3::IPluginFactory3::iid.Matches(iid)) {
            addRef();
            *obj = static_cast<Vst3::IPluginFactory3*>(this);
            return Vst3::kResultOk;
        }
        *obj = nullptr;
        return Vst3::kNoInterface;
    });
}

Vst3::uint32 Y_VST3_CALL YVST3PluginFactory::addRef() { return ++m_refCount; }

Vst3::uint32 Y_VST3_CALL YVST3PluginFactory::release() {
    return YGuard("YVST3PluginFactory::release", Vst3::uint32{0}, [&] {
        const Vst3::uint32 left = --m_refCount;
        if (left == 0) {
            YVST3PluginFactory* self = this;
            g_factory.compare_exchange_strong(self, nullptr);
            delete this;
        }
        return left;
    });
}

Vst3::tresult Y_VST3_CALL YVST3PluginFactory::getFactoryInfo(Vst3::PFactoryInfo* info) {
    return YGuard("YVST3PluginFactory::getFactoryInfo", Vst3::kInternalError, [&] {
        if (info == nullptr) return Vst3::kInvalidArgument;
        *info = m_info;
        return Vst3::kResultOk;
    });
}

Vst3::int32 Y_VST3_CALL YVST3PluginFactory::countClasses() { return m_classCount; }

Vst3::tresult Y_VST3_CALL YVST3PluginFactory::getClassInfo(Vst3::int32 index, Vst3::PClassInfo* info) {
    return YGuard("YVST3PluginFactory::getClassInfo", Vst3::kInternalError, [&] {
        if (info == nullptr || index < 0 || index >= m_classCount) return Vst3::kInvalidArgument;
        const Vst3::PClassInfo2& c = m_classes[index].info;
        std::memset(info, 0, sizeof(*info));
        std::memcpy(info->cid, c.cid, sizeof(info->cid));
        info->cardinality = c.cardinality;
        std::memcpy(info->category, c.category, sizeof(info->category));
        std::memcpy(info->name, c.name, sizeof(info->name));
        return Vst3::kResultOk;
    });
}

Vst3::tresult Y_VST3_CALL YVST3PluginFactory::getClassInfo2(Vst3::int32 index, Vst3::PClassInfo2* info) {
    return YGuard("YVST3PluginFactory::getClassInfo2", Vst3::kInternalError, [&] {
        if (info == nullptr || index < 0 || index >= m_classCount) return Vst3::kInvalidArgument;
        *info = m_classes[index].info;
        return Vst3::kResultOk;
    });
}

Vst3::tresult Y_VST3_CALL YVST3PluginFactory::getClassInfoUnicode(Vst3::int32 index, Vst3::PClassInfoW* info) {
    return YGuard("YVST3PluginFactory::getClassInfoUnicode", Vst3::kInternalError, [&] {
        if (info == nullptr || index < 0 || index >= m_classCount) return Vst3::kInvalidArgument;
        const Vst3::PClassInfo2& c = m_classes[index].info;
        std::memset(info, 0, sizeof(*info));
        std::memcpy(info->cid, c.cid, sizeof(info->cid));
        info->cardinality = c.cardinality;
        std::memcpy(info->category, c.category, sizeof(info->category));
        CopyWide(info->name, c.name, sizeof(c.name));
        info->classFlags = c.classFlags;
        std::memcpy(info->subCategories, c.subCategories, sizeof(info->subCategories));
        CopyWide(info->vendor, c.vendor, sizeof(c.vendor));
        CopyWide(info->version, c.version, sizeof(c.version));
        CopyWide(info->sdkVersion, c.sdkVersion, sizeof(c.sdkVersion));
        return Vst3::kResultOk;
    });
}

Vst3::tresult Y_VST3_CALL YVST3PluginFactory::createInstance(Vst3::FIDString cid, Vst3::FIDString iid, void** obj) {
    return YGuard("YVST3PluginFactory::createInstance", Vst3::kInternalError, [&] {
        if (obj == nullptr) return Vst3::kInvalidArgument;
        *obj = nullptr;
        if (cid == nullptr || iid == nullptr) return Vst3::kInvalidArgument;
        for (int32_t i = 0; i < m_classCount; ++i) {
            if (std::memcmp(m_classes[i].info.cid, cid, sizeof(Vst3::TUID)) != 0) continue;
            Vst3::FUnknown* instance = m_classes[i].create();
            if (instance == nullptr) return Vst3::kOutOfMemory;
            // The caller gets its own reference for the interface it asked for; ours goes.
            const Vst3::tresult result = instance->queryInterface(iid, obj);
            instance->release();
            if (result != Vst3::kResultOk) {
                *obj = nullptr;
                return Vst3::kNoInterface;
            }
            return Vst3::kResultOk;
        }
        return Vst3::kNoInterface;
    });
}

Vst3::tresult Y_VST3_CALL YVST3PluginFactory::setHostContext(Vst3::FUnknown*) { return Vst3::kResultOk; }
