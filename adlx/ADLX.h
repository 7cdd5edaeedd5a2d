// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Everything the program calls in the runtime.

#include "ADLXDefines.h"
#include "ADLXEntryPoints.h"
#include "I3DSettings.h"
#include "IADLXInterface.h"
#include "IDisplays.h"
#include "IGPUMetrics.h"
#include "IGPUTuning.h"
#include "ISystem.h"
#include "IUserCommands.h"
#include "InterfacePtr.h"
