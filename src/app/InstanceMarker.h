// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The marker a running instance holds under the name "Tachyon Instance". Nothing waits on it or
// refuses a second instance; it only shows that one runs. Held as a shared lock on a file in the
// user's runtime folder, so any number of instances hold it at once, and the last one to close
// removes the file, leaving nothing behind. Taking it never waits: when it cannot be taken at once,
// or the name holds anything but this user's own plain file, it stays unheld and the start goes on.

#include <sys/types.h>

#include <string>

class InstanceMarker {
public:
    InstanceMarker() = default;
    ~InstanceMarker();
    InstanceMarker(const InstanceMarker&) = delete;
    InstanceMarker& operator=(const InstanceMarker&) = delete;

    // Takes the marker; a failure leaves it unheld and changes nothing else.
    void Create(const std::string& name);
    void Close();
    bool IsHeld() const { return m_fd >= 0; }
    const std::string& Path() const { return m_path; }

private:
    int m_fd = -1;
    std::string m_path;
    // The file taken, so that only that file is ever removed under the name.
    dev_t m_device = 0;
    ino_t m_inode = 0;
};
