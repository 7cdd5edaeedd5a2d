// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The seam between the Mesa settings and the user's files: where each file is, looked up afresh
// from the process environment at every call (as Mesa and the user manager would find them), and
// the few operations on them: read, replace atomically, look for a Vulkan layer, empty Mesa's
// shader cache. Only the user's own files; nothing here needs root.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mesa {

struct Places {
    std::filesystem::path drirc;        // ~/.drirc
    std::filesystem::path environment;  // our file in environment.d
    std::filesystem::path vkBasalt;     // our vkBasalt configuration
    std::filesystem::path shaderCache;  // the folder Mesa keeps its caches in
    std::vector<std::filesystem::path> layerFolders;  // where the Vulkan loader finds layer manifests
};
Places findPlaces();

struct FileText {
    bool ok = true;       // false: the file exists but could not be read
    bool exists = false;  // a missing file reads as empty
    std::string text;
    std::string error;
};
FileText readUserFile(const std::filesystem::path& path);

// Replaces the file's content through a temporary file beside it, flushed and renamed over it, so
// a reader sees the old or the new file, never half of one. The file keeps its mode (a link is
// written through to its target); missing folders are made.
bool writeUserFile(const std::filesystem::path& path, std::string_view text, std::string& error);

// A layer manifest whose name starts with the prefix and ends in ".json", in any layer folder.
bool layerInstalled(const Places& places, std::string_view manifestPrefix);

struct CacheReset {
    bool ok = true;
    std::uint64_t files = 0;
    std::uint64_t bytes = 0;
    std::string error;
};
// Removes Mesa's cache folders directly under the base and nothing else; a link met on the way is
// removed itself, never followed.
CacheReset resetShaderCache(const std::filesystem::path& base);

}  // namespace mesa
