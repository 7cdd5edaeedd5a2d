// SPDX-License-Identifier: GPL-3.0-or-later
// Injected faults and the call trace.

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "SimFixture.h"

namespace simtest {
namespace {

using Faults = SimTest;

TEST_F(Faults, FailingMethodLeavesDriverAndOutValueAlone) {
    ASSERT_EQ(ctl("fault", "IADLXManualGraphicsTuning2.SetGPUMaxFrequency"), "ok");
    ASSERT_EQ(ctl("fault", "IADLXManualGraphicsTuning2.GetGPUVoltage"), "ok");
    auto gfx = manual<IADLXManualGraphicsTuning2>(0, &IADLXGPUTuningServices::GetManualGFXTuning);
    EXPECT_EQ(gfx->SetGPUMaxFrequency(2400), ADLX_FAIL);
    EXPECT_EQ(driverValue("gpu0.gfx.maxFrequency"), "2500");
    EXPECT_EQ(gfx->SetGPUMinFrequency(600), ADLX_OK) << "only the named method fails";
    adlx_int voltage = -7;
    EXPECT_EQ(gfx->GetGPUVoltage(&voltage), ADLX_FAIL);
    EXPECT_EQ(voltage, -7);
    ASSERT_EQ(ctl("faults.clear"), "ok");
    EXPECT_EQ(gfx->SetGPUMaxFrequency(2400), ADLX_OK);
}

// A getter under a fault returns ADLX_FAIL and a null interface, whatever the slot held before.
TEST_F(Faults, GettersAndQueriesYieldNothing) {
    const struct {
        const char* fault;
        const char* label;
        std::function<ADLX_RESULT(SimTest&, void**)> fetch;
        ADLX_RESULT expected;
    } cases[] = {
        {"IADLXSystem.GetGPUTuningServices", "system getter",
         [](SimTest& t, void** out) { return t.system->GetGPUTuningServices(reinterpret_cast<IADLXGPUTuningServices**>(out)); },
         ADLX_FAIL},
        {"IADLXGPUTuningServices.GetManualGFXTuning", "service getter",
         [](SimTest& t, void** out) {
             return t.tuning()->GetManualGFXTuning(t.gpu(0).get(), reinterpret_cast<IADLXInterface**>(out));
         },
         ADLX_FAIL},
        {"QueryInterface:IADLXGPU1", "refused query", [](SimTest& t, void** out) { return t.gpu(0)->QueryInterface(L"IADLXGPU1", out); },
         ADLX_UNKNOWN_INTERFACE},
        {"QueryInterface:IADLX3DAntiLag1", "refused upgrade to a second object",
         [](SimTest& t, void** out) {
             InterfacePtr<IADLX3DAntiLag> antiLag;
             EXPECT_EQ(t.settings3D()->GetAntiLag(t.gpu(0).get(), antiLag.put()), ADLX_OK);
             return antiLag->QueryInterface(L"IADLX3DAntiLag1", out);
         },
         ADLX_UNKNOWN_INTERFACE},
        {"IADLXGPUList.At#1", "second GPU only",
         [](SimTest& t, void** out) {
             InterfacePtr<IADLXGPUList> list;
             EXPECT_EQ(t.system->GetGPUs(list.put()), ADLX_OK);
             InterfacePtr<IADLXGPU> first;
             EXPECT_EQ(list->At(0, first.put()), ADLX_OK);
             return list->At(1, reinterpret_cast<IADLXGPU**>(out));
         },
         ADLX_FAIL},
        {"IADLXDisplayList.At#0", "first display only",
         [](SimTest& t, void** out) {
             InterfacePtr<IADLXDisplayList> list;
             EXPECT_EQ(t.displays()->GetDisplays(list.put()), ADLX_OK);
             InterfacePtr<IADLXDisplay> second;
             EXPECT_EQ(list->At(1, second.put()), ADLX_OK);
             return list->At(0, reinterpret_cast<IADLXDisplay**>(out));
         },
         ADLX_FAIL},
        {"IADLX3DSettingsServices.GetChill#1", "the other GPU's feature is unaffected",
         [](SimTest& t, void** out) { return t.settings3D()->GetChill(t.gpu(0).get(), reinterpret_cast<IADLX3DChill**>(out)); },
         ADLX_OK},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(ctl("faults.clear"), "ok");
        ASSERT_EQ(ctl("fault", c.fault), "ok") << c.label;
        void* out = reinterpret_cast<void*>(0x1);
        EXPECT_EQ(c.fetch(*this, &out), c.expected) << c.label;
        if (c.expected == ADLX_OK) {
            ASSERT_NE(out, nullptr) << c.label;
            static_cast<IADLXInterface*>(out)->Release();
        } else {
            EXPECT_EQ(out, nullptr) << c.label;
        }
    }
}

// The driver that did the work and still says it failed: out-values written, the result a failure.
TEST_F(Faults, FailAfterWriteWritesTheOutValuesAndFails) {
    ASSERT_EQ(ctl("fault", "FailAfterWrite:IADLX3DChill.IsSupported#0"), "ok");
    ASSERT_EQ(ctl("fault", "FailAfterWrite:IADLX3DSettingsServices.GetBoost"), "ok");
    InterfacePtr<IADLX3DChill> chill;
    ASSERT_EQ(settings3D()->GetChill(gpu(0).get(), chill.put()), ADLX_OK);
    adlx_bool supported = false;
    EXPECT_EQ(chill->IsSupported(&supported), ADLX_FAIL);
    EXPECT_TRUE(supported);
    InterfacePtr<IADLX3DChill> otherChill;
    ASSERT_EQ(settings3D()->GetChill(gpu(1).get(), otherChill.put()), ADLX_OK);
    EXPECT_EQ(otherChill->IsSupported(&supported), ADLX_OK) << "only GPU 0's answer fails";

    // An interface handed out under it belongs to its receiver, who releases it.
    InterfacePtr<IADLX3DBoost> boost;
    EXPECT_EQ(settings3D()->GetBoost(gpu(0).get(), boost.put()), ADLX_FAIL);
    ASSERT_TRUE(boost);
    EXPECT_EQ(boost->IsSupported(&supported), ADLX_OK);

    const auto trace = calls();
    EXPECT_NE(std::find(trace.begin(), trace.end(), "IADLX3DChill.IsSupported -> 3 true"), trace.end());
}

TEST_F(Faults, EntryPointFaultsAndTheEnvironmentList) {
    ASSERT_EQ(lib().terminate(), ADLX_OK);
    ASSERT_EQ(ctl("fault", "ADLXInitialize"), "ok");
    EXPECT_EQ(lib().initialize(ADLX_FULL_VERSION, &system), ADLX_FAIL);
    EXPECT_EQ(system, nullptr);
    ctl("faults.clear");

    // Read when a session starts; malformed names are skipped, the rest still apply.
    setenv("TACHYON_SIM_FAULTS", "IADLXGPUList.At#0, QueryInterface:IADLXGPU1,bad#x", 1);
    ADLX_RESULT r = lib().initialize(ADLX_FULL_VERSION, &system);
    unsetenv("TACHYON_SIM_FAULTS");
    ASSERT_EQ(r, ADLX_OK);
    EXPECT_EQ(ctl("faults"), "IADLXGPUList.At#0,QueryInterface:IADLXGPU1");
    InterfacePtr<IADLXGPUList> list;
    ASSERT_EQ(system->GetGPUs(list.put()), ADLX_OK);
    InterfacePtr<IADLXGPU> g;
    EXPECT_EQ(list->At(0, g.put()), ADLX_FAIL);
    EXPECT_EQ(list->At(1, g.put()), ADLX_OK);
    EXPECT_FALSE(g.query<IADLXGPU1>());
}

using Trace = SimTest;

TEST_F(Trace, OneLinePerCallWithArgumentsResultAndOutValues) {
    {
        auto services = tuning();
        auto g = gpu(0);
        adlx_bool supported = false;
        services->IsSupportedManualGFXTuning(g.get(), &supported);
        services->IsSupportedManualGFXTuning(nullptr, &supported);
        InterfacePtr<IADLXInterface> base;
        services->GetManualGFXTuning(g.get(), base.put());
        auto gfx = base.query<IADLXManualGraphicsTuning2>();
        adlx_int v = 0;
        gfx->GetGPUMaxFrequency(&v);
        gfx->SetGPUMaxFrequency(-5);
        ADLX_IntRange range{};
        gfx->GetGPUVoltageRange(&range);
        const char* name = nullptr;
        g->Name(&name);
        InterfacePtr<IADLX3DResetShaderCache> cache;
        settings3D()->GetResetShaderCache(g.get(), cache.put());
        cache->ResetShaderCache();
    }
    const std::vector<std::string> expected = {
        "IADLXSystem.GetGPUTuningServices -> 0",
        "IADLXSystem.GetGPUs -> 0",
        "IADLXGPUList.At 0 -> 0",
        "IADLXGPUTuningServices.IsSupportedManualGFXTuning gpu0 -> 0 true",
        "IADLXGPUTuningServices.IsSupportedManualGFXTuning null -> 4",
        "IADLXGPUTuningServices.GetManualGFXTuning gpu0 -> 0",
        "IADLXManualGraphicsTuning2.QueryInterface IADLXManualGraphicsTuning2 -> 0",
        "IADLXManualGraphicsTuning2.GetGPUMaxFrequency -> 0 2500",
        "IADLXManualGraphicsTuning2.SetGPUMaxFrequency -5 -> 4",
        "IADLXManualGraphicsTuning2.GetGPUVoltageRange -> 0 700 1200 1",
        "IADLXGPU.Name -> 0 \"Simulated Radeon RX 7900 XTX\"",
        "IADLXSystem.Get3DSettingsServices -> 0",
        "IADLX3DSettingsServices.GetResetShaderCache gpu0 -> 0",
        "IADLX3DResetShaderCache.ResetShaderCache -> 0",
    };
    EXPECT_EQ(calls(), expected);
    EXPECT_EQ(driverValue("gpu0.shaderCache.resets"), "1");
    // The full trace also holds the reference counting, which the filtered one leaves out.
    const auto all = lines(ctl("trace"));
    EXPECT_GT(all.size(), expected.size());
    EXPECT_NE(std::find(all.begin(), all.end(), "IADLXGPU.Release -> 0"), all.end());
    ctl("trace.clear");
    EXPECT_EQ(ctl("trace"), "");
}

TEST_F(Trace, FileNamedByTheEnvironmentGetsEveryLine) {
    const std::string path = "/tmp/sim-trace-" + std::to_string(getpid()) + ".log";
    std::remove(path.c_str());
    ASSERT_EQ(lib().terminate(), ADLX_OK);
    setenv("TACHYON_SIM_TRACE", path.c_str(), 1);
    ASSERT_EQ(lib().initialize(ADLX_FULL_VERSION, &system), ADLX_OK);
    gpu(1);
    ASSERT_EQ(lib().terminate(), ADLX_OK);
    unsetenv("TACHYON_SIM_TRACE");
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    std::remove(path.c_str());
    const auto written = lines(text.str());
    ASSERT_FALSE(written.empty());
    EXPECT_EQ(written.front(), "ADLXInitialize 1.2.0.72 -> 0");
    EXPECT_NE(std::find(written.begin(), written.end(), "IADLXGPUList.At 1 -> 0"), written.end());
    EXPECT_EQ(written.back(), "ADLXTerminate -> 0 live=0 double=0 dead_calls=0");
}

}  // namespace
}  // namespace simtest
