// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The displays and their per-display settings.

#include "IADLXInterface.h"

class IADLXDisplay : public IADLXInterface {
public:
    ADLX_DECLARE_IID(IADLXDisplay)
    // A narrow string owned by the display object; valid while it is held.
    virtual ADLX_RESULT Name(const char** name) = 0;

protected:
    ~IADLXDisplay() = default;
};

class IADLXDisplayList : public IADLXInterface {
public:
    ADLX_DECLARE_IID(IADLXDisplayList)
    virtual adlx_uint Size() = 0;
    virtual adlx_uint Begin() = 0;
    virtual adlx_uint End() = 0;
    virtual ADLX_RESULT At(adlx_uint location, IADLXDisplay** ppItem) = 0;

protected:
    ~IADLXDisplayList() = default;
};

#define ADLX_DISPLAY_SWITCH_INTERFACE(name)                          \
    class name : public IADLXInterface {                             \
    public:                                                          \
        ADLX_DECLARE_IID(name)                                       \
        virtual ADLX_RESULT IsSupported(adlx_bool* supported) = 0;  \
        virtual ADLX_RESULT IsEnabled(adlx_bool* enabled) = 0;      \
        virtual ADLX_RESULT SetEnabled(adlx_bool enable) = 0;       \
                                                                     \
    protected:                                                       \
        ~name() = default;                                           \
    };

ADLX_DISPLAY_SWITCH_INTERFACE(IADLXDisplayFreeSync)
ADLX_DISPLAY_SWITCH_INTERFACE(IADLXDisplayVSR)
ADLX_DISPLAY_SWITCH_INTERFACE(IADLXDisplayGPUScaling)
ADLX_DISPLAY_SWITCH_INTERFACE(IADLXDisplayIntegerScaling)

#undef ADLX_DISPLAY_SWITCH_INTERFACE

class IADLXDisplayScalingMode : public IADLXInterface {
public:
    ADLX_DECLARE_IID(IADLXDisplayScalingMode)
    virtual ADLX_RESULT IsSupported(adlx_bool* supported) = 0;
    virtual ADLX_RESULT GetMode(ADLX_SCALE_MODE* mode) = 0;
    virtual ADLX_RESULT SetMode(ADLX_SCALE_MODE mode) = 0;

protected:
    ~IADLXDisplayScalingMode() = default;
};

class IADLXDisplayColorDepth : public IADLXInterface {
public:
    ADLX_DECLARE_IID(IADLXDisplayColorDepth)
    virtual ADLX_RESULT IsSupported(adlx_bool* supported) = 0;
    virtual ADLX_RESULT GetValue(ADLX_COLOR_DEPTH* value) = 0;
    virtual ADLX_RESULT SetValue(ADLX_COLOR_DEPTH value) = 0;
    virtual ADLX_RESULT IsSupportedColorDepth(ADLX_COLOR_DEPTH value, adlx_bool* supported) = 0;

protected:
    ~IADLXDisplayColorDepth() = default;
};

class IADLXDisplayPixelFormat : public IADLXInterface {
public:
    ADLX_DECLARE_IID(IADLXDisplayPixelFormat)
    virtual ADLX_RESULT IsSupported(adlx_bool* supported) = 0;
    virtual ADLX_RESULT GetValue(ADLX_PIXEL_FORMAT* value) = 0;
    virtual ADLX_RESULT SetValue(ADLX_PIXEL_FORMAT value) = 0;
    virtual ADLX_RESULT IsSupportedPixelFormat(ADLX_PIXEL_FORMAT value, adlx_bool* supported) = 0;

protected:
    ~IADLXDisplayPixelFormat() = default;
};

class IADLXDisplayServices : public IADLXInterface {
public:
    ADLX_DECLARE_IID(IADLXDisplayServices)
    virtual ADLX_RESULT GetNumberOfDisplays(adlx_uint* count) = 0;
    virtual ADLX_RESULT GetDisplays(IADLXDisplayList** ppDisplays) = 0;
    virtual ADLX_RESULT GetFreeSync(IADLXDisplay* display, IADLXDisplayFreeSync** pp) = 0;
    virtual ADLX_RESULT GetVirtualSuperResolution(IADLXDisplay* display, IADLXDisplayVSR** pp) = 0;
    virtual ADLX_RESULT GetGPUScaling(IADLXDisplay* display, IADLXDisplayGPUScaling** pp) = 0;
    virtual ADLX_RESULT GetScalingMode(IADLXDisplay* display, IADLXDisplayScalingMode** pp) = 0;
    virtual ADLX_RESULT GetIntegerScaling(IADLXDisplay* display, IADLXDisplayIntegerScaling** pp) = 0;
    virtual ADLX_RESULT GetColorDepth(IADLXDisplay* display, IADLXDisplayColorDepth** pp) = 0;
    virtual ADLX_RESULT GetPixelFormat(IADLXDisplay* display, IADLXDisplayPixelFormat** pp) = 0;

protected:
    ~IADLXDisplayServices() = default;
};
