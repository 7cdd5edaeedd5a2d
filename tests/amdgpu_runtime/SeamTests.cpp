// SPDX-License-Identifier: GPL-3.0-or-later
// The real side of the attribute seam, on a temporary tree.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "Attributes.h"

namespace fs = std::filesystem;

namespace {

class PosixSeam : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/tachyon-seam-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root = pattern;
        fs::create_directories(root / "class/drm/card0/device/hwmon/hwmon3");
        files = amdgpu::makePosixAttributes(root.string() + "/");
    }
    void TearDown() override { fs::remove_all(root); }

    void put(const std::string& path, const std::string& text, fs::perms perms = fs::perms(0644)) {
        std::ofstream(root / path, std::ios::binary) << text;
        fs::permissions(root / path, perms);
    }
    std::string content(const std::string& path) {
        std::ifstream in(root / path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    fs::path root;
    std::unique_ptr<amdgpu::Attributes> files;
};

TEST_F(PosixSeam, ReadsTheWholeFileWithItsNulBytesAndWithoutAddingANewline) {
    std::string text = "OD_SCLK:\n0: 500Mhz\n";
    text += std::string(5000, '\0');
    text += "OD_RANGE:\nSCLK: 500Mhz 3000Mhz";
    put("class/drm/card0/device/pp_od_clk_voltage", text);
    const auto r = files->read("class/drm/card0/device/pp_od_clk_voltage");
    EXPECT_EQ(r.error, 0);
    EXPECT_EQ(r.text, text);
}

TEST_F(PosixSeam, WritesOneCommandExactlyAsGiven) {
    put("class/drm/card0/device/hwmon/hwmon3/power1_cap", "155000000\n");
    EXPECT_EQ(files->write("class/drm/card0/device/hwmon/hwmon3/power1_cap", "170000000\n"), 0);
    EXPECT_EQ(content("class/drm/card0/device/hwmon/hwmon3/power1_cap"), "170000000\n");
}

TEST_F(PosixSeam, ListsAFolderSortedWithoutDotEntriesAndWithLinksAsNames) {
    put("class/drm/card0/device/uevent", "DRIVER=amdgpu\n");
    fs::create_directories(root / "class/drm/card10");
    fs::create_directory_symlink(root / "class/drm/card0", root / "class/drm/card0-DP-1");
    std::vector<std::string> names;
    EXPECT_EQ(files->list("class/drm", names), 0);
    EXPECT_EQ(names, (std::vector<std::string>{"card0", "card0-DP-1", "card10"}));
}

TEST_F(PosixSeam, MissingFilesAndFoldersReportErrno) {
    EXPECT_EQ(files->read("class/drm/card0/device/pp_od_clk_voltage").error, ENOENT);
    EXPECT_EQ(files->write("class/drm/card0/device/pp_od_clk_voltage", "c\n"), ENOENT);
    std::vector<std::string> names{"stale"};
    EXPECT_EQ(files->list("class/drm/card7", names), ENOENT);
    EXPECT_TRUE(names.empty());
}

// Root ignores mode bits, so a folder where a file should be stands for a file that cannot take
// the write, and a second case drops to an unprivileged user to meet the mode bits for real.
TEST_F(PosixSeam, AnUnwritableAttributeIsAFailureNotASuccess) {
    fs::create_directory(root / "class/drm/card0/device/pp_od_clk_voltage");
    EXPECT_EQ(files->write("class/drm/card0/device/pp_od_clk_voltage", "c\n"), EISDIR);

    put("class/drm/card0/device/hwmon/hwmon3/power1_cap", "155000000\n");
    fs::permissions(root, fs::perms(0755));
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(100);
        _exit(files->write("class/drm/card0/device/hwmon/hwmon3/power1_cap", "1000000\n"));
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), EACCES);
    EXPECT_EQ(content("class/drm/card0/device/hwmon/hwmon3/power1_cap"), "155000000\n");
}

}  // namespace

namespace {

// Only the real tree has device nodes beside it: a stand-in root never opens /dev/dri, whatever
// its device/drm folder lists; the real one answers for a card it does not have.
TEST_F(PosixSeam, TheRenderNodeWakeTouchesOnlyTheRealTree) {
    fs::create_directories(root / "class/drm/card0/device/drm/renderD128");
    EXPECT_EQ(files->wake("class/drm/card0/device"), ENODEV);
    auto real = amdgpu::makePosixAttributes("/sys");
    EXPECT_NE(real->wake("class/drm/card9999/device"), 0);
}

}  // namespace
