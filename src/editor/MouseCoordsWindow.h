#pragma once

#include <QFont>
#include <QImage>
#include <QPoint>
#include <QSize>
#include <QString>
#include <QWidget>

class QPainter;

// What the overlay reads from the main window.
class MouseCoordsHost {
public:
    virtual ~MouseCoordsHost() = default;
    // A right-button box drag is under way.
    virtual bool BoxInProgress() const = 0;
    // Image1's form image, in image pixels.
    virtual const QImage& Picture() const = 0;
    // Draws what the image control shows over the picture within area (the
    // keys placed so far), in picture coordinates.
    virtual void DrawOverPicture(QPainter& /*p*/, const QRect& /*area*/) const {}
    // Image1's top-left inside the scrolled content; negative when scrolled.
    virtual QPoint Image1Pos() const = 0;
    // ScrollBox1's top-left in the main window's client coordinates (the
    // toolbar is part of the client area, so normally (0, 19)).
    virtual QPoint ScrollBox1Pos() const = 0;
    // Width of ScrollBox1's sunken border.
    virtual int ScrollBox1Border() const { return 2; }
    // The main window's client size.
    virtual QSize ClientSize() const = 0;
    // FormFontSize: points at which keys are written on the picture.
    virtual int FontSize() const = 0;
};

// The small overlay that previews the chosen key beside the pointer, exactly
// where a click would write it, and during a right-button drag the box it
// would get. It looks transparent by composing the picture under it off
// screen (bmp2) and copying that to the screen in one go; it never erases its
// background, so showing or uncovering it does not blank or flicker.
class TMouseCoordsWindow : public QWidget {
    Q_OBJECT
public:
    TMouseCoordsWindow(QWidget* parent, MouseCoordsHost* host);
    ~TMouseCoordsWindow() override;

    // Sizes, places and draws the overlay for pointer (X, Y) in the image
    // area's client coordinates. W and H: the box size, or -1 for "size to
    // the text". Does nothing while hidden or for an empty text.
    //
    // A box dragged up or left of its start (W or H zero or negative) still
    // gets a surface of at least 1 x 1 pixel, placed by the same rules; a box
    // larger than the window is cut to the window's size, while an overlay
    // sized to its text is exactly the text's size, however large. No empty,
    // negative or absurd surface is ever created.
    void Render(int X, int Y, int W, int H, const QString& AText);

    // The last composition as copied to the screen, and the tint layer, at
    // the overlay's current size (views of the surfaces, not copies).
    QImage Composition() const { return View(bmp2); }
    QImage Tint() const { return View(bmp1); }

    // The size of AText at FormFontSize fontSize, as Render measures it.
    QSize TextSize(const QString& AText, int fontSize);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void EnsureSurfaces(QSize size);
    void PrepareTint();
    QImage View(const QImage& surface) const;

    MouseCoordsHost* FHost;
    // The two surfaces only ever grow: a box drag changes the overlay's size
    // on every move, and reallocating megabytes each time would cost more
    // than the drawing. Only their top-left FSize part is in use.
    QImage bmp1; // tint: white, with a black 1-pixel frame during a box drag
    QImage bmp2; // composition: the picture under the overlay, tint, text
    QSize FSize;
    QFont FFont; // "Tahoma" at the current pixel size

    // Caches that keep Render cheap on every pointer move.
    int FPixelSize = 0;
    int FAscent = 0;
    QString FMeasuredText;
    int FMeasuredSize = 0;
    QSize FTextSize;
    QSize FFrameSize; // where bmp1's frame lies now; empty: no frame
};
