// SPDX-License-Identifier: GPL-3.0-or-later
// The end of the user's commands: the privileged writer session is let go, and the notices the
// command left are handed to the window one by one.

#include "Objects.h"
#include "Session.h"

namespace amdgpu {

namespace {

class UserCommands final : public Counted<IADLXUserCommands> {
public:
    UserCommands() : Counted(Kind::Other, -1) {}

    ADLX_RESULT EndCommand() override {
        return guarded(*this, [] {
            Session& s = session();
            for (std::string& notice : s.attributes().takeNotices()) s.notify(std::move(notice));
            s.attributes().commandEnded();
            return ADLX_OK;
        });
    }

    ADLX_RESULT NextNotice(const char** text) override {
        if (text == nullptr) return ADLX_INVALID_ARGS;
        *text = nullptr;
        return guarded(*this, [&] {
            Session& s = session();
            if (s.notices.empty()) return ADLX_NOT_FOUND;
            m_current = std::move(s.notices.front());
            s.notices.pop_front();
            *text = m_current.c_str();
            return ADLX_OK;
        });
    }

private:
    // The notice last handed out; it belongs to this object until the next call.
    std::string m_current;
};

}  // namespace

IADLXUserCommands* makeUserCommands() { return session().make<UserCommands>(); }

}  // namespace amdgpu
