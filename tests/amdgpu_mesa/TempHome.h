#pragma once
// A temporary home for one test: HOME and the XDG folders point into it (the cache and the layer
// folders included, so nothing of the real user's is read or removed), restored afterwards.

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "mesa/MesaSettings.h"

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

// What the settings told: the login notices, the problems, the cache counts.
struct RecordingReporter : mesa::Reporter {
    int environmentChanges = 0;
    std::vector<std::string> problems;
    std::vector<std::pair<std::uint64_t, std::uint64_t>> emptied;
    void environmentChanged() override { ++environmentChanges; }
    void problem(const std::string& reason) override { problems.push_back(reason); }
    void cacheEmptied(std::uint64_t files, std::uint64_t bytes) override { emptied.emplace_back(files, bytes); }
};
