// The services the kernel gives this runtime nothing for: the driver's global 3D settings do not
// exist on Linux (the graphics stack takes them per application). The services exist, so the
// program's probe runs and disables every control; each feature getter says the feature is not
// supported.

#include "Objects.h"
#include "Session.h"

namespace amdgpu {

namespace {

template <class Iface>
ADLX_RESULT notOffered(Object& self, Iface** pp) {
    return handOut(self, pp, [](Iface*&) { return ADLX_NOT_SUPPORTED; });
}

class Settings3DServices final : public Counted<IADLX3DSettingsServices> {
public:
    Settings3DServices() : Counted(Kind::Other, -1) {}

    ADLX_RESULT GetAntiLag(IADLXGPU*, IADLX3DAntiLag** pp) override { return notOffered(*this, pp); }
    ADLX_RESULT GetChill(IADLXGPU*, IADLX3DChill** pp) override { return notOffered(*this, pp); }
    ADLX_RESULT GetBoost(IADLXGPU*, IADLX3DBoost** pp) override { return notOffered(*this, pp); }
    ADLX_RESULT GetImageSharpening(IADLXGPU*, IADLX3DImageSharpening** pp) override {
        return notOffered(*this, pp);
    }
    ADLX_RESULT GetEnhancedSync(IADLXGPU*, IADLX3DEnhancedSync** pp) override {
        return notOffered(*this, pp);
    }
    ADLX_RESULT GetWaitForVerticalRefresh(IADLXGPU*, IADLX3DWaitForVerticalRefresh** pp) override {
        return notOffered(*this, pp);
    }
    ADLX_RESULT GetFrameRateTargetControl(IADLXGPU*, IADLX3DFrameRateTargetControl** pp) override {
        return notOffered(*this, pp);
    }
    ADLX_RESULT GetAntiAliasing(IADLXGPU*, IADLX3DAntiAliasing** pp) override {
        return notOffered(*this, pp);
    }
    ADLX_RESULT GetMorphologicAntiAliasing(IADLXGPU*, IADLX3DMorphologicalAntiAliasing** pp) override {
        return notOffered(*this, pp);
    }
    ADLX_RESULT GetAnisotropicFiltering(IADLXGPU*, IADLX3DAnisotropicFiltering** pp) override {
        return notOffered(*this, pp);
    }
    ADLX_RESULT GetTessellation(IADLXGPU*, IADLX3DTessellation** pp) override {
        return notOffered(*this, pp);
    }
    ADLX_RESULT GetRadeonSuperResolution(IADLX3DRadeonSuperResolution** pp) override {
        return notOffered(*this, pp);
    }
    ADLX_RESULT GetResetShaderCache(IADLXGPU*, IADLX3DResetShaderCache** pp) override {
        return notOffered(*this, pp);
    }
};

}  // namespace

IADLX3DSettingsServices* make3DSettingsServices() { return session().make<Settings3DServices>(); }

}  // namespace amdgpu
