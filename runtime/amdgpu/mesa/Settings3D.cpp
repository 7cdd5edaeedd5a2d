// SPDX-License-Identifier: GPL-3.0-or-later
#include "Settings3D.h"

#include <cstdio>
#include <set>
#include <string>

#include "mesa/MesaSettings.h"

namespace amdgpu::mesa3d {

namespace {

// Told once per process: the window's notice, and each distinct reason on standard error.
class SessionReporter final : public mesa::Reporter {
public:
    void environmentChanged() override {
        static bool told = false;
        if (told) return;
        told = true;
        session().notify(
            "Vulkan settings take effect at the next login; OpenGL settings at the next start of a program.");
    }
    void problem(const std::string& reason) override {
        static std::set<std::string> told;
        if (told.insert(reason).second) std::fprintf(stderr, "tachyon: %s\n", reason.c_str());
    }
    void cacheEmptied(std::uint64_t files, std::uint64_t bytes) override {
        char text[160];
        std::snprintf(text, sizeof text, "The shader cache was emptied: %llu %s, %.1f MB freed.",
                      static_cast<unsigned long long>(files), files == 1 ? "file" : "files",
                      static_cast<double>(bytes) / 1e6);
        session().notify(text);
    }
};

ADLX_RESULT yes(Object& self, adlx_bool* out) {
    if (out == nullptr) return ADLX_INVALID_ARGS;
    return guarded(self, [&] {
        *out = true;
        return ADLX_OK;
    });
}

template <class T, class Read>
ADLX_RESULT get(Object& self, T* out, Read&& read) {
    if (out == nullptr) return ADLX_INVALID_ARGS;
    return guarded(self, [&] {
        T v{};
        const ADLX_RESULT r = read(v);
        if (r == ADLX_OK) *out = v;
        return r;
    });
}

template <class Write>
ADLX_RESULT set(Object& self, Write&& write) {
    return guarded(self, [&] {
        SessionReporter reporter;
        return write(reporter);
    });
}

ADLX_RESULT range(Object& self, ADLX_IntRange* out, const ADLX_IntRange& r, bool (*offered)() = nullptr) {
    return get(self, out, [&](ADLX_IntRange& v) {
        if (offered != nullptr && !offered()) return ADLX_NOT_SUPPORTED;
        v = r;
        return ADLX_OK;
    });
}

// The on/off state of a feature that is nothing but a switch.
template <auto Read>
ADLX_RESULT switchOf(Object& self, adlx_bool* out) {
    return get(self, out, [](adlx_bool& v) {
        bool on = false;
        const ADLX_RESULT r = Read(on);
        v = on;
        return r;
    });
}
// The on/off state of a feature whose getter also gives a value.
template <auto Read>
ADLX_RESULT enabledOf(Object& self, adlx_bool* out) {
    return get(self, out, [](adlx_bool& v) {
        bool on = false;
        int value = 0;
        const ADLX_RESULT r = Read(on, value);
        v = on;
        return r;
    });
}
template <auto Read, class T>
ADLX_RESULT valueOf(Object& self, T* out) {
    return get(self, out, [](T& v) {
        bool on = false;
        int value = 0;
        const ADLX_RESULT r = Read(on, value);
        v = static_cast<T>(value);
        return r;
    });
}

template <class I>
class Feature : public Counted<I> {
public:
    explicit Feature(int card) : Counted<I>(Kind::Other, card) {}
};

class VerticalRefresh final : public Feature<IADLX3DWaitForVerticalRefresh> {
public:
    using Feature::Feature;
    ADLX_RESULT IsSupported(adlx_bool* out) override { return yes(*this, out); }
    ADLX_RESULT GetMode(ADLX_WAIT_FOR_VERTICAL_REFRESH_MODE* out) override {
        return get(*this, out, [](ADLX_WAIT_FOR_VERTICAL_REFRESH_MODE& v) {
            int mode = 0;
            const ADLX_RESULT r = mesa::vsyncMode(mode);
            v = static_cast<ADLX_WAIT_FOR_VERTICAL_REFRESH_MODE>(mode);
            return r;
        });
    }
    ADLX_RESULT SetMode(ADLX_WAIT_FOR_VERTICAL_REFRESH_MODE mode) override {
        return set(*this, [&](mesa::Reporter& r) { return mesa::setVsyncMode(static_cast<int>(mode), r); });
    }
};

class EnhancedSync final : public Feature<IADLX3DEnhancedSync> {
public:
    using Feature::Feature;
    ADLX_RESULT IsSupported(adlx_bool* out) override { return yes(*this, out); }
    ADLX_RESULT IsEnabled(adlx_bool* out) override { return switchOf<mesa::enhancedSync>(*this, out); }
    ADLX_RESULT SetEnabled(adlx_bool on) override {
        return set(*this, [&](mesa::Reporter& r) { return mesa::setEnhancedSync(on, r); });
    }
};

class MorphologicalAntiAliasing final : public Feature<IADLX3DMorphologicalAntiAliasing> {
public:
    using Feature::Feature;
    ADLX_RESULT IsSupported(adlx_bool* out) override { return yes(*this, out); }
    ADLX_RESULT IsEnabled(adlx_bool* out) override { return switchOf<mesa::morphologicalAntiAliasing>(*this, out); }
    ADLX_RESULT SetEnabled(adlx_bool on) override {
        return set(*this, [&](mesa::Reporter& r) { return mesa::setMorphologicalAntiAliasing(on, r); });
    }
};

class AnisotropicFiltering final : public Feature<IADLX3DAnisotropicFiltering> {
public:
    using Feature::Feature;
    ADLX_RESULT IsSupported(adlx_bool* out) override { return yes(*this, out); }
    ADLX_RESULT IsEnabled(adlx_bool* out) override { return enabledOf<mesa::anisotropicFiltering>(*this, out); }
    ADLX_RESULT SetEnabled(adlx_bool on) override {
        return set(*this, [&](mesa::Reporter& r) { return mesa::setAnisotropicFiltering(on, r); });
    }
    ADLX_RESULT GetLevel(ADLX_ANISOTROPIC_FILTERING_LEVEL* out) override {
        return valueOf<mesa::anisotropicFiltering>(*this, out);
    }
    ADLX_RESULT SetLevel(ADLX_ANISOTROPIC_FILTERING_LEVEL level) override {
        return set(*this, [&](mesa::Reporter& r) { return mesa::setAnisotropicLevel(static_cast<int>(level), r); });
    }
};

class FrameRateTarget final : public Feature<IADLX3DFrameRateTargetControl> {
public:
    using Feature::Feature;
    ADLX_RESULT IsSupported(adlx_bool* out) override { return yes(*this, out); }
    ADLX_RESULT IsEnabled(adlx_bool* out) override { return enabledOf<mesa::frameRateTarget>(*this, out); }
    ADLX_RESULT SetEnabled(adlx_bool on) override {
        return set(*this, [&](mesa::Reporter& r) { return mesa::setFrameRateTargetEnabled(on, r); });
    }
    ADLX_RESULT GetFPSRange(ADLX_IntRange* out) override { return range(*this, out, mesa::kFrameRateRange); }
    ADLX_RESULT GetFPS(adlx_int* out) override { return valueOf<mesa::frameRateTarget>(*this, out); }
    ADLX_RESULT SetFPS(adlx_int fps) override {
        return set(*this, [&](mesa::Reporter& r) { return mesa::setFrameRateTarget(fps, r); });
    }
};

class ImageSharpening final : public Feature<IADLX3DImageSharpening> {
public:
    using Feature::Feature;
    ADLX_RESULT IsSupported(adlx_bool* out) override {
        return get(*this, out, [](adlx_bool& v) {
            v = mesa::sharpeningOffered();
            return ADLX_OK;
        });
    }
    ADLX_RESULT IsEnabled(adlx_bool* out) override { return enabledOf<mesa::sharpening>(*this, out); }
    ADLX_RESULT SetEnabled(adlx_bool on) override {
        return set(*this, [&](mesa::Reporter& r) { return mesa::setSharpeningEnabled(on, r); });
    }
    ADLX_RESULT GetSharpnessRange(ADLX_IntRange* out) override {
        return range(*this, out, mesa::kSharpnessRange, &mesa::sharpeningOffered);
    }
    ADLX_RESULT GetSharpness(adlx_int* out) override { return valueOf<mesa::sharpening>(*this, out); }
    ADLX_RESULT SetSharpness(adlx_int value) override {
        return set(*this, [&](mesa::Reporter& r) { return mesa::setSharpness(value, r); });
    }
};

class AntiLag final : public Feature<IADLX3DAntiLag> {
public:
    using Feature::Feature;
    ADLX_RESULT IsSupported(adlx_bool* out) override {
        return get(*this, out, [](adlx_bool& v) {
            v = mesa::antiLagOffered();
            return ADLX_OK;
        });
    }
    ADLX_RESULT IsEnabled(adlx_bool* out) override { return switchOf<mesa::antiLag>(*this, out); }
    ADLX_RESULT SetEnabled(adlx_bool on) override {
        return set(*this, [&](mesa::Reporter& r) { return mesa::setAntiLag(on, r); });
    }
};

class ShaderCache final : public Feature<IADLX3DResetShaderCache> {
public:
    using Feature::Feature;
    ADLX_RESULT IsSupported(adlx_bool* out) override { return yes(*this, out); }
    ADLX_RESULT ResetShaderCache() override {
        return set(*this, [](mesa::Reporter& r) { return mesa::resetShaderCache(r); });
    }
};

template <class T, class I>
ADLX_RESULT offer(Object& services, IADLXGPU* gpu, I** pp) {
    return handOut(services, pp, [&](I*& out) {
        const int card = cardOf(gpu);
        if (card < 0) return ADLX_INVALID_ARGS;
        out = session().make<T>(card);
        return ADLX_OK;
    });
}

}  // namespace

ADLX_RESULT antiLag(Object& s, IADLXGPU* gpu, IADLX3DAntiLag** pp) { return offer<AntiLag>(s, gpu, pp); }
ADLX_RESULT imageSharpening(Object& s, IADLXGPU* gpu, IADLX3DImageSharpening** pp) {
    return offer<ImageSharpening>(s, gpu, pp);
}
ADLX_RESULT enhancedSync(Object& s, IADLXGPU* gpu, IADLX3DEnhancedSync** pp) {
    return offer<EnhancedSync>(s, gpu, pp);
}
ADLX_RESULT verticalRefresh(Object& s, IADLXGPU* gpu, IADLX3DWaitForVerticalRefresh** pp) {
    return offer<VerticalRefresh>(s, gpu, pp);
}
ADLX_RESULT frameRateTarget(Object& s, IADLXGPU* gpu, IADLX3DFrameRateTargetControl** pp) {
    return offer<FrameRateTarget>(s, gpu, pp);
}
ADLX_RESULT morphologicalAntiAliasing(Object& s, IADLXGPU* gpu, IADLX3DMorphologicalAntiAliasing** pp) {
    return offer<MorphologicalAntiAliasing>(s, gpu, pp);
}
ADLX_RESULT anisotropicFiltering(Object& s, IADLXGPU* gpu, IADLX3DAnisotropicFiltering** pp) {
    return offer<AnisotropicFiltering>(s, gpu, pp);
}
ADLX_RESULT resetShaderCache(Object& s, IADLXGPU* gpu, IADLX3DResetShaderCache** pp) {
    return offer<ShaderCache>(s, gpu, pp);
}

}  // namespace amdgpu::mesa3d
