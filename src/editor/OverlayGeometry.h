#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

// Geometry of the coordinates overlay that previews a key beside the pointer.
// Positions are in the main window's client coordinates unless said.

// The offset at which a key is written relative to the press point; the
// overlay's top-left corner previews it.
inline constexpr int KeyOffsetX = 13;
inline constexpr int KeyOffsetY = -6;

// The pixel size keys are written at for FormFontSize points: a point is
// 1/72 inch at 96 pixels per inch, whatever resolution the PNG stores or the
// screen has, so 12 points are 16 pixels. Qt ignores sizes below 1, and a
// hand-edited setting must not make the font absurd.
inline int KeyPixelSize(int formFontSize) {
    const int pt = formFontSize < 1 ? 1 : formFontSize > 1000 ? 1000 : formFontSize;
    return (pt * 96 + 36) / 72;
}

// Size of the overlay: exactly -1 in a dimension means "as large as the text"
// in it; every other value, zero and negative ones included, is taken as is.
QSize OverlaySize(int w, int h, QSize textSize);

// Longest side of an overlay: far beyond any key or window, small enough
// that a key line of thousands of characters (a hand-edited master list) at
// a huge FormFontSize cannot make it allocate gigabytes.
inline constexpr int OverlayMaxExtent = 16384;

// The surface actually created for a requested size: at least 1 x 1 (a box
// dragged up or left of its start has no area of its own and shows as a
// 1-pixel sliver). Sized to the text, it is exactly the text's size, even when
// the text is wider or taller than the window. A box is no larger than the
// window or the text, whichever is larger (a box cannot be larger than the
// image area; a bigger request is a caller's mistake, not a reason to
// allocate gigabytes). No side exceeds OverlayMaxExtent.
QSize OverlaySurfaceSize(QSize requested, QSize clientSize, QSize textSize);

// Top-left of the overlay for pointer (x, y) in image-area client
// coordinates. clientOrigin is where the image area's inside begins in the
// main window, normally (2, 21): 19 pixels of toolbar and a 2-pixel border.
// The overlay sits at the key offset from the pointer; where it would run
// over the window's right edge it jumps left of the pointer, and where it
// would come within 10 pixels of the bottom it jumps above, in both cases
// leaving 10 pixels between its far edge and the candidate corner.
QPoint OverlayPosition(int x, int y, QSize size, QSize clientSize, QPoint clientOrigin);

// The rectangle of the picture (image pixels) under an overlay at pos.
// image1Pos is the picture's top-left inside the scrolled area (negative when
// scrolled).
QRect OverlaySourceRect(QPoint pos, QSize size, QPoint image1Pos, QPoint clientOrigin);
