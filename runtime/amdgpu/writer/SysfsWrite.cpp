// SPDX-License-Identifier: GPL-3.0-or-later
#include "SysfsWrite.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace tachyon_writer {

namespace {

class Fd {
public:
    explicit Fd(int fd = -1) : m_fd(fd) {}
    ~Fd() {
        if (m_fd >= 0) ::close(m_fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    Fd(Fd&& other) noexcept : m_fd(other.m_fd) { other.m_fd = -1; }
    Fd& operator=(Fd&& other) noexcept {
        if (this != &other) {
            if (m_fd >= 0) ::close(m_fd);
            m_fd = other.m_fd;
            other.m_fd = -1;
        }
        return *this;
    }
    int get() const { return m_fd; }

private:
    int m_fd;
};

std::vector<std::string> components(std::string_view path) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t slash = path.find('/', start);
        const std::string_view part =
            path.substr(start, slash == std::string_view::npos ? slash : slash - start);
        if (!part.empty()) parts.emplace_back(part);
        if (slash == std::string_view::npos) break;
        start = slash + 1;
    }
    return parts;
}

// Opens a folder below `from` one component at a time, refusing links, "." and "..".
Fd openFolderBelow(int from, const std::vector<std::string>& parts, std::size_t count) {
    Fd current(::fcntl(from, F_DUPFD_CLOEXEC, 0));
    for (std::size_t i = 0; i < count && current.get() >= 0; ++i) {
        if (parts[i] == "." || parts[i] == "..") return Fd();
        current =
            Fd(::openat(current.get(), parts[i].c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    }
    return current;
}

std::string realPath(const std::string& path) {
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) == nullptr) return {};
    return resolved;
}

bool isAmdgpu(int device) {
    Fd uevent(::openat(device, "uevent", O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (uevent.get() < 0) return false;
    char buffer[4096];
    const ssize_t n = ::read(uevent.get(), buffer, sizeof buffer);
    if (n <= 0) return false;
    const std::string_view text(buffer, static_cast<std::size_t>(n));
    constexpr std::string_view kLine = "DRIVER=amdgpu";
    for (std::size_t at = text.find(kLine); at != std::string_view::npos; at = text.find(kLine, at + 1)) {
        const bool lineStart = at == 0 || text[at - 1] == '\n';
        const std::size_t end = at + kLine.size();
        const bool lineEnd = end == text.size() || text[end] == '\n';
        if (lineStart && lineEnd) return true;
    }
    return false;
}

WriteOutcome refused(WriteStage stage, int error, std::string reason) {
    return {stage, error, std::move(reason)};
}

}  // namespace

WriteOutcome writeAttribute(const std::string& root, std::string_view card, std::string_view attribute,
                            std::string_view value) {
    const std::string cardName = "card" + std::string(card);

    // cardN and its device link are the kernel's own links into <root>/devices: resolve them once
    // and accept only a folder that stays under <root>/devices. From there on nothing is followed.
    const std::string rootReal = realPath(root);
    if (rootReal.empty())
        return refused(WriteStage::DeviceRefused, ENOENT, "the sysfs root " + root + " is missing");
    const std::string deviceReal = realPath(root + "/class/drm/" + cardName + "/device");
    if (deviceReal.empty())
        return refused(WriteStage::DeviceRefused, ENOENT, cardName + " has no device folder");
    const std::string devices = (rootReal == "/" ? std::string() : rootReal) + "/devices/";
    if (deviceReal.compare(0, devices.size(), devices) != 0) {
        return refused(WriteStage::DeviceRefused, EPERM,
                       cardName + "'s device folder lies outside " + devices);
    }

    // The resolved path is walked again without following links, so a folder swapped for a link
    // after the resolution is refused rather than followed.
    Fd rootFd(::open(rootReal.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (rootFd.get() < 0) return refused(WriteStage::DeviceRefused, errno, "cannot open " + rootReal);
    const std::vector<std::string> deviceParts =
        components(std::string_view(deviceReal).substr(rootReal == "/" ? 1 : rootReal.size()));
    Fd device = openFolderBelow(rootFd.get(), deviceParts, deviceParts.size());
    if (device.get() < 0)
        return refused(WriteStage::DeviceRefused, EPERM,
                       cardName + "'s device folder changed under the writer");
    if (!isAmdgpu(device.get()))
        return refused(WriteStage::DeviceRefused, EPERM, cardName + " is not driven by amdgpu");

    const std::vector<std::string> parts = components(attribute);
    if (parts.empty()) return refused(WriteStage::FileRefused, EINVAL, "no attribute named");
    Fd folder = openFolderBelow(device.get(), parts, parts.size() - 1);
    if (folder.get() < 0) {
        return refused(WriteStage::FileRefused, EPERM,
                       std::string(attribute) + ": a folder on the way is missing or a link");
    }
    // Non-blocking, so a FIFO planted in a test tree is refused instead of hanging the writer.
    Fd file(::openat(folder.get(), parts.back().c_str(),
                     O_WRONLY | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (file.get() < 0) {
        const int error = errno;
        if (error == ELOOP)
            return refused(WriteStage::FileRefused, EPERM, std::string(attribute) + " is a link");
        if (error == ENOENT)
            return refused(WriteStage::FileRefused, ENOENT, std::string(attribute) + " does not exist");
        if (error == ENXIO || error == EISDIR)
            return refused(WriteStage::FileRefused, EPERM, std::string(attribute) + " is not a plain file");
        return refused(WriteStage::KernelRefused, error,
                       std::string(attribute) + ": " + std::strerror(error));
    }
    struct stat status {};
    if (::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode)) {
        return refused(WriteStage::FileRefused, EPERM, std::string(attribute) + " is not a plain file");
    }

    std::string command(value);
    command += '\n';
    const ssize_t written = ::write(file.get(), command.data(), command.size());
    if (written < 0) {
        const int error = errno;
        return refused(WriteStage::KernelRefused, error,
                       std::string(attribute) + ": " + std::strerror(error));
    }
    if (static_cast<std::size_t>(written) != command.size()) {
        return refused(WriteStage::KernelRefused, EIO,
                       std::string(attribute) + ": the kernel took only part of the command");
    }
    return {};
}

}  // namespace tachyon_writer
