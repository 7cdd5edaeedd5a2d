// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How a display feature's interface is reached: the display services hand it out per display.
// Shared by the display probe and the per-feature operations.

#include "adlx/ADLX.h"

template <typename Feature>
using DisplayFeatureGetter = ADLX_RESULT (IADLXDisplayServices::*)(IADLXDisplay*, Feature**);

// The feature's interface for display, or empty when the getter refuses. Whatever a refusing
// getter may have left in the slot is released, never used.
template <typename Feature>
adlx::InterfacePtr<Feature> FetchDisplayFeature(IADLXDisplayServices* services, IADLXDisplay* display,
                                                DisplayFeatureGetter<Feature> getter) {
    adlx::InterfacePtr<Feature> feature;
    if (services == nullptr) return feature;
    if ((services->*getter)(display, feature.put()) != ADLX_OK) feature.reset();
    return feature;
}

// Whether the feature answers yes to IsSupported; a refused fetch or question reads as no.
template <typename Feature>
bool DisplayFeatureSupported(IADLXDisplayServices* services, IADLXDisplay* display,
                             DisplayFeatureGetter<Feature> getter) {
    adlx_bool supported = false;
    auto feature = FetchDisplayFeature(services, display, getter);
    if (!feature || feature->IsSupported(&supported) != ADLX_OK) return false;
    return supported;
}
