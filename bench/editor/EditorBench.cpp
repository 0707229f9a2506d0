// The main window's load sequence and field filter against the work they
// cannot avoid: decoding the form image alone, and filling the field list
// with the same lines in one call.
#include "BenchRatios.h"
#include "EditorBenchSupport.h"

#include "catalogue/CatalogueFiles.h"
#include "editor/CheckListBox.h"
#include "editor/FieldFilter.h"
#include "editor/Folders.h"
#include "editor/FormImage.h"
#include "editor/ImageControl.h"
#include "editor/MainFormU.h"
#include "platform/QtPlatform.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QLineEdit>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>
#include <utility>

namespace {

// An A4 page at 300 DPI as a grey scan: paper noise, ruled boxes, some print.
QImage ScanLikeForm() {
    QImage img = GreyScanPage(42);
    QPainter p(&img);
    QFont f("Tahoma");
    f.setPixelSize(36);
    p.setFont(f);
    for (int y = 250; y < 3300; y += 120)
        p.drawText(170, y, QStringLiteral("Field label %1: please print clearly").arg(y));
    return img;
}

struct Editor {
    QTemporaryDir Dir;
    BenchPlatform Platform;
    std::unique_ptr<TMainForm> Main;
    QString Png, Png2;
    QStringList Master10k;

    Editor() {
        Platform.Root = Dir.path();
        SetPlatform(&Platform);
        const QString forms = Dir.path() + "/Documents/Kestrova/Forms/";
        // 200 keys in the master list, all placed in the layout, a tenth as boxes.
        QByteArray master, layout;
        for (int i = 0; i < 200; ++i) {
            master += QByteArray("Key") + QByteArray::number(i) + ",description of key " +
                      QByteArray::number(i) + "\r\n";
            layout += QByteArray("Key") + QByteArray::number(i) + "," +
                      QByteArray::number(100 + (i % 10) * 220) + "," +
                      QByteArray::number(150 + (i / 10) * 160);
            if (i % 10 == 0)
                layout += ",600,80";
            layout += "\r\n";
        }
        WriteFile(forms + "master.txt", master);
        WriteFile(forms + "Bench/Scan.cfg", layout);
        Png = forms + "Bench/Scan.png";
        QDir().mkpath(forms + "Bench");
        const QImage scan = ScanLikeForm();
        if (!scan.save(Png, "PNG"))
            qFatal("cannot write the form image");
        // A second image one pixel narrower: loading it after the first
        // cannot reuse the first one's picture.
        Png2 = forms + "Bench/Scan2.png";
        if (!scan.copy(0, 0, scan.width() - 1, scan.height()).save(Png2, "PNG"))
            qFatal("cannot write the form image");

        Main = std::make_unique<TMainForm>();
        Main->show();
        QApplication::processEvents();
        CurrentCountry = "Bench";
        Main->ImageFilename = Png;
        Main->AliasName = "Scan";

        for (int i = 0; i < 10000; ++i)
            Master10k << QStringLiteral("Field%1,Description of field number %1%2")
                             .arg(i)
                             .arg(i % 50 == 0 ? QStringLiteral(" (global)") : QString());
    }
    ~Editor() {
        Main.reset();
        SetPlatform(nullptr);
    }
};

// Made on first use and released by main while the application still
// exists: the main window must not outlive it.
std::unique_ptr<Editor> GEditor;

Editor& TheEditor() {
    if (!GEditor)
        GEditor = std::make_unique<Editor>();
    return *GEditor;
}

void BM_LoadFiles(benchmark::State& state) {
    Editor& e = TheEditor();
    for (auto _ : state) {
        e.Main->LoadFiles();
        QApplication::processEvents(); // the window shows the result
    }
    if (e.Main->ConfigList().size() != 200 || e.Main->Image1->Picture.size() != QSize(2480, 3508))
        state.SkipWithError("the form did not load");
}

// Each run loads an image of another size than the one shown: nothing of the
// previous picture can be reused.
void BM_LoadFilesOtherImage(benchmark::State& state) {
    Editor& e = TheEditor();
    int i = 0;
    for (auto _ : state) {
        e.Main->ImageFilename = (i++ & 1) ? e.Png : e.Png2;
        e.Main->LoadFiles();
        QApplication::processEvents();
    }
    e.Main->ImageFilename = e.Png;
}

void BM_DecodePngAlone(benchmark::State& state) {
    Editor& e = TheEditor();
    QImageReader::setAllocationLimit(FormImageLimitMB);
    for (auto _ : state) {
        QImageReader reader(e.Png, "png");
        QImage img = reader.read();
        benchmark::DoNotOptimize(img.constBits());
    }
}

// The filter over 10,000 master lines; each run ends with the list laid out
// and painted, as the user sees it.
void RunFilter(benchmark::State& state, const QString& filter) {
    Editor& e = TheEditor();
    e.Main->PascalList = e.Master10k;
    e.Main->FilterEdit->blockSignals(true);
    e.Main->FilterEdit->setText(filter);
    e.Main->FilterEdit->blockSignals(false);
    for (auto _ : state) {
        e.Main->FilterEditChange();
        QApplication::processEvents();
    }
}

void RunFill(benchmark::State& state, const QString& filter) {
    Editor& e = TheEditor();
    const QStringList lines = FilterFieldLines(e.Master10k, filter);
    for (auto _ : state) {
        e.Main->CheckListBox1->SetItems(lines);
        QApplication::processEvents();
    }
}

void BM_FilterEmpty(benchmark::State& s) {
    RunFilter(s, QString());
}
void BM_FilterMatchingAll(benchmark::State& s) {
    RunFilter(s, QStringLiteral("DESCRIPTION"));
}
void BM_FilterSelective(benchmark::State& s) {
    RunFilter(s, QStringLiteral("number 12"));
}
void BM_FillAll(benchmark::State& s) {
    RunFill(s, QString());
}
void BM_FillSelective(benchmark::State& s) {
    RunFill(s, QStringLiteral("number 12"));
}
BENCHMARK(BM_FilterEmpty)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FilterMatchingAll)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FillAll)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FilterSelective)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FillSelective)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    if (qgetenv("QT_QPA_PLATFORM").isEmpty())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // A load takes tens of milliseconds: a full run gives each 3 seconds, a
    // brief run (--benchmark_min_time) what it asks for.
    const bool brief = MinTimeGiven(argc, argv);
    for (const auto& [name, fn] : {std::pair{"BM_LoadFiles", &BM_LoadFiles},
                                   std::pair{"BM_LoadFilesOtherImage", &BM_LoadFilesOtherImage},
                                   std::pair{"BM_DecodePngAlone", &BM_DecodePngAlone}}) {
        auto* b = benchmark::RegisterBenchmark(name, fn)->Unit(benchmark::kMillisecond);
        if (!brief)
            b->MinTime(3);
    }
    const int status =
        RunAndPrintRatios(argc, argv,
                          {{"LoadFiles, 2480x3508 PNG with 200 entries, vs decoding it alone",
                            "BM_LoadFiles", "BM_DecodePngAlone", 1.3},
                           {"FilterEditChange, 10,000 lines, empty filter, vs one fill",
                            "BM_FilterEmpty", "BM_FillAll", 1.5},
                           {"FilterEditChange, 10,000 lines, filter matching all, vs one fill",
                            "BM_FilterMatchingAll", "BM_FillAll", 1.5}});
    // Informational: a filter that keeps 111 of the 10,000 lines, against
    // filling those 111 lines alone (the scan of all 10,000 dominates).
    GEditor.reset();
    return status;
}
