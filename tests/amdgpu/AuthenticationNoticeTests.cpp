// SPDX-License-Identifier: GPL-3.0-or-later
// A Set from a desktop session over files only root may write: when the administrator's
// authentication does not happen, the person at the window is told once, in a message box, and
// the page shows what the card kept.

#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

#include "AmdgpuWindowTest.h"
#include "PrivilegedAttributes.h"

namespace {

namespace fs = std::filesystem;

// The card's files as a user sees them: every read answered, every write refused for lack of root.
class UserView : public amdgpu::Attributes {
public:
    explicit UserView(amdgpu::Attributes& model) : m_model(model) {}
    amdgpu::ReadResult read(const std::string& path) override { return m_model.read(path); }
    int write(const std::string&, std::string_view) override { return EACCES; }
    int list(const std::string& dir, std::vector<std::string>& names) override { return m_model.list(dir, names); }

private:
    amdgpu::Attributes& m_model;
};

class AuthenticationNotice : public AmdgpuWindowTest {
protected:
    void SetUp() override {
        m_folder = fs::temp_directory_path() / ("tachyon-auth-" + std::to_string(::getpid()));
        fs::create_directories(m_folder);
        // pkexec as it answers a dismissed dialog (126) or a failed or impossible one (127).
        std::ofstream(pkexec()) << "#!/bin/sh\necho asked >> \"" << (m_folder / "asked").string()
                                << "\"\nexit \"$(cat \"" << (m_folder / "answer").string() << "\")\"\n";
        fs::permissions(pkexec(), fs::perms::owner_all);
        front = [this](amdgpu::Attributes& model) -> std::unique_ptr<amdgpu::Attributes> {
            amdgpu::PrivilegedOptions options;
            options.writerPath = "/bin/true";
            options.writerRoot = "model";
            options.runningAsRoot = false;
            options.pkexecPath = pkexec().string();
            return std::make_unique<amdgpu::PrivilegedAttributes>(std::make_unique<UserView>(model), "model",
                                                                  options);
        };
    }
    void TearDown() override {
        AmdgpuWindowTest::TearDown();
        fs::remove_all(m_folder);
    }
    fs::path pkexec() const { return m_folder / "pkexec"; }
    void answer(int status) { std::ofstream(m_folder / "answer", std::ios::trunc) << status << "\n"; }
    int asked() const {
        std::ifstream in(m_folder / "asked");
        int lines = 0;
        for (std::string line; std::getline(in, line);) ++lines;
        return lines;
    }
    std::vector<RecordedMessage> noticesShown() const {
        std::vector<RecordedMessage> shown;
        for (const RecordedMessage& m : prompts.messages) {
            if (m.text.contains(QStringLiteral("nothing was written"))) shown.push_back(m);
        }
        return shown;
    }

    fs::path m_folder;
};

TEST_F(AuthenticationNotice, ACancelOnSetIsShownOnceAndTheCardKeepsItsValues) {
    struct Case {
        int status;
        const char* says;
    };
    for (const Case& c : {Case{126, "Authentication was cancelled"}, Case{127, "no authentication agent"}}) {
        SCOPED_TRACE(c.status);
        prompts.messages.clear();
        answer(c.status);
        Start({FixtureTree("navi2x")});
        const std::string before = Model().read(Model().DevicePath(0, "pp_od_clk_voltage")).text;
        const int askedBefore = asked();
        SetText(kTuningPage, 1008, "2650");
        ::testing::internal::CaptureStderr();
        Press(1002);
        ::testing::internal::GetCapturedStderr();
        const std::vector<RecordedMessage> shown = noticesShown();
        ASSERT_EQ(shown.size(), 1u) << "once per Set, however many files the Set writes";
        EXPECT_TRUE(shown[0].text.contains(QString::fromUtf8(c.says))) << shown[0].text.toStdString();
        EXPECT_EQ(asked() - askedBefore, 1) << "one authentication asked for the whole Set";
        EXPECT_EQ(Model().read(Model().DevicePath(0, "pp_od_clk_voltage")).text, before);
        EXPECT_EQ(Text(kTuningPage, 1008), "2581") << "the page shows what the card kept";

        // The next Set asks again, and says so again.
        SetText(kTuningPage, 1008, "2650");
        ::testing::internal::CaptureStderr();
        Press(1002);
        ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(noticesShown().size(), 2u);
        EXPECT_EQ(asked() - askedBefore, 2);
        AmdgpuWindowTest::TearDown();
    }
}

}  // namespace
