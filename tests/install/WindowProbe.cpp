// SPDX-License-Identifier: GPL-3.0-or-later
// Preloaded (LD_PRELOAD) into the installed program, which knows nothing of it: once a top-level
// window has painted its first frame, the probe notes it and closes it as a user would, so the
// program runs from its start to its end without anyone at the screen. Lines appended to the file
// named by TACHYON_WINDOW_PROBE_REPORT:
//   window <object name, or - when it has none>
//   message <the text of a message box>

#include <QApplication>
#include <QEvent>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>

namespace {

void Report(const QByteArray& line) {
    const char* path = std::getenv("TACHYON_WINDOW_PROBE_REPORT");
    if (path == nullptr || *path == '\0') return;
    std::FILE* out = std::fopen(path, "a");
    if (out == nullptr) return;
    std::fprintf(out, "%s\n", line.constData());
    std::fclose(out);
}

class WindowProbe : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Paint || !watched->isWidgetType()) return false;
        auto* widget = static_cast<QWidget*>(watched);
        if (!widget->isWindow() || widget->property(kSeen).toBool()) return false;
        widget->setProperty(kSeen, true);
        // After the whole first frame, not before it.
        QTimer::singleShot(0, this, [window = QPointer<QWidget>(widget)] {
            if (!window) return;
            const QString name = window->objectName();
            Report("window " + (name.isEmpty() ? QByteArray("-") : name.toUtf8()));
            if (const auto* box = qobject_cast<QMessageBox*>(window.data()))
                Report("message " + box->text().toUtf8());
            window->close();
        });
        return false;
    }

private:
    static constexpr const char* kSeen = "tachyonWindowProbeSeen";
};

void InstallProbe() { QCoreApplication::instance()->installEventFilter(new WindowProbe); }

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(InstallProbe)
