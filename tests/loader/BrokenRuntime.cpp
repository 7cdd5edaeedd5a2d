// SPDX-License-Identifier: GPL-3.0-or-later
// A deliberately broken runtime for the loader tests: built once without ADLXTerminate and once
// with an ADLXInitialize that refuses. It counts the calls it receives so a test can see which
// entry points the loader used.

#include <cstring>
#include <map>
#include <string>

#include "adlx/ADLXDefines.h"

class IADLXSystem;

namespace {
std::map<std::string, int>& Calls() {
    static std::map<std::string, int> calls;
    return calls;
}
}  // namespace

#define EXPORT extern "C" __attribute__((visibility("default")))

EXPORT int BrokenRuntimeCalls(const char* entryPoint) { return Calls()[entryPoint]; }

EXPORT ADLX_RESULT ADLXQueryFullVersion(adlx_uint64* version) {
    ++Calls()["ADLXQueryFullVersion"];
    if (version != nullptr) *version = ADLX_FULL_VERSION;
    return ADLX_OK;
}

EXPORT ADLX_RESULT ADLXQueryVersion(const char** version) {
    ++Calls()["ADLXQueryVersion"];
    if (version != nullptr) *version = "1.2.0.72-broken";
    return ADLX_OK;
}

EXPORT ADLX_RESULT ADLXInitializeWithCallerAdl(adlx_uint64, IADLXSystem** system, void*, void*) {
    ++Calls()["ADLXInitializeWithCallerAdl"];
    if (system != nullptr) *system = nullptr;
    return ADLX_FAIL;
}

EXPORT ADLX_RESULT ADLXInitializeWithIncompatibleDriver(adlx_uint64, IADLXSystem** system) {
    ++Calls()["ADLXInitializeWithIncompatibleDriver"];
    if (system != nullptr) *system = nullptr;
    return ADLX_FAIL;
}

EXPORT ADLX_RESULT ADLXInitialize(adlx_uint64, IADLXSystem** system) {
    ++Calls()["ADLXInitialize"];
    if (system != nullptr) *system = nullptr;
    return ADLX_ADL_INIT_ERROR;
}

#ifndef BROKEN_RUNTIME_WITHOUT_TERMINATE
EXPORT ADLX_RESULT ADLXTerminate() {
    ++Calls()["ADLXTerminate"];
    return ADLX_OK;
}
#endif
