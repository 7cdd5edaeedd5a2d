// SPDX-License-Identifier: GPL-3.0-or-later
#include "SimFixture.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <sstream>

namespace simtest {

std::string runtimePath() {
    char exe[PATH_MAX] = {};
    const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    std::string dir = n > 0 ? std::string(exe, static_cast<size_t>(n)) : std::string("./x");
    dir.erase(dir.rfind('/'));
    return dir + "/" ADLX_RUNTIME_LIBRARY;
}

Library Library::load() {
    Library l;
    const std::string path = runtimePath();
    l.handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (l.handle == nullptr) {
        ADD_FAILURE() << "cannot load " << path << ": " << dlerror();
        return l;
    }
    l.queryFullVersion = reinterpret_cast<ADLXQueryFullVersion_Fn>(dlsym(l.handle, "ADLXQueryFullVersion"));
    l.queryVersion = reinterpret_cast<ADLXQueryVersion_Fn>(dlsym(l.handle, "ADLXQueryVersion"));
    l.initialize = reinterpret_cast<ADLXInitialize_Fn>(dlsym(l.handle, "ADLXInitialize"));
    l.terminate = reinterpret_cast<ADLXTerminate_Fn>(dlsym(l.handle, "ADLXTerminate"));
    l.control = reinterpret_cast<TachyonSimControl_Fn>(dlsym(l.handle, TACHYON_SIM_CONTROL_SYMBOL));
    return l;
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

Library& SimTest::lib() {
    static Library library = Library::load();
    return library;
}

void SimTest::SetUpTestSuite() {
    ASSERT_NE(lib().control, nullptr);
    ASSERT_NE(lib().initialize, nullptr);
}

void SimTest::SetUp() {
    ASSERT_EQ(ctl("scenario"), "ok");
    ASSERT_EQ(lib().initialize(ADLX_FULL_VERSION, &system), ADLX_OK);
    ASSERT_NE(system, nullptr);
    ctl("trace.clear");
}

void SimTest::TearDown() {
    // A test that leaves objects behind would hide its own leak from the next test's audit.
    EXPECT_EQ(ctl("audit"), "live=0 double=0 dead_calls=0") << "left behind by this test";
}

InterfacePtr<IADLXGPU> SimTest::gpu(adlx_uint index) {
    InterfacePtr<IADLXGPUList> list;
    EXPECT_EQ(system->GetGPUs(list.put()), ADLX_OK);
    InterfacePtr<IADLXGPU> g;
    EXPECT_EQ(list->At(index, g.put()), ADLX_OK);
    return g;
}

InterfacePtr<IADLXDisplay> SimTest::display(adlx_uint index) {
    auto services = displays();
    InterfacePtr<IADLXDisplayList> list;
    EXPECT_EQ(services->GetDisplays(list.put()), ADLX_OK);
    InterfacePtr<IADLXDisplay> d;
    EXPECT_EQ(list->At(index, d.put()), ADLX_OK);
    return d;
}

InterfacePtr<IADLXGPUTuningServices> SimTest::tuning() {
    InterfacePtr<IADLXGPUTuningServices> s;
    EXPECT_EQ(system->GetGPUTuningServices(s.put()), ADLX_OK);
    return s;
}

InterfacePtr<IADLX3DSettingsServices> SimTest::settings3D() {
    InterfacePtr<IADLX3DSettingsServices> s;
    EXPECT_EQ(system->Get3DSettingsServices(s.put()), ADLX_OK);
    return s;
}

InterfacePtr<IADLXDisplayServices> SimTest::displays() {
    InterfacePtr<IADLXDisplayServices> s;
    EXPECT_EQ(system->GetDisplaysServices(s.put()), ADLX_OK);
    return s;
}

}  // namespace simtest
