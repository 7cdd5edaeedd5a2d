// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A temporary home for one test: HOME and the XDG folders point into it (the cache and the layer
// folders included, so nothing of the real user's is read or removed), restored afterwards.

#include <filesystem>
#include <map>
#include <optional>
#include <string>

class TempHome {
public:
    TempHome();
    ~TempHome();
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;

    const std::filesystem::path& root() const { return m_root; }
    std::filesystem::path home() const { return m_root / "home"; }
    std::filesystem::path drirc() const { return home() / ".drirc"; }
    std::filesystem::path environment() const { return home() / ".config/environment.d/60-tachyon.conf"; }
    std::filesystem::path vkBasalt() const { return home() / ".config/tachyon/vkBasalt.conf"; }
    std::filesystem::path cache() const { return home() / ".cache"; }

    // A Vulkan layer manifest in the system's data folder.
    void installLayer(const std::string& manifest);
    void setVariable(const char* name, const std::string& value);

private:
    std::filesystem::path m_root;
    std::map<std::string, std::optional<std::string>> m_saved;
};

// The file's bytes, or nullopt when it is not there.
std::optional<std::string> fileText(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, const std::string& text);
