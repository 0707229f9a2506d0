#include "editor/ImageControl.h"

#include "editor/LayoutDocument.h"
#include "editor/OverlayGeometry.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace {

// Corners of a box's outline: from the key's point to the dragged corner, in
// the key's offset, as the placement gesture drew it.
struct OutlineCorners {
    qint64 x1, y1, x2, y2;
};
OutlineCorners CornersOf(const LayoutEntry& e) {
    return {e.X, e.Y, qint64(e.X) + e.W + KeyOffsetX, qint64(e.Y) + e.H + KeyOffsetY};
}

// The four one-pixel lines of the outline of the rectangle with corners
// (x1, y1) and (x2, y2), the second corner exclusive. Corners given the wrong
// way round are swapped; far-off values (hand-edited files) are cut to just
// beyond the picture, so nothing overflows. False when it has no area.
bool OutlineEdges(QSize picture, OutlineCorners c, QRect edges[4]) {
    if (c.x2 < c.x1)
        std::swap(c.x1, c.x2);
    if (c.y2 < c.y1)
        std::swap(c.y1, c.y2);
    if (c.x2 - c.x1 < 1 || c.y2 - c.y1 < 1)
        return false;
    auto cut = [](qint64 v, int extent) {
        return int(std::clamp<qint64>(v, -2, qint64(extent) + 2));
    };
    const int l = cut(c.x1, picture.width()), t = cut(c.y1, picture.height());
    const int r = cut(c.x2 - 1, picture.width()), b = cut(c.y2 - 1, picture.height());
    edges[0] = QRect(QPoint(l, t), QPoint(r, t));
    edges[1] = QRect(QPoint(l, b), QPoint(r, b));
    edges[2] = QRect(QPoint(l, t), QPoint(l, b));
    edges[3] = QRect(QPoint(r, t), QPoint(r, b));
    return true;
}

} // namespace

TImageControl::TImageControl(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    SetKeyFont(QFont(QStringLiteral("Tahoma")));
}

void TImageControl::SetPictureSize(const QSize& size) {
    Picture = QImage(size, QImage::Format_RGB32);
    Picture.fill(Qt::white);
    setFixedSize(size);
}

void TImageControl::SetDocument(LayoutDocument* document) {
    if (FDocument)
        FDocument->disconnect(this);
    FDocument = document;
    if (document) {
        connect(document, &LayoutDocument::EntryInserted, this,
                [this](int index) { UpdateLine(FDocument->ConfigList().at(index)); });
        connect(document, &LayoutDocument::EntryRemoved, this,
                [this](int, const QString& line) { UpdateLine(line); });
        connect(document, &LayoutDocument::EntryChanged, this,
                [this](int index, const QString& oldLine) {
                    UpdateLine(oldLine);
                    UpdateLine(FDocument->ConfigList().at(index));
                });
        connect(document, &LayoutDocument::DocumentReset, this, [this] { update(); });
    }
    update();
}

void TImageControl::SetKeyFont(const QFont& font) {
    if (font == FKeyFont && FHeight > 0)
        return;
    FKeyFont = font;
    // Measured on an image, as the picture is drawn on one.
    const QImage device(1, 1, QImage::Format_RGB32);
    const QFontMetrics fm(FKeyFont, &device);
    FMaxWidth = std::max(fm.maxWidth(), fm.height());
    FHeight = fm.height();
    update();
}

QRect TImageControl::TextBounds(const LayoutEntry& e) const {
    // Generous by a few pixels: glyphs may overhang their advance.
    const qint64 w = qint64(e.Key.size()) * FMaxWidth + 2 * FMaxWidth;
    const qint64 h = qint64(FHeight) * 2;
    auto cut = [](qint64 v) { return int(std::clamp<qint64>(v, -(1 << 24), 1 << 24)); };
    return QRect(QPoint(cut(qint64(e.X) - FMaxWidth), cut(qint64(e.Y) - FHeight / 2)),
                 QPoint(cut(qint64(e.X) + w), cut(qint64(e.Y) + h)));
}

QRegion TImageControl::EntryRegion(const LayoutEntry& e) const {
    QRegion region(TextBounds(e));
    QRect edges[4];
    if (e.IsBox && OutlineEdges(Picture.size(), CornersOf(e), edges))
        for (const QRect& edge : edges)
            region += edge;
    return region;
}

void TImageControl::UpdateLine(const QString& line) {
    if (const auto e = ParseLayoutLine(line))
        update(EntryRegion(*e));
}

void TImageControl::PaintPicture(QPainter& p, const QRect& exposed) const {
    if (Picture.isNull())
        return;
    const QRect r = exposed.intersected(Picture.rect());
    if (r.isEmpty())
        return;
    p.drawImage(r.topLeft(), Picture, r);
    PaintEntries(p, r);
}

void TImageControl::PaintEntries(QPainter& p, const QRect& r) const {
    if (!FDocument)
        return;
    p.save();
    p.setClipRect(r);
    p.setFont(FKeyFont);
    p.setPen(QColor(0, 0, 255));
    const QFontMetrics fm = p.fontMetrics();
    const int ascent = fm.ascent();
    // In file order, so that a later entry is drawn over an earlier one.
    for (int i = 0, n = FDocument->Count(); i < n; ++i) {
        const std::optional<LayoutEntry>& e = FDocument->Entry(i);
        if (!e)
            continue;
        if (TextBounds(*e).intersects(r))
            p.drawText(QPointF(e->X, qreal(e->Y) + ascent), e->Key);
        QRect edges[4];
        if (e->IsBox && OutlineEdges(Picture.size(), CornersOf(*e), edges))
            for (const QRect& edge : edges)
                if (edge.intersects(r))
                    p.fillRect(edge, QColor(255, 0, 0));
    }
    p.restore();
}

QImage TImageControl::RenderedPicture() const {
    return RenderedPicture(Picture.rect());
}

QImage TImageControl::RenderedPicture(const QRect& part) const {
    const QRect r = part.intersected(Picture.rect());
    QImage out(r.size(), QImage::Format_RGB32);
    if (out.isNull())
        return out;
    QPainter p(&out);
    p.translate(-r.topLeft());
    PaintPicture(p, r);
    return out;
}

void TImageControl::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    const QRect r = event->rect();
    p.fillRect(r, palette().color(QPalette::Window));
    PaintPicture(p, r);
}

void TImageControl::enterEvent(QEnterEvent*) {
    emit MouseEnter();
}
void TImageControl::leaveEvent(QEvent*) {
    emit MouseLeave();
}
void TImageControl::mousePressEvent(QMouseEvent* event) {
    emit MouseDown(event);
}
void TImageControl::mouseMoveEvent(QMouseEvent* event) {
    emit MouseMove(event);
}
void TImageControl::mouseReleaseEvent(QMouseEvent* event) {
    emit MouseUp(event);
}
