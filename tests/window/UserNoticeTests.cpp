// SPDX-License-Identifier: GPL-3.0-or-later
// The runtime's notices for the person at the window: shown when a command that may have written is
// over, each distinct text once, and nothing asked of a runtime that offers none.

#include <deque>
#include <functional>

#include "TachyonTest.h"
#include "ui/PageNotify.h"
#include "ui/Prompts.h"

namespace {

// A runtime's notice queue, as the window sees it through the contract.
class QueuedNotices final : public IADLXUserCommands {
public:
    adlx_int Acquire() override { return ++refs; }
    adlx_int Release() override { return --refs; }
    ADLX_RESULT QueryInterface(const wchar_t*, void** pp) override {
        if (pp != nullptr) *pp = nullptr;
        return ADLX_UNKNOWN_INTERFACE;
    }
    ADLX_RESULT EndCommand() override {
        events.push_back("end");
        return ADLX_OK;
    }
    ADLX_RESULT NextNotice(const char** text) override {
        *text = nullptr;
        if (pending.empty()) return ADLX_NOT_FOUND;
        current = pending.front();
        pending.pop_front();
        events.push_back("notice " + current);
        *text = current.c_str();
        return ADLX_OK;
    }

    int refs = 1;
    std::deque<std::string> pending;
    std::vector<std::string> events;
    std::string current;
};

class UserNotices : public TachyonTest {
protected:
    void Install() {
        Dlg().m_userCommands.reset();
        *Dlg().m_userCommands.put() = &notices;
        m_installed = true;
    }
    void TearDown() override {
        // The stand-in is not the runtime's: the window lets go of it before the audit.
        if (m_installed) {
            Dlg().m_userCommands.reset();
            EXPECT_EQ(notices.refs, 0) << "the window kept or over-released the notice interface";
        }
        TachyonTest::TearDown();
    }
    std::vector<QString> Texts() const {
        std::vector<QString> texts;
        for (const RecordedMessage& m : prompts.messages) texts.push_back(m.text);
        return texts;
    }

    QueuedNotices notices;
    bool m_installed = false;
};

TEST_F(UserNotices, TheSimulatedRuntimeOffersNoneAndTheWindowAsksOnce) {
    Start();
    EXPECT_FALSE(Dlg().m_userCommands);
    EXPECT_EQ(Calls({"IADLXSystem.GetUserCommands"}), std::vector<std::string>{"IADLXSystem.GetUserCommands -> 12"});
    ClearTrace();
    Press(1002);
    Press(1003);
    EXPECT_EQ(Calls({"IADLXSystem.GetUserCommands"}), std::vector<std::string>{});
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(UserNotices, EachCommandThatWritesEndsAndShowsItsDistinctNoticesInOrder) {
    Start();
    Install();
    struct Case {
        const char* command;
        std::function<void()> run;
    };
    const std::vector<Case> commands = {
        {"Set", [&] { Press(1002); }},
        {"+", [&] { Press(1006); }},
        {"Reset", [&] { Press(1003); }},
        {"shader cache reset", [&] { Dlg().OnPageNotify(kNotifyResetShaderCache, 0); }},
    };
    for (const Case& c : commands) {
        SCOPED_TRACE(c.command);
        prompts.messages.clear();
        notices.events.clear();
        notices.pending = {"cancelled", "cancelled", "later"};
        c.run();
        EXPECT_EQ(notices.events, (std::vector<std::string>{"end", "notice cancelled", "notice cancelled", "notice later"}));
        EXPECT_EQ(Texts(), (std::vector<QString>{"cancelled", "later"}));
        for (const RecordedMessage& m : prompts.messages) {
            EXPECT_EQ(m.caption, ApplicationName());
            EXPECT_EQ(m.buttons, PromptButtons::Ok);
        }
    }
}

TEST_F(UserNotices, CommandsThatOnlyReadEndNothing) {
    Start();
    Install();
    notices.pending = {"left over"};
    Press(1004);  // Load, cancelled at its file dialog
    Press(1005);  // Save, cancelled at its file dialog
    Dlg().OnGpuSelChange();
    EXPECT_EQ(notices.events, std::vector<std::string>{});
    EXPECT_TRUE(prompts.messages.empty());
}

}  // namespace
