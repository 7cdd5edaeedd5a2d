// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The Graphics page's settings as Mesa and its layers take them from the user's files: each
// getter reads the files afresh, each setter changes only what it owns and writes a file only when
// its bytes change. A value the files cannot hold is refused (ADLX_INVALID_ARGS) and nothing is
// written; a file that cannot be read or written fails the call (ADLX_FAIL) and loses nothing.
// The settings belong to the user, not to a card.

#include <cstdint>
#include <string>

#include "adlx/ADLXDefines.h"

namespace mesa {

// What the person at the window, or standard error, must hear about a call.
class Reporter {
public:
    virtual ~Reporter() = default;
    // A setting the user manager only reads at login was changed.
    virtual void environmentChanged() = 0;
    // Why a call failed: ~/.drirc not well-formed, a file that could not be read or written.
    virtual void problem(const std::string& reason) = 0;
    virtual void cacheEmptied(std::uint64_t files, std::uint64_t bytes) = 0;
};

inline constexpr ADLX_IntRange kSharpnessRange{0, 100, 1};
inline constexpr ADLX_IntRange kFrameRateRange{1, 1000, 1};
// What a feature is switched on with when the files hold no value of it yet.
inline constexpr int kDefaultAnisotropicLevel = 16;
inline constexpr int kDefaultSharpness = 40;  // vkBasalt's own default strength
inline constexpr int kDefaultFrameRate = 60;
inline constexpr int kDefaultMlaaQuality = 8;

// V-Sync, the four window modes 0 to 3 (the OpenGL mode; Vulkan follows where it can).
ADLX_RESULT vsyncMode(int& mode);
ADLX_RESULT setVsyncMode(int mode, Reporter& r);

ADLX_RESULT enhancedSync(bool& enabled);
ADLX_RESULT setEnhancedSync(bool enabled, Reporter& r);

// Off means the application decides; the level is held only while filtering is forced on.
ADLX_RESULT anisotropicFiltering(bool& enabled, int& level);
ADLX_RESULT setAnisotropicFiltering(bool enabled, Reporter& r);
ADLX_RESULT setAnisotropicLevel(int level, Reporter& r);

ADLX_RESULT morphologicalAntiAliasing(bool& enabled);
ADLX_RESULT setMorphologicalAntiAliasing(bool enabled, Reporter& r);

ADLX_RESULT frameRateTarget(bool& enabled, int& fps);
ADLX_RESULT setFrameRateTargetEnabled(bool enabled, Reporter& r);
ADLX_RESULT setFrameRateTarget(int fps, Reporter& r);

// Offered only where vkBasalt is installed; its strength lives in our own vkBasalt file.
bool sharpeningOffered();
ADLX_RESULT sharpening(bool& enabled, int& sharpness);
ADLX_RESULT setSharpeningEnabled(bool enabled, Reporter& r);
ADLX_RESULT setSharpness(int sharpness, Reporter& r);

// Offered only where Mesa's anti-lag layer is installed.
bool antiLagOffered();
ADLX_RESULT antiLag(bool& enabled);
ADLX_RESULT setAntiLag(bool enabled, Reporter& r);

ADLX_RESULT resetShaderCache(Reporter& r);

}  // namespace mesa
