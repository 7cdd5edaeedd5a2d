// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The system object, the GPUs and the GPU list.

#include "IADLXInterface.h"

class IADLXGPUList;
class IADLXDisplayServices;
class IADLX3DSettingsServices;
class IADLXGPUTuningServices;
class IADLXUserCommands;
class IADLXGPUMetricsServices;

class IADLXGPU : public IADLXInterface {
public:
    ADLX_DECLARE_IID(IADLXGPU)
    // Narrow strings owned by the GPU object; valid while it is held.
    virtual ADLX_RESULT Name(const char** name) = 0;
    virtual ADLX_RESULT PNPString(const char** pnpString) = 0;

protected:
    ~IADLXGPU() = default;
};

class IADLXGPU1 : public IADLXGPU {
public:
    ADLX_DECLARE_IID(IADLXGPU1)
    virtual ADLX_RESULT MultiGPUMode(ADLX_MGPU_MODE* mode) = 0;

protected:
    ~IADLXGPU1() = default;
};

class IADLXGPUList : public IADLXInterface {
public:
    ADLX_DECLARE_IID(IADLXGPUList)
    virtual adlx_uint Size() = 0;
    virtual adlx_uint Begin() = 0;
    virtual adlx_uint End() = 0;
    virtual ADLX_RESULT At(adlx_uint location, IADLXGPU** ppItem) = 0;

protected:
    ~IADLXGPUList() = default;
};

// Belongs to the runtime: neither reference counted nor released by its users.
class IADLXSystem {
public:
    virtual ADLX_RESULT GetGPUs(IADLXGPUList** ppGPUs) = 0;
    virtual ADLX_RESULT GetDisplaysServices(IADLXDisplayServices** ppDisplayServices) = 0;
    virtual ADLX_RESULT Get3DSettingsServices(IADLX3DSettingsServices** pp3DSettingsServices) = 0;
    virtual ADLX_RESULT GetGPUTuningServices(IADLXGPUTuningServices** ppGPUTuningServices) = 0;
    // ADLX_NOT_SUPPORTED, with a null interface, where the runtime never has anything to tell the user.
    virtual ADLX_RESULT GetUserCommands(IADLXUserCommands** ppUserCommands) = 0;
    // Added last, so a runtime built against the earlier list keeps every slot above in place.
    virtual ADLX_RESULT GetGPUMetricsServices(IADLXGPUMetricsServices** ppGPUMetricsServices) = 0;

protected:
    ~IADLXSystem() = default;
};
