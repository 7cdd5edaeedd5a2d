// SPDX-License-Identifier: GPL-3.0-or-later
#include "RuntimeFixture.h"

#include <dlfcn.h>
#include <limits.h>
#include <unistd.h>

namespace {

std::string besideThisBinary(const char* name) {
    char path[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof(path) - 1);
    std::string exe(path, n > 0 ? static_cast<size_t>(n) : 0);
    return exe.substr(0, exe.rfind('/') + 1) + name;
}

}  // namespace

AmdgpuRuntime& AmdgpuRuntime::instance() {
    static AmdgpuRuntime runtime;
    return runtime;
}

AmdgpuRuntime::AmdgpuRuntime() {
    void* module = dlopen(besideThisBinary(ADLX_RUNTIME_LIBRARY).c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) return;
    m_use =
        reinterpret_cast<TachyonAmdgpuUseAttributes_Fn>(dlsym(module, TACHYON_AMDGPU_USE_ATTRIBUTES_SYMBOL));
    m_audit = reinterpret_cast<TachyonAmdgpuAudit_Fn>(dlsym(module, TACHYON_AMDGPU_AUDIT_SYMBOL));
    m_terminate = reinterpret_cast<ADLXTerminate_Fn>(dlsym(module, "ADLXTerminate"));
    if (m_use != nullptr && m_audit != nullptr && m_terminate != nullptr)
        m_initialize = reinterpret_cast<ADLXInitialize_Fn>(dlsym(module, "ADLXInitialize"));
}

IADLXSystem* AmdgpuRuntime::start(amdgpu::Attributes& files) {
    if (!loaded()) return nullptr;
    m_terminate();
    m_use(&files);
    IADLXSystem* system = nullptr;
    return m_initialize(ADLX_FULL_VERSION, &system) == ADLX_OK ? system : nullptr;
}

void AmdgpuRuntime::stop() {
    if (!loaded()) return;
    m_terminate();
    m_use(nullptr);
}

void RuntimeTest::TearDown() {
    services.reset();
    gpu.reset();
    gpus.reset();
    AmdgpuRuntime& runtime = AmdgpuRuntime::instance();
    if (runtime.loaded()) {
        runtime.stop();
        EXPECT_EQ(runtime.audit(), "live=0 double=0 dead_calls=0");
    }
}

void RuntimeTest::mount(const char* fixture, int cardNumber) {
    if (!kernel.mountFixture(fixture, cardNumber))
        GTEST_SKIP() << "the amdgpu captures are not at " << fixtureRoot() << "/" << fixture;
}

void RuntimeTest::start(size_t index) { startOn(kernel, index); }

void RuntimeTest::startOn(amdgpu::Attributes& files, size_t index) {
    AmdgpuRuntime& runtime = AmdgpuRuntime::instance();
    ASSERT_TRUE(runtime.loaded()) << "the amdgpu runtime is not beside the test binary";
    system = runtime.start(files);
    ASSERT_NE(system, nullptr);
    ASSERT_EQ(system->GetGPUs(gpus.put()), ADLX_OK);
    ASSERT_GT(gpus->Size(), index);
    ASSERT_EQ(gpus->At(static_cast<adlx_uint>(index), gpu.put()), ADLX_OK);
    ASSERT_EQ(system->GetGPUTuningServices(services.put()), ADLX_OK);
    kernel.writes.clear();
}

template <class T>
static adlx::InterfacePtr<T> fetch(IADLXGPUTuningServices* services, IADLXGPU* gpu,
                                   ADLX_RESULT (IADLXGPUTuningServices::*getter)(IADLXGPU*,
                                                                                 IADLXInterface**)) {
    adlx::InterfacePtr<IADLXInterface> base;
    EXPECT_EQ((services->*getter)(gpu, base.put()), ADLX_OK);
    return base.query<T>();
}

adlx::InterfacePtr<IADLXManualGraphicsTuning2> RuntimeTest::gfx() {
    return fetch<IADLXManualGraphicsTuning2>(services.get(), gpu.get(),
                                             &IADLXGPUTuningServices::GetManualGFXTuning);
}
adlx::InterfacePtr<IADLXManualVRAMTuning2> RuntimeTest::vram() {
    return fetch<IADLXManualVRAMTuning2>(services.get(), gpu.get(),
                                         &IADLXGPUTuningServices::GetManualVRAMTuning);
}
adlx::InterfacePtr<IADLXManualPowerTuning> RuntimeTest::power() {
    return fetch<IADLXManualPowerTuning>(services.get(), gpu.get(),
                                         &IADLXGPUTuningServices::GetManualPowerTuning);
}
adlx::InterfacePtr<IADLXManualFanTuning> RuntimeTest::fan() {
    return fetch<IADLXManualFanTuning>(services.get(), gpu.get(),
                                       &IADLXGPUTuningServices::GetManualFanTuning);
}
adlx::InterfacePtr<IADLXSmartAccessMemory> RuntimeTest::sam() {
    auto services1 = services.query<IADLXGPUTuningServices1>();
    adlx::InterfacePtr<IADLXSmartAccessMemory> result;
    if (services1) {
        EXPECT_EQ(services1->GetSmartAccessMemory(gpu.get(), result.put()), ADLX_OK);
    }
    return result;
}

std::vector<std::string> RuntimeTest::takeWrites() {
    std::vector<std::string> out;
    const std::string device = "class/drm/card0/device/";
    for (const auto& [path, command] : kernel.writes) {
        std::string file = path.compare(0, device.size(), device) == 0 ? path.substr(device.size()) : path;
        const auto hwmon = file.find("hwmon/hwmon");
        if (hwmon == 0) file = file.substr(file.find('/', 6) + 1);
        out.push_back(file + ": " + command);
    }
    kernel.writes.clear();
    return out;
}
