// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Result codes, basic types and enumerations shared by the program and every runtime.

#include <cstdint>

using adlx_int = std::int32_t;
using adlx_uint = std::uint32_t;
using adlx_int64 = std::int64_t;
using adlx_uint64 = std::uint64_t;
using adlx_bool = bool;
using adlx_double = double;

enum ADLX_RESULT : std::int32_t {
    ADLX_OK = 0,
    ADLX_ALREADY_ENABLED = 1,
    ADLX_ALREADY_INITIALIZED = 2,
    ADLX_FAIL = 3,
    ADLX_INVALID_ARGS = 4,
    ADLX_BAD_VER = 5,
    ADLX_UNKNOWN_INTERFACE = 6,
    ADLX_TERMINATED = 7,
    ADLX_ADL_INIT_ERROR = 8,
    ADLX_NOT_FOUND = 9,
    ADLX_INVALID_OBJECT = 10,
    ADLX_ORPHAN_OBJECTS = 11,
    ADLX_NOT_SUPPORTED = 12,
};

// Packs major.minor.release.build the way ADLXInitialize expects the requested version.
constexpr adlx_uint64 ADLX_MAKE_FULL_VER(adlx_uint64 major, adlx_uint64 minor, adlx_uint64 release,
                                         adlx_uint64 build) {
    return (major << 48) | (minor << 32) | (release << 16) | build;
}

// The interface version this program is written against: 1.2.0.72.
constexpr adlx_uint64 ADLX_FULL_VERSION = ADLX_MAKE_FULL_VER(1, 2, 0, 72);

struct ADLX_IntRange {
    adlx_int minValue;
    adlx_int maxValue;
    adlx_int step;
};

// The enumerations carry a fixed underlying type so that any value a driver reports can be held
// and passed on, also one this program has no name for.
enum ADLX_MGPU_MODE : std::int32_t { MGPU_NONE = 0, MGPU_PRIMARY = 1, MGPU_SECONDARY = 2 };

enum ADLX_MEMORYTIMING_DESCRIPTION : std::int32_t {
    MEMORYTIMING_DEFAULT = 0,
    MEMORYTIMING_FAST_TIMING = 1,
    MEMORYTIMING_FAST_TIMING_LEVEL_2 = 2,
    MEMORYTIMING_AUTOMATIC = 3,
    MEMORYTIMING_MEMORYTIMING_LEVEL_1 = 4,
    MEMORYTIMING_MEMORYTIMING_LEVEL_2 = 5,
};

enum ADLX_ANTILAG_STATE : std::int32_t { ANTILAG = 0, ANTILAGPLUS = 1 };

enum ADLX_WAIT_FOR_VERTICAL_REFRESH_MODE : std::int32_t {
    WFVR_ALWAYS_OFF = 0,
    WFVR_OFF_UNLESS_APP_SPECIFIES = 1,
    WFVR_ON_UNLESS_APP_SPECIFIES = 2,
    WFVR_ALWAYS_ON = 3,
};

enum ADLX_ANTI_ALIASING_MODE : std::int32_t {
    AA_MODE_USE_APP_SETTINGS = 0,
    AA_MODE_ENHANCE_APP_SETTINGS = 1,
    AA_MODE_OVERRIDE_APP_SETTINGS = 2,
};

enum ADLX_ANTI_ALIASING_LEVEL : std::int32_t {
    AA_LEVEL_INVALID = 0,
    AA_LEVEL_2X = 2,
    AA_LEVEL_2XEQ = 3,
    AA_LEVEL_4X = 4,
    AA_LEVEL_4XEQ = 5,
    AA_LEVEL_8X = 8,
    AA_LEVEL_8XEQ = 9,
};

enum ADLX_ANTI_ALIASING_METHOD : std::int32_t {
    AA_METHOD_MULTISAMPLING = 0,
    AA_METHOD_ADAPTIVE_MULTISAMPLING = 1,
    AA_METHOD_SUPERSAMPLING = 2,
};

enum ADLX_ANISOTROPIC_FILTERING_LEVEL : std::int32_t {
    AF_LEVEL_INVALID = 0,
    AF_LEVEL_X2 = 2,
    AF_LEVEL_X4 = 4,
    AF_LEVEL_X8 = 8,
    AF_LEVEL_X16 = 16,
};

enum ADLX_TESSELLATION_MODE : std::int32_t {
    T_MODE_AMD_OPTIMIZED = 0,
    T_MODE_USE_APP_SETTINGS = 1,
    T_MODE_OVERRIDE_APP_SETTINGS = 2,
};

enum ADLX_TESSELLATION_LEVEL : std::int32_t {
    T_LEVEL_OFF = 1,
    T_LEVEL_2X = 2,
    T_LEVEL_4X = 4,
    T_LEVEL_6X = 6,
    T_LEVEL_8X = 8,
    T_LEVEL_16X = 16,
    T_LEVEL_32X = 32,
    T_LEVEL_64X = 64,
};

enum ADLX_SCALE_MODE : std::int32_t { PRESERVE_ASPECT_RATIO = 0, FULL_PANEL = 1, CENTERED = 2 };

enum ADLX_COLOR_DEPTH : std::int32_t {
    BPC_UNKNOWN = 0,
    BPC_6 = 1,
    BPC_8 = 2,
    BPC_10 = 3,
    BPC_12 = 4,
    BPC_14 = 5,
    BPC_16 = 6,
};

enum ADLX_PIXEL_FORMAT : std::int32_t {
    FORMAT_UNKNOWN = 0,
    RGB_444_FULL = 1,
    YCBCR_444 = 2,
    YCBCR_422 = 3,
    RGB_444_LIMITED = 4,
    YCBCR_420 = 5,
};
