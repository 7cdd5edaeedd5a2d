// SPDX-License-Identifier: GPL-3.0-or-later
#include "UserFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace mesa {

namespace {

std::optional<std::string> variable(const char* name) {
    const char* v = std::getenv(name);
    if (v == nullptr || *v == '\0') return std::nullopt;
    return std::string(v);
}

// An XDG folder variable counts only when it is an absolute path, as the base directory rules say.
std::optional<fs::path> absoluteVariable(const char* name) {
    auto v = variable(name);
    if (!v || v->front() != '/') return std::nullopt;
    return fs::path(*v);
}

fs::path passwdHome() {
    if (const passwd* pw = getpwuid(getuid()); pw != nullptr && pw->pw_dir != nullptr) return pw->pw_dir;
    return {};
}

std::vector<fs::path> folderList(const char* name, const char* fallback) {
    std::string list = variable(name).value_or(fallback);
    std::vector<fs::path> out;
    std::stringstream in(list);
    for (std::string item; std::getline(in, item, ':');)
        if (!item.empty() && item.front() == '/') out.emplace_back(item);
    return out;
}

std::string errnoText(const std::string& what) { return what + ": " + std::strerror(errno); }

}  // namespace

Places findPlaces() {
    Places p;
    // driconf reads $HOME/.drirc; the passwd entry only stands in where HOME is unset.
    const fs::path home = variable("HOME").value_or(passwdHome().string());
    const fs::path config = absoluteVariable("XDG_CONFIG_HOME").value_or(home / ".config");
    const fs::path data = absoluteVariable("XDG_DATA_HOME").value_or(home / ".local/share");
    p.drirc = home / ".drirc";
    p.environment = config / "environment.d" / "60-tachyon.conf";
    p.vkBasalt = config / "tachyon" / "vkBasalt.conf";
    // Mesa's own order of precedence for its cache folder.
    if (auto dir = absoluteVariable("MESA_SHADER_CACHE_DIR"))
        p.shaderCache = *dir;
    else if (auto old = absoluteVariable("MESA_GLSL_CACHE_DIR"))
        p.shaderCache = *old;
    else if (auto cache = absoluteVariable("XDG_CACHE_HOME"))
        p.shaderCache = *cache;
    else
        p.shaderCache = passwdHome() / ".cache";

    // The Vulkan loader's search order on Linux.
    std::vector<fs::path> bases{config};
    for (const fs::path& d : folderList("XDG_CONFIG_DIRS", "/etc/xdg")) bases.push_back(d);
    bases.emplace_back("/etc");
    bases.push_back(data);
    for (const fs::path& d : folderList("XDG_DATA_DIRS", "/usr/local/share:/usr/share")) bases.push_back(d);
    for (const fs::path& b : bases) {
        p.layerFolders.push_back(b / "vulkan" / "implicit_layer.d");
        p.layerFolders.push_back(b / "vulkan" / "explicit_layer.d");
    }
    return p;
}

FileText readUserFile(const fs::path& path) {
    FileText f;
    std::error_code ec;
    const fs::file_status st = fs::status(path, ec);
    if (ec || st.type() == fs::file_type::not_found) {
        if (ec && ec != std::errc::no_such_file_or_directory) {
            f.ok = false;
            f.error = path.string() + ": " + ec.message();
        }
        return f;
    }
    f.exists = true;
    std::ifstream in(path, std::ios::binary);
    if (st.type() != fs::file_type::regular || !in) {
        f.ok = false;
        f.error = path.string() + ": not a readable file";
        return f;
    }
    std::ostringstream s;
    s << in.rdbuf();
    if (in.bad()) {
        f.ok = false;
        f.error = path.string() + ": read failed";
        return f;
    }
    f.text = s.str();
    return f;
}

bool writeUserFile(const fs::path& requested, std::string_view text, std::string& error) {
    std::error_code ec;
    fs::path path = requested;
    if (fs::is_symlink(path, ec)) {
        path = fs::canonical(path, ec);
        if (ec) {
            error = requested.string() + ": a link to nowhere";
            return false;
        }
    }
    fs::create_directories(path.parent_path(), ec);
    if (ec) {
        error = path.parent_path().string() + ": " + ec.message();
        return false;
    }
    mode_t mode = 0644;
    struct stat old{};
    const bool replacing = ::stat(path.c_str(), &old) == 0;
    if (replacing) mode = old.st_mode & 07777;

    std::string temp = (path.parent_path() / ("." + path.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        error = errnoText(path.parent_path().string());
        return false;
    }
    bool ok = true;
    for (std::size_t done = 0; ok && done < text.size();) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) ok = false;
        else done += static_cast<std::size_t>(n);
    }
    if (!ok) error = errnoText(temp);
    if (ok && ::fchmod(fd, mode) != 0) ok = false, error = errnoText(temp);
    // Run as root (sudo keeping HOME), the user's file must stay the user's.
    if (ok && replacing && ::geteuid() == 0 && ::fchown(fd, old.st_uid, old.st_gid) != 0) ok = false, error = errnoText(temp);
    if (ok && ::fsync(fd) != 0) ok = false, error = errnoText(temp);
    if (::close(fd) != 0 && ok) ok = false, error = errnoText(temp);
    if (ok && ::rename(temp.c_str(), path.c_str()) != 0) ok = false, error = errnoText(path.string());
    if (!ok) {
        ::unlink(temp.c_str());
        return false;
    }
    // The rename itself must reach the disk too.
    if (const int dir = ::open(path.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

bool layerInstalled(const Places& places, std::string_view prefix) {
    for (const fs::path& folder : places.layerFolders) {
        std::error_code ec;
        for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
            const std::string name = it->path().filename().string();
            if (name.size() >= prefix.size() + 5 && name.starts_with(prefix) && name.ends_with(".json") &&
                it->is_regular_file(ec))
                return true;
        }
    }
    return false;
}

namespace {

bool isMesaCache(std::string_view name) {
    return name == "mesa_shader_cache" || name == "mesa_shader_cache_db" || name == "mesa_shader_cache_sf" ||
           name.starts_with("radv_builtin_shaders");
}

// Removes one entry of an open folder, descending through folders by descriptor so that a link
// swapped in on the way is never followed.
void removeEntry(int dirfd, const char* name, CacheReset& r) {
    struct stat st{};
    if (::fstatat(dirfd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno != ENOENT) r.ok = false, r.error = errnoText(name);
        return;
    }
    if (S_ISDIR(st.st_mode)) {
        const int fd = ::openat(dirfd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) {
            r.ok = false, r.error = errnoText(name);
            return;
        }
        DIR* dir = ::fdopendir(fd);
        if (dir == nullptr) {
            ::close(fd);
            r.ok = false, r.error = errnoText(name);
            return;
        }
        std::vector<std::string> children;
        while (const dirent* e = ::readdir(dir))
            if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0) children.emplace_back(e->d_name);
        for (const std::string& c : children) removeEntry(::dirfd(dir), c.c_str(), r);
        ::closedir(dir);
        if (::unlinkat(dirfd, name, AT_REMOVEDIR) != 0) r.ok = false, r.error = errnoText(name);
        return;
    }
    if (::unlinkat(dirfd, name, 0) != 0) {
        r.ok = false, r.error = errnoText(name);
        return;
    }
    ++r.files;
    if (S_ISREG(st.st_mode)) r.bytes += static_cast<std::uint64_t>(st.st_size);
}

}  // namespace

CacheReset resetShaderCache(const fs::path& base) {
    CacheReset r;
    const int fd = ::open(base.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        if (errno != ENOENT) r.ok = false, r.error = errnoText(base.string());
        return r;
    }
    DIR* dir = ::fdopendir(fd);
    if (dir == nullptr) {
        ::close(fd);
        r.ok = false, r.error = errnoText(base.string());
        return r;
    }
    std::vector<std::string> caches;
    while (const dirent* e = ::readdir(dir))
        if (isMesaCache(e->d_name)) caches.emplace_back(e->d_name);
    for (const std::string& c : caches) removeEntry(::dirfd(dir), c.c_str(), r);
    ::closedir(dir);
    return r;
}

}  // namespace mesa
