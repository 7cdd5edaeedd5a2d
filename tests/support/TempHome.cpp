// SPDX-License-Identifier: GPL-3.0-or-later
#include "TempHome.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

TempHome::TempHome() {
    std::string pattern = (fs::temp_directory_path() / "tachyon-mesa-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    m_root = pattern;
    fs::create_directories(home());
    setVariable("HOME", home().string());
    setVariable("XDG_CACHE_HOME", cache().string());
    setVariable("XDG_CONFIG_DIRS", (m_root / "etc-xdg").string());
    setVariable("XDG_DATA_DIRS", (m_root / "share").string());
    for (const char* unset : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "MESA_SHADER_CACHE_DIR", "MESA_GLSL_CACHE_DIR"}) {
        if (!m_saved.count(unset)) {
            const char* v = std::getenv(unset);
            m_saved[unset] = v ? std::optional<std::string>(v) : std::nullopt;
        }
        ::unsetenv(unset);
    }
}

TempHome::~TempHome() {
    for (const auto& [name, value] : m_saved) {
        if (value)
            ::setenv(name.c_str(), value->c_str(), 1);
        else
            ::unsetenv(name.c_str());
    }
    std::error_code ec;
    // A test may have taken write access away.
    for (auto it = fs::recursive_directory_iterator(m_root, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec))
        if (it->is_directory(ec) && !it->is_symlink(ec)) fs::permissions(it->path(), fs::perms::owner_all, ec);
    fs::permissions(m_root, fs::perms::owner_all, ec);
    fs::remove_all(m_root, ec);
}

void TempHome::setVariable(const char* name, const std::string& value) {
    if (!m_saved.count(name)) {
        const char* v = std::getenv(name);
        m_saved[name] = v ? std::optional<std::string>(v) : std::nullopt;
    }
    ::setenv(name, value.c_str(), 1);
}

void TempHome::installLayer(const std::string& manifest) {
    writeFile(m_root / "share/vulkan/implicit_layer.d" / manifest, "{}\n");
}

std::optional<std::string> fileText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeFile(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}
