// Start-up of the designer with German on, against the start of a bare Qt
// window program: whole processes in a private X server, each timed from its
// start until its first window is mapped, run side by side in one run.
#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <X11/Xlib.h>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <map>
#include <spawn.h>
#include <string>
#include <sys/select.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

// The target: the designer's start at most this many times the bare window's.
constexpr double MaxRatio = 1.5;

pid_t Spawn(const std::vector<std::string>& argv, const std::vector<std::string>& env) {
    std::vector<char*> a, e;
    for (const std::string& s : argv)
        a.push_back(const_cast<char*>(s.c_str()));
    a.push_back(nullptr);
    for (const std::string& s : env)
        e.push_back(const_cast<char*>(s.c_str()));
    e.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // The programs' own messages would only get in the way of the report.
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    if (posix_spawn(&pid, a[0], &actions, nullptr, a.data(), e.data()) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

void End(pid_t pid) {
    if (pid <= 0)
        return;
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
}

struct Session {
    pid_t Server = -1;
    std::string Display;
    ::Display* Connection = nullptr;
    QTemporaryDir Home;
    QTemporaryDir EnglishHome;
    std::vector<std::string> DesignerEnv, EnglishEnv, BareEnv;
};
Session* S = nullptr;

bool StartServer(Session& s) {
    for (int n = 140; n < 200; ++n) {
        if (QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n)) ||
            QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(n)))
            continue;
        s.Display = QStringLiteral(":%1").arg(n).toStdString();
        s.Server = Spawn(
            {"/usr/bin/Xvfb", s.Display, "-screen", "0", "1920x1080x24", "-nolisten", "tcp"}, {});
        for (int i = 0; i < 100 && !s.Connection; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            s.Connection = XOpenDisplay(s.Display.c_str());
        }
        if (s.Connection)
            return true;
        End(s.Server);
    }
    return false;
}

// A demo profile in Home with Language set to Code in the companion's settings.
bool SeedProfile(const QString& home, const QByteArray& code) {
    if (QProcess::execute(QStringLiteral("bash"),
                          {QStringLiteral(KFD_SOURCE_DIR "/scripts/seed-profile.sh"), home}) != 0)
        return false;
    QFile ini(home + QStringLiteral("/.config/Kestrova/Kestrova.ini"));
    if (!ini.open(QIODevice::ReadOnly))
        return false;
    QByteArray text = ini.readAll();
    ini.close();
    text.replace("Language=en", "Language=" + code);
    if (!text.contains("Language=" + code) || !ini.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    ini.write(text);
    ini.close();
    const QString run = home + QStringLiteral("/run");
    QDir().mkpath(run);
    chmod(run.toLocal8Bit().constData(), 0700);
    return true;
}

std::vector<std::string> Environment(const Session& s, const QString& home) {
    return {"DISPLAY=" + s.Display,
            "QT_QPA_PLATFORM=xcb",
            "QT_ENABLE_HIGHDPI_SCALING=0",
            "XDG_RUNTIME_DIR=" + home.toStdString() + "/run",
            "PATH=/usr/bin:/bin",
            "HOME=" + home.toStdString(),
            "XDG_CONFIG_HOME=" + home.toStdString() + "/.config"};
}

bool SeedProfiles(Session& s) {
    if (!SeedProfile(s.Home.path(), "de") || !SeedProfile(s.EnglishHome.path(), "en"))
        return false;
    s.DesignerEnv = Environment(s, s.Home.path());
    s.EnglishEnv = Environment(s, s.EnglishHome.path());
    s.BareEnv = s.DesignerEnv;
    return true;
}

// Waits for the first top-level window to be mapped; false after 30 seconds.
bool WaitForWindow(::Display* d) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    const int fd = ConnectionNumber(d);
    while (std::chrono::steady_clock::now() < end) {
        while (XPending(d)) {
            XEvent ev;
            XNextEvent(d, &ev);
            if (ev.type == MapNotify)
                return true;
        }
        fd_set set;
        FD_ZERO(&set);
        FD_SET(fd, &set);
        timeval tv{0, 20000};
        select(fd + 1, &set, nullptr, nullptr, &tv);
    }
    return false;
}

void StartUntilWindow(benchmark::State& state, const char* program,
                      const std::vector<std::string>& env) {
    ::Display* d = S->Connection;
    XSelectInput(d, DefaultRootWindow(d), SubstructureNotifyMask);
    for (auto _ : state) {
        XSync(d, True); // nothing left over from the run before
        const auto start = std::chrono::steady_clock::now();
        const pid_t pid = Spawn({program}, env);
        const bool shown = pid > 0 && WaitForWindow(d);
        const auto stop = std::chrono::steady_clock::now();
        End(pid);
        if (!shown) {
            state.SkipWithError("the window did not show");
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(stop - start).count());
    }
}

void BM_BareQtWindowStart(benchmark::State& state) {
    StartUntilWindow(state, KFD_BARE_WINDOW, S->BareEnv);
}
void BM_DesignerStartGerman(benchmark::State& state) {
    StartUntilWindow(state, KFD_DESIGNER, S->DesignerEnv);
}
// For information: what German adds to the designer's own start.
void BM_DesignerStartEnglish(benchmark::State& state) {
    StartUntilWindow(state, KFD_DESIGNER, S->EnglishEnv);
}

// Repetitions of the two are interleaved (see main), so that both see the
// same load of the machine.
BENCHMARK(BM_BareQtWindowStart)
    ->UseManualTime()
    ->Iterations(5)
    ->Repetitions(4)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DesignerStartGerman)
    ->UseManualTime()
    ->Iterations(5)
    ->Repetitions(4)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DesignerStartEnglish)
    ->UseManualTime()
    ->Iterations(5)
    ->Repetitions(4)
    ->Unit(benchmark::kMillisecond);

// Whole processes: wall time until the window shows, not the CPU time of
// this program. The median of the repetitions of each.
class StartReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs)
            if (r.run_type == Run::RT_Aggregate && r.aggregate_name == "median" &&
                !r.error_occurred)
                Median[r.run_name.function_name] = r.GetAdjustedRealTime();
    }
    std::map<std::string, double> Median;
};

} // namespace

int main(int argc, char** argv) {
    std::vector<char*> args(argv, argv + argc);
    char interleave[] = "--benchmark_enable_random_interleaving=true";
    args.insert(args.begin() + 1, interleave);
    int count = int(args.size());
    benchmark::Initialize(&count, args.data());
    Session session;
    S = &session;
    if (!StartServer(session) || !SeedProfiles(session)) {
        std::fprintf(stderr, "cannot start Xvfb or seed the profile\n");
        End(session.Server);
        return 1;
    }
    StartReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    XCloseDisplay(session.Connection);
    End(session.Server);

    const auto bare = reporter.Median.find("BM_BareQtWindowStart");
    const auto designer = reporter.Median.find("BM_DesignerStartGerman");
    std::printf("\n");
    if (bare == reporter.Median.end() || designer == reporter.Median.end() || bare->second <= 0) {
        std::printf("designer start-up in German vs a bare Qt window: not measured\n");
        return 1;
    }
    const auto english = reporter.Median.find("BM_DesignerStartEnglish");
    if (english != reporter.Median.end() && english->second > 0)
        std::printf("designer start-up in German vs in English: ratio %.2f (for information, no "
                    "target)\n",
                    designer->second / english->second);
    const double ratio = designer->second / bare->second;
    const bool ok = ratio <= MaxRatio;
    std::printf("designer start-up in German (until its window shows) vs a bare Qt window "
                "program: ratio %.2f (target <= %.2f): %s\n",
                ratio, MaxRatio, ok ? "meets the target" : "DOES NOT meet the target");
    return ok ? 0 : 1;
}
