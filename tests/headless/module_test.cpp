// The headless module table follows the loader's rules that the saver's optional components
// depend on: names without letter case and with the implied ".DLL", reference counts, and
// GetModuleHandleA finding only what is loaded.
#include "platform/headless/headless.h"

#include <gtest/gtest.h>

namespace {

INT_PTR WINAPI Entry() {
    return 42;
}

class HeadlessModules : public ::testing::Test {
  protected:
    void SetUp() override {
        headless::Reset();
        headless::RegisterModule("MPR.DLL", {{"PwdChangePasswordA", Entry}});
        headless::RegisterModule("PASSWORD.CPL", {{"VerifyScreenSavePwd", Entry}});
    }
};

TEST_F(HeadlessModules, LoadingByName) {
    struct Row {
        const char *name;
        bool found;
    };
    const Row rows[] = {
        {"MPR.DLL", true},   {"mpr.dll", true},
        {"MPR", true},       {"C:\\Windows\\MPR.DLL", true},
        {"MPR.", false},     {"PASSWORD.CPL", true},
        {"PASSWORD", false}, {"IMM32.DLL", false},
    };
    for (const Row &row : rows) {
        HMODULE module = LoadLibraryA(row.name);
        EXPECT_EQ(module != nullptr, row.found) << row.name;
        if (module) {
            EXPECT_TRUE(FreeLibrary(module));
        }
    }
    EXPECT_EQ(headless::ModuleLoadCount("MPR.DLL"), 4);
    EXPECT_FALSE(headless::ModuleLoaded("MPR.DLL"));
}

TEST_F(HeadlessModules, ReferencesDecideWhatIsLoaded) {
    EXPECT_EQ(GetModuleHandleA("MPR.DLL"), nullptr) << "GetModuleHandleA never loads";
    HMODULE first = LoadLibraryA("MPR.DLL");
    HMODULE second = LoadLibraryA("mpr");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, second);
    EXPECT_EQ(GetModuleHandleA("Mpr.Dll"), first);
    EXPECT_NE(first, GetModuleHandleA(nullptr));
    EXPECT_EQ(GetModuleHandleA(nullptr), headless::ExecutableInstance());

    EXPECT_TRUE(FreeLibrary(first));
    EXPECT_NE(GetProcAddress(first, "PwdChangePasswordA"), nullptr) << "one reference left";
    EXPECT_TRUE(FreeLibrary(first));
    EXPECT_EQ(GetModuleHandleA("MPR.DLL"), nullptr);
    EXPECT_EQ(GetProcAddress(first, "PwdChangePasswordA"), nullptr) << "entry of a freed module";
    EXPECT_FALSE(FreeLibrary(first));
}

TEST_F(HeadlessModules, EntriesByExactName) {
    HMODULE module = LoadLibraryA("PASSWORD.CPL");
    FARPROC entry = GetProcAddress(module, "VerifyScreenSavePwd");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry(), 42);
    EXPECT_EQ(GetProcAddress(module, "verifyscreensavepwd"), nullptr);
    EXPECT_EQ(GetProcAddress(module, MAKEINTRESOURCEA(1)), nullptr);
    FreeLibrary(module);
}

TEST_F(HeadlessModules, APreloadedModuleIsFoundWithoutLoading) {
    headless::RegisterModule("IMM32.DLL", {{"ImmAssociateContext", Entry}});
    headless::PreloadModule("IMM32.DLL");
    HMODULE module = GetModuleHandleA("IMM32.DLL");
    ASSERT_NE(module, nullptr);
    EXPECT_NE(GetProcAddress(module, "ImmAssociateContext"), nullptr);
    EXPECT_EQ(headless::ModuleLoadCount("IMM32.DLL"), 0);
    EXPECT_EQ(headless::ModuleReferences("IMM32.DLL"), 1);
}

} // namespace
