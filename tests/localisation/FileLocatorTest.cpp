#include "LocalisationTestSupport.h"

#include "localisation/FileLocator.h"
#include "localisation/GnuGettextErrors.h"
#include "localisation/GnuGettextInstance.h"
#include "localisation/MoFile.h"

#include <QBuffer>
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace GnuGettext;

namespace {

constexpr qint64 Blocks[] = {100000, 1 << 18, 3 << 18, 1 << 20, 2 * (1 << 20)};

QByteArray Filler(qsizetype n) {
    QByteArray b(n, '\0');
    for (qsizetype i = 0; i < n; ++i)
        b[i] = char("program image "[i % 14]);
    return b;
}

qint64 Find(const QByteArray& marker, const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return TFileLocator::FindSignaturePos(marker, buffer);
}

std::map<QString, TEmbeddedFileInfo> Scan(const QString& programFile) {
    TFileLocator locator(programFile);
    locator.Analyze();
    const auto files = locator.EmbeddedFiles();
    return {files.begin(), files.end()};
}

const QString DeName = QStringLiteral("locale/de/LC_MESSAGES/default.mo");
const QString PlName = QStringLiteral("locale/pl/LC_MESSAGES/default.mo");

} // namespace

TEST(FileLocator, MarkerIsFoundWhereverItFallsAgainstTheReadingBlocks) {
    const QByteArray marker = BeginMarkerBytes();
    ASSERT_EQ(marker.size(), TFileLocator::MarkerLength);
    ASSERT_EQ(marker, TFileLocator::BeginMarker());
    ASSERT_EQ(EndMarkerBytes(), TFileLocator::EndMarker());
    for (qint64 boundary : Blocks) {
        // Wholly before, straddling at every split, and starting right on the boundary.
        for (qint64 shift : {-39, -38, -20, -1, 0, 1}) {
            const qint64 at = boundary + shift;
            const QByteArray bytes = Filler(at) + marker + Filler(5000);
            EXPECT_EQ(Find(marker, bytes), at) << boundary << " " << shift;
            // The same marker once more, later: the first occurrence wins.
            EXPECT_EQ(Find(marker, bytes + Filler(300000) + marker), at)
                << boundary << " " << shift;
        }
    }
    // A marker that ends the file exactly, and one cut short by the end of the file.
    const QByteArray tail = Filler(1 << 20) + marker;
    EXPECT_EQ(Find(marker, tail), 1 << 20);
    EXPECT_EQ(Find(marker, tail.chopped(1)), 0);
    // At position 0 the marker counts as absent; so does an empty marker.
    EXPECT_EQ(Find(marker, marker + Filler(100)), 0);
    EXPECT_EQ(Find(QByteArray(), Filler(100) + marker), 0);
    EXPECT_EQ(Find(marker, Filler(3 << 20)), 0);
    // Almost the marker everywhere: never a false match.
    EXPECT_EQ(Find(marker, (marker.chopped(1) + "X").repeated(30000)), 0);
}

TEST(FileLocator, HandBuiltLayoutIsRegisteredWithAbsoluteOffsets) {
    QTemporaryDir dir;
    const QByteArray de = CompileCatalogue(GermanPo());
    const QByteArray pl = CompileCatalogue(PolishPo());
    const QByteArray prefix = Filler(123457);
    // Names padded with blanks and control characters, which are trimmed.
    const QByteArray bytes =
        BuildEmbedded(prefix, {{"  " + DeName.toUtf8() + QByteArray("\0\0\t\r\n ", 7), de},
                               {PlName.toUtf8() + "    ", pl}});
    const QString program = dir.filePath(QStringLiteral("designer"));
    WriteFile(program, bytes);

    const auto files = Scan(program);
    ASSERT_EQ(files.size(), 2u);
    const qint64 base = prefix.size() + TFileLocator::MarkerLength;
    ASSERT_TRUE(files.count(DeName));
    ASSERT_TRUE(files.count(PlName));
    EXPECT_EQ(files.at(DeName).offset, base);
    EXPECT_EQ(files.at(DeName).size, de.size());
    EXPECT_EQ(files.at(PlName).offset, base + de.size());
    EXPECT_EQ(files.at(PlName).size, pl.size());
    EXPECT_EQ(bytes.mid(files.at(PlName).offset, files.at(PlName).size), pl);

    TFileLocator locator(program);
    locator.Analyze();
    EXPECT_EQ(locator.BaseDirectory(), QDir(dir.path()).absolutePath() + QLatin1Char('/'));
    const QString full = locator.BaseDirectory() + DeName;
    EXPECT_TRUE(locator.FileExists(full));
    // The name below the folder is compared ignoring case.
    EXPECT_TRUE(locator.FileExists(locator.BaseDirectory() +
                                   QStringLiteral("locale/DE/lc_messages/DEFAULT.mo")));
    // Only names below the program folder, with the folder spelt exactly.
    EXPECT_FALSE(locator.FileExists(DeName));
    EXPECT_FALSE(locator.FileExists(QStringLiteral("/elsewhere/") + DeName));
    EXPECT_FALSE(locator.FileExists(locator.BaseDirectory().toUpper() + DeName));

    // The embedded catalogue opens from the program file at its offset.
    TMoFile* mo = locator.GetMoFile(full);
    bool found = false;
    EXPECT_EQ(mo->gettext("Open", found), QByteArray("Öffnen"));
    EXPECT_TRUE(found);
    EXPECT_EQ(mo->FileName(), program);
    locator.ReleaseMoFile(mo);
    EXPECT_EQ(locator.OpenCatalogues(), 0);
}

TEST(FileLocator, ScanOfLayoutsAgainstBlockBoundariesAndRepeats) {
    QTemporaryDir dir;
    const QByteArray de = CompileCatalogue(GermanPo());
    const QString program = dir.filePath(QStringLiteral("designer"));
    for (qint64 boundary : {qint64(100000), qint64(1 << 18), qint64(1 << 20)}) {
        // Begin marker straddling the boundary.
        for (qint64 shift : {-20, -1}) {
            WriteFile(program, BuildEmbedded(Filler(boundary + shift), {{DeName.toUtf8(), de}}));
            const auto files = Scan(program);
            ASSERT_EQ(files.size(), 1u) << boundary << " " << shift;
            EXPECT_EQ(files.begin()->second.offset, boundary + shift + 39);
        }
        // End marker straddling the boundary.
        const qint64 layoutEnd = BuildEmbedded({}, {{DeName.toUtf8(), de}}).size();
        const qint64 prefix = boundary - (layoutEnd - 39) - 17;
        WriteFile(program, BuildEmbedded(Filler(prefix), {{DeName.toUtf8(), de}}));
        EXPECT_EQ(Scan(program).size(), 1u) << boundary;
    }

    // Two complete layouts: the first markers are used, the second layout is only bytes.
    const QByteArray first = BuildEmbedded(Filler(1000), {{DeName.toUtf8(), de}});
    WriteFile(program, BuildEmbedded(first, {{PlName.toUtf8(), de}}));
    const auto files = Scan(program);
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files.begin()->first, DeName);
    EXPECT_EQ(files.begin()->second.offset, 1000 + 39);

    // No markers, or only one of them: nothing embedded, no name exists.
    for (const QByteArray& bytes :
         {Filler(5000), Filler(5000) + BeginMarkerBytes() + Filler(100),
          Filler(5000) + EndMarkerBytes(), BeginMarkerBytes() + de + EndMarkerBytes()}) {
        WriteFile(program, bytes);
        TFileLocator locator(program);
        locator.Analyze();
        EXPECT_TRUE(locator.EmbeddedFiles().empty());
        EXPECT_FALSE(locator.FileExists(locator.BaseDirectory() + DeName));
    }
    // A program file that cannot be read leaves the list empty too.
    EXPECT_TRUE(Scan(dir.filePath(QStringLiteral("missing"))).empty());
}

TEST(FileLocator, DiskFileTakesPrecedenceAndDuplicateNameEndsTheScan) {
    QTemporaryDir dir;
    const QByteArray de = CompileCatalogue(GermanPo());
    const QByteArray pl = CompileCatalogue(PolishPo());
    const QString program = dir.filePath(QStringLiteral("designer"));
    const QString frName = QStringLiteral("locale/fr/LC_MESSAGES/default.mo");
    const QString itName = QStringLiteral("locale/it/LC_MESSAGES/default.mo");
    WriteFile(program, BuildEmbedded(Filler(4000), {{DeName.toUtf8(), de},
                                                    {PlName.toUtf8(), pl},
                                                    {DeName.toUpper().toUtf8(), pl},
                                                    {frName.toUtf8(), de}}));
    auto files = Scan(program);
    EXPECT_EQ(files.size(), 2u);
    EXPECT_TRUE(files.count(DeName));
    EXPECT_TRUE(files.count(PlName));
    EXPECT_FALSE(files.count(frName)) << "the scan goes on after a duplicate";
    EXPECT_EQ(files.at(DeName).size, de.size()) << "the first of the two names is kept";

    // With the Polish catalogue also on disk beside the program, the embedded one is dropped.
    WriteFile(program,
              BuildEmbedded(Filler(4000),
                            {{DeName.toUtf8(), de}, {PlName.toUtf8(), pl}, {itName.toUtf8(), de}}));
    WriteFile(dir.filePath(PlName), pl);
    files = Scan(program);
    EXPECT_EQ(files.size(), 2u);
    EXPECT_TRUE(files.count(DeName));
    EXPECT_TRUE(files.count(itName));
    EXPECT_FALSE(files.count(PlName));
}

TEST(FileLocator, NamesLeavingTheProgramFolderAreLoggedAndSkipped) {
    QTemporaryDir dir;
    const QString program = dir.filePath(QStringLiteral("designer"));
    const QByteArray de = CompileCatalogue(GermanPo());
    // The scan goes on after each refused name: the last entry is registered.
    const char* refused[] = {
        "../x.mo",   "locale/../../x.mo", "locale/de/..",         "..",
        "/etc/x.mo", "\\server\\x.mo",    "locale\\..\\..\\x.mo", "  ../padded.mo  "};
    const char* kept[] = {"locale/de..x/LC_MESSAGES/default.mo", "..hidden/a.mo", "a/b../c.mo"};
    for (const char* name : refused) {
        LogCapture log;
        WriteFile(program,
                  BuildEmbedded(Filler(300), {{QByteArray(name), de}, {DeName.toUtf8(), de}}));
        const auto files = Scan(program);
        EXPECT_EQ(files.size(), 1u) << name;
        EXPECT_TRUE(files.count(DeName)) << name;
        EXPECT_EQ(log.Lines,
                  QStringList{QStringLiteral("ERROR: Embedded catalogue skipped, its name leaves "
                                             "the program folder: ") +
                              QString::fromUtf8(name).trimmed()})
            << name;
    }
    // A name with a NUL inside would be cut short on disk.
    {
        LogCapture log;
        WriteFile(program, BuildEmbedded(Filler(300), {{QByteArray("locale\0/../../x.mo", 18), de},
                                                       {DeName.toUtf8(), de}}));
        EXPECT_EQ(Scan(program).size(), 1u);
        EXPECT_EQ(log.Lines.size(), 1);
    }
    for (const char* name : kept) {
        LogCapture log;
        WriteFile(program, BuildEmbedded(Filler(300), {{QByteArray(name), de}}));
        const auto files = Scan(program);
        EXPECT_TRUE(files.count(QString::fromUtf8(name))) << name;
        EXPECT_TRUE(log.Lines.isEmpty()) << name;
    }
}

namespace {
void AppendInt64(QByteArray& to, qint64 value) {
    for (int i = 0; i < 8; ++i)
        to.append(char(quint64(value) >> (8 * i)));
}
} // namespace

TEST(FileLocator, HostileDirectoriesEndTheScanKeepingEarlierEntries) {
    QTemporaryDir dir;
    const QString program = dir.filePath(QStringLiteral("designer"));
    const QByteArray data("catalogue bytes");
    // One good entry, then a second entry whose fields come from the case.
    struct Case {
        const char* What;
        qint64 Next; // relative to the second entry's position
        qint64 Offset;
        qint64 Size;
    };
    const Case cases[] = {
        {"next pointing at itself", 0, 0, 4},
        {"next pointing backwards", -40, 0, 4},
        {"next inside the entry's own fields", 10, 0, 4},
        {"next past the end marker", 1 << 20, 0, 4},
        {"offset before the base", 24 + 32, -1, 4},
        {"size past the file", 24 + 32, 0, 1 << 30},
        {"offset past the file", 24 + 32, 1 << 30, 4},
        {"negative size", 24 + 32, 0, -5},
    };
    for (const auto& c : cases) {
        QByteArray bytes = Filler(700) + BeginMarkerBytes();
        const qint64 base = bytes.size();
        bytes += data;
        const qint64 firstEntry = bytes.size();
        const QByteArray good = DeName.toUtf8();
        AppendInt64(bytes, firstEntry + 24 + good.size() - base);
        AppendInt64(bytes, 0);
        AppendInt64(bytes, data.size());
        bytes += good;
        const qint64 second = bytes.size();
        AppendInt64(bytes, second + c.Next - base);
        AppendInt64(bytes, c.Offset);
        AppendInt64(bytes, c.Size);
        bytes += "locale/xx/LC_MESSAGES/default.mo";
        AppendInt64(bytes, 0);
        AppendInt64(bytes, firstEntry - base);
        bytes += EndMarkerBytes();
        WriteFile(program, bytes);

        const auto files = Scan(program);
        EXPECT_EQ(files.size(), 1u) << c.What;
        EXPECT_TRUE(files.count(DeName)) << c.What;
    }

    // A first-entry offset that is negative or lies past the end marker.
    for (qint64 first : {qint64(-8), qint64(1) << 40}) {
        QByteArray bytes = Filler(700) + BeginMarkerBytes() + data;
        AppendInt64(bytes, first);
        bytes += EndMarkerBytes();
        WriteFile(program, bytes);
        EXPECT_TRUE(Scan(program).empty()) << first;
    }
    // A name that is not UTF-8.
    WriteFile(program, BuildEmbedded(Filler(10), {{"locale/de/\xff\xfe/default.mo", data}}));
    EXPECT_TRUE(Scan(program).empty());
}

TEST(FileLocator, DomainsShareOneCatalogueUntilTheLastReleasesIt) {
    QTemporaryDir dir;
    const QByteArray de = CompileCatalogue(GermanPo());
    const QString program = dir.filePath(QStringLiteral("designer"));
    WriteFile(program, BuildEmbedded(Filler(2000), {{DeName.toUtf8(), de}}));
    const QString disk = dir.filePath(QStringLiteral("other/de.mo"));
    WriteFile(disk, de);

    TFileLocator locator(program);
    locator.Analyze();
    {
        LogCapture log;
        TGnuGettextInstance translator(locator);
        translator.UseLanguage(QStringLiteral("de"));
        translator.bindtextdomainToFile(QStringLiteral("one"), disk);
        translator.bindtextdomainToFile(QStringLiteral("two"), disk);
        EXPECT_EQ(translator.dgettext(QStringLiteral("one"), QStringLiteral("Open")),
                  QStringLiteral("Öffnen"));
        EXPECT_EQ(translator.dgettext(QStringLiteral("two"), QStringLiteral("Open file")),
                  QStringLiteral("Datei öffnen"));
        TDomain* one = translator.FindDomain(QStringLiteral("one"));
        TDomain* two = translator.FindDomain(QStringLiteral("TWO"));
        ASSERT_TRUE(one && two);
        ASSERT_NE(one->Catalogue(), nullptr);
        EXPECT_EQ(one->Catalogue(), two->Catalogue());
        EXPECT_EQ(locator.OpenCatalogues(), 1);
        EXPECT_EQ(locator.UsersOf(one->Catalogue()), 2);

        // The same bytes embedded in the program are another catalogue: keyed
        // by the program file and its offset.
        EXPECT_EQ(translator.gettext(QStringLiteral("Open")), QStringLiteral("Öffnen"));
        TDomain* def = translator.FindDomain(QStringLiteral("default"));
        ASSERT_NE(def->Catalogue(), nullptr);
        EXPECT_NE(def->Catalogue(), one->Catalogue());
        EXPECT_EQ(def->Catalogue()->FileName(), program);
        EXPECT_EQ(locator.OpenCatalogues(), 2);
        EXPECT_TRUE(log.Lines.contains(
            QStringLiteral("DEBUG3: Domain default will attempt to use this embedded file: ") +
            locator.BaseDirectory() + DeName));

        // Rebinding one domain releases its hold; the catalogue lives on for the other.
        TMoFile* shared = two->Catalogue();
        translator.bindtextdomainToFile(QStringLiteral("one"),
                                        dir.filePath(QStringLiteral("none.mo")));
        EXPECT_EQ(one->Catalogue(), nullptr);
        EXPECT_EQ(locator.UsersOf(shared), 1);
        EXPECT_EQ(translator.dgettext(QStringLiteral("two"), QStringLiteral("Open")),
                  QStringLiteral("Öffnen"));
        EXPECT_EQ(locator.OpenCatalogues(), 2);
        translator.bindtextdomainToFile(QStringLiteral("two"),
                                        dir.filePath(QStringLiteral("none.mo")));
        EXPECT_EQ(locator.OpenCatalogues(), 1);

        // A language change releases every catalogue; the next lookups share again.
        translator.bindtextdomainToFile(QStringLiteral("one"), disk);
        translator.bindtextdomainToFile(QStringLiteral("two"), disk);
        translator.dgettext(QStringLiteral("one"), QStringLiteral("Open"));
        translator.dgettext(QStringLiteral("two"), QStringLiteral("Open"));
        EXPECT_EQ(locator.UsersOf(one->Catalogue()), 2);
        translator.UseLanguage(QStringLiteral("de"));
        EXPECT_EQ(locator.OpenCatalogues(), 0);
        translator.dgettext(QStringLiteral("one"), QStringLiteral("Open"));
        translator.dgettext(QStringLiteral("two"), QStringLiteral("Open"));
        EXPECT_EQ(locator.OpenCatalogues(), 1);
    }
    // The translator's end hands every catalogue back.
    EXPECT_EQ(locator.OpenCatalogues(), 0);

    // Direct use: one table entry per file, counted, destroyed with the last release.
    TMoFile* a = locator.GetMoFile(disk);
    TMoFile* b = locator.GetMoFile(disk);
    EXPECT_EQ(a, b);
    EXPECT_EQ(locator.UsersOf(a), 2);
    locator.ReleaseMoFile(a);
    EXPECT_EQ(locator.OpenCatalogues(), 1);
    locator.ReleaseMoFile(b);
    EXPECT_EQ(locator.OpenCatalogues(), 0);

    // A catalogue that fails to open leaves the table as it was.
    WriteFile(dir.filePath(QStringLiteral("bad.mo")), "not a catalogue at all, not at all");
    EXPECT_THROW(locator.GetMoFile(dir.filePath(QStringLiteral("bad.mo"))), EGGIOError);
    EXPECT_EQ(locator.OpenCatalogues(), 0);
}
