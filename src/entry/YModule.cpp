#include "entry/YModule.h"

#include "foundation/YException.h"

#include <cstring>

YModule::~YModule() = default;

void YModule::SetServiceTable(const YModuleService* services, int32_t count) noexcept {
    m_services = count > 0 ? services : nullptr;
    m_serviceCount = services != nullptr && count > 0 ? count : 0;
}

int64_t YModule::CallService(const char* name, YModuleServiceArguments* arguments) {
    if (name == nullptr) return kUnknownService;
    if (std::strcmp(name, kRegisterAllPlugins) == 0)
        return RegisterAllPlugins(arguments != nullptr ? arguments->Text : YString());
    for (int32_t i = 0; i < m_serviceCount; ++i) {
        const YModuleService& service = m_services[i];
        if (service.Name != nullptr && service.Handler != nullptr && std::strcmp(service.Name, name) == 0)
            return service.Handler(*this, arguments);
    }
    return kUnknownService;
}

int64_t YModule::RegisterAllPlugins(const YString&) { return 0; }

int64_t YCallModuleService(YModule* module, const char* name, YModuleServiceArguments* arguments) {
    if (module == nullptr) YRaise(YString("The library does not support Quenlor service access."));
    return module->CallService(name, arguments);
}
