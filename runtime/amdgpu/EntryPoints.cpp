// SPDX-License-Identifier: GPL-3.0-or-later
// The six C entry points the program resolves by name, and the control entry points for tests.
// The cards are found when a session starts; every value is read later, when a call asks for it.

#include <string>

#include "AttributesControl.h"
#include "Cards.h"
#include "Objects.h"
#include "Session.h"

#define TACHYON_AMDGPU_EXPORT extern "C" __attribute__((visibility("default")))

namespace amdgpu {
namespace {

constexpr const char* kVersionText = "1.2.0.72";

// Same major version, and no newer minor version than this runtime implements.
bool canServe(adlx_uint64 requested) {
    return (requested >> 48) == (ADLX_FULL_VERSION >> 48) &&
           ((requested >> 32) & 0xffff) <= ((ADLX_FULL_VERSION >> 32) & 0xffff);
}

ADLX_RESULT initialize(adlx_uint64 version, IADLXSystem** ppSystem) {
    if (ppSystem == nullptr) return ADLX_INVALID_ARGS;
    *ppSystem = nullptr;
    Session& s = session();
    std::lock_guard lock(s.mutex);
    try {
        if (!canServe(version)) return ADLX_BAD_VER;
        // A second initialisation within one session hands out the same system again.
        if (!s.active) {
            s.startGeneration();
            s.audit = {};
            s.notices.clear();
            s.cards = discoverCards(s.attributes(), loadMarketingNames());
            s.active = true;
        }
        *ppSystem = systemObject();
        return ADLX_OK;
    } catch (...) {
        return ADLX_FAIL;
    }
}

}  // namespace
}  // namespace amdgpu

using namespace amdgpu;

TACHYON_AMDGPU_EXPORT ADLX_RESULT ADLXQueryFullVersion(adlx_uint64* fullVersion) {
    if (fullVersion == nullptr) return ADLX_INVALID_ARGS;
    *fullVersion = ADLX_FULL_VERSION;
    return ADLX_OK;
}

TACHYON_AMDGPU_EXPORT ADLX_RESULT ADLXQueryVersion(const char** version) {
    if (version == nullptr) return ADLX_INVALID_ARGS;
    *version = kVersionText;
    return ADLX_OK;
}

// There is no ADL underneath to share; otherwise as ADLXInitialize.
TACHYON_AMDGPU_EXPORT ADLX_RESULT ADLXInitializeWithCallerAdl(adlx_uint64 version, IADLXSystem** ppSystem,
                                                              void*, void*) {
    return initialize(version, ppSystem);
}

TACHYON_AMDGPU_EXPORT ADLX_RESULT ADLXInitializeWithIncompatibleDriver(adlx_uint64 version,
                                                                       IADLXSystem** ppSystem) {
    return initialize(version, ppSystem);
}

TACHYON_AMDGPU_EXPORT ADLX_RESULT ADLXInitialize(adlx_uint64 version, IADLXSystem** ppSystem) {
    return initialize(version, ppSystem);
}

// Objects still held now are the program's leaks; the audit keeps them until the next session.
TACHYON_AMDGPU_EXPORT ADLX_RESULT ADLXTerminate() {
    Session& s = session();
    std::lock_guard lock(s.mutex);
    s.active = false;
    return ADLX_OK;
}

TACHYON_AMDGPU_EXPORT void TachyonAmdgpuUseAttributes(amdgpu::Attributes* attributes) {
    Session& s = session();
    std::lock_guard lock(s.mutex);
    s.useAttributes(attributes);
}

TACHYON_AMDGPU_EXPORT const char* TachyonAmdgpuAudit() {
    static std::string reply;
    Session& s = session();
    std::lock_guard lock(s.mutex);
    try {
        reply = s.auditText();
    } catch (...) {
        reply = "error";
    }
    return reply.c_str();
}
