// SPDX-License-Identifier: GPL-3.0-or-later
#include "KeptProfiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "profile/ProfileFormat.h"

extern char** environ;

namespace {

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The folder itself, opened without following a link at its last step, and only when no one but
// its owner, this process's user, may change it.
int OpenFolder(const std::string& folder, std::string& error) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        error = folder + ": " + std::strerror(errno);
        return -1;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || status.st_uid != ::geteuid() || (status.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        error = folder + " may be changed by others than its owner; nothing was changed";
        ::close(fd);
        return -1;
    }
    return fd;
}

void RunSystemctl(const KeeperPlaces& places, const char* verb) {
    if (places.systemctl.empty()) return;
    std::string program = places.systemctl;
    std::string service = kApplyService;
    std::string quiet = "--quiet";
    char* argv[] = {program.data(), quiet.data(), const_cast<char*>(verb), service.data(), nullptr};
    pid_t pid = -1;
    if (::posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0) return;
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
}

// The guard's record and hold: a profile kept anew is applied again from the next boot on.
void Rearm(const KeeperPlaces& places) {
    for (const char* name : {"/held", "/applying"}) ::unlink((places.state + name).c_str());
}

bool WriteAll(int fd, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, static_cast<std::size_t>(bytes.size() - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += n;
    }
    return true;
}

}  // namespace

bool IsKeptProfileName(const std::string& name) {
    if (name.empty() || name.size() > kMaxKeptNameLength || name.front() == '-') return false;
    return std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
    });
}

std::string KeepProfile(const KeeperPlaces& places, const std::string& name, const QByteArray& bytes) {
    if (!IsKeptProfileName(name)) {
        return "the name must be 1 to 64 letters, digits, '-' or '_' (not starting with '-'); nothing was kept";
    }
    if (bytes.size() > kMaxProfileBytes) return "the profile is larger than 1024kB; nothing was kept";
    const QString text = ProfileTextFromBytes(bytes);
    if (!HasProfileDeclaration(text) || ReadProfileValues(text).featuresFound == 0)
        return "this is not a Tachyon profile; nothing was kept";

    std::string error;
    const int folder = OpenFolder(places.profiles, error);
    if (folder < 0) return error;
    const std::string file = name + ".xml";
    const std::string temporary = "." + name + ".xml.new";
    struct stat existing {};
    if (::fstatat(folder, file.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISREG(existing.st_mode)) {
        ::close(folder);
        return places.profiles + "/" + file + " is a link or not a plain file; nothing was kept";
    }
    ::unlinkat(folder, temporary.c_str(), 0);
    const int fd = ::openat(folder, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    bool written = fd >= 0;
    if (written) {
        // root:root where the keeper runs as root; the tests' stand-in keeps its own user.
        if (::geteuid() == 0 && ::fchown(fd, 0, 0) != 0) written = false;
        written = written && ::fchmod(fd, 0644) == 0 && WriteAll(fd, bytes) && ::fsync(fd) == 0;
        written = ::close(fd) == 0 && written;
    }
    if (!written || ::renameat(folder, temporary.c_str(), folder, file.c_str()) != 0) {
        error = places.profiles + "/" + file + ": " + std::strerror(errno) + "; nothing was kept";
        ::unlinkat(folder, temporary.c_str(), 0);
        ::close(folder);
        return error;
    }
    ::fsync(folder);
    ::close(folder);
    Rearm(places);
    RunSystemctl(places, "enable");
    return {};
}

std::string ForgetProfile(const KeeperPlaces& places, const std::string& name) {
    if (!IsKeptProfileName(name)) return "no kept profile is called that; nothing was removed";
    std::string error;
    const int folder = OpenFolder(places.profiles, error);
    if (folder < 0) return error;
    const std::string file = name + ".xml";
    struct stat existing {};
    if (::fstatat(folder, file.c_str(), &existing, AT_SYMLINK_NOFOLLOW) != 0) {
        ::close(folder);
        return "no profile " + name + " is kept; nothing was removed";
    }
    if (!S_ISREG(existing.st_mode)) {
        ::close(folder);
        return places.profiles + "/" + file + " is a link or not a plain file; nothing was removed";
    }
    if (::unlinkat(folder, file.c_str(), 0) != 0) {
        error = places.profiles + "/" + file + ": " + std::strerror(errno) + "; nothing was removed";
        ::close(folder);
        return error;
    }
    ::fsync(folder);
    ::close(folder);
    if (KeptProfileNames(places.profiles).empty()) RunSystemctl(places, "disable");
    return {};
}

std::vector<std::string> KeptProfileNames(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return names;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string file = entry->d_name;
        if (file.front() == '.' || !EndsWith(file, ".xml")) continue;
        struct stat status {};
        if (::fstatat(::dirfd(dir), file.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(status.st_mode))
            continue;
        names.push_back(file.substr(0, file.size() - 4));
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}
