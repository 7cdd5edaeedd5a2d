// SPDX-License-Identifier: GPL-3.0-or-later
// Preloaded (LD_PRELOAD) into a Qt program that the start-up benchmark starts, the program itself
// unchanged: it waits for the first top-level window to finish its first paint, notes the moment
// and the process's peak resident memory, and closes that window as a user would. The same
// library goes into the program under measure and into the bare dialog it is compared with, so
// whatever it costs is paid on both sides.
//
// Lines appended to the file named by TACHYON_BENCH_REPORT:
//   shown <CLOCK_MONOTONIC ns> <VmHWM KiB> <window object name>
//   exit <VmHWM KiB>

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

long long MonotonicNanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

// The peak resident set of this process image since its exec (unlike the rusage of a forked
// child, it does not start from the parent's peak).
long HighWaterKiB() {
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (status == nullptr) return -1;
    long kib = -1;
    char line[256];
    while (std::fgets(line, sizeof line, status) != nullptr) {
        if (std::strncmp(line, "VmHWM:", 6) == 0) {
            kib = std::strtol(line + 6, nullptr, 10);
            break;
        }
    }
    std::fclose(status);
    return kib;
}

void Report(const char* format, auto... values) {
    const char* path = std::getenv("TACHYON_BENCH_REPORT");
    if (path == nullptr || *path == '\0') return;
    std::FILE* out = std::fopen(path, "a");
    if (out == nullptr) return;
    std::fprintf(out, format, values...);
    std::fclose(out);
}

class FirstFrameWatch : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (m_seen || event->type() != QEvent::Paint || !watched->isWidgetType()) return false;
        auto* widget = static_cast<QWidget*>(watched);
        if (!widget->isWindow()) return false;
        m_seen = true;
        // The filter runs before the paint; a zero timer fires once the whole frame (the window
        // and its children, painted in one pass) has been drawn and handed to the platform.
        QTimer::singleShot(0, this, [window = QPointer<QWidget>(widget)] {
            const long long shown = MonotonicNanoseconds();
            const QByteArray name = window ? window->objectName().toUtf8() : QByteArray("gone");
            Report("shown %lld %ld %s\n", shown, HighWaterKiB(), name.isEmpty() ? "-" : name.constData());
            if (window) window->close();
        });
        return false;
    }

private:
    bool m_seen = false;
};

void InstallWatch() { QCoreApplication::instance()->installEventFilter(new FirstFrameWatch); }

[[gnu::destructor]] void ReportExit() { Report("exit %ld\n", HighWaterKiB()); }

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(InstallWatch)
