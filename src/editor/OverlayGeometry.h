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

// The point size keys are written at for FormFontSize: Qt ignores sizes
// below 1, and a hand-edited setting must not make the font absurd.
inline int KeyPointSize(int formFontSize) {
    return formFontSize < 1 ? 1 : formFontSize > 1000 ? 1000 : formFontSize;
}

// Size of the overlay: exactly -1 in a dimension means "as large as the text"
// in it; every other value, zero and negative ones included, is taken as is.
QSize OverlaySize(int w, int h, QSize textSize);

// The surface actually created for a requested size: at least 1 x 1 (a box
// dragged up or left of its start has no area of its own and shows as a
// 1-pixel sliver), and never larger than the window it lives in (a box cannot
// be larger than the image area; a bigger request is a caller's mistake, not
// a reason to allocate gigabytes).
QSize OverlaySurfaceSize(QSize requested, QSize clientSize);

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
