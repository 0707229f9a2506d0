// What the editor's benchmark programs share: the real platform in a
// throw-away profile, file writing, resident memory and a scan-like page.
#pragma once

#include "platform/QtPlatform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>

#include <cstdio>
#include <malloc.h>
#include <unistd.h>

// The real platform, but in a throw-away profile, on a fixed screen, and with
// boxes counted (and printed unless quiet) instead of shown.
class BenchPlatform : public QtPlatform {
public:
    QString Root;
    int Boxes = 0;
    bool PrintBoxes = true;
    QString DocumentsFolder() override { return Root + "/Documents"; }
    QString AppDataFolder() override { return Root + "/.config"; }
    BoxButton MessageBox(BoxKind, const QString&, const QString& text, int,
                         BoxButton defaultButton) override {
        ++Boxes;
        if (PrintBoxes)
            std::fprintf(stderr, "box: %s\n", qPrintable(text));
        return defaultButton;
    }
    void Beep(BeepSound) override {}
    QSize PrimaryScreenSize() override { return {1920, 1080}; }
};

inline void WriteFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

// Resident memory of the process, after handing freed memory back.
inline double ResidentBytes() {
    malloc_trim(0);
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * double(sysconf(_SC_PAGESIZE)) : -1;
}

// An A4 page at 300 DPI as a grey scan: paper noise and ruled boxes.
inline QImage GreyScanPage(quint32 seed) {
    QImage img(2480, 3508, QImage::Format_Grayscale8);
    QRandomGenerator rng(seed);
    for (int y = 0; y < img.height(); ++y) {
        uchar* line = img.scanLine(y);
        for (int x = 0; x < img.width(); ++x)
            line[x] = uchar(240 + rng.bounded(16));
    }
    QPainter p(&img);
    p.setPen(QPen(Qt::black, 3));
    for (int y = 200; y < 3300; y += 120)
        p.drawRect(150, y, 2180, 100);
    return img;
}
