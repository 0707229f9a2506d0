#include "LocalisationTestSupport.h"

#include "localisation/GnuGettextErrors.h"
#include "localisation/MoFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <functional>
#include <gtest/gtest.h>
#include <string>

using namespace GnuGettext;

namespace {

std::string_view View(const char* s) {
    return std::string_view(s);
}
std::string_view View(const QByteArray& b) {
    return std::string_view(b.constData(), size_t(b.size()));
}

std::string LookupOf(const TMoFile& mo, std::string_view key, bool& found) {
    const std::string_view r = mo.Lookup(key, found);
    return std::string(r);
}

// A catalogue with Count entries "key000".."keyNNN" and their translations.
QString ManyEntriesPo(int count) {
    QString po = PoHeader();
    for (int i = 0; i < count; ++i)
        po += QStringLiteral("msgid \"key%1\"\nmsgstr \"value %1\"\n\n").arg(i, 3, 10, QChar('0'));
    return po;
}

} // namespace

TEST(MoFile, BigEndianTwinAnswersLikeTheLittleEndianOne) {
    for (const QString& po : {GermanPo(), PolishPo(), ManyEntriesPo(100)}) {
        const QByteArray little = CompileCatalogue(po, Endian::Little);
        const QByteArray big = CompileCatalogue(po, Endian::Big);
        ASSERT_FALSE(little.isEmpty());
        ASSERT_FALSE(big.isEmpty());
        ASSERT_NE(little, big);
        ASSERT_EQ(GetWord(big, 0, Endian::Big), 0x950412deu);

        const TMoFile le(little, QStringLiteral("le.mo"));
        const TMoFile be(big, QStringLiteral("be.mo"));
        EXPECT_FALSE(le.doswap());
        EXPECT_TRUE(be.doswap());
        ASSERT_EQ(le.Count(), be.Count());
        EXPECT_EQ(le.StartIndex(), be.StartIndex());
        EXPECT_EQ(le.StartStep(), be.StartStep());

        for (quint32 i = 0; i < le.Count(); ++i) {
            const std::string key(le.Original(i));
            EXPECT_EQ(key, std::string(be.Original(i)));
            bool foundLe = false, foundBe = false;
            const std::string a = LookupOf(le, key, foundLe);
            const std::string b = LookupOf(be, key, foundBe);
            EXPECT_TRUE(foundLe) << key;
            EXPECT_TRUE(foundBe) << key;
            EXPECT_EQ(a, b) << key;
            EXPECT_EQ(a, std::string(le.Translation(i))) << key;
            EXPECT_EQ(le.ProbeSequence(key), be.ProbeSequence(key)) << key;
            // A key just past this one (not in the catalogue) is missed by both.
            const std::string absent = key + '\x01';
            EXPECT_EQ(LookupOf(le, absent, foundLe), absent);
            EXPECT_EQ(LookupOf(be, absent, foundBe), absent);
            EXPECT_FALSE(foundLe);
            EXPECT_FALSE(foundBe);
        }
    }

    // Plural entries come back with their NUL-separated forms from both twins.
    const TMoFile le(CompileCatalogue(PolishPo(), Endian::Little), QStringLiteral("le.mo"));
    const TMoFile be(CompileCatalogue(PolishPo(), Endian::Big), QStringLiteral("be.mo"));
    const std::string key("file\0files", 10);
    bool found = false;
    EXPECT_EQ(LookupOf(le, key, found),
              std::string("plik\0pliki\0plików", sizeof("plik\0pliki\0plików") - 1));
    EXPECT_TRUE(found);
    EXPECT_EQ(LookupOf(be, key, found),
              std::string("plik\0pliki\0plików", sizeof("plik\0pliki\0plików") - 1));
    EXPECT_TRUE(found);
}

TEST(MoFile, ProbeOrderFollowsTheUniformBinarySearch) {
    // Sorted: "", "Line one\nLine two", "Open", "Open file", "file\0files": N = 5.
    const TMoFile mo(CompileCatalogue(GermanPo()), QStringLiteral("de.mo"));
    ASSERT_EQ(mo.Count(), 5u);
    EXPECT_EQ(mo.StartIndex(), 4);
    EXPECT_EQ(mo.StartStep(), 2);
    EXPECT_EQ(mo.ProbeSequence(std::string_view("file\0files", 10)), (std::vector<qint32>{4, 5}));
    EXPECT_EQ(mo.ProbeSequence(View("")), (std::vector<qint32>{4, 2, 1}));

    // The empty key is the header entry, index 1.
    bool found = false;
    const std::string header = LookupOf(mo, View(""), found);
    EXPECT_TRUE(found);
    EXPECT_NE(header.find("charset=UTF-8"), std::string::npos);

    // A key that is a prefix of another sorts before it; both are found, each to its own text.
    EXPECT_EQ(std::string(mo.Original(2)), "Open");
    EXPECT_EQ(std::string(mo.Original(3)), "Open file");
    EXPECT_EQ(LookupOf(mo, View("Open"), found), "Öffnen");
    EXPECT_TRUE(found);
    EXPECT_EQ(LookupOf(mo, View("Open file"), found), "Datei öffnen");
    EXPECT_TRUE(found);

    // Absent keys: the key itself, found false, at most one probe per halving plus one.
    for (const char* absent : {"Ope", "Open fil", "Open files", "A", "zzz", "Line one", "file"}) {
        const std::string r = LookupOf(mo, View(absent), found);
        EXPECT_FALSE(found) << absent;
        EXPECT_EQ(r, absent);
        EXPECT_LE(mo.ProbeSequence(View(absent)).size(), 3u) << absent;
    }
    // The copying form hands back the very key when nothing matches.
    const QByteArray key("Missing");
    EXPECT_EQ(mo.gettext(key, found), key);
    EXPECT_FALSE(found);
    EXPECT_EQ(mo.gettext(QByteArray("Open"), found), QByteArray("Öffnen"));
    EXPECT_TRUE(found);
}

TEST(MoFile, SearchFindsEveryKeyOfALargerCatalogueWithinItsProbeBound) {
    const TMoFile mo(CompileCatalogue(ManyEntriesPo(100)), QStringLiteral("many.mo"));
    ASSERT_EQ(mo.Count(), 101u);
    EXPECT_EQ(mo.StartIndex(), 64);
    EXPECT_EQ(mo.StartStep(), 32);
    for (int i = 0; i < 100; ++i) {
        const QByteArray key = QStringLiteral("key%1").arg(i, 3, 10, QChar('0')).toUtf8();
        bool found = false;
        EXPECT_EQ(mo.gettext(key, found),
                  QStringLiteral("value %1").arg(i, 3, 10, QChar('0')).toUtf8());
        EXPECT_TRUE(found) << key.constData();
        // 64, 32, ..., 1, 0: seven halvings and the final step 0.
        EXPECT_LE(mo.ProbeSequence(View(key)).size(), 8u);
        const QByteArray between = key + "5";
        mo.gettext(between, found);
        EXPECT_FALSE(found) << between.constData();
    }
}

TEST(MoFile, EmptyAndSingleStringCatalogues) {
    // N = 0, built by hand: msgfmt writes no file for an empty text.
    QByteArray empty(20, '\0');
    PutWord(empty, 0, 0x950412de, Endian::Little);
    PutWord(empty, 12, 20, Endian::Little);
    PutWord(empty, 16, 20, Endian::Little);
    const TMoFile none(empty, QStringLiteral("empty.mo"));
    EXPECT_EQ(none.Count(), 0u);
    EXPECT_EQ(none.StartIndex(), 0);
    EXPECT_TRUE(none.ProbeSequence(View("")).empty());
    bool found = true;
    EXPECT_EQ(LookupOf(none, View(""), found), "");
    EXPECT_FALSE(found);

    // Only a header: one string, start index 1, start step 0.
    const TMoFile one(CompileCatalogue(PoHeader()), QStringLiteral("one.mo"));
    ASSERT_EQ(one.Count(), 1u);
    EXPECT_EQ(one.StartIndex(), 1);
    EXPECT_EQ(one.StartStep(), 0);
    LookupOf(one, View(""), found);
    EXPECT_TRUE(found);
    EXPECT_EQ(one.ProbeSequence(View("x")), std::vector<qint32>{1});
    EXPECT_EQ(LookupOf(one, View("x"), found), "x");
    EXPECT_FALSE(found);
}

namespace {

struct CorruptCase {
    const char* What;
    // Changes a valid catalogue of the given byte order into a corrupt one.
    std::function<void(QByteArray&, Endian)> Spoil;
};

// Position of entry I of the table whose offset is in header word Word.
qsizetype Entry(const QByteArray& mo, int word, quint32 i, Endian e) {
    return qsizetype(GetWord(mo, word, e)) + qsizetype(i) * 8;
}

std::vector<CorruptCase> CorruptCases() {
    auto truncateTo = [](qsizetype n) { return [n](QByteArray& mo, Endian) { mo.truncate(n); }; };
    return {
        {"empty file", truncateTo(0)},
        {"three bytes", truncateTo(3)},
        {"magic only", truncateTo(4)},
        {"header one byte short", truncateTo(19)},
        {"bad magic", [](QByteArray& mo, Endian) { PutWord(mo, 0, 0x950412df, Endian::Little); }},
        {"zero magic", [](QByteArray& mo, Endian) { PutWord(mo, 0, 0, Endian::Little); }},
        {"text instead of a catalogue",
         [](QByteArray& mo, Endian) { mo = QByteArray("msgid \"\"\nmsgstr \"\"\n"); }},
        {"N of all ones", [](QByteArray& mo, Endian e) { PutWord(mo, 8, 0xffffffff, e); }},
        {"N one entry past the tables",
         [](QByteArray& mo, Endian e) {
             const quint32 o = GetWord(mo, 12, e), t = GetWord(mo, 16, e);
             PutWord(mo, 8, (quint32(mo.size()) - std::max(o, t)) / 8 + 1, e);
         }},
        {"N whose table size wraps in 32 bits",
         [](QByteArray& mo, Endian e) { PutWord(mo, 8, 0x20000001, e); }},
        {"originals table past the end",
         [](QByteArray& mo, Endian e) { PutWord(mo, 12, quint32(mo.size()), e); }},
        {"originals table straddling the end",
         [](QByteArray& mo, Endian e) { PutWord(mo, 12, quint32(mo.size()) - 8, e); }},
        {"originals offset wrapping in 32 bits",
         [](QByteArray& mo, Endian e) { PutWord(mo, 12, 0xfffffff8, e); }},
        {"translations table past the end",
         [](QByteArray& mo, Endian e) { PutWord(mo, 16, quint32(mo.size()) + 100, e); }},
        {"original string too long",
         [](QByteArray& mo, Endian e) { PutWord(mo, Entry(mo, 12, 2, e), 0xffffffff, e); }},
        {"original string starting past the end",
         [](QByteArray& mo, Endian e) {
             PutWord(mo, Entry(mo, 12, 1, e) + 4, quint32(mo.size()) + 1, e);
         }},
        {"original string whose end wraps in 32 bits",
         [](QByteArray& mo, Endian e) {
             const qsizetype at = Entry(mo, 12, 3, e);
             PutWord(mo, at, 0x20, e);
             PutWord(mo, at + 4, 0xfffffff0, e);
         }},
        {"last translation one byte past the end",
         [](QByteArray& mo, Endian e) {
             const quint32 n = GetWord(mo, 8, e);
             const qsizetype at = Entry(mo, 16, n - 1, e);
             PutWord(mo, at, quint32(mo.size()) - GetWord(mo, at + 4, e) + 1, e);
         }},
        {"header translation too long",
         [](QByteArray& mo, Endian e) { PutWord(mo, Entry(mo, 16, 0, e), 0x7fffffff, e); }},
        {"last string cut short", [](QByteArray& mo, Endian) { mo.chop(2); }},
    };
}

template <class Open> void ExpectRejected(const QString& name, Open open, const char* what) {
    try {
        open();
        ADD_FAILURE() << what << ": opened";
    } catch (const EGGIOError& e) {
        EXPECT_EQ(e.Message(),
                  QStringLiteral("This file is not a valid GNU gettext mo file: ") + name)
            << what;
    }
}

} // namespace

TEST(MoFile, CorruptCataloguesAreRejectedWhenOpened) {
    QTemporaryDir dir;
    for (Endian e : {Endian::Little, Endian::Big}) {
        const QByteArray valid = CompileCatalogue(GermanPo(), e);
        ASSERT_EQ(GetWord(valid, 8, e), 5u);
        for (const auto& c : CorruptCases()) {
            QByteArray bad = valid;
            c.Spoil(bad, e);
            ASSERT_NE(bad, valid) << c.What;
            const QString file = dir.filePath(QStringLiteral("bad.mo"));
            WriteFile(file, bad);
            ExpectRejected(
                file, [&] { TMoFile(file, 0, 0, true); }, c.What);
            ExpectRejected(
                file, [&] { TMoFile(file, 0, 0, false); }, c.What);
            ExpectRejected(
                QStringLiteral("mem.mo"), [&] { TMoFile(bad, QStringLiteral("mem.mo")); }, c.What);

            // Inside a bigger file, the catalogue's own size bounds it, not the file's:
            // the bytes that follow it are no part of it.
            if (!bad.isEmpty()) {
                const QByteArray host =
                    QByteArray(37, 'x') + bad + valid.mid(bad.size()) + QByteArray(4096, 'y');
                WriteFile(file, host);
                ExpectRejected(
                    file, [&] { TMoFile(file, 37, bad.size(), true); }, c.What);
                ExpectRejected(
                    file, [&] { TMoFile(file, 37, bad.size(), false); }, c.What);
            }
        }
    }
}

TEST(MoFile, CatalogueEndingAtItsLastStringByteIsReadWithinItsBytes) {
    QTemporaryDir dir;
    for (Endian e : {Endian::Little, Endian::Big}) {
        // msgfmt ends the file with the NUL after the last translation; strings
        // are read by length, so the catalogue without that NUL is still whole.
        QByteArray mo = CompileCatalogue(GermanPo(), e);
        ASSERT_EQ(mo.back(), '\0');
        mo.chop(1);
        const quint32 n = GetWord(mo, 8, e);
        const qsizetype last = Entry(mo, 16, n - 1, e);
        ASSERT_EQ(qsizetype(GetWord(mo, last, e)) + GetWord(mo, last + 4, e), mo.size());

        const QString file = dir.filePath(QStringLiteral("exact.mo"));
        WriteFile(file, QByteArray("PROGRAM BYTES") + mo + QByteArray("\xff\xff\xff\xff", 4));
        const TMoFile mapped(file, 13, mo.size(), true);
        const TMoFile copied(file, 13, mo.size(), false);
        const TMoFile memory(mo, QStringLiteral("exact.mo"));
        for (const TMoFile* m : {&mapped, &copied, &memory}) {
            bool found = false;
            EXPECT_EQ(LookupOf(*m, std::string_view("file\0files", 10), found),
                      std::string("Datei\0Dateien", 13));
            EXPECT_TRUE(found);
            EXPECT_EQ(LookupOf(*m, View("Open file"), found), "Datei öffnen");
            // Keys past every original, longer than any string of the catalogue.
            EXPECT_EQ(LookupOf(*m, View(std::string(5000, 'z').c_str()), found),
                      std::string(5000, 'z'));
            EXPECT_FALSE(found);
        }
        EXPECT_TRUE(mapped.UsesMemoryMapping());
        EXPECT_FALSE(copied.UsesMemoryMapping());
    }
}

TEST(MoFile, OpeningFailuresNameTheFile) {
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("missing.mo"));
    for (bool mapped : {true, false}) {
        try {
            TMoFile(missing, 0, 0, mapped);
            ADD_FAILURE() << "opened a missing file";
        } catch (const EGGIOError& e) {
            EXPECT_EQ(e.Message(), QStringLiteral("Cannot open file ") + missing);
        }
    }
    // A folder is no catalogue and must not be mapped.
    EXPECT_THROW(TMoFile(dir.path(), 0, 0, true), EGGIOError);
    // An offset past the file's end.
    const QString file = dir.filePath(QStringLiteral("de.mo"));
    WriteFile(file, CompileCatalogue(GermanPo()));
    ExpectRejected(
        file, [&] { TMoFile(file, 1 << 20, 0, true); }, "offset past the end");
    ExpectRejected(
        file, [&] { TMoFile(file, 0, 1 << 20, true); }, "size past the end");
}

namespace {
// Shortens or rewrites a file in place, as another program would: same inode.
void RewriteInPlace(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.resize(bytes.size()));
    ASSERT_EQ(f.write(bytes), bytes.size());
}
} // namespace

// Another program shortening or rewriting an open catalogue's file never ends
// the process: a lookup gives the text of the catalogue as it was opened, or
// the key untranslated.
TEST(MoFile, ACatalogueChangedOnDiskWhileOpenNeverCrashes) {
#if defined(__SANITIZE_THREAD__)
    // ThreadSanitizer takes the bus error for itself before the catalogue's
    // guard sees it; the normal and AddressSanitizer builds run this test.
    GTEST_SKIP() << "ThreadSanitizer handles SIGBUS itself";
#endif
    QTemporaryDir dir;
    const QByteArray mo = CompileCatalogue(ManyEntriesPo(900));
    ASSERT_GT(mo.size(), 8 * 4096);
    QString changed = ManyEntriesPo(900);
    changed.replace(QStringLiteral("msgstr \"value"), QStringLiteral("msgstr \"VALUE"));
    const QByteArray rewritten = CompileCatalogue(changed);
    ASSERT_EQ(rewritten.size(), mo.size());
    const QByteArray prefix("PROGRAM BYTES");

    struct Case {
        const char* What;
        QByteArray After; // the catalogue's bytes after the change
    };
    const Case cases[] = {
        {"emptied", QByteArray()},
        {"header only", mo.left(20)},
        {"first page kept", mo.left(4096)},
        {"half", mo.left(mo.size() / 2)},
        {"rewritten, same size", rewritten},
        {"rewritten, longer", rewritten + QByteArray(3 * 4096, 'x')},
    };
    for (const Case& c : cases) {
        for (const qint64 offset : {qint64(0), qint64(prefix.size())}) {
            SCOPED_TRACE(testing::Message() << c.What << " at offset " << offset);
            const QString file = dir.filePath(QStringLiteral("changing.mo"));
            QFile::remove(file);
            WriteFile(file, prefix.left(offset) + mo);
            const TMoFile mapped(file, offset, offset ? mo.size() : 0, true);
            bool found = false;
            EXPECT_EQ(LookupOf(mapped, View("key123"), found), "value 123");
            EXPECT_FALSE(mapped.FileChanged());
            // A change in the same tick of the file clock as the write could
            // keep the file's times; real rewrites come later than that.
            QThread::msleep(20);
            RewriteInPlace(file, prefix.left(offset) + c.After);
            for (const char* key : {"key123", "key000", "key899", "key5000", ""}) {
                const std::string got = LookupOf(mapped, View(key), found);
                EXPECT_FALSE(found) << key;
                EXPECT_EQ(got, key);
                const QByteArray q = mapped.gettext(QByteArray(key), found);
                EXPECT_EQ(q, QByteArray(key));
            }
            EXPECT_TRUE(mapped.FileChanged());
            EXPECT_EQ(mapped.Original(5), "");
            EXPECT_EQ(mapped.Translation(5), "");
        }
    }
}

// The reads themselves are guarded: a search that meets the pages past a
// shortened file's end stops there instead of ending the process.
TEST(MoFile, ASearchOverPagesCutFromTheFileStopsThere) {
    QTemporaryDir dir;
    const QByteArray mo = CompileCatalogue(ManyEntriesPo(900));
    const QString file = dir.filePath(QStringLiteral("cut.mo"));
    WriteFile(file, mo);
    const TMoFile mapped(file, 0, 0, true);
    const std::vector<qint32> whole = mapped.ProbeSequence(View("key899"));
    ASSERT_FALSE(whole.empty());
    RewriteInPlace(file, QByteArray());
    // Without a guard the first probe's read would raise a bus error.
    EXPECT_EQ(mapped.ProbeSequence(View("key899")), std::vector<qint32>{whole.front()});
    // A catalogue opened afterwards on the emptied file is refused, as any
    // file too short to be a catalogue.
    EXPECT_THROW(TMoFile(file, 0, 0, true), EGGIOError);
    // Catalogues of other files are not affected.
    const QString other = dir.filePath(QStringLiteral("other.mo"));
    WriteFile(other, mo);
    const TMoFile fine(other, 0, 0, true);
    bool found = false;
    EXPECT_EQ(LookupOf(fine, View("key899"), found), "value 899");
    EXPECT_TRUE(found);
    EXPECT_EQ(fine.ProbeSequence(View("key899")), whole);
}
