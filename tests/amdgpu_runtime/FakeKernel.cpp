// SPDX-License-Identifier: GPL-3.0-or-later
#include "FakeKernel.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

namespace fs = std::filesystem;

amdgpu::ReadResult FakeKernel::read(const std::string& path) {
    ++reads[path];
    const auto it = files.find(path);
    if (it != files.end()) return {0, it->second};
    const auto below = files.lower_bound(path + "/");
    if (below != files.end() && below->first.compare(0, path.size() + 1, path + "/") == 0)
        return {EISDIR, {}};
    return {ENOENT, {}};
}

int FakeKernel::write(const std::string& path, std::string_view command) {
    writes.emplace_back(path, std::string(command));
    const auto file = files.find(path);
    if (file == files.end()) return ENOENT;
    if (const auto e = fileErrors.find(path); e != fileErrors.end()) return e->second;
    if (const auto e = commandErrors.find(std::string(command)); e != commandErrors.end()) return e->second;
    if (path.size() >= 10 && path.compare(path.size() - 10, 10, "power1_cap") == 0) file->second = command;
    return 0;
}

int FakeKernel::list(const std::string& dir, std::vector<std::string>& names) {
    names.clear();
    const std::string prefix = dir + "/";
    std::set<std::string> found;
    for (auto it = files.lower_bound(prefix);
         it != files.end() && it->first.compare(0, prefix.size(), prefix) == 0; ++it) {
        const std::string rest = it->first.substr(prefix.size());
        found.insert(rest.substr(0, rest.find('/')));
    }
    if (found.empty()) return ENOENT;
    names.assign(found.begin(), found.end());
    return 0;
}

bool FakeKernel::mountFixture(const std::string& fixture, int cardNumber) {
    const fs::path device = fs::path(fixtureRoot()) / fixture / "device";
    if (!fs::is_directory(device)) return false;
    const std::string at = "class/drm/card" + std::to_string(cardNumber) + "/device";
    for (const auto& entry : fs::recursive_directory_iterator(device)) {
        if (!entry.is_regular_file()) continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        files[at + "/" + fs::relative(entry.path(), device).generic_string()] = text.str();
    }
    return true;
}

void FakeKernel::removeBelow(const std::string& dir) {
    const std::string prefix = dir + "/";
    for (auto it = files.lower_bound(prefix);
         it != files.end() && it->first.compare(0, prefix.size(), prefix) == 0;)
        it = files.erase(it);
}

std::string fixtureRoot() { return TACHYON_AMDGPU_CAPTURES; }
