// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a GPU is doing now: its temperatures, fan, clocks, power draw, load and memory in use.
// Nothing is polled or kept: every Get reads the sensor when it is called, once.

#include "ISystem.h"

class IADLXGPUMetrics : public IADLXInterface {
public:
    ADLX_DECLARE_IID(IADLXGPUMetrics)
    // Whether the operating system has put the GPU to sleep to save power (a second GPU that
    // drives no display, say). A sleeping GPU is not woken to be read: while it sleeps a Get of a
    // reading it offers answers ADLX_FAIL and writes nothing. The support questions still answer.
    virtual ADLX_RESULT IsAsleep(adlx_bool* asleep) = 0;

    // Each reading has its own question; a Get of a reading the GPU does not offer answers
    // ADLX_NOT_SUPPORTED, and a sensor whose answer cannot be understood answers ADLX_FAIL.
    virtual ADLX_RESULT IsSupportedTemperature(adlx_bool* supported) = 0;
    virtual ADLX_RESULT GetTemperature(adlx_double* celsius) = 0;  // the chip's edge
    virtual ADLX_RESULT IsSupportedHotspotTemperature(adlx_bool* supported) = 0;
    virtual ADLX_RESULT GetHotspotTemperature(adlx_double* celsius) = 0;  // the hottest spot (junction)
    virtual ADLX_RESULT IsSupportedMemoryTemperature(adlx_bool* supported) = 0;
    virtual ADLX_RESULT GetMemoryTemperature(adlx_double* celsius) = 0;
    virtual ADLX_RESULT IsSupportedFanSpeed(adlx_bool* supported) = 0;
    virtual ADLX_RESULT GetFanSpeed(adlx_int* rpm) = 0;
    virtual ADLX_RESULT IsSupportedFanSpeedPercent(adlx_bool* supported) = 0;
    virtual ADLX_RESULT GetFanSpeedPercent(adlx_double* percent) = 0;  // of the fan's full speed
    virtual ADLX_RESULT IsSupportedGPUClock(adlx_bool* supported) = 0;
    virtual ADLX_RESULT GetGPUClock(adlx_double* mhz) = 0;  // the clock the engine runs at now
    virtual ADLX_RESULT IsSupportedMemoryClock(adlx_bool* supported) = 0;
    virtual ADLX_RESULT GetMemoryClock(adlx_double* mhz) = 0;
    virtual ADLX_RESULT IsSupportedPower(adlx_bool* supported) = 0;
    virtual ADLX_RESULT GetPower(adlx_double* watts) = 0;  // what the board draws
    virtual ADLX_RESULT IsSupportedGPUUsage(adlx_bool* supported) = 0;
    virtual ADLX_RESULT GetGPUUsage(adlx_int* percent) = 0;  // how busy the engine is
    virtual ADLX_RESULT IsSupportedVRAMUsed(adlx_bool* supported) = 0;
    virtual ADLX_RESULT GetVRAMUsed(adlx_double* mib) = 0;
    virtual ADLX_RESULT IsSupportedVRAMTotal(adlx_bool* supported) = 0;
    virtual ADLX_RESULT GetVRAMTotal(adlx_double* mib) = 0;

protected:
    ~IADLXGPUMetrics() = default;
};

class IADLXGPUMetricsServices : public IADLXInterface {
public:
    ADLX_DECLARE_IID(IADLXGPUMetricsServices)
    // Handed out for every GPU of the list, whatever it offers: its own questions say so.
    virtual ADLX_RESULT GetGPUMetrics(IADLXGPU* gpu, IADLXGPUMetrics** ppMetrics) = 0;

protected:
    ~IADLXGPUMetricsServices() = default;
};
