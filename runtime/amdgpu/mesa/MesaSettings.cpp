// SPDX-License-Identifier: GPL-3.0-or-later
#include "MesaSettings.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <optional>
#include <string_view>

#include "Drirc.h"
#include "EnvironmentFile.h"
#include "UserFiles.h"
#include "VkBasaltFile.h"

namespace mesa {

namespace {

constexpr std::string_view kVblankMode = "vblank_mode";
constexpr std::string_view kMlaa = "pp_jimenezmlaa";
constexpr std::string_view kPresentMode = "MESA_VK_WSI_PRESENT_MODE";
constexpr std::string_view kRadvAniso = "RADV_TEX_ANISO";
constexpr std::string_view kGlAniso = "AMD_TEX_ANISO";
constexpr std::string_view kDxvkConfig = "DXVK_CONFIG";
constexpr std::array<std::string_view, 2> kDxvkFrameRates{"dxgi.maxFrameRate", "d3d9.maxFrameRate"};
constexpr std::string_view kVkBasaltOn = "ENABLE_VKBASALT";
constexpr std::string_view kVkBasaltFile = "VKBASALT_CONFIG_FILE";
constexpr std::string_view kAntiLagOn = "ENABLE_LAYER_MESA_ANTI_LAG";
constexpr std::string_view kAntiLagOff = "DISABLE_LAYER_MESA_ANTI_LAG";
constexpr std::string_view kVkBasaltLayer = "vkBasalt";
constexpr std::string_view kAntiLagLayer = "VkLayer_MESA_anti_lag";
constexpr std::array<int, 4> kAnisotropicLevels{2, 4, 8, 16};
constexpr int kMesaVblankDefault = 2;

std::optional<int> number(const std::optional<std::string>& text) {
    if (!text) return std::nullopt;
    int v = 0;
    const auto [end, ec] = std::from_chars(text->data(), text->data() + text->size(), v);
    if (ec != std::errc{} || end != text->data() + text->size()) return std::nullopt;
    return v;
}

bool anisotropicLevel(int v) {
    return std::find(kAnisotropicLevels.begin(), kAnisotropicLevels.end(), v) != kAnisotropicLevels.end();
}
bool inRange(const ADLX_IntRange& r, int v) { return v >= r.minValue && v <= r.maxValue; }

// The user's files of one call: read once, changed in memory, written back only where their bytes
// changed, the OpenGL file first.
class UserSettings {
public:
    UserSettings() : places(findPlaces()) {}

    const Places places;
    EnvironmentFile environment;
    std::optional<DrircDocument> drirc;
    std::optional<std::string> vkBasalt;  // our vkBasalt file's new text, when it is to be written

    ADLX_RESULT loadEnvironment(Reporter* r) {
        const FileText f = readUserFile(places.environment);
        if (!f.ok) return fail(r, f.error);
        environment = EnvironmentFile::parse(f.text);
        m_environmentBefore = environment.text();
        return ADLX_OK;
    }

    // For a setter: the drirc must be readable and well-formed, else nothing is written.
    ADLX_RESULT loadDrirc(Reporter* r) {
        const FileText f = readUserFile(places.drirc);
        if (!f.ok) return fail(r, f.error);
        std::string error;
        drirc = DrircDocument::parse(f.text, error);
        if (!drirc)
            return fail(r, places.drirc.string() + " is not well-formed XML (" + error +
                               "); Mesa ignores it, and the OpenGL settings are not written until it is mended");
        // Compared with what the library would write back, so an untouched file is not rewritten.
        m_drircBefore = drirc->text();
        return ADLX_OK;
    }

    // For a getter: a drirc Mesa cannot read gives Mesa's defaults, which is what programs get.
    std::optional<std::string> drircOption(std::string_view name) {
        if (!drirc && loadDrirc(nullptr) != ADLX_OK) return std::nullopt;
        return drirc->option(name);
    }

    ADLX_RESULT commit(Reporter& r) {
        if (drirc) {
            const std::string text = drirc->text();
            if (text != m_drircBefore && !write(r, places.drirc, text)) return ADLX_FAIL;
        }
        if (vkBasalt && !write(r, places.vkBasalt, *vkBasalt)) return ADLX_FAIL;
        std::string text = environment.text();
        if (text != m_environmentBefore) {
            if (m_environmentBefore.empty())
                text = "# Written by Tachyon: the Mesa 3D settings of its Graphics page, read at login.\n" + text;
            if (!write(r, places.environment, text)) return ADLX_FAIL;
            r.environmentChanged();
        }
        return ADLX_OK;
    }

private:
    static ADLX_RESULT fail(Reporter* r, const std::string& why) {
        if (r != nullptr) r->problem(why);
        return ADLX_FAIL;
    }
    static bool write(Reporter& r, const std::filesystem::path& path, const std::string& text) {
        std::string error;
        if (writeUserFile(path, text, error)) return true;
        r.problem("cannot write " + path.string() + ": " + error);
        return false;
    }

    std::string m_environmentBefore;
    std::string m_drircBefore;
};

// A setter over the environment file alone.
template <class Change>
ADLX_RESULT changeEnvironment(Reporter& r, Change&& change) {
    UserSettings s;
    if (const ADLX_RESULT res = s.loadEnvironment(&r); res != ADLX_OK) return res;
    if (const ADLX_RESULT res = change(s); res != ADLX_OK) return res;
    return s.commit(r);
}

// A setter over the drirc and the environment file together.
template <class Change>
ADLX_RESULT changeBoth(Reporter& r, Change&& change) {
    UserSettings s;
    if (const ADLX_RESULT res = s.loadDrirc(&r); res != ADLX_OK) return res;
    if (const ADLX_RESULT res = s.loadEnvironment(&r); res != ADLX_OK) return res;
    if (const ADLX_RESULT res = change(s); res != ADLX_OK) return res;
    return s.commit(r);
}

int vblankOf(UserSettings& s) {
    const std::optional<int> v = number(s.drircOption(kVblankMode));
    return v && *v >= 0 && *v <= 3 ? *v : kMesaVblankDefault;
}

std::optional<int> anisotropicOf(const EnvironmentFile& env) {
    for (std::string_view key : {kRadvAniso, kGlAniso})
        if (const std::optional<int> v = number(env.get(key)); v && anisotropicLevel(*v)) return v;
    return std::nullopt;
}

std::optional<int> frameRateOf(const EnvironmentFile& env) {
    const std::optional<std::string> config = env.get(kDxvkConfig);
    if (!config) return std::nullopt;
    const std::optional<int> v = number(dxvkOption(*config, kDxvkFrameRates[0]));
    return v && *v > 0 ? v : std::nullopt;
}

void setFrameRate(EnvironmentFile& env, std::optional<int> fps) {
    std::string config = env.get(kDxvkConfig).value_or("");
    const std::string value = fps ? std::to_string(*fps) : std::string();
    for (std::string_view key : kDxvkFrameRates)
        config = withDxvkOption(config, key, fps ? std::optional<std::string_view>(value) : std::nullopt);
    if (config.empty())
        env.remove(kDxvkConfig);
    else
        env.set(kDxvkConfig, config);
}

bool vkBasaltOn(const UserSettings& s) {
    return s.environment.get(kVkBasaltOn) == "1" && s.environment.get(kVkBasaltFile) == s.places.vkBasalt.string();
}

int sharpnessOf(const UserSettings& s) {
    const FileText f = readUserFile(s.places.vkBasalt);
    return vkBasaltSharpness(f.text).value_or(kDefaultSharpness);
}

}  // namespace

ADLX_RESULT vsyncMode(int& mode) {
    UserSettings s;
    mode = vblankOf(s);
    return ADLX_OK;
}

ADLX_RESULT setVsyncMode(int mode, Reporter& r) {
    if (mode < 0 || mode > 3) return ADLX_INVALID_ARGS;
    return changeBoth(r, [&](UserSettings& s) {
        if (vblankOf(s) != mode) s.drirc->setOption(kVblankMode, std::to_string(mode));
        // Vulkan has no "unless the application specifies": those two modes leave the present mode
        // to the application, or to Enhanced Sync, which shares the variable.
        const std::optional<std::string> present = s.environment.get(kPresentMode);
        if (mode == 0)
            s.environment.set(kPresentMode, "immediate");
        else if (mode == 3)
            s.environment.set(kPresentMode, "fifo");
        else if (present == "immediate" || present == "fifo")
            s.environment.remove(kPresentMode);
        return ADLX_OK;
    });
}

ADLX_RESULT enhancedSync(bool& enabled) {
    UserSettings s;
    if (const ADLX_RESULT res = s.loadEnvironment(nullptr); res != ADLX_OK) return res;
    enabled = s.environment.get(kPresentMode) == "mailbox";
    return ADLX_OK;
}

ADLX_RESULT setEnhancedSync(bool enabled, Reporter& r) {
    return changeEnvironment(r, [&](UserSettings& s) {
        if (enabled)
            s.environment.set(kPresentMode, "mailbox");
        else if (s.environment.get(kPresentMode) == "mailbox")
            s.environment.remove(kPresentMode);
        return ADLX_OK;
    });
}

ADLX_RESULT anisotropicFiltering(bool& enabled, int& level) {
    UserSettings s;
    if (const ADLX_RESULT res = s.loadEnvironment(nullptr); res != ADLX_OK) return res;
    const std::optional<int> held = anisotropicOf(s.environment);
    enabled = held.has_value();
    level = held.value_or(kDefaultAnisotropicLevel);
    return ADLX_OK;
}

ADLX_RESULT setAnisotropicFiltering(bool enabled, Reporter& r) {
    return changeEnvironment(r, [&](UserSettings& s) {
        const std::optional<int> held = anisotropicOf(s.environment);
        if (!enabled) {
            s.environment.remove(kRadvAniso);
            s.environment.remove(kGlAniso);
            return ADLX_OK;
        }
        const std::string level = std::to_string(held.value_or(kDefaultAnisotropicLevel));
        s.environment.set(kRadvAniso, level);
        s.environment.set(kGlAniso, level);
        return ADLX_OK;
    });
}

ADLX_RESULT setAnisotropicLevel(int level, Reporter& r) {
    if (!anisotropicLevel(level)) return ADLX_INVALID_ARGS;
    return changeEnvironment(r, [&](UserSettings& s) {
        // While the applications decide, there is no variable to hold a level in.
        if (!anisotropicOf(s.environment)) return ADLX_INVALID_ARGS;
        s.environment.set(kRadvAniso, std::to_string(level));
        s.environment.set(kGlAniso, std::to_string(level));
        return ADLX_OK;
    });
}

ADLX_RESULT morphologicalAntiAliasing(bool& enabled) {
    UserSettings s;
    const std::optional<int> quality = number(s.drircOption(kMlaa));
    enabled = quality && *quality > 0;
    return ADLX_OK;
}

ADLX_RESULT setMorphologicalAntiAliasing(bool enabled, Reporter& r) {
    return changeBoth(r, [&](UserSettings& s) {
        const std::optional<int> quality = number(s.drirc->option(kMlaa));
        if (!enabled)
            s.drirc->removeOption(kMlaa);
        else if (!(quality && *quality > 0 && *quality <= 32))  // the user's own quality stays
            s.drirc->setOption(kMlaa, std::to_string(kDefaultMlaaQuality));
        return ADLX_OK;
    });
}

ADLX_RESULT frameRateTarget(bool& enabled, int& fps) {
    UserSettings s;
    if (const ADLX_RESULT res = s.loadEnvironment(nullptr); res != ADLX_OK) return res;
    const std::optional<int> held = frameRateOf(s.environment);
    enabled = held.has_value();
    fps = held.value_or(kDefaultFrameRate);
    return ADLX_OK;
}

ADLX_RESULT setFrameRateTargetEnabled(bool enabled, Reporter& r) {
    return changeEnvironment(r, [&](UserSettings& s) {
        const std::optional<int> held = frameRateOf(s.environment);
        setFrameRate(s.environment, enabled ? std::optional<int>(held.value_or(kDefaultFrameRate)) : std::nullopt);
        return ADLX_OK;
    });
}

ADLX_RESULT setFrameRateTarget(int fps, Reporter& r) {
    if (!inRange(kFrameRateRange, fps)) return ADLX_INVALID_ARGS;
    return changeEnvironment(r, [&](UserSettings& s) {
        if (!frameRateOf(s.environment)) return ADLX_INVALID_ARGS;
        setFrameRate(s.environment, fps);
        return ADLX_OK;
    });
}

bool sharpeningOffered() { return layerInstalled(findPlaces(), kVkBasaltLayer); }

ADLX_RESULT sharpening(bool& enabled, int& sharpness) {
    UserSettings s;
    if (!layerInstalled(s.places, kVkBasaltLayer)) return ADLX_NOT_SUPPORTED;
    if (const ADLX_RESULT res = s.loadEnvironment(nullptr); res != ADLX_OK) return res;
    enabled = vkBasaltOn(s);
    sharpness = sharpnessOf(s);
    return ADLX_OK;
}

ADLX_RESULT setSharpeningEnabled(bool enabled, Reporter& r) {
    return changeEnvironment(r, [&](UserSettings& s) {
        if (!layerInstalled(s.places, kVkBasaltLayer)) return ADLX_NOT_SUPPORTED;
        if (!enabled) {
            s.environment.remove(kVkBasaltOn);
            s.environment.remove(kVkBasaltFile);
            return ADLX_OK;
        }
        const FileText f = readUserFile(s.places.vkBasalt);
        if (!f.exists || !vkBasaltSharpness(f.text)) s.vkBasalt = vkBasaltText(kDefaultSharpness);
        s.environment.set(kVkBasaltOn, "1");
        s.environment.set(kVkBasaltFile, s.places.vkBasalt.string());
        return ADLX_OK;
    });
}

ADLX_RESULT setSharpness(int sharpness, Reporter& r) {
    UserSettings s;
    if (!layerInstalled(s.places, kVkBasaltLayer)) return ADLX_NOT_SUPPORTED;
    if (!inRange(kSharpnessRange, sharpness)) return ADLX_INVALID_ARGS;
    if (sharpnessOf(s) == sharpness && readUserFile(s.places.vkBasalt).exists) return ADLX_OK;
    // The strength lives in our own file, so it is held whether or not the layer is on.
    std::string error;
    if (writeUserFile(s.places.vkBasalt, vkBasaltText(sharpness), error)) return ADLX_OK;
    r.problem("cannot write " + s.places.vkBasalt.string() + ": " + error);
    return ADLX_FAIL;
}

bool antiLagOffered() { return layerInstalled(findPlaces(), kAntiLagLayer); }

ADLX_RESULT antiLag(bool& enabled) {
    UserSettings s;
    if (!layerInstalled(s.places, kAntiLagLayer)) return ADLX_NOT_SUPPORTED;
    if (const ADLX_RESULT res = s.loadEnvironment(nullptr); res != ADLX_OK) return res;
    enabled = s.environment.get(kAntiLagOn) == "1" && !s.environment.get(kAntiLagOff);
    return ADLX_OK;
}

ADLX_RESULT setAntiLag(bool enabled, Reporter& r) {
    return changeEnvironment(r, [&](UserSettings& s) {
        if (!layerInstalled(s.places, kAntiLagLayer)) return ADLX_NOT_SUPPORTED;
        const bool on = s.environment.get(kAntiLagOn) == "1" && !s.environment.get(kAntiLagOff);
        if (on == enabled) return ADLX_OK;
        if (enabled) {
            s.environment.remove(kAntiLagOff);
            s.environment.set(kAntiLagOn, "1");
        } else {
            s.environment.remove(kAntiLagOn);
            s.environment.set(kAntiLagOff, "1");
        }
        return ADLX_OK;
    });
}

ADLX_RESULT resetShaderCache(Reporter& r) {
    const Places places = findPlaces();
    const CacheReset done = mesa::resetShaderCache(places.shaderCache);
    if (done.files > 0 || done.ok) r.cacheEmptied(done.files, done.bytes);
    if (!done.ok) {
        r.problem("the shader cache in " + places.shaderCache.string() + " was not emptied completely: " + done.error);
        return ADLX_FAIL;
    }
    return ADLX_OK;
}

}  // namespace mesa
