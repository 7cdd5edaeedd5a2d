// SPDX-License-Identifier: GPL-3.0-or-later
#include "WriterTree.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

extern char** environ;

namespace fs = std::filesystem;

namespace {

void writeFile(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
}

// A PCI device with its drm card folder, and the class link to it.
fs::path addCard(const fs::path& root, const std::string& card, const std::string& slot,
                 const std::string& driver) {
    const fs::path device = root / "devices/pci0000:00" / slot;
    writeFile(device / "uevent", "DRIVER=" + driver + "\nPCI_SLOT_NAME=" + slot + "\n");
    fs::create_directories(device / "drm" / card);
    fs::create_directory_symlink("../../../" + slot, device / "drm" / card / "device");
    fs::create_directories(root / "class/drm");
    fs::create_directory_symlink("../../devices/pci0000:00/" + slot + "/drm/" + card,
                                 root / "class/drm" / card);
    return device;
}

}  // namespace

WriterTree::WriterTree() {
    char pattern[] = "/tmp/tachyon-writer-XXXXXX";
    m_root = fs::path(::mkdtemp(pattern)) / "sys";
    fs::create_directories(m_root);

    // card0: an amdgpu card with every kind of tuning file.
    const fs::path device = addCard(m_root, "card0", "0000:0c:00.0", "amdgpu");
    for (const char* file : {"pp_od_clk_voltage", "hwmon/hwmon3/power1_cap", "hwmon/hwmon3/pwm1_enable",
                             "hwmon/hwmon3/pwm1", "gpu_od/fan_ctrl/fan_curve",
                             "gpu_od/fan_ctrl/fan_zero_rpm_enable", "power_dpm_force_performance_level"}) {
        writeFile(device / file, "");
    }
    writeFile(m_root / "outside/target", "");
    // A hwmon folder that is a link out of the card.
    fs::create_directories(m_root / "outside/hwmon9");
    writeFile(m_root / "outside/hwmon9/power1_cap", "");
    fs::create_directory_symlink("../../../../outside/hwmon9", device / "hwmon/hwmon9");

    // card3: an amdgpu card whose fan curve file is a link to a file outside the card.
    const fs::path linked = addCard(m_root, "card3", "0000:0d:00.0", "amdgpu");
    fs::create_directories(linked / "gpu_od/fan_ctrl");
    fs::create_symlink("../../../../../outside/target", linked / "gpu_od/fan_ctrl/fan_curve");
    // ... and whose zero RPM file is a folder.
    fs::create_directories(linked / "gpu_od/fan_ctrl/fan_zero_rpm_enable");

    // card1: another driver's card.
    writeFile(addCard(m_root, "card1", "0000:00:02.0", "i915") / "pp_od_clk_voltage", "");

    // card2: its device link leads out of devices/ to an amdgpu-looking folder.
    writeFile(m_root / "fake/uevent", "DRIVER=amdgpu\n");
    writeFile(m_root / "fake/pp_od_clk_voltage", "");
    fs::create_directories(m_root / "fake/drm/card2");
    fs::create_directory_symlink("../..", m_root / "fake/drm/card2/device");
    fs::create_directory_symlink("../../fake/drm/card2", m_root / "class/drm/card2");
}

WriterTree::~WriterTree() {
    std::error_code ignored;
    fs::remove_all(m_root.parent_path(), ignored);
}

fs::path WriterTree::device() const { return m_root / "devices/pci0000:00/0000:0c:00.0"; }

std::string WriterTree::contents(const fs::path& file) const {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

RunResult runProgram(const std::string& program, const std::vector<std::string>& args,
                     const std::map<std::string, std::string>& env, const std::string& input) {
    char folderPattern[] = "/tmp/tachyon-run-XXXXXX";
    const fs::path folder = ::mkdtemp(folderPattern);
    writeFile(folder / "in", input);

    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        if (env.count(text.substr(0, text.find('='))) == 0) environment.push_back(text);
    }
    for (const auto& [name, value] : env) environment.push_back(name + "=" + value);
    std::vector<char*> envp;
    for (std::string& entry : environment) envp.push_back(entry.data());
    envp.push_back(nullptr);
    std::vector<std::string> argStore{program};
    argStore.insert(argStore.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : argStore) argv.push_back(arg.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, (folder / "in").c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, (folder / "out").c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addopen(&actions, 2, (folder / "err").c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    pid_t pid = -1;
    RunResult result;
    if (::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data()) == 0) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    posix_spawn_file_actions_destroy(&actions);
    auto read = [](const fs::path& file) {
        std::ifstream in(file, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    };
    result.out = read(folder / "out");
    result.err = read(folder / "err");
    fs::remove_all(folder);
    return result;
}

std::string binDir() { return TACHYON_TEST_BIN_DIR; }
