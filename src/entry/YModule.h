// YModule: the process-wide object the framework needs before any plug-in exists. It names
// the module, remembers which binary it is, and offers services to sibling modules by name.
// YSystemModule adds what the operating system's loader knows (the instance handle).
#pragma once

#include "foundation/YString.h"

#include <cstdint>

class YModule;

// The argument record of a service call.
struct YModuleServiceArguments {
    YString Text;
    void* Data = nullptr;
};

using YModuleServiceHandler = int64_t (*)(YModule& module, YModuleServiceArguments* arguments);

struct YModuleService {
    const char* Name;
    YModuleServiceHandler Handler;
};

class YModule {
public:
    // The service every module answers itself, outside its table.
    static constexpr char kRegisterAllPlugins[] = "YRegisterAllPlugins";
    // The answer for a service the module does not offer.
    static constexpr int64_t kUnknownService = -1;

    YModule() = default;
    virtual ~YModule();
    YModule(const YModule&) = delete;
    YModule& operator=(const YModule&) = delete;

    // Set by a sibling module that adopts this library; empty otherwise.
    const YString& IdentityText() const noexcept { return m_identityText; }
    void SetIdentityText(const YString& text) { m_identityText = text; }
    const YString& Name() const noexcept { return m_name; }
    void SetName(const YString& name) { m_name = name; }

    // The services of the table (not owned; the table must outlive the module).
    void SetServiceTable(const YModuleService* services, int32_t count) noexcept;
    int32_t ServiceCount() const noexcept { return m_serviceCount; }

    // "YRegisterAllPlugins" runs RegisterAllPlugins with the argument's text; any other name
    // runs the table's handler; an unknown name answers kUnknownService.
    int64_t CallService(const char* name, YModuleServiceArguments* arguments);

    // Module set-up after creation (names, folders).
    virtual void Initialize() {}
    // Registers further plug-ins the module carries; returns how many it registered.
    virtual int64_t RegisterAllPlugins(const YString& text);

private:
    YString m_identityText;
    YString m_name;
    const YModuleService* m_services = nullptr;
    int32_t m_serviceCount = 0;
};

// The module as the operating system loaded it.
class YSystemModule : public YModule {
public:
    void* InstanceHandle() const noexcept { return m_instanceHandle; }
    void SetInstanceHandle(void* handle) noexcept { m_instanceHandle = handle; }
    // Folder of the generated documentation, below the documents folder.
    const YString& DocumentationFolder() const noexcept { return m_documentationFolder; }
    void SetDocumentationFolder(const YString& folder) { m_documentationFolder = folder; }

private:
    void* m_instanceHandle = nullptr;
    YString m_documentationFolder;
};

// The loader-level base under its system's name.
#if defined(_WIN32)
using YWindowsModule = YSystemModule;
#else
using YPosixModule = YSystemModule;
#endif

// Calls a service of module; raises "The library does not support Quenlor service access."
// when no module is attached.
int64_t YCallModuleService(YModule* module, const char* name, YModuleServiceArguments* arguments);
