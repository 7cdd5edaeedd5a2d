// SPDX-License-Identifier: GPL-3.0-or-later
// What a user sees of each dialog: every control of its resource is there, no label is cut off,
// and no two controls cover each other.

#include <QCheckBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include "TachyonTest.h"
#include "ui/CAboutDlg.h"
#include "ui/DialogPage.h"
#include "ui/DialogResources.h"
#include "ui/ProgramIcon.h"

namespace {

struct DialogUnderTest {
    const char* name;
    const DialogTemplate& layout;
    std::function<QWidget*(CTachyonDlg&)> widget;
};

bool IsFrame(const QWidget* w) { return qobject_cast<const QGroupBox*>(w) != nullptr; }

}  // namespace

class Layout : public TachyonTest {};

TEST_F(Layout, EveryControlIsThereUnclippedAndFreeOfOverlaps) {
    Start();
    CAboutDlg about(&Dlg());
    const std::vector<DialogUnderTest> dialogs = {
        {"main window", MainDialogTemplate(), [](CTachyonDlg& d) -> QWidget* { return &d; }},
        {"Tuning", TuningPageTemplate(), [](CTachyonDlg& d) -> QWidget* { return d.Page(kTuningPage); }},
        {"Fan", FanPageTemplate(), [](CTachyonDlg& d) -> QWidget* { return d.Page(kFanPage); }},
        {"Graphics", GraphicsPageTemplate(), [](CTachyonDlg& d) -> QWidget* { return d.Page(kGraphicsPage); }},
        {"Display", DisplayPageTemplate(), [](CTachyonDlg& d) -> QWidget* { return d.Page(kDisplayPage); }},
        {"About", AboutDialogTemplate(), [&about](CTachyonDlg&) -> QWidget* { return &about; }},
    };
    for (const DialogUnderTest& dialog : dialogs) {
        SCOPED_TRACE(dialog.name);
        QWidget* root = dialog.widget(Dlg());
        std::vector<QWidget*> controls;
        for (const ControlTemplate& c : dialog.layout.controls) {
            if (c.id == 0) continue;
            QWidget* control = FindControl(root, c.id);
            ASSERT_NE(control, nullptr) << c.id;
            if (c.kind != ControlKind::TabControl) controls.push_back(control);
            QString label;
            if (auto* button = qobject_cast<QAbstractButton*>(control)) label = button->text();
            if (!QString::fromUtf8(c.label).isEmpty() && c.kind != ControlKind::StaticText) {
                EXPECT_EQ(label, QString::fromUtf8(c.label)) << c.id;
            }
        }
        for (QWidget* w : root->findChildren<QWidget*>()) {
            const bool labelled = qobject_cast<QLabel*>(w) || qobject_cast<QCheckBox*>(w) || qobject_cast<QPushButton*>(w);
            // The status line cuts its text on purpose.
            if (!labelled || w->objectName() == "1100" || (qobject_cast<QLabel*>(w) && qobject_cast<QLabel*>(w)->text().isEmpty())) {
                continue;
            }
            // A push button's hint asks for a minimum width beyond its text; its text must fit.
            auto* push = qobject_cast<QPushButton*>(w);
            const int needed = push != nullptr ? push->fontMetrics().horizontalAdvance(push->text()) + 6 : w->sizeHint().width();
            EXPECT_LE(needed, w->width() + 1) << "clipped: " << w->objectName().toStdString() << " "
                                                             << (qobject_cast<QLabel*>(w) ? qobject_cast<QLabel*>(w)->text()
                                                                                         : qobject_cast<QAbstractButton*>(w)->text())
                                                                    .toStdString();
        }
        for (std::size_t i = 0; i < controls.size(); ++i) {
            for (std::size_t j = i + 1; j < controls.size(); ++j) {
                if (IsFrame(controls[i]) || IsFrame(controls[j])) continue;
                EXPECT_FALSE(controls[i]->geometry().intersects(controls[j]->geometry()))
                    << controls[i]->objectName().toStdString() << " overlaps " << controls[j]->objectName().toStdString();
            }
        }
    }
}

// Dialog units are measured once per font and resolution; another font must still get its own.
TEST(DialogUnitsTest, FollowTheFontTheyAreAskedFor) {
    const QRect dialog = DialogUnits(DialogFont()).ToPixels(0, 0, 400, 400);
    QFont large = DialogFont();
    large.setPointSize(16);
    const QRect enlarged = DialogUnits(large).ToPixels(0, 0, 400, 400);
    EXPECT_GT(enlarged.width(), dialog.width() * 3 / 2);
    EXPECT_GT(enlarged.height(), dialog.height() * 3 / 2);
    EXPECT_EQ(DialogUnits(DialogFont()).ToPixels(0, 0, 400, 400), dialog);
}

// The operations reach controls through the map noted when a dialog is built; tests and tools find
// them by name. Both must give the same widget for every id of every table.
TEST_F(Layout, EveryIdReachesTheControlOfThatName) {
    Start();
    const std::pair<const DialogTemplate&, int> pages[] = {{TuningPageTemplate(), kTuningPage},
                                                           {FanPageTemplate(), kFanPage},
                                                           {GraphicsPageTemplate(), kGraphicsPage},
                                                           {DisplayPageTemplate(), kDisplayPage}};
    for (const auto& [layout, page] : pages) {
        for (const ControlTemplate& c : layout.controls) {
            if (c.id == 0) continue;
            EXPECT_EQ(Dlg().Control(page, c.id), FindControl(Dlg().Page(page), c.id))
                << "page " << page << ", " << c.id;
            EXPECT_NE(Dlg().Control(page, c.id), nullptr) << "page " << page << ", " << c.id;
        }
    }
    for (const ControlTemplate& c : MainDialogTemplate().controls) {
        if (c.id == 0) continue;
        EXPECT_EQ(Dlg().MainControl(c.id),
                  Dlg().findChild<QWidget*>(QString::number(c.id), Qt::FindDirectChildrenOnly))
            << c.id;
        EXPECT_NE(Dlg().MainControl(c.id), nullptr) << c.id;
    }
    // An id of one page is no control of another, nor of the window.
    EXPECT_EQ(Dlg().Control(kFanPage, 1007), nullptr);
    EXPECT_EQ(Dlg().MainControl(1007), nullptr);
}

// The program icon decodes its files only when a size is drawn; whatever is asked of it, it must
// answer exactly as an icon that decoded all four files up front.
TEST(ProgramIconTest, AnswersAsTheIconOfAllFourFiles) {
    const QIcon icon = ProgramIcon();
    QIcon eager;
    for (const int size : {256, 128, 64, 32})
        eager.addFile(QStringLiteral(":/tachyon-%1.png").arg(size), QSize(size, size));
    ASSERT_FALSE(eager.availableSizes().isEmpty()) << "the icon files are missing";
    EXPECT_FALSE(icon.isNull());

    const QIcon::Mode modes[] = {QIcon::Normal, QIcon::Disabled, QIcon::Active, QIcon::Selected};
    const QIcon::State states[] = {QIcon::Off, QIcon::On};
    const QSize sizes[] = {{16, 16},   {32, 32},   {33, 33},   {48, 48},   {64, 64}, {100, 100},
                           {128, 128}, {200, 200}, {256, 256}, {300, 300}, {40, 20}, {20, 200}};
    for (const QIcon::Mode mode : modes) {
        for (const QIcon::State state : states) {
            EXPECT_EQ(icon.availableSizes(mode, state), eager.availableSizes(mode, state)) << mode << state;
            for (const QSize& size : sizes) {
                for (const qreal ratio : {1.0, 2.0}) {
                    SCOPED_TRACE(testing::Message()
                                 << "mode " << mode << ", state " << state << ", " << size.width() << "x"
                                 << size.height() << " at " << ratio);
                    EXPECT_EQ(icon.actualSize(size, mode, state), eager.actualSize(size, mode, state));
                    const QPixmap lazy = icon.pixmap(size, ratio, mode, state);
                    const QPixmap reference = eager.pixmap(size, ratio, mode, state);
                    EXPECT_EQ(lazy.size(), reference.size());
                    EXPECT_EQ(lazy.devicePixelRatio(), reference.devicePixelRatio());
                    EXPECT_EQ(lazy.toImage(), reference.toImage());

                    QImage painted[2];
                    const QIcon* icons[2] = {&icon, &eager};
                    for (int k = 0; k < 2; ++k) {
                        painted[k] = QImage(size * ratio, QImage::Format_ARGB32_Premultiplied);
                        painted[k].setDevicePixelRatio(ratio);
                        painted[k].fill(Qt::transparent);
                        QPainter painter(&painted[k]);
                        icons[k]->paint(&painter, QRect(QPoint(0, 0), size), Qt::AlignCenter, mode, state);
                    }
                    EXPECT_EQ(painted[0], painted[1]);
                }
            }
        }
    }
}
