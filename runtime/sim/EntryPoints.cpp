// SPDX-License-Identifier: GPL-3.0-or-later
// The six C entry points the program resolves by name. Built once per runtime variant, so the
// compile definitions below can produce deliberately broken runtimes for the loader tests:
//   TACHYON_SIM_OMIT_ENTRY=<entry point name>  that entry point is not exported at all
//   TACHYON_SIM_REFUSE_INIT=1                  ADLXInitialize always fails with ADLX_FAIL

#include <cstdio>
#include <cstdlib>

#include "Export.h"
#include "Objects.h"
#include "Runtime.h"

#define TACHYON_SIM_ID_ADLXQueryFullVersion 1
#define TACHYON_SIM_ID_ADLXQueryVersion 2
#define TACHYON_SIM_ID_ADLXInitializeWithCallerAdl 3
#define TACHYON_SIM_ID_ADLXInitializeWithIncompatibleDriver 4
#define TACHYON_SIM_ID_ADLXInitialize 5
#define TACHYON_SIM_ID_ADLXTerminate 6
#define TACHYON_SIM_CAT_(a, b) a##b
#define TACHYON_SIM_CAT(a, b) TACHYON_SIM_CAT_(a, b)
#ifdef TACHYON_SIM_OMIT_ENTRY
#define TACHYON_SIM_OMITTED TACHYON_SIM_CAT(TACHYON_SIM_ID_, TACHYON_SIM_OMIT_ENTRY)
#if TACHYON_SIM_OMITTED < 1 || TACHYON_SIM_OMITTED > 6
#error TACHYON_SIM_OMIT_ENTRY names no entry point
#endif
#else
#define TACHYON_SIM_OMITTED 0
#endif

namespace sim {
namespace {

constexpr const char* kVersionText = "1.2.0.72";

std::string versionText(adlx_uint64 v) {
    return std::to_string(v >> 48) + "." + std::to_string((v >> 32) & 0xffff) + "." +
           std::to_string((v >> 16) & 0xffff) + "." + std::to_string(v & 0xffff);
}

// Same major version, and no newer minor version than this runtime implements.
bool canServe(adlx_uint64 requested) {
    return (requested >> 48) == (ADLX_FULL_VERSION >> 48) &&
           ((requested >> 32) & 0xffff) <= ((ADLX_FULL_VERSION >> 32) & 0xffff);
}

ADLX_RESULT finish(const std::string& call, ADLX_RESULT result, const std::string& out = {}) {
    record(call + " -> " + std::to_string(static_cast<int>(result)) + out);
    return result;
}

ADLX_RESULT initialize(const char* entry, adlx_uint64 version, IADLXSystem** ppSystem) {
    Runtime& rt = runtime();
    std::lock_guard lock(rt.mutex);
    const std::string call = std::string(entry) + " " + versionText(version);
    if (ppSystem == nullptr) return finish(call, ADLX_INVALID_ARGS);
    *ppSystem = nullptr;
    if (rt.faults.callFails(entry, -1)) return finish(call, ADLX_FAIL);
#if defined(TACHYON_SIM_REFUSE_INIT) && TACHYON_SIM_REFUSE_INIT
    return finish(call, ADLX_FAIL);
#endif
    if (!canServe(version)) return finish(call, ADLX_BAD_VER);
    // A second initialisation within one session hands out the same system again.
    if (!rt.sessionActive) {
        std::string reason;
        if (!rt.loadScenarioFile(reason)) {
            std::fprintf(stderr, "tachyon-sim: %s\n", reason.c_str());
            return finish(call, ADLX_FAIL);
        }
        rt.ensureMachine();
        rt.startGeneration();
        rt.audit = {};
        if (const char* list = std::getenv("TACHYON_SIM_FAULTS")) {
            const std::string refused = rt.faults.addList(list);
            if (!refused.empty())
                std::fprintf(stderr, "tachyon-sim: TACHYON_SIM_FAULTS: ignoring %s\n", refused.c_str());
        }
        rt.sessionActive = true;
    }
    *ppSystem = systemObject();
    return finish(call, ADLX_OK);
}

}  // namespace
}  // namespace sim

using namespace sim;

#if TACHYON_SIM_OMITTED != 1
TACHYON_SIM_EXPORT ADLX_RESULT ADLXQueryFullVersion(adlx_uint64* fullVersion) {
    std::lock_guard lock(runtime().mutex);
    if (fullVersion == nullptr) return finish("ADLXQueryFullVersion", ADLX_INVALID_ARGS);
    if (runtime().faults.callFails("ADLXQueryFullVersion", -1)) return finish("ADLXQueryFullVersion", ADLX_FAIL);
    *fullVersion = ADLX_FULL_VERSION;
    return finish("ADLXQueryFullVersion", ADLX_OK, " " + versionText(ADLX_FULL_VERSION));
}
#endif

#if TACHYON_SIM_OMITTED != 2
TACHYON_SIM_EXPORT ADLX_RESULT ADLXQueryVersion(const char** version) {
    std::lock_guard lock(runtime().mutex);
    if (version == nullptr) return finish("ADLXQueryVersion", ADLX_INVALID_ARGS);
    if (runtime().faults.callFails("ADLXQueryVersion", -1)) return finish("ADLXQueryVersion", ADLX_FAIL);
    *version = kVersionText;
    return finish("ADLXQueryVersion", ADLX_OK, " " + quoted(kVersionText));
}
#endif

#if TACHYON_SIM_OMITTED != 3
// The caller's ADL context is of no use to a simulated machine; otherwise as ADLXInitialize.
TACHYON_SIM_EXPORT ADLX_RESULT ADLXInitializeWithCallerAdl(adlx_uint64 version, IADLXSystem** ppSystem, void*,
                                                           void*) {
    return initialize("ADLXInitializeWithCallerAdl", version, ppSystem);
}
#endif

#if TACHYON_SIM_OMITTED != 4
TACHYON_SIM_EXPORT ADLX_RESULT ADLXInitializeWithIncompatibleDriver(adlx_uint64 version, IADLXSystem** ppSystem) {
    return initialize("ADLXInitializeWithIncompatibleDriver", version, ppSystem);
}
#endif

#if TACHYON_SIM_OMITTED != 5
TACHYON_SIM_EXPORT ADLX_RESULT ADLXInitialize(adlx_uint64 version, IADLXSystem** ppSystem) {
    return initialize("ADLXInitialize", version, ppSystem);
}
#endif

#if TACHYON_SIM_OMITTED != 6
TACHYON_SIM_EXPORT ADLX_RESULT ADLXTerminate() {
    Runtime& rt = runtime();
    std::lock_guard lock(rt.mutex);
    if (rt.faults.callFails("ADLXTerminate", -1)) return finish("ADLXTerminate", ADLX_FAIL);
    // Objects still held now are the program's leaks; the audit keeps them until the next session.
    const bool wasActive = rt.sessionActive;
    rt.sessionActive = false;
    const ADLX_RESULT r = finish("ADLXTerminate", ADLX_OK, wasActive ? " " + rt.auditText() : std::string());
    rt.trace.closeFile();
    return r;
}
#endif
