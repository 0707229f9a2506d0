#include "editor/FormImage.h"

#include "support/Exception.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace {

const QByteArray PngSignature("\x89PNG\r\n\x1a\n", 8);

[[noreturn]] void NoMemoryFor(QSize size) {
    throw Exception(QStringLiteral("not enough memory for a picture of %1 x %2 pixels")
                        .arg(size.width())
                        .arg(size.height()));
}

} // namespace

QImage ReadFormImage(QIODevice& device, const FormImageSizeFn& onSize) {
    const QByteArray head = device.peek(8);
    if (head.isEmpty())
        throw Exception(QStringLiteral("the file is empty"));
    if (head != PngSignature)
        throw Exception(QStringLiteral("the file is not a PNG image (it lacks the PNG signature)"));

    // Large scans (A3 at 600 DPI) exceed Qt's default 128 MB image limit.
    QImageReader::setAllocationLimit(FormImageLimitMB);
    QImageReader reader(&device, "png");
    reader.setDecideFormatFromContent(false);
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty())
        throw Exception(QStringLiteral("the PNG header is damaged or incomplete"));
    // Checked before decoding: the refusal must cost nothing.
    const qint64 bytes = qint64(size.width()) * size.height() * 4;
    if (bytes > qint64(FormImageLimitMB) * 1024 * 1024)
        throw Exception(QStringLiteral("the image is %1 x %2 pixels, too large to open "
                                       "(more than %3 MB when decoded)")
                            .arg(size.width())
                            .arg(size.height())
                            .arg(FormImageLimitMB));
    if (onSize)
        onSize(size);
    QImage image = reader.read();
    if (image.isNull())
        throw Exception(QStringLiteral("the image data is damaged or incomplete (%1)")
                            .arg(reader.errorString()));
    return image;
}

QImage ReadFormImageFile(const QString& path, const FormImageSizeFn& onSize) {
    const QFileInfo info(path);
    if (!info.exists())
        throw Exception(QStringLiteral("the file \"%1\" does not exist").arg(path));
    if (!info.isFile())
        throw Exception(QStringLiteral("\"%1\" is not a file").arg(path));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Exception(QStringLiteral("cannot open \"%1\": %2").arg(path, file.errorString()));
    return ReadFormImage(file, onSize);
}

QImage FormPicture(const QImage& image) {
    if (!image.hasAlphaChannel())
        return image.convertToFormat(QImage::Format_RGB32);
    QImage out(image.size(), QImage::Format_RGB32);
    out.fill(Qt::white);
    QPainter p(&out);
    p.drawImage(0, 0, image);
    return out;
}

void FormPictureInto(QImage& picture, const QImage& image) {
    if (picture.size() != image.size() || picture.format() != QImage::Format_RGB32 ||
        !picture.isDetached()) {
        if (image.format() != QImage::Format_Grayscale8) {
            picture = FormPicture(image);
            if (picture.isNull())
                NoMemoryFor(image.size());
            return;
        }
        picture = QImage(); // the old memory goes before the new is taken
        picture = QImage(image.size(), QImage::Format_RGB32);
        if (picture.isNull())
            NoMemoryFor(image.size());
#ifdef __linux__
        // A fresh picture is tens of megabytes touched for the first time:
        // in 2 MB pages that costs a few faults instead of thousands.
        {
            const auto start = reinterpret_cast<quintptr>(picture.bits());
            const quintptr huge = 2u << 20;
            const quintptr a = (start + huge - 1) & ~(huge - 1);
            const quintptr e = (start + quintptr(picture.sizeInBytes())) & ~(huge - 1);
            if (e > a)
                madvise(reinterpret_cast<void*>(a), e - a, MADV_HUGEPAGE);
        }
#endif
    }
    if (image.format() == QImage::Format_Grayscale8) {
        // The usual scan: grey expands to equal red, green and blue.
        const int w = image.width(), h = image.height();
        for (int y = 0; y < h; ++y) {
            const uchar* src = image.constScanLine(y);
            auto* dst = reinterpret_cast<QRgb*>(picture.scanLine(y));
            for (int x = 0; x < w; ++x)
                dst[x] = 0xFF000000u | (0x010101u * src[x]);
        }
        return;
    }
    QPainter p(&picture);
    if (image.hasAlphaChannel()) {
        p.fillRect(picture.rect(), Qt::white);
    } else {
        p.setCompositionMode(QPainter::CompositionMode_Source);
    }
    p.drawImage(0, 0, image);
}

QString AliasNameOf(const QString& path) {
    const QString stem = path.left(std::max<qsizetype>(0, path.size() - 4));
    return stem.mid(stem.lastIndexOf(u'/') + 1);
}
