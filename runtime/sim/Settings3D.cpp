// SPDX-License-Identifier: GPL-3.0-or-later
// The driver's global 3D settings, per GPU, and Super Resolution for the whole system.

#include <functional>

#include "Objects.h"
#include "Runtime.h"

namespace sim {

namespace {

const std::vector<int> kThreeModes{0, 1, 2};
const std::vector<int> kVSyncModes{0, 1, 2, 3};
const std::vector<int> kAntiLagLevels{0, 1};

// Accessor of one feature of the object's GPU.
template <class M>
auto part(SimObject& s, M Gpu::*member) {
    return [&s, member]() -> M& { return gpuModel(s).*member; };
}
auto fixed(const std::vector<int>& list) {
    return [&list]() -> const std::vector<int>& { return list; };
}

// Anti-Lag reached as IADLX3DAntiLag: IsSupported answers for Anti-Lag itself.
class AntiLagImpl final : public Impl<IADLX3DAntiLag> {
public:
    explicit AntiLagImpl(int gpu) : Impl("IADLX3DAntiLag", gpu) {}
    ADLX_RESULT IsSupported(adlx_bool* out) override { return isSupported(*this, out, part(*this, &Gpu::antiLag)); }
    ADLX_RESULT IsEnabled(adlx_bool* out) override { return isEnabled(*this, out, part(*this, &Gpu::antiLag)); }
    ADLX_RESULT SetEnabled(adlx_bool v) override { return setEnabled(*this, v, part(*this, &Gpu::antiLag)); }
    SimObject* upgrade(std::wstring_view name) override;
};

// The newer interface answers IsSupported for the Anti-Lag+ level, through the same slot, so it
// has to be an object of its own.
class AntiLag1Impl final : public Impl<IADLX3DAntiLag1> {
public:
    explicit AntiLag1Impl(int gpu) : Impl("IADLX3DAntiLag1", gpu) {}
    ADLX_RESULT IsSupported(adlx_bool* out) override {
        return getter(*this, "IsSupported", out, [&](adlx_bool& v) {
            v = levelSupported();
            return ADLX_OK;
        });
    }
    ADLX_RESULT IsEnabled(adlx_bool* out) override { return isEnabled(*this, out, part(*this, &Gpu::antiLag)); }
    ADLX_RESULT SetEnabled(adlx_bool v) override { return setEnabled(*this, v, part(*this, &Gpu::antiLag)); }
    ADLX_RESULT GetLevel(ADLX_ANTILAG_STATE* out) override {
        return getter(*this, "GetLevel", out, [&](ADLX_ANTILAG_STATE& v) {
            if (!levelSupported()) return ADLX_NOT_SUPPORTED;
            v = static_cast<ADLX_ANTILAG_STATE>(gpuModel(*this).antiLag.level);
            return ADLX_OK;
        });
    }
    ADLX_RESULT SetLevel(ADLX_ANTILAG_STATE value) override {
        return setter(*this, "SetLevel", value, [&](ADLX_ANTILAG_STATE v) {
            return writeListed(levelSupported(), kAntiLagLevels, gpuModel(*this).antiLag.level, v);
        });
    }
    SimObject* upgrade(std::wstring_view name) override {
        if (name != IADLX3DAntiLag::IID()) return nullptr;
        return runtime().make<AntiLagImpl>(device);
    }

private:
    bool levelSupported() {
        const AntiLag& a = gpuModel(*this).antiLag;
        return a.supported && a.levelSupported;
    }
};

SimObject* AntiLagImpl::upgrade(std::wstring_view name) {
    if (name != IADLX3DAntiLag1::IID()) return nullptr;
    return runtime().make<AntiLag1Impl>(device);
}

class ChillImpl final : public Impl<IADLX3DChill> {
public:
    explicit ChillImpl(int gpu) : Impl("IADLX3DChill", gpu) {}
    ADLX_RESULT IsSupported(adlx_bool* out) override { return isSupported(*this, out, m()); }
    ADLX_RESULT IsEnabled(adlx_bool* out) override { return isEnabled(*this, out, m()); }
    ADLX_RESULT SetEnabled(adlx_bool v) override { return setEnabled(*this, v, m()); }
    ADLX_RESULT GetFPSRange(ADLX_IntRange* out) override { return rangeOf(*this, "GetFPSRange", out, m(), &Chill::fpsRange); }
    ADLX_RESULT GetMinFPS(adlx_int* out) override { return valueOf(*this, "GetMinFPS", out, m(), &Chill::minFps); }
    ADLX_RESULT GetMaxFPS(adlx_int* out) override { return valueOf(*this, "GetMaxFPS", out, m(), &Chill::maxFps); }
    // Each bound must stay in the range and on its side of the other bound as the driver holds it
    // now; a refused bound keeps its old value. Equal bounds are a valid fixed rate.
    ADLX_RESULT SetMinFPS(adlx_int v) override {
        return setter(*this, "SetMinFPS", v, [&](adlx_int value) {
            Chill& c = m()();
            if (c.supported && value > c.maxFps) return ADLX_INVALID_ARGS;
            return writeRanged(c.supported, c.fpsRange, c.minFps, value);
        });
    }
    ADLX_RESULT SetMaxFPS(adlx_int v) override {
        return setter(*this, "SetMaxFPS", v, [&](adlx_int value) {
            Chill& c = m()();
            if (c.supported && value < c.minFps) return ADLX_INVALID_ARGS;
            return writeRanged(c.supported, c.fpsRange, c.maxFps, value);
        });
    }

private:
    std::function<Chill&()> m() { return part(*this, &Gpu::chill); }
};

// The on/off features with one ranged value; the method names differ per feature.
template <class I>
class RangedSwitchImpl : public Impl<I> {
public:
    RangedSwitchImpl(const char* name, int gpu, RangedSwitch Gpu::*member) : Impl<I>(name, gpu), m_member(member) {}
    ADLX_RESULT IsSupported(adlx_bool* out) override { return isSupported(*this, out, m()); }
    ADLX_RESULT IsEnabled(adlx_bool* out) override { return isEnabled(*this, out, m()); }
    ADLX_RESULT SetEnabled(adlx_bool v) override { return setEnabled(*this, v, m()); }

protected:
    virtual std::function<RangedSwitch&()> m() { return part(*this, m_member); }

private:
    RangedSwitch Gpu::*m_member;
};

class BoostImpl final : public RangedSwitchImpl<IADLX3DBoost> {
public:
    explicit BoostImpl(int gpu) : RangedSwitchImpl("IADLX3DBoost", gpu, &Gpu::boost) {}
    ADLX_RESULT GetResolutionRange(ADLX_IntRange* out) override { return rangedSwitchRange(*this, "GetResolutionRange", out, m()); }
    ADLX_RESULT GetResolution(adlx_int* out) override { return rangedSwitchGet(*this, "GetResolution", out, m()); }
    ADLX_RESULT SetResolution(adlx_int v) override { return rangedSwitchSet(*this, "SetResolution", v, m()); }
};

class ImageSharpeningImpl final : public RangedSwitchImpl<IADLX3DImageSharpening> {
public:
    explicit ImageSharpeningImpl(int gpu) : RangedSwitchImpl("IADLX3DImageSharpening", gpu, &Gpu::imageSharpening) {}
    ADLX_RESULT GetSharpnessRange(ADLX_IntRange* out) override { return rangedSwitchRange(*this, "GetSharpnessRange", out, m()); }
    ADLX_RESULT GetSharpness(adlx_int* out) override { return rangedSwitchGet(*this, "GetSharpness", out, m()); }
    ADLX_RESULT SetSharpness(adlx_int v) override { return rangedSwitchSet(*this, "SetSharpness", v, m()); }
};

class FrameRateTargetImpl final : public RangedSwitchImpl<IADLX3DFrameRateTargetControl> {
public:
    explicit FrameRateTargetImpl(int gpu) : RangedSwitchImpl("IADLX3DFrameRateTargetControl", gpu, &Gpu::frtc) {}
    ADLX_RESULT GetFPSRange(ADLX_IntRange* out) override { return rangedSwitchRange(*this, "GetFPSRange", out, m()); }
    ADLX_RESULT GetFPS(adlx_int* out) override { return rangedSwitchGet(*this, "GetFPS", out, m()); }
    ADLX_RESULT SetFPS(adlx_int v) override { return rangedSwitchSet(*this, "SetFPS", v, m()); }
};

class SuperResolutionImpl final : public RangedSwitchImpl<IADLX3DRadeonSuperResolution> {
public:
    SuperResolutionImpl() : RangedSwitchImpl("IADLX3DRadeonSuperResolution", -1, nullptr) {}
    ADLX_RESULT GetSharpnessRange(ADLX_IntRange* out) override { return rangedSwitchRange(*this, "GetSharpnessRange", out, m()); }
    ADLX_RESULT GetSharpness(adlx_int* out) override { return rangedSwitchGet(*this, "GetSharpness", out, m()); }
    ADLX_RESULT SetSharpness(adlx_int v) override { return rangedSwitchSet(*this, "SetSharpness", v, m()); }

protected:
    std::function<RangedSwitch&()> m() override {
        return []() -> RangedSwitch& { return runtime().machine.superResolution; };
    }
};

template <class I, Switch Gpu::*Member>
class SwitchImpl final : public Impl<I> {
public:
    SwitchImpl(const char* name, int gpu) : Impl<I>(name, gpu) {}
    ADLX_RESULT IsSupported(adlx_bool* out) override { return isSupported(*this, out, part(*this, Member)); }
    ADLX_RESULT IsEnabled(adlx_bool* out) override { return isEnabled(*this, out, part(*this, Member)); }
    ADLX_RESULT SetEnabled(adlx_bool v) override { return setEnabled(*this, v, part(*this, Member)); }
};
using EnhancedSyncImpl = SwitchImpl<IADLX3DEnhancedSync, &Gpu::enhancedSync>;
using MorphologicalAntiAliasingImpl = SwitchImpl<IADLX3DMorphologicalAntiAliasing, &Gpu::mlaa>;

class VSyncImpl final : public Impl<IADLX3DWaitForVerticalRefresh> {
public:
    explicit VSyncImpl(int gpu) : Impl("IADLX3DWaitForVerticalRefresh", gpu) {}
    ADLX_RESULT IsSupported(adlx_bool* out) override { return isSupported(*this, out, m()); }
    ADLX_RESULT GetMode(ADLX_WAIT_FOR_VERTICAL_REFRESH_MODE* out) override {
        return valueOf(*this, "GetMode", out, m(), &ModeSetting::mode);
    }
    ADLX_RESULT SetMode(ADLX_WAIT_FOR_VERTICAL_REFRESH_MODE v) override {
        return setListed(*this, "SetMode", v, m(), &ModeSetting::mode, fixed(kVSyncModes));
    }

private:
    std::function<ModeSetting&()> m() { return part(*this, &Gpu::vsync); }
};

class AntiAliasingImpl final : public Impl<IADLX3DAntiAliasing> {
public:
    explicit AntiAliasingImpl(int gpu) : Impl("IADLX3DAntiAliasing", gpu) {}
    ADLX_RESULT IsSupported(adlx_bool* out) override { return isSupported(*this, out, m()); }
    ADLX_RESULT GetMode(ADLX_ANTI_ALIASING_MODE* out) override { return valueOf(*this, "GetMode", out, m(), &AntiAliasing::mode); }
    ADLX_RESULT SetMode(ADLX_ANTI_ALIASING_MODE v) override {
        return setListed(*this, "SetMode", v, m(), &AntiAliasing::mode, fixed(kThreeModes));
    }
    ADLX_RESULT GetLevel(ADLX_ANTI_ALIASING_LEVEL* out) override {
        return valueOf(*this, "GetLevel", out, m(), &AntiAliasing::level);
    }
    ADLX_RESULT SetLevel(ADLX_ANTI_ALIASING_LEVEL v) override {
        return setListed(*this, "SetLevel", v, m(), &AntiAliasing::level,
                         [this]() -> const std::vector<int>& { return gpuModel(*this).antiAliasing.levels; });
    }
    ADLX_RESULT GetMethod(ADLX_ANTI_ALIASING_METHOD* out) override {
        return valueOf(*this, "GetMethod", out, m(), &AntiAliasing::method);
    }
    ADLX_RESULT SetMethod(ADLX_ANTI_ALIASING_METHOD v) override {
        return setListed(*this, "SetMethod", v, m(), &AntiAliasing::method, fixed(kThreeModes));
    }

private:
    std::function<AntiAliasing&()> m() { return part(*this, &Gpu::antiAliasing); }
};

class AnisotropicImpl final : public Impl<IADLX3DAnisotropicFiltering> {
public:
    explicit AnisotropicImpl(int gpu) : Impl("IADLX3DAnisotropicFiltering", gpu) {}
    ADLX_RESULT IsSupported(adlx_bool* out) override { return isSupported(*this, out, m()); }
    ADLX_RESULT IsEnabled(adlx_bool* out) override { return isEnabled(*this, out, m()); }
    ADLX_RESULT SetEnabled(adlx_bool v) override { return setEnabled(*this, v, m()); }
    ADLX_RESULT GetLevel(ADLX_ANISOTROPIC_FILTERING_LEVEL* out) override {
        return valueOf(*this, "GetLevel", out, m(), &AnisotropicFiltering::level);
    }
    ADLX_RESULT SetLevel(ADLX_ANISOTROPIC_FILTERING_LEVEL v) override {
        return setListed(*this, "SetLevel", v, m(), &AnisotropicFiltering::level,
                         [this]() -> const std::vector<int>& { return gpuModel(*this).anisotropic.levels; });
    }

private:
    std::function<AnisotropicFiltering&()> m() { return part(*this, &Gpu::anisotropic); }
};

class TessellationImpl final : public Impl<IADLX3DTessellation> {
public:
    explicit TessellationImpl(int gpu) : Impl("IADLX3DTessellation", gpu) {}
    ADLX_RESULT IsSupported(adlx_bool* out) override { return isSupported(*this, out, m()); }
    ADLX_RESULT GetMode(ADLX_TESSELLATION_MODE* out) override { return valueOf(*this, "GetMode", out, m(), &Tessellation::mode); }
    ADLX_RESULT SetMode(ADLX_TESSELLATION_MODE v) override {
        return setListed(*this, "SetMode", v, m(), &Tessellation::mode, fixed(kThreeModes));
    }
    ADLX_RESULT GetLevel(ADLX_TESSELLATION_LEVEL* out) override {
        return valueOf(*this, "GetLevel", out, m(), &Tessellation::level);
    }
    ADLX_RESULT SetLevel(ADLX_TESSELLATION_LEVEL v) override {
        return setListed(*this, "SetLevel", v, m(), &Tessellation::level,
                         [this]() -> const std::vector<int>& { return gpuModel(*this).tessellation.levels; });
    }

private:
    std::function<Tessellation&()> m() { return part(*this, &Gpu::tessellation); }
};

class ResetShaderCacheImpl final : public Impl<IADLX3DResetShaderCache> {
public:
    explicit ResetShaderCacheImpl(int gpu) : Impl("IADLX3DResetShaderCache", gpu) {}
    ADLX_RESULT IsSupported(adlx_bool* out) override { return isSupported(*this, out, part(*this, &Gpu::shaderCache)); }
    ADLX_RESULT ResetShaderCache() override {
        return call(*this, "ResetShaderCache", "", device, nullptr, [&](Out&) -> ADLX_RESULT {
            ShaderCache& cache = gpuModel(*this).shaderCache;
            if (!cache.supported) return ADLX_NOT_SUPPORTED;
            ++cache.resets;
            return ADLX_OK;
        });
    }
};

class Settings3DServicesImpl final : public Impl<IADLX3DSettingsServices> {
public:
    Settings3DServicesImpl() : Impl("IADLX3DSettingsServices", -1) {}

    ADLX_RESULT GetAntiLag(IADLXGPU* gpu, IADLX3DAntiLag** pp) override { return feature<AntiLagImpl>("GetAntiLag", gpu, pp); }
    ADLX_RESULT GetChill(IADLXGPU* gpu, IADLX3DChill** pp) override { return feature<ChillImpl>("GetChill", gpu, pp); }
    ADLX_RESULT GetBoost(IADLXGPU* gpu, IADLX3DBoost** pp) override { return feature<BoostImpl>("GetBoost", gpu, pp); }
    ADLX_RESULT GetImageSharpening(IADLXGPU* gpu, IADLX3DImageSharpening** pp) override {
        return feature<ImageSharpeningImpl>("GetImageSharpening", gpu, pp);
    }
    ADLX_RESULT GetEnhancedSync(IADLXGPU* gpu, IADLX3DEnhancedSync** pp) override {
        return feature<EnhancedSyncImpl>("GetEnhancedSync", gpu, pp, "IADLX3DEnhancedSync");
    }
    ADLX_RESULT GetWaitForVerticalRefresh(IADLXGPU* gpu, IADLX3DWaitForVerticalRefresh** pp) override {
        return feature<VSyncImpl>("GetWaitForVerticalRefresh", gpu, pp);
    }
    ADLX_RESULT GetFrameRateTargetControl(IADLXGPU* gpu, IADLX3DFrameRateTargetControl** pp) override {
        return feature<FrameRateTargetImpl>("GetFrameRateTargetControl", gpu, pp);
    }
    ADLX_RESULT GetAntiAliasing(IADLXGPU* gpu, IADLX3DAntiAliasing** pp) override {
        return feature<AntiAliasingImpl>("GetAntiAliasing", gpu, pp);
    }
    ADLX_RESULT GetMorphologicAntiAliasing(IADLXGPU* gpu, IADLX3DMorphologicalAntiAliasing** pp) override {
        return feature<MorphologicalAntiAliasingImpl>("GetMorphologicAntiAliasing", gpu, pp,
                                                      "IADLX3DMorphologicalAntiAliasing");
    }
    ADLX_RESULT GetAnisotropicFiltering(IADLXGPU* gpu, IADLX3DAnisotropicFiltering** pp) override {
        return feature<AnisotropicImpl>("GetAnisotropicFiltering", gpu, pp);
    }
    ADLX_RESULT GetTessellation(IADLXGPU* gpu, IADLX3DTessellation** pp) override {
        return feature<TessellationImpl>("GetTessellation", gpu, pp);
    }
    ADLX_RESULT GetRadeonSuperResolution(IADLX3DRadeonSuperResolution** pp) override {
        return handOut(*this, "GetRadeonSuperResolution", "", -1, pp, [](IADLX3DRadeonSuperResolution*& out) {
            out = runtime().make<SuperResolutionImpl>();
            return ADLX_OK;
        });
    }
    ADLX_RESULT GetResetShaderCache(IADLXGPU* gpu, IADLX3DResetShaderCache** pp) override {
        return feature<ResetShaderCacheImpl>("GetResetShaderCache", gpu, pp);
    }

private:
    // Handed out whether or not the GPU supports the feature; IsSupported tells.
    template <class T, class I, class... Name>
    ADLX_RESULT feature(const char* method, IADLXGPU* gpu, I** pp, Name... name) {
        const DeviceArg a = deviceArg(gpu, Kind::Gpu);
        return handOut(*this, method, " " + a.text, a.index, pp, [&](I*& out) -> ADLX_RESULT {
            if (a.index < 0) return ADLX_INVALID_ARGS;
            out = runtime().make<T>(name..., a.index);
            return ADLX_OK;
        });
    }
};

}  // namespace

IADLX3DSettingsServices* make3DSettingsServices() { return runtime().make<Settings3DServicesImpl>(); }

}  // namespace sim
