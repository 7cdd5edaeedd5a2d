// SPDX-License-Identifier: GPL-3.0-or-later
// The system object, the GPU list and the GPUs.

#include "Objects.h"
#include "Runtime.h"

namespace sim {

namespace {

class GpuImpl final : public Impl<IADLXGPU1, IADLXGPU> {
public:
    explicit GpuImpl(int index)
        : Impl("IADLXGPU", index, Kind::Gpu),
          m_name(runtime().machine.gpus.at(index).name),
          m_pnp(runtime().machine.gpus.at(index).pnp) {}

    ADLX_RESULT Name(const char** name) override { return text("Name", m_name, name); }
    ADLX_RESULT PNPString(const char** pnp) override { return text("PNPString", m_pnp, pnp); }
    ADLX_RESULT MultiGPUMode(ADLX_MGPU_MODE* mode) override {
        return getter(*this, "IADLXGPU1.MultiGPUMode", mode, [&](ADLX_MGPU_MODE& v) {
            v = static_cast<ADLX_MGPU_MODE>(gpuModel(*this).multiGpuMode);
            return ADLX_OK;
        });
    }

private:
    // The strings belong to this object, so they stay valid while the program holds it.
    ADLX_RESULT text(const char* method, const std::string& value, const char** out) {
        return call(*this, method, "", device, nullptr, [&](Out& o) -> ADLX_RESULT {
            if (out == nullptr) return ADLX_INVALID_ARGS;
            *out = value.c_str();
            o.str(value.c_str());
            return ADLX_OK;
        });
    }
    const std::string m_name;
    const std::string m_pnp;
};

class GpuListImpl final : public Impl<IADLXGPUList> {
public:
    GpuListImpl() : Impl("IADLXGPUList", -1) {}

    adlx_uint Size() override { return count(*this, "Size", [&] { return size(); }); }
    adlx_uint Begin() override { return count(*this, "Begin", [] { return 0u; }); }
    adlx_uint End() override { return count(*this, "End", [&] { return size(); }); }
    ADLX_RESULT At(adlx_uint location, IADLXGPU** pp) override {
        const int subject = location > 0x7fffffffu ? -1 : static_cast<int>(location);
        return handOut(*this, "At", " " + fmt(location), subject, pp, [&](IADLXGPU*& out) -> ADLX_RESULT {
            if (location >= size()) return ADLX_INVALID_ARGS;
            out = runtime().make<GpuImpl>(static_cast<int>(location));
            return ADLX_OK;
        });
    }

private:
    static adlx_uint size() { return static_cast<adlx_uint>(runtime().machine.gpus.size()); }
};

class SystemImpl final : public IADLXSystem, public SimObject {
public:
    SystemImpl() : SimObject("IADLXSystem", -1, Kind::System) {}

    ADLX_RESULT GetGPUs(IADLXGPUList** pp) override {
        return handOut(*this, "GetGPUs", "", -1, pp, [](IADLXGPUList*& out) {
            out = makeGpuList();
            return ADLX_OK;
        });
    }
    ADLX_RESULT GetDisplaysServices(IADLXDisplayServices** pp) override {
        return handOut(*this, "GetDisplaysServices", "", -1, pp, [](IADLXDisplayServices*& out) {
            out = makeDisplayServices();
            return ADLX_OK;
        });
    }
    ADLX_RESULT Get3DSettingsServices(IADLX3DSettingsServices** pp) override {
        return handOut(*this, "Get3DSettingsServices", "", -1, pp, [](IADLX3DSettingsServices*& out) {
            out = make3DSettingsServices();
            return ADLX_OK;
        });
    }
    ADLX_RESULT GetGPUTuningServices(IADLXGPUTuningServices** pp) override {
        return handOut(*this, "GetGPUTuningServices", "", -1, pp, [](IADLXGPUTuningServices*& out) {
            out = makeGpuTuningServices();
            return ADLX_OK;
        });
    }
    ADLX_RESULT GetGPUMetricsServices(IADLXGPUMetricsServices** pp) override {
        return handOut(*this, "GetGPUMetricsServices", "", -1, pp, [](IADLXGPUMetricsServices*& out) {
            out = makeGpuMetricsServices();
            return ADLX_OK;
        });
    }

    // The simulated machine writes without authentication and every setting takes effect at once,
    // so it never has anything to tell the user.
    ADLX_RESULT GetUserCommands(IADLXUserCommands** pp) override {
        return handOut(*this, "GetUserCommands", "", -1, pp, [](IADLXUserCommands*& out) {
            out = nullptr;
            return ADLX_NOT_SUPPORTED;
        });
    }

    // Not reference counted and never handed out through QueryInterface.
    IADLXInterface* asInterface() override { return nullptr; }
    void* ownInterface(std::wstring_view) override { return nullptr; }
};

}  // namespace

IADLXSystem* systemObject() {
    static SystemImpl instance;
    return &instance;
}

IADLXGPUList* makeGpuList() { return runtime().make<GpuListImpl>(); }

}  // namespace sim
