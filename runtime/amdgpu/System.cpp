// SPDX-License-Identifier: GPL-3.0-or-later
// The system object, the GPU list and the GPUs: the cards found when the session started.

#include "Objects.h"
#include "Session.h"

namespace amdgpu {

namespace {

class Gpu final : public Counted<IADLXGPU1, IADLXGPU> {
public:
    explicit Gpu(int card)
        : Counted(Kind::Gpu, card),
          m_name(session().cards.at(card).name),
          m_pnp(session().cards.at(card).pnp),
          m_mode(session().cards.at(card).multiGpuMode) {}

    ADLX_RESULT Name(const char** out) override { return text(m_name, out); }
    ADLX_RESULT PNPString(const char** out) override { return text(m_pnp, out); }
    ADLX_RESULT MultiGPUMode(ADLX_MGPU_MODE* out) override {
        if (out == nullptr) return ADLX_INVALID_ARGS;
        return guarded(*this, [&] {
            *out = m_mode;
            return ADLX_OK;
        });
    }

private:
    // The strings belong to this object, so they stay valid while the program holds it.
    ADLX_RESULT text(const std::string& value, const char** out) {
        if (out == nullptr) return ADLX_INVALID_ARGS;
        return guarded(*this, [&] {
            *out = value.c_str();
            return ADLX_OK;
        });
    }
    const std::string m_name;
    const std::string m_pnp;
    const ADLX_MGPU_MODE m_mode;
};

class GpuList final : public CountedList<IADLXGPUList> {
public:
    GpuList() : CountedList(Kind::Other, -1), m_size(static_cast<adlx_uint>(session().cards.size())) {}

    ADLX_RESULT At(adlx_uint location, IADLXGPU** pp) override {
        return handOut(*this, pp, [&](IADLXGPU*& out) {
            if (location >= size()) return ADLX_INVALID_ARGS;
            out = session().make<Gpu>(static_cast<int>(location));
            return ADLX_OK;
        });
    }

private:
    adlx_uint size() const override { return m_size; }
    const adlx_uint m_size;
};

class System final : public IADLXSystem {
public:
    ADLX_RESULT GetGPUs(IADLXGPUList** pp) override {
        return give(pp, [] { return makeGpuList(); });
    }
    ADLX_RESULT GetDisplaysServices(IADLXDisplayServices** pp) override {
        return give(pp, [] { return makeDisplayServices(); });
    }
    ADLX_RESULT Get3DSettingsServices(IADLX3DSettingsServices** pp) override {
        return give(pp, [] { return make3DSettingsServices(); });
    }
    ADLX_RESULT GetGPUTuningServices(IADLXGPUTuningServices** pp) override {
        return give(pp, [] { return makeGpuTuningServices(); });
    }
    ADLX_RESULT GetUserCommands(IADLXUserCommands** pp) override {
        return give(pp, [] { return makeUserCommands(); });
    }
    ADLX_RESULT GetGPUMetricsServices(IADLXGPUMetricsServices** pp) override {
        return give(pp, [] { return makeGpuMetricsServices(); });
    }

private:
    template <class Iface, class Make>
    static ADLX_RESULT give(Iface** pp, Make&& make) {
        if (pp == nullptr) return ADLX_INVALID_ARGS;
        *pp = nullptr;
        Session& s = session();
        std::lock_guard lock(s.mutex);
        if (!s.active) return ADLX_TERMINATED;
        try {
            *pp = make();
            return ADLX_OK;
        } catch (...) {
            *pp = nullptr;
            return ADLX_FAIL;
        }
    }
};

}  // namespace

IADLXSystem* systemObject() {
    static System instance;
    return &instance;
}

IADLXGPUList* makeGpuList() { return session().make<GpuList>(); }

}  // namespace amdgpu
