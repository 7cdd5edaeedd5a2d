#include "InstanceMarker.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>

namespace {

std::string RuntimeFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && *runtime != '\0') return runtime;
    return "/tmp";
}

}  // namespace

InstanceMarker::~InstanceMarker() { Close(); }

void InstanceMarker::Create(const std::string& name) {
    Close();
    m_path = RuntimeFolder() + "/" + name + "-" + std::to_string(getuid()) + ".lock";
    const int fd = open(m_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return;
    if (flock(fd, LOCK_SH) != 0) {
        ::close(fd);
        return;
    }
    m_fd = fd;
}

void InstanceMarker::Close() {
    if (m_fd < 0) return;
    // Whoever can take the lock alone is the last holder and removes the file.
    if (flock(m_fd, LOCK_EX | LOCK_NB) == 0) unlink(m_path.c_str());
    ::close(m_fd);
    m_fd = -1;
}
