// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Loads the simulated runtime from the test binary's folder, as the program finds it, and starts
// every test on the built-in machine with an empty trace, no faults and a clean audit.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "adlx/ADLX.h"
#include "adlx/SimControl.h"

namespace simtest {

using adlx::InterfacePtr;

// The six entry points and the control entry point of one loaded copy of the runtime.
struct Library {
    void* handle = nullptr;
    ADLXQueryFullVersion_Fn queryFullVersion = nullptr;
    ADLXQueryVersion_Fn queryVersion = nullptr;
    ADLXInitialize_Fn initialize = nullptr;
    ADLXTerminate_Fn terminate = nullptr;
    TachyonSimControl_Fn control = nullptr;

    // The runtime beside the test binary, as the program finds it.
    static Library load();
};

std::string runtimePath();
std::vector<std::string> lines(const std::string& text);

class SimTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    void SetUp() override;
    void TearDown() override;

public:
    // Public so that tables of cases can hold lambdas that use them.
    std::string ctl(const char* command, const char* argument = nullptr) {
        return lib().control(command, argument);
    }
    // The calls since the last trace.clear, without Acquire and Release.
    std::vector<std::string> calls() { return lines(ctl("trace", "calls")); }
    void useScenario(const std::string& json) { ASSERT_EQ(ctl("scenario", json.c_str()), "ok"); }
    std::string driverValue(const char* key) { return ctl("get", key); }

    InterfacePtr<IADLXGPU> gpu(adlx_uint index);
    InterfacePtr<IADLXDisplay> display(adlx_uint index);
    InterfacePtr<IADLXGPUTuningServices> tuning();
    InterfacePtr<IADLX3DSettingsServices> settings3D();
    InterfacePtr<IADLXDisplayServices> displays();
    // A tuning interface as the program reaches it: the base from the getter, then the query.
    template <class T>
    InterfacePtr<T> manual(adlx_uint gpuIndex,
                           ADLX_RESULT (IADLXGPUTuningServices::*getter)(IADLXGPU*, IADLXInterface**)) {
        InterfacePtr<IADLXInterface> base;
        auto services = tuning();
        auto g = gpu(gpuIndex);
        EXPECT_EQ((services.get()->*getter)(g.get(), base.put()), ADLX_OK);
        return base.query<T>();
    }

    static Library& lib();
    IADLXSystem* system = nullptr;
};

}  // namespace simtest
