// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The runtime's side of the user's commands (Set, "+", Reset, a page's button). Some things only
// the person at the window can act on: an authentication that was cancelled, a setting that takes
// effect only at the next login. Standard error does not reach a program started from the desktop
// menu, so the runtime queues such notices and the window shows them when the command is over.
// The end of a command is also the moment the runtime lets go of what it opened for the command's
// writes, such as a privileged writer session.

#include "IADLXInterface.h"

class IADLXUserCommands : public IADLXInterface {
public:
    ADLX_DECLARE_IID(IADLXUserCommands)
    // The command is over: nothing opened for its writes stays open, and its notices are queued.
    virtual ADLX_RESULT EndCommand() = 0;
    // The oldest notice not taken yet, UTF-8 text owned by this object and valid until its next
    // call or its release; ADLX_NOT_FOUND, with a null text, when none is left.
    virtual ADLX_RESULT NextNotice(const char** text) = 0;

protected:
    ~IADLXUserCommands() = default;
};
