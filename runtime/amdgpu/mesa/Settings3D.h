// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The contract's 3D feature objects over the user's Mesa settings. Mesa's settings are the user's,
// not a card's: every GPU hands out the same values.

#include "Session.h"
#include "adlx/I3DSettings.h"

namespace amdgpu::mesa3d {

// Each hands out its feature for a live GPU of this session (ADLX_INVALID_ARGS for any other).
ADLX_RESULT antiLag(Object& services, IADLXGPU* gpu, IADLX3DAntiLag** pp);
ADLX_RESULT imageSharpening(Object& services, IADLXGPU* gpu, IADLX3DImageSharpening** pp);
ADLX_RESULT enhancedSync(Object& services, IADLXGPU* gpu, IADLX3DEnhancedSync** pp);
ADLX_RESULT verticalRefresh(Object& services, IADLXGPU* gpu, IADLX3DWaitForVerticalRefresh** pp);
ADLX_RESULT frameRateTarget(Object& services, IADLXGPU* gpu, IADLX3DFrameRateTargetControl** pp);
ADLX_RESULT morphologicalAntiAliasing(Object& services, IADLXGPU* gpu, IADLX3DMorphologicalAntiAliasing** pp);
ADLX_RESULT anisotropicFiltering(Object& services, IADLXGPU* gpu, IADLX3DAnisotropicFiltering** pp);
ADLX_RESULT resetShaderCache(Object& services, IADLXGPU* gpu, IADLX3DResetShaderCache** pp);

}  // namespace amdgpu::mesa3d
