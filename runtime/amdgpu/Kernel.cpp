// SPDX-License-Identifier: GPL-3.0-or-later
#include "Kernel.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "PrivilegedAttributes.h"
#include "Session.h"
#include "formats/Commands.h"

namespace amdgpu {

Kernel::Kernel() : m_files(session().attributes()) {}

namespace {

// "class/drm/card0/device" of "class/drm/card0/device/hwmon/hwmon2/power1_cap"; empty for a path
// outside a card's device folder.
std::string deviceFolderOf(const std::string& path) {
    const std::size_t at = path.find("/device");
    if (path.rfind("class/drm/card", 0) != 0 || at == std::string::npos) return {};
    const std::size_t end = at + 7;
    if (end != path.size() && path[end] != '/') return {};
    return path.substr(0, end);
}

}  // namespace

const ReadResult& Kernel::read(const std::string& path) {
    const auto it = m_reads.find(path);
    if (it != m_reads.end()) return it->second;
    ReadResult result = m_files.read(path);
    // amdgpu_pm_get_access_if_active: a card in runtime suspend answers EPERM (6.13 to 6.17) or
    // EBUSY (6.18 and later, where the suspend check comes first and a reset answers the same):
    // either is worth one wake; a card in reset still answers EBUSY after it.
    if (result.error == EPERM || result.error == EBUSY) {
        const std::string device = deviceFolderOf(path);
        if (!device.empty() && m_woken.insert(device).second && m_files.wake(device) == 0)
            result = m_files.read(path);
    }
    if (result.error == EPERM || result.error == EBUSY) m_unavailable = true;
    return m_reads.emplace(path, std::move(result)).first->second;
}

const std::string* Kernel::text(const std::string& path) {
    if (path.empty()) return nullptr;
    const ReadResult& r = read(path);
    return r.error == 0 ? &r.text : nullptr;
}

int Kernel::write(const std::string& path, std::string_view command) {
    // What this call read of the file no longer holds once the kernel took a command.
    m_reads.erase(path);
    const int error = m_files.write(path, command);
    // Where the privileged writer was asked, it has said why the write failed.
    const auto* privileged = dynamic_cast<const PrivilegedAttributes*>(&m_files);
    const bool lacksRights = error == EACCES || (error == EPERM && ::geteuid() != 0);
    if (lacksRights && (privileged == nullptr || !privileged->explainsRefusals()))
        notePermissionRefused(path, error);
    return error;
}

std::vector<std::string> Kernel::list(const std::string& dir) {
    std::vector<std::string> names;
    if (m_files.list(dir, names) != 0) names.clear();
    return names;
}

ADLX_RESULT resultOf(int error) {
    switch (error) {
        case 0:
            return ADLX_OK;
        case EINVAL:
        case ERANGE:
            return ADLX_INVALID_ARGS;
        case kEnotsupp:
        case EOPNOTSUPP:
            return ADLX_NOT_SUPPORTED;
        default:
            return ADLX_FAIL;
    }
}

ADLX_RESULT stage(Kernel& kernel, const std::string& file, const std::vector<std::string>& commands,
                  const std::vector<std::string>& undo, bool commit) {
    int error = 0;
    for (const auto& command : commands) {
        error = kernel.write(file, command);
        if (error != 0) break;
    }
    if (error == 0 && commit) error = kernel.write(file, commitCommand());
    if (error == 0) return ADLX_OK;
    // Never `r`: on RDNA2 and later it resets and commits every overdrive value at once.
    for (const auto& command : undo) kernel.write(file, command);
    return resultOf(error);
}

void notePermissionRefused(const std::string& path, int error) {
    Session& s = session();
    if (s.permissionHintShown) return;
    s.permissionHintShown = true;
    std::fprintf(stderr,
                 "tachyon-amdgpu: the kernel refused to write %s (%s): changing settings needs root, "
                 "reading them does not; the card keeps its values.\n",
                 path.c_str(), std::strerror(error));
}

}  // namespace amdgpu
