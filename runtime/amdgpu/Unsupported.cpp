// SPDX-License-Identifier: GPL-3.0-or-later
// The driver's global 3D settings: Linux has no driver panel, but Mesa takes a user's global
// settings from the user's files, so the features with a real Linux equivalent are handed out over
// those (mesa/); each of the others says it is not supported, and the window disables it.

#include "Objects.h"
#include "Session.h"
#include "mesa/Settings3D.h"

namespace amdgpu {

namespace {

template <class Iface>
ADLX_RESULT notOffered(Object& self, Iface** pp) {
    return handOut(self, pp, [](Iface*&) { return ADLX_NOT_SUPPORTED; });
}

class Settings3DServices final : public Counted<IADLX3DSettingsServices> {
public:
    Settings3DServices() : Counted(Kind::Other, -1) {}

    ADLX_RESULT GetAntiLag(IADLXGPU* gpu, IADLX3DAntiLag** pp) override { return mesa3d::antiLag(*this, gpu, pp); }
    ADLX_RESULT GetChill(IADLXGPU*, IADLX3DChill** pp) override { return notOffered(*this, pp); }
    ADLX_RESULT GetBoost(IADLXGPU*, IADLX3DBoost** pp) override { return notOffered(*this, pp); }
    ADLX_RESULT GetImageSharpening(IADLXGPU* gpu, IADLX3DImageSharpening** pp) override {
        return mesa3d::imageSharpening(*this, gpu, pp);
    }
    ADLX_RESULT GetEnhancedSync(IADLXGPU* gpu, IADLX3DEnhancedSync** pp) override {
        return mesa3d::enhancedSync(*this, gpu, pp);
    }
    ADLX_RESULT GetWaitForVerticalRefresh(IADLXGPU* gpu, IADLX3DWaitForVerticalRefresh** pp) override {
        return mesa3d::verticalRefresh(*this, gpu, pp);
    }
    ADLX_RESULT GetFrameRateTargetControl(IADLXGPU* gpu, IADLX3DFrameRateTargetControl** pp) override {
        return mesa3d::frameRateTarget(*this, gpu, pp);
    }
    ADLX_RESULT GetAntiAliasing(IADLXGPU*, IADLX3DAntiAliasing** pp) override {
        return notOffered(*this, pp);
    }
    ADLX_RESULT GetMorphologicAntiAliasing(IADLXGPU* gpu, IADLX3DMorphologicalAntiAliasing** pp) override {
        return mesa3d::morphologicalAntiAliasing(*this, gpu, pp);
    }
    ADLX_RESULT GetAnisotropicFiltering(IADLXGPU* gpu, IADLX3DAnisotropicFiltering** pp) override {
        return mesa3d::anisotropicFiltering(*this, gpu, pp);
    }
    ADLX_RESULT GetTessellation(IADLXGPU*, IADLX3DTessellation** pp) override {
        return notOffered(*this, pp);
    }
    ADLX_RESULT GetRadeonSuperResolution(IADLX3DRadeonSuperResolution** pp) override {
        return notOffered(*this, pp);
    }
    ADLX_RESULT GetResetShaderCache(IADLXGPU* gpu, IADLX3DResetShaderCache** pp) override {
        return mesa3d::resetShaderCache(*this, gpu, pp);
    }
};

}  // namespace

IADLX3DSettingsServices* make3DSettingsServices() { return session().make<Settings3DServices>(); }

}  // namespace amdgpu
