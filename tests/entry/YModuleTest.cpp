#include "entry/YModule.h"

#include "foundation/YException.h"

#include <gtest/gtest.h>

namespace {

int64_t Echo(YModule&, YModuleServiceArguments* arguments) { return arguments != nullptr ? arguments->Text.Length() : -7; }
int64_t Answer(YModule&, YModuleServiceArguments*) { return 42; }

class RegisteringModule : public YModule {
public:
    int64_t RegisterAllPlugins(const YString& text) override {
        Registered = text;
        ++Calls;
        return 5;
    }
    YString Registered;
    int32_t Calls = 0;
};

TEST(YModuleTest, ServicesByName) {
    static const YModuleService table[] = {{"Echo", &Echo}, {"Answer", &Answer}};
    RegisteringModule module;
    module.SetServiceTable(table, 2);
    YModuleServiceArguments arguments{YString("four"), nullptr};
    EXPECT_EQ(module.CallService("Echo", &arguments), 4);
    EXPECT_EQ(module.CallService("Echo", nullptr), -7);
    EXPECT_EQ(module.CallService("Answer", nullptr), 42);
    EXPECT_EQ(module.CallService("answer", nullptr), YModule::kUnknownService) << "names are case-sensitive";
    EXPECT_EQ(module.CallService("Missing", nullptr), YModule::kUnknownService);
    EXPECT_EQ(module.CallService(nullptr, nullptr), YModule::kUnknownService);

    // Registration is the module's own, with the argument's text or an empty one.
    EXPECT_EQ(module.CallService("YRegisterAllPlugins", &arguments), 5);
    EXPECT_EQ(module.Registered, YString("four"));
    EXPECT_EQ(module.CallService("YRegisterAllPlugins", nullptr), 5);
    EXPECT_TRUE(module.Registered.IsEmpty());
    EXPECT_EQ(module.Calls, 2);
}

TEST(YModuleTest, TheBaseRegistersNothingAndHasNoTable) {
    YModule module;
    EXPECT_EQ(module.CallService("YRegisterAllPlugins", nullptr), 0);
    EXPECT_EQ(module.CallService("Echo", nullptr), YModule::kUnknownService);
}

TEST(YModuleTest, ServiceWithoutAModuleRaises) {
    try {
        YCallModuleService(nullptr, "Echo", nullptr);
        FAIL() << "no exception";
    } catch (const YException& e) {
        EXPECT_EQ(e.Message(), YString("The library does not support Quenlor service access."));
    }
}

} // namespace
