#pragma once

#include <QImage>
#include <QSize>
#include <QString>

#include <functional>

class QIODevice;

// Reading form images. A failure raises Exception with a message that says
// what is wrong with the file; nothing is half-read.

// Decoded size above which an image is refused (and Qt's own reader limit).
inline constexpr int FormImageLimitMB = 1024;

// Called once the header has been checked, with the image's size, just
// before the pixels are decoded (the window shows a wait pointer for large
// images).
using FormImageSizeFn = std::function<void(QSize)>;

QImage ReadFormImage(QIODevice& device, const FormImageSizeFn& onSize = {});
QImage ReadFormImageFile(const QString& path, const FormImageSizeFn& onSize = {});

// The picture the window shows and draws on: 32-bit RGB, transparent parts
// over white.
QImage FormPicture(const QImage& image);

// The same into an existing picture, reusing its memory when it already has
// the image's size (a reload of the same form): a scan is tens of megabytes.
void FormPictureInto(QImage& picture, const QImage& image);

// The form's name as the catalogue and the layout file know it: the chosen
// path without its last four characters (the extension and its dot), then
// without its folder part.
QString AliasNameOf(const QString& path);
