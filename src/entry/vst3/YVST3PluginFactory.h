// YVST3PluginFactory: the class factory a VST 3 host receives from GetPluginFactory. It reports
// the vendor and its classes and creates instances through the creation function registered
// with each class. Reference-counted; the process-wide instance is created on the first request
// and handed out again, with one more reference, until the host releases the last one.
#pragma once

#include "entry/vst3/Vst3Abi.h"

#include <atomic>
#include <cstdint>

class YVST3PluginFactory final : public Vst3::IPluginFactory3 {
public:
    // Builds a new object of the class; returns it with one reference, or null.
    using CreateFunction = Vst3::FUnknown* (*)();
    static constexpr int32_t kMaxClasses = 4;

    explicit YVST3PluginFactory(const Vst3::PFactoryInfo& info) noexcept;
    YVST3PluginFactory(const YVST3PluginFactory&) = delete;
    YVST3PluginFactory& operator=(const YVST3PluginFactory&) = delete;

    // False when the table is full or create is null.
    bool RegisterClass(const Vst3::PClassInfo2& info, CreateFunction create) noexcept;

    // The factory GetPluginFactory hands out: created on the first call with the product's
    // identity, then the same object with one more reference. Null when it cannot be built.
    static Vst3::IPluginFactory* Get() noexcept;
    // The product's class ID in this platform's byte order.
    static Vst3::FUID ProductClassID() noexcept;

    // FUnknown
    Vst3::tresult Y_VST3_CALL queryInterface(const Vst3::TUID iid, void** obj) override;
    Vst3::uint32 Y_VST3_CALL addRef() override;
    Vst3::uint32 Y_VST3_CALL release() override;
    // IPluginFactory
    Vst3::tresult Y_VST3_CALL getFactoryInfo(Vst3::PFactoryInfo* info) override;
    Vst3::int32 Y_VST3_CALL countClasses() override;
    Vst3::tresult Y_VST3_CALL getClassInfo(Vst3::int32 index, Vst3::PClassInfo* info) override;
    Vst3::tresult Y_VST3_CALL createInstance(Vst3::FIDString cid, Vst3::FIDString iid, void** obj) override;
    // IPluginFactory2
    Vst3::tresult Y_VST3_CALL getClassInfo2(Vst3::int32 index, Vst3::PClassInfo2* info) override;
    // IPluginFactory3
    Vst3::tresult Y_VST3_CALL getClassInfoUnicode(Vst3::int32 index, Vst3::PClassInfoW* info) override;
    Vst3::tresult Y_VST3_CALL setHostContext(Vst3::FUnknown* context) override;

private:
    ~YVST3PluginFactory() = default;

    struct ClassEntry {
        Vst3::PClassInfo2 info;
        CreateFunction create;
    };

    std::atomic<Vst3::uint32> m_refCount{1};
    Vst3::PFactoryInfo m_info;
    ClassEntry m_classes[kMaxClasses] = {};
    int32_t m_classCount = 0;
};
