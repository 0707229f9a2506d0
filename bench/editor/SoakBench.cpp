// A long session on one 300-DPI form with the change watch running: each
// round places, re-places, draws a box, undoes, redoes, saves, and has the
// watch reload the layout after an outside edit. The layout file must read
// back as the document held it every time (else the figure is not measured)
// and the process must stay flat after its warm-up.
//
//   KFD_SOAK_ROUNDS=10000 build/bench/editor/bench_soak
//
// runs the full soak; by default a short one.
#include "BenchRatios.h"
#include "EditorBenchSupport.h"

#include "catalogue/CatalogueFiles.h"
#include "editor/Folders.h"
#include "editor/ImageControl.h"
#include "editor/LayoutDocument.h"
#include "editor/MainFormU.h"
#include "editor/TextFile.h"
#include "platform/QtPlatform.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QMouseEvent>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>
#include <QUndoStack>

#include <algorithm>
#include <cstdio>
#include <malloc.h>
#include <memory>
#include <unistd.h>

namespace {

constexpr int DefaultRounds = 100;
// Growth allowed after the warm-up (the first tenth of the rounds).
constexpr double FlatMax = 1.05;

int Rounds() {
    bool ok = false;
    const int n = qEnvironmentVariableIntValue("KFD_SOAK_ROUNDS", &ok);
    return ok && n >= 10 ? n : DefaultRounds;
}

struct Soak {
    QTemporaryDir Dir;
    BenchPlatform Platform;
    std::unique_ptr<TMainForm> Main;
    QString Cfg;
    double Warm = -1, Highest = -1, Last = -1;
    QString Fault;

    Soak() {
        Platform.Root = Dir.path();
        Platform.PrintBoxes = false; // the save's notice about an unknown form, every round
        SetPlatform(&Platform);
        const QString forms = Dir.path() + "/Documents/Kestrova/Forms/";
        QByteArray master;
        for (int i = 0; i < 40; ++i)
            master += "Key" + QByteArray::number(i) + "\r\n";
        QDir().mkpath(forms + "Soak");
        QFile m(forms + "master.txt");
        if (!m.open(QIODevice::WriteOnly) || m.write(master) != master.size())
            qFatal("cannot write the master list");
        m.close();
        const QString png = forms + "Soak/Scan.png";
        if (!GreyScanPage(7).save(png, "PNG"))
            qFatal("cannot write the form image");
        Cfg = forms + "Soak/Scan.cfg";

        Main = std::make_unique<TMainForm>();
        Main->show();
        QApplication::processEvents();
        CurrentCountry = "Soak";
        Main->ImageFilename = png;
        Main->AliasName = "Scan";
        Main->LoadFiles();
        QApplication::processEvents();
    }
    ~Soak() {
        Main.reset();
        SetPlatform(nullptr);
    }

    void Click(const QString& key, QPoint at, QPoint boxEnd = {}) {
        Main->CurrentText = key;
        Main->FixMousePos = at;
        Main->BoxInProgress = !boxEnd.isNull();
        const QPoint end = boxEnd.isNull() ? at : boxEnd;
        QMouseEvent up(QEvent::MouseButtonRelease, end, Main->Image1->mapToGlobal(end),
                       boxEnd.isNull() ? Qt::LeftButton : Qt::RightButton, Qt::NoButton,
                       Qt::NoModifier);
        Main->Image1MouseUp(&up);
        QApplication::processEvents();
    }

    bool FileHolds(const QStringList& lines, const char* when) {
        QStringList read;
        try {
            read = ReadTextLines(Cfg);
        } catch (const std::exception& e) {
            Fault = QStringLiteral("%1: %2").arg(when, QString::fromUtf8(e.what()));
            return false;
        }
        if (read != lines) {
            Fault = QStringLiteral("%1: the file holds %2 lines, the document %3")
                        .arg(when)
                        .arg(read.size())
                        .arg(lines.size());
            return false;
        }
        return true;
    }

    // One round; false (with Fault) when the file and the document differ.
    bool Round(int i) {
        const QString a = QStringLiteral("Key%1").arg(i % 40);
        const QString b = QStringLiteral("Key%1").arg((i + 17) % 40);
        const int y = 200 + (i % 25) * 120;
        Click(a, {200 + i % 300, y});
        Click(a, {900, y + 30}); // placed again: its line moves to the end
        Click(b, {300, y + 60}, {1800, y + 90});
        for (int k = 0; k < 2; ++k) {
            Main->UndoBtnClick();
            QApplication::processEvents();
        }
        for (int k = 0; k < 2; ++k) {
            Main->RedoBtnClick();
            QApplication::processEvents();
        }
        Main->SaveConfig();
        if (Main->ConfigHasChanged()) {
            Fault = QStringLiteral("round %1: the save failed").arg(i);
            return false;
        }
        if (!FileHolds(Main->ConfigList(), "after the save"))
            return false;

        // An outside edit, newer than the save: the watch reloads it.
        QStringList edited = Main->ConfigList();
        edited.append(QStringLiteral("Note%1,%2,%3").arg(i % 7).arg(50 + i % 400).arg(60));
        if (edited.size() > 60)
            edited.removeFirst();
        WriteTextLines(Cfg, edited, TextEncoding::Ansi);
        QFile f(Cfg);
        if (!f.open(QIODevice::ReadWrite) || !f.setFileTime(QDateTime::currentDateTime().addSecs(2),
                                                            QFileDevice::FileModificationTime)) {
            Fault = QStringLiteral("round %1: cannot date the outside edit").arg(i);
            return false;
        }
        f.close();
        Main->EditInProgress = true;
        Main->CheckFileTimerTimer();
        QApplication::processEvents();
        if (!Main->CheckFileTimer->isActive()) {
            Fault = QStringLiteral("round %1: the watch stopped").arg(i);
            return false;
        }
        if (Main->ConfigList() != edited || Main->ConfigHasChanged() || Main->CanUndo()) {
            Fault = QStringLiteral("round %1: the reload does not hold the edited file").arg(i);
            return false;
        }
        return FileHolds(Main->ConfigList(), "after the reload");
    }
};

std::unique_ptr<Soak> GSoak;

void BM_SoakRound(benchmark::State& state) {
    if (!GSoak)
        GSoak = std::make_unique<Soak>();
    Soak& s = *GSoak;
    const int warmUp = std::max(1, int(state.max_iterations / 10));
    int i = 0;
    for (auto _ : state) {
        if (!s.Round(i)) {
            state.SkipWithError(qPrintable(s.Fault));
            break;
        }
        ++i;
        if (i == warmUp) {
            s.Warm = ResidentBytes();
        } else if (i > warmUp && (i % 10 == 0 || i == int(state.max_iterations))) {
            s.Last = ResidentBytes();
            s.Highest = std::max(s.Highest, s.Last);
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    if (qgetenv("QT_QPA_PLATFORM").isEmpty())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rounds = Rounds();
    benchmark::RegisterBenchmark("BM_SoakRound", BM_SoakRound)
        ->Iterations(rounds)
        ->Unit(benchmark::kMillisecond);
    int status = RunAndPrintRatios(argc, argv, {});
    const Soak* s = GSoak.get();
    if (!s || !s->Fault.isEmpty() || s->Warm <= 0 || s->Highest <= 0) {
        std::printf("Soak of %d rounds: not measured%s%s\n", rounds,
                    s && !s->Fault.isEmpty() ? ": " : "", s ? qPrintable(s->Fault) : "");
        status = NotMeasured;
    } else {
        const double ratio = s->Highest / s->Warm;
        const bool ok = ratio <= FlatMax;
        std::printf("Soak of %d rounds: the layout file read back as the document held it "
                    "every time; resident memory %.1f MB after the first %d rounds, at most "
                    "%.1f MB after (%.1f MB at the end): ratio %.3f (target <= %.2f): %s\n",
                    rounds, s->Warm / 1e6, std::max(1, rounds / 10), s->Highest / 1e6,
                    s->Last / 1e6, ratio, FlatMax,
                    ok ? "meets the target" : "DOES NOT meet the target");
        if (!ok && status == TargetsMet)
            status = TargetMissed;
    }
    std::fflush(stdout);
    GSoak.reset();
    return status;
}
