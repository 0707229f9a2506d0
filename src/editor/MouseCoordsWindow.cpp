#include "editor/MouseCoordsWindow.h"

#include "editor/OverlayGeometry.h"

#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

namespace {

// Constant source alpha of the tint during a box drag.
constexpr double TintOpacity = 200 / 255.0;

} // namespace

TMouseCoordsWindow::TMouseCoordsWindow(QWidget* parent, MouseCoordsHost* host)
    : QWidget(parent), FHost(host) {
    // All drawing is our own composition: no erase, no system background.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setAutoFillBackground(false);
    // The overlay may come to lie under the pointer (beside the window's right
    // edge); the image below must keep receiving the pointer's events.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);

    setGeometry(10, 10, 130, 120);
    FSize = QSize(130, 120);
    bmp1 = QImage(FSize, QImage::Format_RGB32);
    bmp1.fill(Qt::white);
    bmp2 = QImage(FSize, QImage::Format_RGB32);
    bmp2.fill(Qt::white);
    FFont = QFont(QStringLiteral("Tahoma"));
}

TMouseCoordsWindow::~TMouseCoordsWindow() = default;

QSize TMouseCoordsWindow::TextSize(const QString& AText, int fontSize) {
    const int px = KeyPixelSize(fontSize);
    if (px != FPixelSize) {
        FPixelSize = px;
        FFont.setPixelSize(px);
        FMeasuredSize = 0;
    }
    if (FMeasuredSize != px || FMeasuredText != AText) {
        // Measured on the composition surface, whose resolution the text is drawn at.
        const QFontMetrics fm(FFont, &bmp2);
        FTextSize = QSize(fm.horizontalAdvance(AText), fm.height());
        FAscent = fm.ascent();
        FMeasuredText = AText;
        FMeasuredSize = px;
    }
    return FTextSize;
}

QImage TMouseCoordsWindow::View(const QImage& surface) const {
    return QImage(surface.constBits(), FSize.width(), FSize.height(), surface.bytesPerLine(),
                  surface.format());
}

void TMouseCoordsWindow::EnsureSurfaces(QSize size) {
    FSize = size;
    if (size.width() <= bmp2.width() && size.height() <= bmp2.height())
        return;
    // Grow with room to spare, so that a drag does not regrow on every move.
    const QSize cap(std::max(bmp2.width(), size.width() + size.width() / 4 + 32),
                    std::max(bmp2.height(), size.height() + size.height() / 4 + 32));
    bmp1 = QImage(cap, QImage::Format_RGB32);
    bmp1.fill(Qt::white);
    bmp2 = QImage(cap, QImage::Format_RGB32);
    bmp2.fill(Qt::white);
    FFrameSize = QSize();
}

void TMouseCoordsWindow::PrepareTint() {
    if (FFrameSize == FSize)
        return;
    auto frame = [this](QSize s, const QColor& c) {
        const int w = s.width(), h = s.height();
        QPainter p(&bmp1);
        p.fillRect(0, 0, w, 1, c);
        p.fillRect(0, h - 1, w, 1, c);
        p.fillRect(0, 0, 1, h, c);
        p.fillRect(w - 1, 0, 1, h, c);
    };
    // Only the old frame's lines need whitening: the rest of bmp1 stays white.
    if (!FFrameSize.isEmpty())
        frame(FFrameSize, Qt::white);
    frame(FSize, Qt::black);
    FFrameSize = FSize;
}

void TMouseCoordsWindow::Render(int X, int Y, int W, int H, const QString& AText) {
    if (!FHost || !isVisible() || AText.isEmpty())
        return;

    const QSize text = TextSize(AText, FHost->FontSize());
    const QSize client = FHost->ClientSize();
    const QSize size = OverlaySurfaceSize(OverlaySize(W, H, text), client, text);
    EnsureSurfaces(size);

    const int border = FHost->ScrollBox1Border();
    const QPoint origin = FHost->ScrollBox1Pos() + QPoint(border, border);
    const QPoint pos = OverlayPosition(X, Y, size, client, origin);
    if (geometry() != QRect(pos, size))
        setGeometry(QRect(pos, size));

    const QImage& picture = FHost->Picture();
    const QRect source = OverlaySourceRect(pos, size, FHost->Image1Pos(), origin);
    const bool box = FHost->BoxInProgress();
    if (box)
        PrepareTint();

    {
        QPainter p(&bmp2);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        const QRect inside = source.intersected(picture.rect());
        // Beside the picture there is nothing to show through: white, the
        // overlay's own background.
        if (inside != source)
            p.fillRect(QRect(QPoint(0, 0), size), Qt::white);
        if (!inside.isEmpty()) {
            p.drawImage(inside.topLeft() - source.topLeft(), picture, inside);
            p.save();
            p.translate(-source.topLeft());
            p.setClipRect(inside);
            FHost->DrawOverPicture(p, inside);
            p.restore();
        }
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        // Outside a box drag the tint's alpha is 0: the blend would leave the
        // picture untouched, so it is not done at all.
        if (box) {
            p.setOpacity(TintOpacity);
            p.drawImage(QPoint(0, 0), bmp1, QRect(QPoint(0, 0), size));
            p.setOpacity(1.0);
        }
        p.setFont(FFont);
        p.setPen(Qt::black);
        p.drawText(0, FAscent, AText);
    }
    repaint();
}

void TMouseCoordsWindow::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    const QRect r = event->rect().intersected(QRect(QPoint(0, 0), FSize));
    p.drawImage(r.topLeft(), bmp2, r);
}
