// SPDX-License-Identifier: GPL-3.0-or-later
// The shader cache reset: Mesa's folders under the base Mesa itself uses, and nothing else.

#include <gtest/gtest.h>

#include "RecordingReporter.h"
#include "TempHome.h"
#include "mesa/UserFiles.h"

namespace fs = std::filesystem;

TEST(ShaderCache, TheBaseIsTheOneMesaUses) {
    TempHome home;
    EXPECT_EQ(mesa::findPlaces().shaderCache, home.cache());
    home.setVariable("XDG_CACHE_HOME", "relative/cache");  // not absolute: ignored, as Mesa does
    EXPECT_NE(mesa::findPlaces().shaderCache, fs::path("relative/cache"));
    home.setVariable("MESA_GLSL_CACHE_DIR", "/old");
    EXPECT_EQ(mesa::findPlaces().shaderCache, fs::path("/old"));
    home.setVariable("MESA_SHADER_CACHE_DIR", "/new");
    EXPECT_EQ(mesa::findPlaces().shaderCache, fs::path("/new"));
}

TEST(ShaderCache, ResetRemovesMesasFoldersOnlyAndFollowsNoLinkOut) {
    TempHome home;
    const fs::path base = home.cache();
    writeFile(base / "mesa_shader_cache/0a/entry1", std::string(1000, 'x'));
    writeFile(base / "mesa_shader_cache/0b/entry2", std::string(24, 'x'));
    writeFile(base / "mesa_shader_cache/index", std::string(100, 'x'));
    writeFile(base / "mesa_shader_cache_db/marker", "");
    writeFile(base / "mesa_shader_cache_sf/foz/part", std::string(10, 'x'));
    writeFile(base / "radv_builtin_shaders64", std::string(5, 'x'));
    // Not Mesa's: another program's cache, a look-alike name, and what a link inside points to.
    writeFile(base / "fontconfig/cache", "keep");
    writeFile(base / "mesa_shader_cache_backup/x", "keep");
    writeFile(home.root() / "outside/precious", "keep");
    fs::create_directory_symlink(home.root() / "outside", base / "mesa_shader_cache/link");
    fs::create_symlink(home.root() / "outside/precious", base / "mesa_shader_cache_db/file-link");

    RecordingReporter reporter;
    ASSERT_EQ(mesa::resetShaderCache(reporter), ADLX_OK);
    for (const char* gone : {"mesa_shader_cache", "mesa_shader_cache_db", "mesa_shader_cache_sf", "radv_builtin_shaders64"})
        EXPECT_FALSE(fs::exists(fs::symlink_status(base / gone))) << gone;
    EXPECT_EQ(fileText(base / "fontconfig/cache"), "keep");
    EXPECT_EQ(fileText(base / "mesa_shader_cache_backup/x"), "keep");
    EXPECT_EQ(fileText(home.root() / "outside/precious"), "keep");
    // Seven entries went (the two links counted as files, their targets not), 1139 bytes of data.
    ASSERT_EQ(reporter.emptied.size(), 1u);
    EXPECT_EQ(reporter.emptied[0], std::make_pair(std::uint64_t{8}, std::uint64_t{1139}));

    // Nothing left: a second reset frees nothing and succeeds; a missing base too.
    reporter.emptied.clear();
    EXPECT_EQ(mesa::resetShaderCache(reporter), ADLX_OK);
    EXPECT_EQ(reporter.emptied.at(0), std::make_pair(std::uint64_t{0}, std::uint64_t{0}));
    home.setVariable("MESA_SHADER_CACHE_DIR", (home.root() / "nowhere").string());
    EXPECT_EQ(mesa::resetShaderCache(reporter), ADLX_OK);
}

TEST(ShaderCache, ALinkInPlaceOfTheCacheFolderIsRemovedNotEmptied) {
    TempHome home;
    writeFile(home.root() / "elsewhere/data", "keep");
    fs::create_directories(home.cache());
    fs::create_directory_symlink(home.root() / "elsewhere", home.cache() / "mesa_shader_cache");
    RecordingReporter reporter;
    ASSERT_EQ(mesa::resetShaderCache(reporter), ADLX_OK);
    EXPECT_FALSE(fs::exists(fs::symlink_status(home.cache() / "mesa_shader_cache")));
    EXPECT_EQ(fileText(home.root() / "elsewhere/data"), "keep");
}
