// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The driver's global 3D settings for one GPU.

#include "ISystem.h"

// The on/off part most 3D features share.
#define ADLX_3D_SWITCH_METHODS                                   \
    virtual ADLX_RESULT IsSupported(adlx_bool* supported) = 0;  \
    virtual ADLX_RESULT IsEnabled(adlx_bool* enabled) = 0;      \
    virtual ADLX_RESULT SetEnabled(adlx_bool enable) = 0;

class IADLX3DAntiLag : public IADLXInterface {
public:
    ADLX_DECLARE_IID(IADLX3DAntiLag)
    ADLX_3D_SWITCH_METHODS

protected:
    ~IADLX3DAntiLag() = default;
};

class IADLX3DAntiLag1 : public IADLX3DAntiLag {
public:
    ADLX_DECLARE_IID(IADLX3DAntiLag1)
    // IsSupported of this interface answers for the Anti-Lag+ level.
    virtual ADLX_RESULT GetLevel(ADLX_ANTILAG_STATE* level) = 0;
    virtual ADLX_RESULT SetLevel(ADLX_ANTILAG_STATE level) = 0;

protected:
    ~IADLX3DAntiLag1() = default;
};

class IADLX3DChill : public IADLXInterface {
public:
    ADLX_DECLARE_IID(IADLX3DChill)
    ADLX_3D_SWITCH_METHODS
    virtual ADLX_RESULT GetFPSRange(ADLX_IntRange* range) = 0;
    virtual ADLX_RESULT GetMinFPS(adlx_int* value) = 0;
    virtual ADLX_RESULT GetMaxFPS(adlx_int* value) = 0;
    virtual ADLX_RESULT SetMinFPS(adlx_int value) = 0;
    virtual ADLX_RESULT SetMaxFPS(adlx_int value) = 0;

protected:
    ~IADLX3DChill() = default;
};

class IADLX3DBoost : public IADLXInterface {
public:
    ADLX_DECLARE_IID(IADLX3DBoost)
    ADLX_3D_SWITCH_METHODS
    virtual ADLX_RESULT GetResolutionRange(ADLX_IntRange* range) = 0;
    virtual ADLX_RESULT GetResolution(adlx_int* value) = 0;
    virtual ADLX_RESULT SetResolution(adlx_int value) = 0;

protected:
    ~IADLX3DBoost() = default;
};

class IADLX3DImageSharpening : public IADLXInterface {
public:
    ADLX_DECLARE_IID(IADLX3DImageSharpening)
    ADLX_3D_SWITCH_METHODS
    virtual ADLX_RESULT GetSharpnessRange(ADLX_IntRange* range) = 0;
    virtual ADLX_RESULT GetSharpness(adlx_int* value) = 0;
    virtual ADLX_RESULT SetSharpness(adlx_int value) = 0;

protected:
    ~IADLX3DImageSharpening() = default;
};

class IADLX3DRadeonSuperResolution : public IADLXInterface {
public:
    ADLX_DECLARE_IID(IADLX3DRadeonSuperResolution)
    ADLX_3D_SWITCH_METHODS
    virtual ADLX_RESULT GetSharpnessRange(ADLX_IntRange* range) = 0;
    virtual ADLX_RESULT GetSharpness(adlx_int* value) = 0;
    virtual ADLX_RESULT SetSharpness(adlx_int value) = 0;

protected:
    ~IADLX3DRadeonSuperResolution() = default;
};

class IADLX3DEnhancedSync : public IADLXInterface {
public:
    ADLX_DECLARE_IID(IADLX3DEnhancedSync)
    ADLX_3D_SWITCH_METHODS

protected:
    ~IADLX3DEnhancedSync() = default;
};

class IADLX3DWaitForVerticalRefresh : public IADLXInterface {
public:
    ADLX_DECLARE_IID(IADLX3DWaitForVerticalRefresh)
    virtual ADLX_RESULT IsSupported(adlx_bool* supported) = 0;
    virtual ADLX_RESULT GetMode(ADLX_WAIT_FOR_VERTICAL_REFRESH_MODE* mode) = 0;
    virtual ADLX_RESULT SetMode(ADLX_WAIT_FOR_VERTICAL_REFRESH_MODE mode) = 0;

protected:
    ~IADLX3DWaitForVerticalRefresh() = default;
};

class IADLX3DFrameRateTargetControl : public IADLXInterface {
public:
    ADLX_DECLARE_IID(IADLX3DFrameRateTargetControl)
    ADLX_3D_SWITCH_METHODS
    virtual ADLX_RESULT GetFPSRange(ADLX_IntRange* range) = 0;
    virtual ADLX_RESULT GetFPS(adlx_int* value) = 0;
    virtual ADLX_RESULT SetFPS(adlx_int value) = 0;

protected:
    ~IADLX3DFrameRateTargetControl() = default;
};

class IADLX3DAntiAliasing : public IADLXInterface {
public:
    ADLX_DECLARE_IID(IADLX3DAntiAliasing)
    virtual ADLX_RESULT IsSupported(adlx_bool* supported) = 0;
    virtual ADLX_RESULT GetMode(ADLX_ANTI_ALIASING_MODE* mode) = 0;
    virtual ADLX_RESULT SetMode(ADLX_ANTI_ALIASING_MODE mode) = 0;
    virtual ADLX_RESULT GetLevel(ADLX_ANTI_ALIASING_LEVEL* level) = 0;
    virtual ADLX_RESULT SetLevel(ADLX_ANTI_ALIASING_LEVEL level) = 0;
    virtual ADLX_RESULT GetMethod(ADLX_ANTI_ALIASING_METHOD* method) = 0;
    virtual ADLX_RESULT SetMethod(ADLX_ANTI_ALIASING_METHOD method) = 0;

protected:
    ~IADLX3DAntiAliasing() = default;
};

class IADLX3DMorphologicalAntiAliasing : public IADLXInterface {
public:
    ADLX_DECLARE_IID(IADLX3DMorphologicalAntiAliasing)
    ADLX_3D_SWITCH_METHODS

protected:
    ~IADLX3DMorphologicalAntiAliasing() = default;
};

class IADLX3DAnisotropicFiltering : public IADLXInterface {
public:
    ADLX_DECLARE_IID(IADLX3DAnisotropicFiltering)
    ADLX_3D_SWITCH_METHODS
    virtual ADLX_RESULT GetLevel(ADLX_ANISOTROPIC_FILTERING_LEVEL* level) = 0;
    virtual ADLX_RESULT SetLevel(ADLX_ANISOTROPIC_FILTERING_LEVEL level) = 0;

protected:
    ~IADLX3DAnisotropicFiltering() = default;
};

class IADLX3DTessellation : public IADLXInterface {
public:
    ADLX_DECLARE_IID(IADLX3DTessellation)
    virtual ADLX_RESULT IsSupported(adlx_bool* supported) = 0;
    virtual ADLX_RESULT GetMode(ADLX_TESSELLATION_MODE* mode) = 0;
    virtual ADLX_RESULT SetMode(ADLX_TESSELLATION_MODE mode) = 0;
    virtual ADLX_RESULT GetLevel(ADLX_TESSELLATION_LEVEL* level) = 0;
    virtual ADLX_RESULT SetLevel(ADLX_TESSELLATION_LEVEL level) = 0;

protected:
    ~IADLX3DTessellation() = default;
};

class IADLX3DResetShaderCache : public IADLXInterface {
public:
    ADLX_DECLARE_IID(IADLX3DResetShaderCache)
    virtual ADLX_RESULT IsSupported(adlx_bool* supported) = 0;
    virtual ADLX_RESULT ResetShaderCache() = 0;

protected:
    ~IADLX3DResetShaderCache() = default;
};

class IADLX3DSettingsServices : public IADLXInterface {
public:
    ADLX_DECLARE_IID(IADLX3DSettingsServices)
    virtual ADLX_RESULT GetAntiLag(IADLXGPU* gpu, IADLX3DAntiLag** pp) = 0;
    virtual ADLX_RESULT GetChill(IADLXGPU* gpu, IADLX3DChill** pp) = 0;
    virtual ADLX_RESULT GetBoost(IADLXGPU* gpu, IADLX3DBoost** pp) = 0;
    virtual ADLX_RESULT GetImageSharpening(IADLXGPU* gpu, IADLX3DImageSharpening** pp) = 0;
    virtual ADLX_RESULT GetEnhancedSync(IADLXGPU* gpu, IADLX3DEnhancedSync** pp) = 0;
    virtual ADLX_RESULT GetWaitForVerticalRefresh(IADLXGPU* gpu, IADLX3DWaitForVerticalRefresh** pp) = 0;
    virtual ADLX_RESULT GetFrameRateTargetControl(IADLXGPU* gpu, IADLX3DFrameRateTargetControl** pp) = 0;
    virtual ADLX_RESULT GetAntiAliasing(IADLXGPU* gpu, IADLX3DAntiAliasing** pp) = 0;
    virtual ADLX_RESULT GetMorphologicAntiAliasing(IADLXGPU* gpu, IADLX3DMorphologicalAntiAliasing** pp) = 0;
    virtual ADLX_RESULT GetAnisotropicFiltering(IADLXGPU* gpu, IADLX3DAnisotropicFiltering** pp) = 0;
    virtual ADLX_RESULT GetTessellation(IADLXGPU* gpu, IADLX3DTessellation** pp) = 0;
    // Super Resolution is a setting of the whole system, not of one GPU.
    virtual ADLX_RESULT GetRadeonSuperResolution(IADLX3DRadeonSuperResolution** pp) = 0;
    virtual ADLX_RESULT GetResetShaderCache(IADLXGPU* gpu, IADLX3DResetShaderCache** pp) = 0;

protected:
    ~IADLX3DSettingsServices() = default;
};

#undef ADLX_3D_SWITCH_METHODS
