// SPDX-License-Identifier: GPL-3.0-or-later
// The real side of the attribute seam: plain POSIX calls under one root. A sysfs attribute reports
// a size of 4096 whatever it holds and may come back in pieces, so a file is read until read()
// says there is no more; a command is handed to the kernel in exactly one write(), because the
// kernel parses each write() on its own.

#include <dirent.h>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include "Attributes.h"

namespace amdgpu {

namespace {

// The kernel's pages are small; a runaway file is cut off instead of filling memory.
constexpr std::size_t kMaxFileBytes = 1 << 20;

// DRM_IOCTL_AMDGPU_INFO of the kernel's uapi (amdgpu_drm.h) asking AMDGPU_INFO_TIMESTAMP: it reads
// the GPU's clock counter and changes nothing. amdgpu runs each ioctl of its render node between a
// runtime-PM get and an autosuspend put (amdgpu_drm_ioctl), so the query wakes a sleeping card for
// its autosuspend delay; kernels that let some ioctls pass without waking the card (a
// no_wake_ioctl_list, DRM_IOCTL_VERSION and AMDGPU_INFO among them) still wake it for this query,
// which needs the card (amdgpu_info_ioctl).
struct AmdgpuInfoRequest {
    std::uint64_t returnPointer;
    std::uint32_t returnSize;
    std::uint32_t query;
    std::uint32_t arguments[4];  // the query's union; the timestamp takes none
};
static_assert(sizeof(AmdgpuInfoRequest) == 32);
constexpr unsigned kDrmCommandBase = 0x40;
constexpr unsigned kDrmAmdgpuInfo = 0x05;
constexpr std::uint32_t kAmdgpuInfoTimestamp = 0x05;
constexpr unsigned long kDrmIoctlAmdgpuInfo = _IOW('d', kDrmCommandBase + kDrmAmdgpuInfo, AmdgpuInfoRequest);

class PosixAttributes final : public Attributes {
public:
    explicit PosixAttributes(std::string root) : m_root(std::move(root)) {
        while (m_root.size() > 1 && m_root.back() == '/') m_root.pop_back();
    }

    ReadResult read(const std::string& path) override {
        ReadResult result;
        const int fd = ::open(full(path).c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            result.error = errno;
            return result;
        }
        char buffer[4096];
        while (result.text.size() < kMaxFileBytes) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n < 0) {
                if (errno == EINTR) continue;
                result.error = errno;
                break;
            }
            if (n == 0) break;
            result.text.append(buffer, static_cast<std::size_t>(n));
        }
        ::close(fd);
        return result;
    }

    int write(const std::string& path, std::string_view command) override {
        const int fd = ::open(full(path).c_str(), O_WRONLY | O_CLOEXEC);
        if (fd < 0) return errno;
        int error = 0;
        ssize_t n;
        do {
            n = ::write(fd, command.data(), command.size());
        } while (n < 0 && errno == EINTR);
        if (n < 0) error = errno;
        // The kernel takes a command whole or refuses it; a short write would split it in two.
        else if (static_cast<std::size_t>(n) != command.size())
            error = EIO;
        if (::close(fd) != 0 && error == 0 && errno != EINTR) error = errno;
        return error;
    }

    int list(const std::string& dir, std::vector<std::string>& names) override {
        names.clear();
        DIR* d = ::opendir(full(dir).c_str());
        if (d == nullptr) return errno;
        errno = 0;
        while (const dirent* entry = ::readdir(d)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..") names.push_back(name);
        }
        const int error = errno;
        ::closedir(d);
        std::sort(names.begin(), names.end());
        return error;
    }

    // The render node of the card (device/drm/renderD<N>) is /dev/dri/renderD<N>. Only the real
    // tree has real device nodes: under a stand-in root there is nothing to wake.
    int wake(const std::string& device) override {
        if (m_root != "/sys") return ENODEV;
        std::vector<std::string> names;
        if (const int error = list(device + "/drm", names); error != 0) return error;
        const auto render = std::find_if(names.begin(), names.end(),
                                         [](const std::string& n) { return n.rfind("renderD", 0) == 0; });
        if (render == names.end()) return ENODEV;
        const int fd = ::open(("/dev/dri/" + *render).c_str(), O_RDWR | O_CLOEXEC);
        if (fd < 0) return errno;
        std::uint64_t timestamp = 0;
        AmdgpuInfoRequest request{};
        request.returnPointer = reinterpret_cast<std::uintptr_t>(&timestamp);
        request.returnSize = sizeof timestamp;
        request.query = kAmdgpuInfoTimestamp;
        int error = 0;
        while (::ioctl(fd, kDrmIoctlAmdgpuInfo, &request) != 0) {
            if (errno != EINTR) {
                error = errno;
                break;
            }
        }
        ::close(fd);
        return error;
    }

private:
    std::string full(const std::string& path) const {
        if (path.empty()) return m_root;
        const bool slash = (!m_root.empty() && m_root.back() == '/') || path.front() == '/';
        return m_root + (slash ? "" : "/") + path;
    }

    std::string m_root;
};

}  // namespace

std::unique_ptr<Attributes> makePosixAttributes(std::string root) {
    return std::make_unique<PosixAttributes>(std::move(root));
}

}  // namespace amdgpu
