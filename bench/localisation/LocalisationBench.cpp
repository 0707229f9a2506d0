// The localisation runtime against the bare work it stands for: lookups
// through a translator bound to a catalogue folder against hash-map lookups of
// the same keys; opening a large catalogue against opening a small one; and
// the start-up scan of a program file without markers against reading it once.
#include "BenchRatios.h"

#include "localisation/FileLocator.h"
#include "localisation/GnuGettextInstance.h"
#include "localisation/MoFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <fcntl.h>
#include <memory>
#include <string>
#include <unistd.h>
#include <unordered_map>
#include <utility>
#include <vector>

using namespace GnuGettext;

namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;

const char* const Words[] = {"open",   "the",    "file",    "form",   "field", "save",
                             "cannot", "select", "country", "layout", "key",   "image",
                             "page",   "print",  "value",   "name",   "new",   "delete",
                             "all",    "for",    "with",    "error",  "show",  "data"};

// Count entries shaped like a program's messages: a few words and a number.
// The header entry (empty key) comes first and declares UTF-8.
Entries MakeEntries(int count, quint32 seed) {
    QRandomGenerator rng(seed);
    Entries e;
    e.emplace_back("", "Content-Type: text/plain; charset=UTF-8\nPlural-Forms: nplurals=2; "
                       "plural=(n != 1);\n");
    for (int i = 0; i < count - 1; ++i) {
        std::string key, value;
        const int words = 3 + int(rng.bounded(6));
        for (int w = 0; w < words; ++w) {
            const std::string word = Words[rng.bounded(int(std::size(Words)))];
            if (w) {
                key += ' ';
                value += ' ';
            }
            key += word;
            value.append(word.rbegin(), word.rend());
        }
        key += ' ';
        key += std::to_string(i);
        value += " \xC3\xBC";
        value += std::to_string(i);
        e.emplace_back(std::move(key), std::move(value));
    }
    std::sort(e.begin(), e.end());
    return e;
}

void Put32(std::string& out, size_t at, quint32 v) {
    for (int i = 0; i < 4; ++i)
        out[at + size_t(i)] = char((v >> (8 * i)) & 0xFF);
}

// The catalogue in the MO layout: header, original table, translated table,
// then the strings, each with its NUL. No hash table.
QByteArray MoBytes(const Entries& e) {
    const quint32 n = quint32(e.size());
    const size_t o = 28, t = o + 8 * size_t(n);
    std::string out(t + 8 * size_t(n), '\0');
    Put32(out, 0, 0x950412de);
    Put32(out, 8, n);
    Put32(out, 12, quint32(o));
    Put32(out, 16, quint32(t));
    Put32(out, 24, quint32(out.size()));
    for (int pass = 0; pass < 2; ++pass) {
        for (quint32 i = 0; i < n; ++i) {
            const std::string& s = pass ? e[i].second : e[i].first;
            const size_t entry = (pass ? t : o) + 8 * size_t(i);
            Put32(out, entry, quint32(s.size()));
            Put32(out, entry + 4, quint32(out.size()));
            out += s;
            out += '\0';
        }
    }
    return QByteArray(out.data(), qsizetype(out.size()));
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

// Entries until the catalogue reaches about Bytes bytes.
int CountForSize(qint64 bytes) {
    const Entries sample = MakeEntries(1000, 7);
    return int(bytes * 1000 / MoBytes(sample).size());
}

// Count entries whose strings are padded until the catalogue reaches about
// Bytes bytes: as many strings as a small catalogue, each of them long.
Entries MakeLongEntries(int count, qint64 bytes, quint32 seed) {
    Entries e = MakeEntries(count, seed);
    const size_t pad = size_t(bytes / (2 * qint64(count)));
    for (auto& [key, value] : e) {
        if (key.empty())
            continue; // the header stays as it is
        key.append(pad, '.');
        value.append(pad, '~');
    }
    std::sort(e.begin(), e.end());
    return e;
}

struct Fixture {
    QTemporaryDir Dir;
    QString Program;
    Entries Catalogue;
    std::unordered_map<std::string, std::string> Map;
    std::unique_ptr<TFileLocator> Locator;
    std::unique_ptr<TGnuGettextInstance> Translator;
    // Every present key of the catalogue, in one fixed shuffled order, for
    // both sides of the lookup comparison.
    std::vector<std::string> Keys;
    std::vector<QString> KeyTexts;
    QString Small, LargeLong, LargeShort, Scanned;

    Fixture() {
        Program = Dir.filePath(QStringLiteral("formdesigner"));
        Catalogue = MakeEntries(5000, 1);
        for (const auto& [k, v] : Catalogue)
            Map.emplace(k, v);
        WriteFile(Dir.filePath(QStringLiteral("locale/de/LC_MESSAGES/default.mo")),
                  MoBytes(Catalogue));
        std::vector<size_t> order;
        for (size_t i = 1; i < Catalogue.size(); ++i) // not the header
            order.push_back(i);
        QRandomGenerator shuffle(5);
        for (size_t i = order.size() - 1; i > 0; --i)
            std::swap(order[i], order[size_t(shuffle.bounded(quint32(i + 1)))]);
        Locator = std::make_unique<TFileLocator>(Program);
        Translator = std::make_unique<TGnuGettextInstance>(*Locator);
        Translator->UseLanguage(QStringLiteral("de"));
        for (size_t i : order) {
            Keys.push_back(Catalogue[i].first);
            KeyTexts.push_back(QString::fromStdString(Catalogue[i].first));
            if (Translator->gettext(KeyTexts.back()) != QString::fromStdString(Catalogue[i].second))
                qFatal("the runtime does not find a key");
        }

        // The 10 KB catalogue and the long-string 10 MB one hold the same
        // number of strings; the short-string 10 MB one a thousand times as many.
        const int smallCount = CountForSize(10 << 10);
        Small = Dir.filePath(QStringLiteral("small.mo"));
        LargeLong = Dir.filePath(QStringLiteral("large-long.mo"));
        LargeShort = Dir.filePath(QStringLiteral("large-short.mo"));
        WriteFile(Small, MoBytes(MakeEntries(smallCount, 2)));
        WriteFile(LargeLong, MoBytes(MakeLongEntries(smallCount, 10 << 20, 3)));
        WriteFile(LargeShort, MoBytes(MakeEntries(CountForSize(10 << 20), 3)));

        // A program image without markers: random bytes, written in 1 MB pieces.
        Scanned = Dir.filePath(QStringLiteral("program50"));
        QFile f(Scanned);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            qFatal("cannot write the program image");
        QRandomGenerator rng(4);
        QByteArray block(1 << 20, Qt::Uninitialized);
        for (int i = 0; i < 50; ++i) {
            rng.fillRange(reinterpret_cast<quint32*>(block.data()), block.size() / 4);
            f.write(block);
        }
        f.close();
        TFileLocator probe(Scanned);
        probe.Analyze();
        if (!probe.EmbeddedFiles().empty())
            qFatal("the program image holds catalogues");
    }
};

Fixture& F() {
    static Fixture f;
    return f;
}

// Lookups rotate through all 5,000 present keys in a fixed shuffled order, on
// both sides, so that neither side is measured on one key kept hot in the
// cache. In the steady state the translator answers from its per-domain cache
// of decoded texts, as it does in the running program for messages asked for
// again (menus, dialogs, every retranslation).
void BM_RuntimeGettext(benchmark::State& s) {
    Fixture& f = F();
    const size_t n = f.KeyTexts.size();
    size_t i = 0;
    for (auto _ : s) {
        QString t = f.Translator->gettext(f.KeyTexts[i]);
        benchmark::DoNotOptimize(t.constData());
        if (++i == n)
            i = 0;
    }
}
BENCHMARK(BM_RuntimeGettext);

// Informational: first-time lookups, each key asked once since the catalogue
// was opened. Between passes over the keys the catalogue is released and
// opened again (outside the timed region), which empties the cache, so every
// timed lookup runs the catalogue's search and the UTF-8 round trip.
void BM_RuntimeGettextFirstTime(benchmark::State& s) {
    Fixture& f = F();
    const size_t n = f.KeyTexts.size();
    size_t i = n;
    const QString absent = QStringLiteral("not a message of the catalogue");
    for (auto _ : s) {
        if (i == n) {
            s.PauseTiming();
            f.Translator->UseLanguage(QStringLiteral("de"));
            (void)f.Translator->gettext(absent); // opens the catalogue again
            i = 0;
            s.ResumeTiming();
        }
        QString t = f.Translator->gettext(f.KeyTexts[i++]);
        benchmark::DoNotOptimize(t.constData());
    }
}
BENCHMARK(BM_RuntimeGettextFirstTime);

// Informational: the catalogue's own search, UTF-8 in and out, which the
// translator runs the first time it is asked for a message.
void BM_CatalogueSearch(benchmark::State& s) {
    Fixture& f = F();
    TMoFile* mo =
        f.Locator->GetMoFile(f.Dir.filePath(QStringLiteral("locale/de/LC_MESSAGES/default.mo")));
    const size_t n = f.Keys.size();
    size_t i = 0;
    bool found = true, all = true;
    for (auto _ : s) {
        const std::string_view r = mo->Lookup(f.Keys[i], found);
        benchmark::DoNotOptimize(r.data());
        all = all && found;
        if (++i == n)
            i = 0;
    }
    if (!all)
        s.SkipWithError("a key is not found");
    f.Locator->ReleaseMoFile(mo);
}
BENCHMARK(BM_CatalogueSearch);

void BM_UnorderedMapLookup(benchmark::State& s) {
    Fixture& f = F();
    const size_t n = f.Keys.size();
    size_t i = 0;
    for (auto _ : s) {
        auto it = f.Map.find(f.Keys[i]);
        benchmark::DoNotOptimize(it->second.data());
        if (++i == n)
            i = 0;
    }
}
BENCHMARK(BM_UnorderedMapLookup);

void OpenCatalogue(benchmark::State& s, const QString& path) {
    Fixture& f = F();
    for (auto _ : s) {
        TMoFile* mo = f.Locator->GetMoFile(path);
        benchmark::DoNotOptimize(mo->Count());
        f.Locator->ReleaseMoFile(mo);
    }
}
// Opening maps the file and checks the header, both tables and, from the
// tables alone, that every string lies inside the catalogue; no string's bytes
// are read. The measured pair holds the same number of strings (the 10 MB
// catalogue has long ones), so it shows that the bytes are mapped, not read:
// the cost must not grow with the catalogue's size in bytes. The 10 MB
// catalogue of many short strings is shown for information: its open grows
// with its number of strings, as every string is checked when the catalogue
// is opened, the price of refusing a corrupt catalogue then.
void BM_OpenCatalogue10KB(benchmark::State& s) {
    OpenCatalogue(s, F().Small);
}
void BM_OpenCatalogue10MBLongStrings(benchmark::State& s) {
    OpenCatalogue(s, F().LargeLong);
}
void BM_OpenCatalogue10MBShortStrings(benchmark::State& s) {
    OpenCatalogue(s, F().LargeShort);
}
BENCHMARK(BM_OpenCatalogue10KB)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OpenCatalogue10MBLongStrings)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OpenCatalogue10MBShortStrings)->Unit(benchmark::kMicrosecond);

void BM_ScanProgramFile(benchmark::State& s) {
    Fixture& f = F();
    for (auto _ : s) {
        TFileLocator locator(f.Scanned);
        locator.Analyze();
        benchmark::DoNotOptimize(locator.EmbeddedFiles().size());
    }
}
BENCHMARK(BM_ScanProgramFile)->Unit(benchmark::kMillisecond);

// The bare work: the file read once, in 1 MB pieces, into one buffer.
void BM_ReadProgramFileOnce(benchmark::State& s) {
    Fixture& f = F();
    const QByteArray name = QFile::encodeName(f.Scanned);
    std::vector<char> buffer(1 << 20);
    for (auto _ : s) {
        const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
        ssize_t got, total = 0;
        while ((got = ::read(fd, buffer.data(), buffer.size())) > 0)
            total += got;
        ::close(fd);
        benchmark::DoNotOptimize(total);
    }
}
BENCHMARK(BM_ReadProgramFileOnce)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    (void)F();
    return RunAndPrintRatios(
        argc, argv,
        {{"gettext, 5,000 present keys in turn, UTF-16 in and out, vs std::unordered_map lookup",
          "BM_RuntimeGettext", "BM_UnorderedMapLookup", 3.0},
         {"gettext, first-time lookups (cache emptied between passes) vs std::unordered_map",
          "BM_RuntimeGettextFirstTime", "BM_UnorderedMapLookup", 0, true},
         {"Opening a 10 MB catalogue (long strings, as many as the 10 KB one) vs a 10 KB one",
          "BM_OpenCatalogue10MBLongStrings", "BM_OpenCatalogue10KB", 1.5},
         {"Opening a 10 MB catalogue of short strings (1,000 times as many) vs a 10 KB one",
          "BM_OpenCatalogue10MBShortStrings", "BM_OpenCatalogue10KB", 0, true},
         {"Start-up scan of a 50 MB program file without markers vs reading it once",
          "BM_ScanProgramFile", "BM_ReadProgramFileOnce", 2.0}});
}
