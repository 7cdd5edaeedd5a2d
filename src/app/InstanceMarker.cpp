// SPDX-License-Identifier: GPL-3.0-or-later
#include "InstanceMarker.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace {

// The user's own runtime folder where the session has one; the shared /tmp otherwise, where
// anyone may have put something at the marker's name first.
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
    // Never through a link, and never blocking on whatever special file may sit at the name.
    const int fd = open(m_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
    if (fd < 0) return;
    // Only a plain file of this user is the marker; anything else at the name is someone else's.
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != geteuid()) {
        ::close(fd);
        return;
    }
    // Nothing ever waits on the marker: a file that another process holds alone stays its own.
    if (flock(fd, LOCK_SH | LOCK_NB) != 0) {
        ::close(fd);
        return;
    }
    m_fd = fd;
    m_device = st.st_dev;
    m_inode = st.st_ino;
}

void InstanceMarker::Close() {
    if (m_fd < 0) return;
    // Whoever can take the lock alone is the last holder and removes the file, unless the name
    // meanwhile stands for another one.
    if (flock(m_fd, LOCK_EX | LOCK_NB) == 0) {
        struct stat st {};
        if (lstat(m_path.c_str(), &st) == 0 && st.st_dev == m_device && st.st_ino == m_inode)
            unlink(m_path.c_str());
    }
    ::close(m_fd);
    m_fd = -1;
}
