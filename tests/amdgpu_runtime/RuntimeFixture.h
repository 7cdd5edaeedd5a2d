// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The amdgpu runtime as the program sees it: the library beside this test binary, loaded with
// dlopen, started over a FakeKernel, with shortcuts to the interfaces a test calls.

#include <gtest/gtest.h>

#include <string>

#include "AttributesControl.h"
#include "FakeKernel.h"
#include "adlx/ADLX.h"

class AmdgpuRuntime {
public:
    static AmdgpuRuntime& instance();
    // Ends any session, installs the stand-in and starts a new session (cards are found again).
    IADLXSystem* start(amdgpu::Attributes& files);
    void stop();
    std::string audit() const { return m_audit(); }
    bool loaded() const { return m_initialize != nullptr; }

private:
    AmdgpuRuntime();
    ADLXInitialize_Fn m_initialize = nullptr;
    ADLXTerminate_Fn m_terminate = nullptr;
    TachyonAmdgpuUseAttributes_Fn m_use = nullptr;
    TachyonAmdgpuAudit_Fn m_audit = nullptr;
};

// One card of a started runtime and the interfaces of its tuning.
class RuntimeTest : public ::testing::Test {
protected:
    void TearDown() override;
    // Starts the runtime over `kernel` and takes GPU `index` of the list.
    void start(size_t index = 0);
    // The same over other files (a kernel model).
    void startOn(amdgpu::Attributes& files, size_t index = 0);
    // Skips the test when the captures are not there.
    void mount(const char* fixture, int cardNumber = 0);

    adlx::InterfacePtr<IADLXManualGraphicsTuning2> gfx();
    adlx::InterfacePtr<IADLXManualVRAMTuning2> vram();
    adlx::InterfacePtr<IADLXManualPowerTuning> power();
    adlx::InterfacePtr<IADLXManualFanTuning> fan();
    adlx::InterfacePtr<IADLXSmartAccessMemory> sam();
    // The writes since the last call, as "file: command" with the card's folder left out.
    std::vector<std::string> takeWrites();
    // Runs one contract call and fails the test when it read any file twice.
    template <class Call>
    auto once(Call&& call) {
        kernel.reads.clear();
        auto r = call();
        for (const auto& [path, n] : kernel.reads)
            EXPECT_LE(n, 1) << path << " read " << n << " times by one call";
        return r;
    }

    FakeKernel kernel;
    IADLXSystem* system = nullptr;
    adlx::InterfacePtr<IADLXGPUList> gpus;
    adlx::InterfacePtr<IADLXGPU> gpu;
    adlx::InterfacePtr<IADLXGPUTuningServices> services;
};
