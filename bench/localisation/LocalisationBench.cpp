// The localisation runtime against the bare work it stands for: a lookup
// through a translator bound to a catalogue folder against a hash-map lookup
// of the same key; opening a large catalogue against opening a small one; and
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

struct Fixture {
    QTemporaryDir Dir;
    QString Program;
    Entries Catalogue;
    std::unordered_map<std::string, std::string> Map;
    std::unique_ptr<TFileLocator> Locator;
    std::unique_ptr<TGnuGettextInstance> Translator;
    std::string Key, Expected;
    QString KeyText;
    QString Small, Large, Scanned;

    Fixture() {
        Program = Dir.filePath(QStringLiteral("formdesigner"));
        Catalogue = MakeEntries(5000, 1);
        for (const auto& [k, v] : Catalogue)
            Map.emplace(k, v);
        WriteFile(Dir.filePath(QStringLiteral("locale/de/LC_MESSAGES/default.mo")),
                  MoBytes(Catalogue));
        Key = Catalogue[2345].first;
        Expected = Catalogue[2345].second;
        KeyText = QString::fromStdString(Key);
        Locator = std::make_unique<TFileLocator>(Program);
        Translator = std::make_unique<TGnuGettextInstance>(*Locator);
        Translator->UseLanguage(QStringLiteral("de"));
        if (Translator->gettext(KeyText) != QString::fromStdString(Expected))
            qFatal("the runtime does not find the key");

        Small = Dir.filePath(QStringLiteral("small.mo"));
        Large = Dir.filePath(QStringLiteral("large.mo"));
        WriteFile(Small, MoBytes(MakeEntries(CountForSize(10 << 10), 2)));
        WriteFile(Large, MoBytes(MakeEntries(CountForSize(10 << 20), 3)));

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

void BM_RuntimeGettext(benchmark::State& s) {
    Fixture& f = F();
    for (auto _ : s) {
        QString t = f.Translator->gettext(f.KeyText);
        benchmark::DoNotOptimize(t.constData());
    }
}
BENCHMARK(BM_RuntimeGettext);

// Informational: the catalogue's own search for the key, UTF-8 in and out,
// which the translator runs the first time it is asked for a message.
void BM_CatalogueSearch(benchmark::State& s) {
    Fixture& f = F();
    TMoFile* mo =
        f.Locator->GetMoFile(f.Dir.filePath(QStringLiteral("locale/de/LC_MESSAGES/default.mo")));
    bool found = false;
    for (auto _ : s) {
        const std::string_view r = mo->Lookup(f.Key, found);
        benchmark::DoNotOptimize(r.data());
    }
    if (!found)
        s.SkipWithError("the key is not found");
    f.Locator->ReleaseMoFile(mo);
}
BENCHMARK(BM_CatalogueSearch);

void BM_UnorderedMapLookup(benchmark::State& s) {
    Fixture& f = F();
    for (auto _ : s) {
        auto it = f.Map.find(f.Key);
        benchmark::DoNotOptimize(it->second.data());
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
void BM_OpenCatalogue10KB(benchmark::State& s) {
    OpenCatalogue(s, F().Small);
}
void BM_OpenCatalogue10MB(benchmark::State& s) {
    OpenCatalogue(s, F().Large);
}
BENCHMARK(BM_OpenCatalogue10KB)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OpenCatalogue10MB)->Unit(benchmark::kMicrosecond);

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
        {{"gettext, present key of 5,000, UTF-16 in and out, vs std::unordered_map lookup",
          "BM_RuntimeGettext", "BM_UnorderedMapLookup", 3.0},
         {"Opening a 10 MB catalogue vs a 10 KB one", "BM_OpenCatalogue10MB",
          "BM_OpenCatalogue10KB", 1.5},
         {"Start-up scan of a 50 MB program file without markers vs reading it once",
          "BM_ScanProgramFile", "BM_ReadProgramFileOnce", 2.0}});
}
