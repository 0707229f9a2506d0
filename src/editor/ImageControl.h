#pragma once

#include <QFont>
#include <QImage>
#include <QPointer>
#include <QRegion>
#include <QWidget>

class LayoutDocument;
class QPainter;
struct LayoutEntry;

// The image control inside the scroll area: shows the form image at 1:1 with
// the layout's entries drawn over it, and reports the pointer's enter, leave,
// press, move and release.
//
// The entries are never drawn into the image: every paint draws them from
// the document, and a change of the document repaints only where the changed
// entries were and are.
class TImageControl : public QWidget {
    Q_OBJECT
public:
    explicit TImageControl(QWidget* parent = nullptr);

    // The form image, exactly as loaded (32-bit RGB); nothing is drawn into it.
    QImage Picture;
    // Resizes the picture (white) and the control to the given size.
    void SetPictureSize(const QSize& size);

    // The layout drawn over the picture; nothing when null.
    void SetDocument(LayoutDocument* document);
    // The font keys are written in (its pixel size decides their size).
    void SetKeyFont(const QFont& font);
    const QFont& KeyFont() const { return FKeyFont; }

    // Draws the part of the picture and of the entries within exposed, in
    // picture coordinates.
    void PaintPicture(QPainter& p, const QRect& exposed) const;
    // Draws the entries within area over whatever p has drawn there.
    void PaintEntries(QPainter& p, const QRect& area) const;
    // The picture as shown: the form image with the entries over it.
    QImage RenderedPicture() const;
    QImage RenderedPicture(const QRect& part) const;

    // Where an entry's drawing may reach: its key's text and, for a box,
    // the outline's four lines.
    QRegion EntryRegion(const LayoutEntry& entry) const;

signals:
    void MouseEnter();
    void MouseLeave();
    void MouseDown(QMouseEvent* event);
    void MouseMove(QMouseEvent* event);
    void MouseUp(QMouseEvent* event);

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void UpdateLine(const QString& line);
    QRect TextBounds(const LayoutEntry& entry) const;

    QPointer<LayoutDocument> FDocument;
    QFont FKeyFont;
    // Cheap measures of the key font: a key's text is never wider than its
    // length times the widest glyph.
    int FMaxWidth = 0;
    int FHeight = 0;
};
