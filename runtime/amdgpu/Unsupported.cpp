// The services the kernel gives this runtime nothing for. The driver's global 3D settings do not
// exist on Linux (the graphics stack takes them per application), and a display's properties
// (max bpc, colour space, VRR, scaling) are DRM connector properties that only the display server,
// as DRM master, may change. Both services exist, so the program's probe runs and disables every
// control; each feature getter says the feature is not supported, and no display is listed.

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

class EmptyDisplayList final : public Counted<IADLXDisplayList> {
public:
    EmptyDisplayList() : Counted(Kind::Other, -1) {}

    adlx_uint Size() override {
        return guardedCount(*this, [] { return 0u; });
    }
    adlx_uint Begin() override {
        return guardedCount(*this, [] { return 0u; });
    }
    adlx_uint End() override {
        return guardedCount(*this, [] { return 0u; });
    }
    ADLX_RESULT At(adlx_uint, IADLXDisplay** pp) override {
        return handOut(*this, pp, [](IADLXDisplay*&) { return ADLX_INVALID_ARGS; });
    }
};

class DisplayServices final : public Counted<IADLXDisplayServices> {
public:
    DisplayServices() : Counted(Kind::Other, -1) {}

    ADLX_RESULT GetNumberOfDisplays(adlx_uint* count) override {
        if (count == nullptr) return ADLX_INVALID_ARGS;
        return guarded(*this, [&] {
            *count = 0;
            return ADLX_OK;
        });
    }
    ADLX_RESULT GetDisplays(IADLXDisplayList** pp) override {
        return handOut(*this, pp, [](IADLXDisplayList*& out) {
            out = session().make<EmptyDisplayList>();
            return ADLX_OK;
        });
    }
    ADLX_RESULT GetFreeSync(IADLXDisplay*, IADLXDisplayFreeSync** pp) override {
        return notOffered(*this, pp);
    }
    ADLX_RESULT GetVirtualSuperResolution(IADLXDisplay*, IADLXDisplayVSR** pp) override {
        return notOffered(*this, pp);
    }
    ADLX_RESULT GetGPUScaling(IADLXDisplay*, IADLXDisplayGPUScaling** pp) override {
        return notOffered(*this, pp);
    }
    ADLX_RESULT GetScalingMode(IADLXDisplay*, IADLXDisplayScalingMode** pp) override {
        return notOffered(*this, pp);
    }
    ADLX_RESULT GetIntegerScaling(IADLXDisplay*, IADLXDisplayIntegerScaling** pp) override {
        return notOffered(*this, pp);
    }
    ADLX_RESULT GetColorDepth(IADLXDisplay*, IADLXDisplayColorDepth** pp) override {
        return notOffered(*this, pp);
    }
    ADLX_RESULT GetPixelFormat(IADLXDisplay*, IADLXDisplayPixelFormat** pp) override {
        return notOffered(*this, pp);
    }
};

}  // namespace

IADLX3DSettingsServices* make3DSettingsServices() { return session().make<Settings3DServices>(); }
IADLXDisplayServices* makeDisplayServices() { return session().make<DisplayServices>(); }

}  // namespace amdgpu
