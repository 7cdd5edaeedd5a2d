// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// GPU tuning: manual clocks, voltage, memory, power, fan curve and Smart Access Memory.

#include "ISystem.h"

class IADLXManualGraphicsTuning2 : public IADLXInterface {
public:
    ADLX_DECLARE_IID(IADLXManualGraphicsTuning2)
    virtual ADLX_RESULT GetGPUMinFrequencyRange(ADLX_IntRange* range) = 0;
    virtual ADLX_RESULT GetGPUMinFrequency(adlx_int* value) = 0;
    virtual ADLX_RESULT SetGPUMinFrequency(adlx_int value) = 0;
    virtual ADLX_RESULT GetGPUMaxFrequencyRange(ADLX_IntRange* range) = 0;
    virtual ADLX_RESULT GetGPUMaxFrequency(adlx_int* value) = 0;
    virtual ADLX_RESULT SetGPUMaxFrequency(adlx_int value) = 0;
    virtual ADLX_RESULT GetGPUVoltageRange(ADLX_IntRange* range) = 0;
    virtual ADLX_RESULT GetGPUVoltage(adlx_int* value) = 0;
    virtual ADLX_RESULT SetGPUVoltage(adlx_int value) = 0;

protected:
    ~IADLXManualGraphicsTuning2() = default;
};

class IADLXMemoryTimingDescription : public IADLXInterface {
public:
    ADLX_DECLARE_IID(IADLXMemoryTimingDescription)
    virtual ADLX_RESULT GetDescription(ADLX_MEMORYTIMING_DESCRIPTION* description) = 0;

protected:
    ~IADLXMemoryTimingDescription() = default;
};

class IADLXMemoryTimingDescriptionList : public IADLXInterface {
public:
    ADLX_DECLARE_IID(IADLXMemoryTimingDescriptionList)
    virtual adlx_uint Size() = 0;
    virtual adlx_uint Begin() = 0;
    virtual adlx_uint End() = 0;
    virtual ADLX_RESULT At(adlx_uint location, IADLXMemoryTimingDescription** ppItem) = 0;

protected:
    ~IADLXMemoryTimingDescriptionList() = default;
};

class IADLXManualVRAMTuning2 : public IADLXInterface {
public:
    ADLX_DECLARE_IID(IADLXManualVRAMTuning2)
    virtual ADLX_RESULT IsSupportedMemoryTiming(adlx_bool* supported) = 0;
    virtual ADLX_RESULT GetSupportedMemoryTimingDescriptionList(
        IADLXMemoryTimingDescriptionList** ppList) = 0;
    virtual ADLX_RESULT GetMemoryTimingDescription(ADLX_MEMORYTIMING_DESCRIPTION* description) = 0;
    virtual ADLX_RESULT SetMemoryTimingDescription(ADLX_MEMORYTIMING_DESCRIPTION description) = 0;
    virtual ADLX_RESULT GetMaxVRAMFrequencyRange(ADLX_IntRange* range) = 0;
    virtual ADLX_RESULT GetMaxVRAMFrequency(adlx_int* value) = 0;
    virtual ADLX_RESULT SetMaxVRAMFrequency(adlx_int value) = 0;

protected:
    ~IADLXManualVRAMTuning2() = default;
};

class IADLXManualPowerTuning : public IADLXInterface {
public:
    ADLX_DECLARE_IID(IADLXManualPowerTuning)
    virtual ADLX_RESULT GetPowerLimitRange(ADLX_IntRange* range) = 0;
    virtual ADLX_RESULT GetPowerLimit(adlx_int* value) = 0;
    virtual ADLX_RESULT SetPowerLimit(adlx_int value) = 0;
    virtual ADLX_RESULT IsSupportedTDCLimit(adlx_bool* supported) = 0;
    virtual ADLX_RESULT GetTDCLimitRange(ADLX_IntRange* range) = 0;
    virtual ADLX_RESULT GetTDCLimit(adlx_int* value) = 0;
    virtual ADLX_RESULT SetTDCLimit(adlx_int value) = 0;

protected:
    ~IADLXManualPowerTuning() = default;
};

class IADLXManualFanTuningState : public IADLXInterface {
public:
    ADLX_DECLARE_IID(IADLXManualFanTuningState)
    virtual ADLX_RESULT GetFanSpeed(adlx_int* value) = 0;
    virtual ADLX_RESULT SetFanSpeed(adlx_int value) = 0;
    virtual ADLX_RESULT GetTemperature(adlx_int* value) = 0;
    virtual ADLX_RESULT SetTemperature(adlx_int value) = 0;

protected:
    ~IADLXManualFanTuningState() = default;
};

class IADLXManualFanTuningStateList : public IADLXInterface {
public:
    ADLX_DECLARE_IID(IADLXManualFanTuningStateList)
    virtual adlx_uint Size() = 0;
    virtual adlx_uint Begin() = 0;
    virtual adlx_uint End() = 0;
    virtual ADLX_RESULT At(adlx_uint location, IADLXManualFanTuningState** ppItem) = 0;

protected:
    ~IADLXManualFanTuningStateList() = default;
};

class IADLXManualFanTuning : public IADLXInterface {
public:
    ADLX_DECLARE_IID(IADLXManualFanTuning)
    virtual ADLX_RESULT GetFanTuningRanges(ADLX_IntRange* speedRange, ADLX_IntRange* temperatureRange) = 0;
    virtual ADLX_RESULT GetFanTuningStates(IADLXManualFanTuningStateList** ppStates) = 0;
    virtual ADLX_RESULT GetEmptyFanTuningStates(IADLXManualFanTuningStateList** ppStates) = 0;
    // ADLX_OK when the curve may be set; otherwise errorIndex names the first offending state.
    virtual ADLX_RESULT IsValidFanTuningStates(IADLXManualFanTuningStateList* states, adlx_int* errorIndex) = 0;
    virtual ADLX_RESULT SetFanTuningStates(IADLXManualFanTuningStateList* states) = 0;
    virtual ADLX_RESULT IsSupportedZeroRPM(adlx_bool* supported) = 0;
    virtual ADLX_RESULT GetZeroRPMState(adlx_bool* enabled) = 0;
    virtual ADLX_RESULT SetZeroRPMState(adlx_bool enabled) = 0;

protected:
    ~IADLXManualFanTuning() = default;
};

class IADLXSmartAccessMemory : public IADLXInterface {
public:
    ADLX_DECLARE_IID(IADLXSmartAccessMemory)
    virtual ADLX_RESULT IsSupported(adlx_bool* supported) = 0;
    virtual ADLX_RESULT IsEnabled(adlx_bool* enabled) = 0;
    virtual ADLX_RESULT SetEnabled(adlx_bool enable) = 0;

protected:
    ~IADLXSmartAccessMemory() = default;
};

class IADLXGPUTuningServices : public IADLXInterface {
public:
    ADLX_DECLARE_IID(IADLXGPUTuningServices)
    virtual ADLX_RESULT IsSupportedManualGFXTuning(IADLXGPU* gpu, adlx_bool* supported) = 0;
    virtual ADLX_RESULT IsSupportedManualVRAMTuning(IADLXGPU* gpu, adlx_bool* supported) = 0;
    virtual ADLX_RESULT IsSupportedManualPowerTuning(IADLXGPU* gpu, adlx_bool* supported) = 0;
    virtual ADLX_RESULT IsSupportedManualFanTuning(IADLXGPU* gpu, adlx_bool* supported) = 0;
    // The tuning getters hand out the base interface; the program asks it for the newer one.
    virtual ADLX_RESULT GetManualGFXTuning(IADLXGPU* gpu, IADLXInterface** ppTuning) = 0;
    virtual ADLX_RESULT GetManualVRAMTuning(IADLXGPU* gpu, IADLXInterface** ppTuning) = 0;
    virtual ADLX_RESULT GetManualPowerTuning(IADLXGPU* gpu, IADLXInterface** ppTuning) = 0;
    virtual ADLX_RESULT GetManualFanTuning(IADLXGPU* gpu, IADLXInterface** ppTuning) = 0;
    virtual ADLX_RESULT ResetToFactory(IADLXGPU* gpu) = 0;

protected:
    ~IADLXGPUTuningServices() = default;
};

class IADLXGPUTuningServices1 : public IADLXGPUTuningServices {
public:
    ADLX_DECLARE_IID(IADLXGPUTuningServices1)
    virtual ADLX_RESULT GetSmartAccessMemory(IADLXGPU* gpu, IADLXSmartAccessMemory** ppSmartAccessMemory) = 0;

protected:
    ~IADLXGPUTuningServices1() = default;
};
