// The translation workflow of po/: the template holds every marked text of the
// sources, the German catalogue translates all of it, and the built program's
// runtime finds the compiled catalogue in the locale folder beside it.
#include "common/FakePlatform.h"
#include "common/TempProfile.h"
#include "localisation/GNUGetTextU.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <map>

namespace {

struct PoEntry {
    QString MsgId;
    QString MsgIdPlural;
    QStringList MsgStr; // msgstr, or msgstr[0], msgstr[1], ...
    bool Fuzzy = false;
};

struct PoFile {
    std::map<QString, PoEntry> Entries; // by msgid; the header and obsolete entries left out
    QString Header;
    QStringList Errors;
};

// The quoted text of one PO line (after the keyword), escapes resolved.
bool Unquote(QStringView s, QString& out) {
    s = s.trimmed();
    if (s.size() < 2 || s.front() != u'"' || s.back() != u'"')
        return false;
    s = s.mid(1, s.size() - 2);
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] != u'\\') {
            out += s[i];
            continue;
        }
        if (++i == s.size())
            return false;
        switch (s[i].unicode()) {
        case 'n':
            out += u'\n';
            break;
        case 't':
            out += u'\t';
            break;
        case 'r':
            out += u'\r';
            break;
        case '"':
            out += u'"';
            break;
        case '\\':
            out += u'\\';
            break;
        default:
            return false;
        }
    }
    return true;
}

// Enough of the PO format for the files that msgmerge and xgettext write.
PoFile ReadPo(const QString& path) {
    PoFile po;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        po.Errors << QStringLiteral("cannot open ") + path;
        return po;
    }
    const QStringList lines = QString::fromUtf8(f.readAll()).split(u'\n');
    PoEntry e;
    bool obsolete = false, started = false;
    QString* target = nullptr;
    auto finish = [&] {
        if (started && !obsolete) {
            if (e.MsgId.isEmpty())
                po.Header = e.MsgStr.value(0);
            else if (po.Entries.count(e.MsgId))
                po.Errors << QStringLiteral("msgid given twice: ") + e.MsgId;
            else
                po.Entries[e.MsgId] = e;
        }
        e = PoEntry();
        obsolete = started = false;
        target = nullptr;
    };
    static const QRegularExpression keyword(
        QStringLiteral(R"(^(msgctxt|msgid|msgid_plural|msgstr(?:\[(\d+)\])?)\s+(".*)$)"));
    for (int n = 0; n < lines.size(); ++n) {
        const QString line = lines[n].trimmed();
        if (line.isEmpty()) {
            finish();
            continue;
        }
        if (line.startsWith(QLatin1String("#~"))) {
            obsolete = started = true;
            continue;
        }
        if (line.startsWith(QLatin1String("#,"))) {
            if (started && target)
                finish(); // flags open the next entry
            e.Fuzzy = line.contains(QLatin1String("fuzzy"));
            continue;
        }
        if (line.startsWith(u'#'))
            continue;
        QString text;
        if (line.startsWith(u'"')) {
            if (!target || !Unquote(line, text))
                po.Errors << QStringLiteral("line %1: stray text").arg(n + 1);
            else
                *target += text;
            continue;
        }
        const QRegularExpressionMatch m = keyword.match(line);
        if (!m.hasMatch() || !Unquote(m.captured(3), text)) {
            po.Errors << QStringLiteral("line %1: not understood: %2").arg(n + 1).arg(line);
            continue;
        }
        const QString k = m.captured(1);
        if (k == QLatin1String("msgid") && started && target != &e.MsgId)
            finish(); // an entry without a blank line before it
        started = true;
        if (k == QLatin1String("msgctxt")) {
            po.Errors << QStringLiteral("line %1: contexts are not used here").arg(n + 1);
            target = nullptr;
        } else if (k == QLatin1String("msgid")) {
            e.MsgId = text;
            target = &e.MsgId;
        } else if (k == QLatin1String("msgid_plural")) {
            e.MsgIdPlural = text;
            target = &e.MsgIdPlural;
        } else {
            e.MsgStr << text;
            target = &e.MsgStr.last();
        }
    }
    finish();
    return po;
}

QString PoDir() {
    return SourceDir() + QStringLiteral("/po/");
}

QSet<QString> MsgIds(const PoFile& po) {
    QSet<QString> ids;
    for (const auto& [id, e] : po.Entries)
        ids.insert(id);
    return ids;
}

QString Listed(QSet<QString> ids) {
    QStringList l(ids.begin(), ids.end());
    l.sort();
    return l.join(QStringLiteral("\n  "));
}

// %1, %2, ... in a text, sorted.
QStringList Placeholders(const QString& s) {
    static const QRegularExpression re(QStringLiteral("%\\d+"));
    QStringList out;
    for (auto it = re.globalMatch(s); it.hasNext();)
        out << it.next().captured();
    out.sort();
    return out;
}

QString TrailingSpace(const QString& s) {
    qsizetype n = s.size();
    while (n > 0 && s[n - 1].isSpace())
        --n;
    return s.mid(n);
}

} // namespace

TEST(PoCatalogue, ReaderResolvesEscapesContinuationsFlagsAndObsoleteEntries) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("t.po"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("msgid \"\"\nmsgstr \"Language: de\\n\"\n\n"
            "#: a.cpp:1\nmsgid \"Say \\\"hi\\\"\"\nmsgstr \"Sag \"\n\"\\\"hallo\\\"\"\n\n"
            "#, fuzzy, qt-format\nmsgid \"%1 file\"\nmsgstr \"%1 Datei\"\n\n"
            "#~ msgid \"Gone\"\n#~ msgstr \"Weg\"\n");
    f.close();
    const PoFile po = ReadPo(path);
    EXPECT_TRUE(po.Errors.isEmpty()) << po.Errors.join(u'\n').toStdString();
    EXPECT_EQ(po.Header, QStringLiteral("Language: de\n"));
    ASSERT_EQ(po.Entries.size(), 2u);
    const PoEntry& hi = po.Entries.at(QStringLiteral("Say \"hi\""));
    EXPECT_EQ(hi.MsgStr, QStringList{QStringLiteral("Sag \"hallo\"")});
    EXPECT_FALSE(hi.Fuzzy);
    EXPECT_TRUE(po.Entries.at(QStringLiteral("%1 file")).Fuzzy);
}

// A text marked in the sources but missing from po/default.pot would never
// reach a translator: scripts/update-po.sh has to be run and its result committed.
TEST(PoCatalogue, TemplateHoldsEveryMarkedTextOfTheSources) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString fresh = dir.filePath(QStringLiteral("fresh.pot"));
    QProcess p;
    p.start(QStringLiteral("bash"), {SourceDir() + QStringLiteral("/scripts/update-po.sh"),
                                     QStringLiteral("--template-only"), fresh});
    ASSERT_TRUE(p.waitForFinished(60000));
    ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();

    const PoFile extracted = ReadPo(fresh);
    const PoFile committed = ReadPo(PoDir() + QStringLiteral("default.pot"));
    ASSERT_TRUE(extracted.Errors.isEmpty()) << extracted.Errors.join(u'\n').toStdString();
    ASSERT_TRUE(committed.Errors.isEmpty()) << committed.Errors.join(u'\n').toStdString();
    // Both markers and the runtime's lookups are extracted.
    for (const char* id : {"Load Image", "Kestrova Help", "Please download and install from %1.",
                           "Reload the Form from disk?"})
        EXPECT_TRUE(extracted.Entries.count(QString::fromUtf8(id))) << id;

    const QSet<QString> now = MsgIds(extracted), pot = MsgIds(committed);
    EXPECT_TRUE((now - pot).isEmpty())
        << "missing from po/default.pot (run scripts/update-po.sh):\n  "
        << Listed(now - pot).toStdString();
    EXPECT_TRUE((pot - now).isEmpty()) << "no longer in the sources (run scripts/update-po.sh):\n  "
                                       << Listed(pot - now).toStdString();
}

TEST(PoCatalogue, GermanTranslatesEveryTemplateTextCompletely) {
    const PoFile pot = ReadPo(PoDir() + QStringLiteral("default.pot"));
    const PoFile de = ReadPo(PoDir() + QStringLiteral("de.po"));
    ASSERT_TRUE(de.Errors.isEmpty()) << de.Errors.join(u'\n').toStdString();
    ASSERT_FALSE(pot.Entries.empty());
    // The runtime turns a catalogue without UTF-8 off; German has one plural form besides the
    // singular.
    EXPECT_TRUE(de.Header.contains(QLatin1String("charset=UTF-8"))) << de.Header.toStdString();
    EXPECT_TRUE(de.Header.contains(QLatin1String("Plural-Forms: nplurals=2; plural=(n != 1);")))
        << de.Header.toStdString();
    EXPECT_TRUE(de.Header.contains(QLatin1String("Language: de\n")));

    const QSet<QString> missing = MsgIds(pot) - MsgIds(de);
    EXPECT_TRUE(missing.isEmpty()) << "not merged into de.po:\n  " << Listed(missing).toStdString();
    for (const auto& [id, e] : de.Entries) {
        SCOPED_TRACE(id.toStdString());
        EXPECT_FALSE(e.Fuzzy);
        ASSERT_FALSE(e.MsgStr.isEmpty());
        for (const QString& s : e.MsgStr) {
            EXPECT_FALSE(s.isEmpty());
            // Texts are joined with what follows them (a file name, a reason)
            // and passed to .arg(): both survive only when kept as they are.
            EXPECT_EQ(Placeholders(s).join(u' ').toStdString(),
                      Placeholders(id).join(u' ').toStdString());
            EXPECT_EQ(TrailingSpace(s).toStdString(), TrailingSpace(id).toStdString());
            EXPECT_EQ(s.count(u'\n'), id.count(u'\n'));
            EXPECT_LE(s.count(u'&'), 1);
            EXPECT_EQ(s.contains(u'&'), id.contains(u'&'));
        }
    }
}

// The catalogue that the build compiles from de.po lies where the designer's
// runtime looks for it, and LANG chooses it.
TEST(PoCatalogue, BuiltDesignerTranslatesWindowTextsFromItsLocaleFolder) {
    ScopedFakePlatform platform;
    const QByteArray oldLang = qgetenv("LANG");
    const bool hadLang = qEnvironmentVariableIsSet("LANG");
    qputenv("LANG", "de");
    GnuGettext::StartRuntime(BuildDir() + QStringLiteral("/DralFormDesigner"));

    EXPECT_EQ(GnuGettext::GetCurrentLanguage().toStdString(), "de");
    EXPECT_EQ(GnuGettext::gettext(QStringLiteral("Load Image")).toStdString(), "Bild laden");
    const PoFile de = ReadPo(PoDir() + QStringLiteral("de.po"));
    ASSERT_FALSE(de.Entries.empty());
    for (const auto& [id, e] : de.Entries) {
        QString expected = e.MsgStr.value(0);
        expected.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
        EXPECT_EQ(GnuGettext::gettext(id).toStdString(), expected.toStdString());
    }
    // A text the catalogue does not know comes back as it is.
    EXPECT_EQ(GnuGettext::gettext(QStringLiteral("No such text")), QStringLiteral("No such text"));

    GnuGettext::StopRuntime();
    if (hadLang)
        qputenv("LANG", oldLang);
    else
        qunsetenv("LANG");
    EXPECT_TRUE(platform.Fake.Boxes.empty()) << "the catalogue was refused";
}
