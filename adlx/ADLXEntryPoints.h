// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The runtime library's C entry points, as the program looks them up by name.

#include "ISystem.h"

extern "C" {
using ADLXQueryFullVersion_Fn = ADLX_RESULT (*)(adlx_uint64* fullVersion);
using ADLXQueryVersion_Fn = ADLX_RESULT (*)(const char** version);
using ADLXInitializeWithCallerAdl_Fn = ADLX_RESULT (*)(adlx_uint64 version, IADLXSystem** ppSystem,
                                                       void* adlMapping, void* adlContext);
using ADLXInitializeWithIncompatibleDriver_Fn = ADLX_RESULT (*)(adlx_uint64 version, IADLXSystem** ppSystem);
using ADLXInitialize_Fn = ADLX_RESULT (*)(adlx_uint64 version, IADLXSystem** ppSystem);
using ADLXTerminate_Fn = ADLX_RESULT (*)();
}

#define ADLX_RUNTIME_LIBRARY "libamdadlx64.so"
