// SPDX-License-Identifier: GPL-3.0-or-later
#include "ProgramIcon.h"

#include <QIconEngine>
#include <QPainter>
#include <algorithm>
#include <array>

// The icon images live in this static library, whose resources must be registered by hand, from
// the global namespace.
static void RegisterIconResources() { Q_INIT_RESOURCE(tachyon); }

namespace {

constexpr std::array<int, 4> kSizes = {256, 128, 64, 32};

int Area(const QSize& size) { return size.width() * size.height(); }

// The toolkit's own engine decodes every file as it is added, and the window is built long
// before most sizes are ever drawn (some never are). This one knows the sizes from the files'
// names and decodes a file the first time a pixmap of it is asked for; each file then becomes a
// one-image icon of the toolkit's own, so scaling, the disabled and selected looks and the
// pixmap cache are exactly what an icon holding all four files would give. The size chosen for
// a request is the one the toolkit's engine would choose: the smallest that is at least as
// large, else the largest.
class LazyIconEngine : public QIconEngine {
public:
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
        const qreal scale = painter->device()->devicePixelRatio();
        painter->drawPixmap(rect, scaledPixmap(rect.size() * scale, mode, state, scale));
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
        const int side = kSizes[Choose(size)];
        QSize actual(side, side);
        if (actual.width() > size.width() || actual.height() > size.height())
            actual.scale(size, Qt::KeepAspectRatio);
        return actual;
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return Image(Choose(size)).pixmap(size, 1.0, mode, state);
    }

    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal) override {
        return pixmap(size, mode, state);
    }

    // Only normal images of the "off" state exist, as with icons built from plain files.
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
        QList<QSize> sizes;
        if (mode != QIcon::Normal || state != QIcon::Off) return sizes;
        for (const int size : kSizes) sizes.push_back(QSize(size, size));
        return sizes;
    }

    bool isNull() override { return false; }

    QIconEngine* clone() const override { return new LazyIconEngine(*this); }

private:
    // Folds the sizes pairwise in the order the files were added, as the toolkit's engine does.
    static std::size_t Choose(const QSize& size) {
        const int wanted = Area(size);
        std::size_t best = 0;
        for (std::size_t i = 1; i < kSizes.size(); ++i) {
            const int a = kSizes[i] * kSizes[i];
            const int b = kSizes[best] * kSizes[best];
            int chosen = std::max(a, b);
            if (chosen >= wanted) {
                chosen = std::min(a, b);
                if (a < wanted) chosen = b;
                if (b < wanted) chosen = a;
            }
            if (chosen == a) best = i;
        }
        return best;
    }

    QIcon& Image(std::size_t index) {
        QIcon& image = m_images[index];
        if (image.isNull()) {
            const int size = kSizes[index];
            image.addFile(QStringLiteral(":/tachyon-%1.png").arg(size), QSize(size, size));
        }
        return image;
    }

    std::array<QIcon, kSizes.size()> m_images;
};

}  // namespace

QIcon ProgramIcon() {
    static const bool registered = (RegisterIconResources(), true);
    (void)registered;
    return QIcon(new LazyIconEngine);
}
