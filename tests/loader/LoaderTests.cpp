// SPDX-License-Identifier: GPL-3.0-or-later
// The loader: finding the runtime, resolving its entry points, starting and stopping it.

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>

#include "device/ADLXHelper.h"

namespace {

std::string Folder(const char* name) { return ADLXHelper::ExecutableFolder() + "/broken/" + name; }

// The broken runtime in folder, if it is loaded, without loading it.
void* LoadedModule(const std::string& folder) {
    return dlopen((folder + "/" ADLX_RUNTIME_LIBRARY).c_str(), RTLD_NOW | RTLD_NOLOAD);
}

int CallsTo(void* module, const char* entryPoint) {
    auto counter = reinterpret_cast<int (*)(const char*)>(dlsym(module, "BrokenRuntimeCalls"));
    return counter != nullptr ? counter(entryPoint) : -1;
}

}  // namespace

TEST(Loader, TheRuntimeBesideTheProgramStartsAndStops) {
    ADLXHelper helper;
    ASSERT_EQ(helper.StartRuntime(), ADLX_OK) << helper.LastError();
    EXPECT_NE(helper.SystemServices(), nullptr);
    EXPECT_TRUE(helper.IsLoaded());
    EXPECT_EQ(helper.StopRuntime(), ADLX_OK);
    EXPECT_EQ(helper.SystemServices(), nullptr);
    EXPECT_FALSE(helper.IsLoaded());
}

TEST(Loader, NoRuntimeAnywhereFailsWithThree) {
    ADLXHelper helper(Folder("nowhere"));
    EXPECT_EQ(helper.StartRuntime(), ADLX_FAIL);
    EXPECT_FALSE(helper.IsLoaded());
    EXPECT_NE(helper.LastError().find(ADLX_RUNTIME_LIBRARY), std::string::npos) << helper.LastError();
    EXPECT_EQ(helper.StopRuntime(), ADLX_OK);
}

TEST(Loader, AMissingEntryPointFailsWithoutCallingAnInitialiserAndKeepsTheLibraryUntilStop) {
    const std::string folder = Folder("without-terminate");
    ADLXHelper helper(folder);
    EXPECT_EQ(helper.StartRuntime(), ADLX_FAIL);
    EXPECT_NE(helper.LastError().find("ADLXTerminate"), std::string::npos) << helper.LastError();

    void* module = LoadedModule(folder);
    ASSERT_NE(module, nullptr) << "the library must stay loaded after a failed start";
    for (const char* entry : {"ADLXQueryFullVersion", "ADLXQueryVersion", "ADLXInitialize",
                              "ADLXInitializeWithCallerAdl", "ADLXInitializeWithIncompatibleDriver"}) {
        EXPECT_EQ(CallsTo(module, entry), 0) << entry;
    }
    dlclose(module);

    helper.StopRuntime();
    EXPECT_EQ(LoadedModule(folder), nullptr) << "stop unloads the library";
}

TEST(Loader, ARefusedInitialisationIsHandedOnAndStillTerminatedOnceAtStop) {
    const std::string folder = Folder("refusing");
    ADLXHelper helper(folder);
    EXPECT_EQ(helper.StartRuntime(), ADLX_ADL_INIT_ERROR);
    EXPECT_EQ(helper.SystemServices(), nullptr);

    void* module = LoadedModule(folder);
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(CallsTo(module, "ADLXQueryFullVersion"), 1);
    EXPECT_EQ(CallsTo(module, "ADLXQueryVersion"), 1);
    EXPECT_EQ(CallsTo(module, "ADLXInitialize"), 1);
    EXPECT_EQ(CallsTo(module, "ADLXTerminate"), 0);

    helper.StopRuntime();
    EXPECT_EQ(CallsTo(module, "ADLXTerminate"), 1);
    // A second stop calls nothing.
    helper.StopRuntime();
    EXPECT_EQ(CallsTo(module, "ADLXTerminate"), 1);
    dlclose(module);
    EXPECT_EQ(LoadedModule(folder), nullptr);
}

TEST(Loader, TheCurrentDirectoryIsNeverSearched) {
    // A runtime in the working directory but not beside the program must not be found.
    const std::string folder = Folder("refusing");
    char previous[4096];
    ASSERT_NE(getcwd(previous, sizeof(previous)), nullptr);
    ASSERT_EQ(chdir(folder.c_str()), 0);
    ADLXHelper helper(Folder("nowhere"));
    const ADLX_RESULT result = helper.StartRuntime();
    ASSERT_EQ(chdir(previous), 0);
    EXPECT_EQ(result, ADLX_FAIL);
    EXPECT_FALSE(helper.IsLoaded());
}
