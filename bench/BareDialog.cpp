// SPDX-License-Identifier: GPL-3.0-or-later
// The yardsticks for the program's start: the least a Qt Widgets dialog program does, an empty
// modal dialog run the way the program runs its window; with --label the same dialog shows one
// line of text, so it also pays for loading the fonts, as any window with text must.

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QVBoxLayout>
#include <cstring>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QDialog dialog;
    dialog.setObjectName(QStringLiteral("BareDialog"));
    dialog.setWindowTitle(QStringLiteral("Bare"));
    if (argc > 1 && std::strcmp(argv[1], "--label") == 0) {
        auto* layout = new QVBoxLayout(&dialog);
        layout->addWidget(new QLabel(QStringLiteral("Tachyon"), &dialog));
    }
    return dialog.exec() == QDialog::Accepted ? 0 : 1;
}
