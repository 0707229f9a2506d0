// Render during a box drag against the bare work it cannot avoid: copying the
// rectangle out of the picture, one constant-alpha blend, one copy out.
#include "BenchRatios.h"

#include "editor/MouseCoordsWindow.h"

#include <QApplication>
#include <QPainter>
#include <QWidget>

#include <memory>

namespace {

constexpr int PicW = 2480, PicH = 3508; // A4 at 300 DPI
constexpr int BoxW = 800, BoxH = 600;

QImage ScanPicture() {
    QImage img(PicW, PicH, QImage::Format_RGB32);
    for (int y = 0; y < PicH; ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < PicW; ++x)
            line[x] = qRgb(x & 255, y & 255, (x ^ y) & 255);
    }
    return img;
}

struct Host : MouseCoordsHost {
    QImage Pic = ScanPicture();
    QPoint ImagePos{-300, -1200};
    bool BoxInProgress() const override { return true; }
    const QImage& Picture() const override { return Pic; }
    QPoint Image1Pos() const override { return ImagePos; }
    QPoint ScrollBox1Pos() const override { return {0, 19}; }
    QSize ClientSize() const override { return {1280, 1000}; }
    int FontSize() const override { return 12; }
};

struct Scene {
    Host H;
    QWidget Main;
    TMouseCoordsWindow* Overlay;
    Scene() {
        Main.resize(H.ClientSize());
        Overlay = new TMouseCoordsWindow(&Main, &H);
        Main.show();
        QApplication::processEvents();
    }
};

// Made on first use and released by main while the application still
// exists: a widget must not outlive it.
std::unique_ptr<Scene> GScene;

Scene& TheScene() {
    if (!GScene)
        GScene = std::make_unique<Scene>();
    return *GScene;
}

void BM_RenderBoxDrag(benchmark::State& state) {
    Scene& s = TheScene();
    for (auto _ : state)
        s.Overlay->Render(100, 80, BoxW, BoxH, QStringLiteral("Surname"));
}
BENCHMARK(BM_RenderBoxDrag)->Unit(benchmark::kMicrosecond);

// A drag whose box grows and shrinks by a pixel on every move.
void BM_RenderBoxDragResizing(benchmark::State& state) {
    Scene& s = TheScene();
    int i = 0;
    for (auto _ : state) {
        const int d = (i++ & 1);
        s.Overlay->Render(100, 80, BoxW + d, BoxH + d, QStringLiteral("Surname"));
    }
}
BENCHMARK(BM_RenderBoxDragResizing)->Unit(benchmark::kMicrosecond);

void BM_BareCopyBlendCopy(benchmark::State& state) {
    Scene& s = TheScene();
    const QImage& pic = s.H.Pic;
    QImage work(BoxW, BoxH, QImage::Format_RGB32);
    QImage tint(BoxW, BoxH, QImage::Format_RGB32);
    tint.fill(Qt::white);
    QImage out(BoxW, BoxH, QImage::Format_RGB32);
    const QRect src(413, 1244, BoxW, BoxH);
    for (auto _ : state) {
        {
            QPainter p(&work);
            p.setCompositionMode(QPainter::CompositionMode_Source);
            p.drawImage(QPoint(0, 0), pic, src);
            p.setCompositionMode(QPainter::CompositionMode_SourceOver);
            p.setOpacity(200 / 255.0);
            p.drawImage(0, 0, tint);
        }
        {
            QPainter p(&out);
            p.setCompositionMode(QPainter::CompositionMode_Source);
            p.drawImage(0, 0, work);
        }
        benchmark::DoNotOptimize(out.constBits());
    }
}
BENCHMARK(BM_BareCopyBlendCopy)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    const int status =
        RunAndPrintRatios(argc, argv,
                          {{"Render, box drag 800x600 over 2480x3508", "BM_RenderBoxDrag",
                            "BM_BareCopyBlendCopy", 2.0},
                           {"Render, box drag 800x600 resizing on every move",
                            "BM_RenderBoxDragResizing", "BM_BareCopyBlendCopy", 2.0}});
    GScene.reset();
    return status;
}
