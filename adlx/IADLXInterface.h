// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The reference-counted interface base every runtime object except the system object derives from.

#include "ADLXDefines.h"

// Names a newer interface is asked for by QueryInterface; each interface carries its own.
#define ADLX_DECLARE_IID(name) \
    static constexpr const wchar_t* IID() { return L## #name; }

class IADLXInterface {
public:
    ADLX_DECLARE_IID(IADLXInterface)
    // Slots 0 to 2, in this order.
    virtual adlx_int Acquire() = 0;
    virtual adlx_int Release() = 0;
    virtual ADLX_RESULT QueryInterface(const wchar_t* interfaceId, void** ppInterface) = 0;

protected:
    // Objects are destroyed by their last Release, never through this base.
    ~IADLXInterface() = default;
};
