#include "LocalisationTestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::ElementsAre;

namespace {

struct Result {
    int Code = -1;
    QString Out;
    QString Err;
    QStringList ErrLines() const { return Err.split(QLatin1Char('\n'), Qt::SkipEmptyParts); }
};

// Runs the tool; Env changes the environment (a null value removes the variable).
Result RunTool(const QStringList& args,
               const std::vector<std::pair<QString, const char*>>& env = {}) {
    QProcess p;
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.remove(QStringLiteral("LANGUAGE"));
    for (const auto& [name, value] : env) {
        if (value)
            e.insert(name, QString::fromUtf8(value));
        else
            e.remove(name);
    }
    p.setProcessEnvironment(e);
    p.start(QStringLiteral(KFD_I18N_TOOL), args);
    Result r;
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit) {
        ADD_FAILURE() << "the tool did not finish: " << args.join(' ').toStdString();
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.Code = p.exitCode();
    r.Out = QString::fromUtf8(p.readAllStandardOutput());
    r.Err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

// A packaging root with catalogues in locale/*/LC_MESSAGES, and a copy of the
// built designer in a folder of its own with nothing beside it.
class ToolTest : public ::testing::Test {
protected:
    QTemporaryDir Dir;
    QString Root, AppDir, Program;
    QByteArray De, Pl;

    void SetUp() override {
        Root = Dir.filePath(QStringLiteral("root"));
        AppDir = Dir.filePath(QStringLiteral("app"));
        Program = AppDir + QStringLiteral("/DralFormDesigner");
        De = CompileCatalogue(GermanPo());
        Pl = CompileCatalogue(PolishPo());
        ASSERT_FALSE(De.isEmpty());
        ASSERT_FALSE(Pl.isEmpty());
        WriteFile(Root + QStringLiteral("/locale/de/LC_MESSAGES/default.mo"), De);
        WriteFile(Root + QStringLiteral("/locale/pl/LC_MESSAGES/default.mo"), Pl);
        WriteFile(Root + QStringLiteral("/locale/pl/LC_MESSAGES/help.mo"), De);
        WriteFile(Root + QStringLiteral("/locale/pl/LC_MESSAGES/notes.txt"), "not a catalogue");
        QDir().mkpath(AppDir);
        ASSERT_TRUE(QFile::copy(QStringLiteral(KFD_DESIGNER), Program));
    }
};

} // namespace

TEST_F(ToolTest, EmbedThenListThenLookupFromTheEmbeddedCatalogues) {
    const QByteArray original = ReadFile(Program);
    ASSERT_FALSE(original.isEmpty());
    const Result embed = RunTool({QStringLiteral("embed"), Program, Root});
    ASSERT_EQ(embed.Code, 0) << embed.Err.toStdString();
    EXPECT_EQ(embed.Out, QStringLiteral("locale/de/LC_MESSAGES/default.mo\n"
                                        "locale/pl/LC_MESSAGES/default.mo\n"
                                        "locale/pl/LC_MESSAGES/help.mo\n"));
    const QByteArray packed = ReadFile(Program);
    EXPECT_TRUE(packed.startsWith(original)) << "the program's own bytes are kept";
    EXPECT_TRUE(QFileInfo(Program).isExecutable());

    // The appended block, read here from the layout itself.
    const QByteArray tail = packed.mid(original.size());
    ASSERT_TRUE(tail.startsWith(BeginMarkerBytes()));
    ASSERT_TRUE(tail.endsWith(EndMarkerBytes()));
    const qint64 base = original.size() + 39;
    auto int64At = [&](qint64 pos) {
        quint64 v = 0;
        for (int i = 7; i >= 0; --i)
            v = (v << 8) | uchar(packed.at(pos + i));
        return qint64(v);
    };
    const qint64 endMarker = packed.size() - 39;
    qint64 entry = base + int64At(endMarker - 8);
    QStringList layout;
    for (int guard = 0; guard < 10; ++guard) {
        const qint64 next = int64At(entry);
        if (next == 0)
            break;
        const qint64 offset = base + int64At(entry + 8);
        const qint64 size = int64At(entry + 16);
        const QString name =
            QString::fromUtf8(packed.mid(entry + 24, base + next - entry - 24)).trimmed();
        layout << QStringLiteral("%1\t%2\t%3").arg(name).arg(offset).arg(size);
        const QByteArray data = packed.mid(offset, size);
        EXPECT_EQ(data, name.endsWith(QLatin1String("pl/LC_MESSAGES/default.mo")) ? Pl : De)
            << name.toStdString();
        entry = base + next;
    }
    ASSERT_EQ(layout.size(), 3);

    const Result list = RunTool({QStringLiteral("list"), Program});
    ASSERT_EQ(list.Code, 0) << list.Err.toStdString();
    EXPECT_EQ(list.Out, layout.join(QLatin1Char('\n')) + QLatin1Char('\n'));

    // Nothing lies beside the copy: every translation comes out of the program file.
    ASSERT_FALSE(QFileInfo::exists(AppDir + QStringLiteral("/locale")));
    const QString appDir = QDir(AppDir).absolutePath();
    Result r = RunTool({QStringLiteral("lookup"), QStringLiteral("--program"), Program,
                        QStringLiteral("--lang"), QStringLiteral("de"), QStringLiteral("Open")});
    ASSERT_EQ(r.Code, 0) << r.Err.toStdString();
    EXPECT_EQ(r.Out, QStringLiteral("Öffnen\n"));
    EXPECT_TRUE(r.ErrLines().contains(
        QStringLiteral("DEBUG3: Domain default will attempt to use this embedded file: ") + appDir +
        QStringLiteral("/locale/de/LC_MESSAGES/default.mo")))
        << r.Err.toStdString();

    // The regional fallback, with both of its lines on standard error.
    r = RunTool({QStringLiteral("lookup"), QStringLiteral("--program"), Program,
                 QStringLiteral("--lang"), QStringLiteral("de_AT"),
                 QStringLiteral("Line one\nLine two")});
    ASSERT_EQ(r.Code, 0) << r.Err.toStdString();
    EXPECT_EQ(r.Out, QStringLiteral("Zeile eins\r\nZeile zwei\n"));
    const QStringList lines = r.ErrLines();
    const qsizetype missing = lines.indexOf(
        QStringLiteral(
            "DEBUG3: Domain default: File does not exist, neither embedded or in file system: ") +
        appDir + QStringLiteral("/locale/de_AT/LC_MESSAGES/default.mo"));
    ASSERT_GE(missing, 0) << r.Err.toStdString();
    EXPECT_EQ(lines.value(missing + 1),
              QStringLiteral("DEBUG3: Domain default will attempt to use this file: ") + appDir +
                  QStringLiteral("/locale/de/LC_MESSAGES/default.mo"));

    // Plural forms of the embedded Polish catalogue.
    for (const auto& [n, form] : std::vector<std::pair<const char*, const char*>>{
             {"1", "plik"}, {"22", "pliki"}, {"12", "plików"}, {"-3", "pliki"}}) {
        r = RunTool({QStringLiteral("lookup"), QStringLiteral("--program"), Program,
                     QStringLiteral("--lang"), QStringLiteral("pl"), QStringLiteral("--plural"),
                     QStringLiteral("files"), QStringLiteral("-n"), QString::fromUtf8(n),
                     QStringLiteral("file")});
        ASSERT_EQ(r.Code, 0) << r.Err.toStdString();
        EXPECT_EQ(r.Out, QString::fromUtf8(form) + QLatin1Char('\n')) << n;
    }
    // Another domain, and a text the catalogue lacks.
    r = RunTool({QStringLiteral("lookup"), QStringLiteral("--program"), Program,
                 QStringLiteral("--lang"), QStringLiteral("pl"), QStringLiteral("--domain"),
                 QStringLiteral("help"), QStringLiteral("Open file")});
    EXPECT_EQ(r.Out, QStringLiteral("Datei öffnen\n"));
    r = RunTool({QStringLiteral("lookup"), QStringLiteral("--program"), Program,
                 QStringLiteral("--lang"), QStringLiteral("pl"), QStringLiteral("Not there\n")});
    EXPECT_EQ(r.Code, 0);
    EXPECT_EQ(r.Out, QStringLiteral("Not there\r\n\n"));

    // Languages: the embedded ones, and those of a folder on disk.
    r = RunTool({QStringLiteral("languages"), QStringLiteral("--program"), Program});
    ASSERT_EQ(r.Code, 0) << r.Err.toStdString();
    EXPECT_EQ(r.Out, QStringLiteral("de\npl\n"));
    r = RunTool({QStringLiteral("languages"), QStringLiteral("--program"), Program,
                 QStringLiteral("--domain"), QStringLiteral("help")});
    EXPECT_EQ(r.Out, QStringLiteral("pl\n"));
    WriteFile(Dir.filePath(QStringLiteral("disk/SV_fi/LC_MESSAGES/default.mo")), De);
    r = RunTool({QStringLiteral("languages"), QStringLiteral("--dir"),
                 Dir.filePath(QStringLiteral("disk"))});
    ASSERT_EQ(r.Code, 0) << r.Err.toStdString();
    EXPECT_EQ(r.Out, QStringLiteral("sv_fi\n"));

    // A program that already holds catalogues is not packed twice.
    r = RunTool({QStringLiteral("embed"), Program, Root});
    EXPECT_NE(r.Code, 0);
    EXPECT_EQ(ReadFile(Program), packed);
}

TEST_F(ToolTest, LookupInAFolderAndTheLanguageFromTheEnvironment) {
    const QString locale = Root + QStringLiteral("/locale");
    const QString folder = QDir(locale).absolutePath();
    // --lang given: the code as it stands.
    Result r = RunTool({QStringLiteral("lookup"), QStringLiteral("--dir"), locale,
                        QStringLiteral("--lang"), QStringLiteral("de"), QStringLiteral("Open")});
    ASSERT_EQ(r.Code, 0) << r.Err.toStdString();
    EXPECT_EQ(r.Out, QStringLiteral("Öffnen\n"));

    // No --lang: LANG, cut at its encoding.
    r = RunTool({QStringLiteral("lookup"), QStringLiteral("--dir"), locale, QStringLiteral("Open")},
                {{QStringLiteral("LANG"), "de_CH.UTF-8"}, {QStringLiteral("LC_ALL"), nullptr}});
    ASSERT_EQ(r.Code, 0) << r.Err.toStdString();
    EXPECT_EQ(r.Out, QStringLiteral("Öffnen\n"));
    EXPECT_TRUE(r.Err.contains(folder + QStringLiteral("/de_CH/LC_MESSAGES/default.mo")))
        << r.Err.toStdString();

    // No LANG: the platform locale's language and country.
    r = RunTool({QStringLiteral("lookup"), QStringLiteral("--dir"), locale, QStringLiteral("Open")},
                {{QStringLiteral("LANG"), nullptr},
                 {QStringLiteral("LC_ALL"), "pl_PL.UTF-8"},
                 {QStringLiteral("LC_MESSAGES"), nullptr}});
    ASSERT_EQ(r.Code, 0) << r.Err.toStdString();
    EXPECT_EQ(r.Out, QStringLiteral("Otwórz\n"));
    EXPECT_TRUE(r.Err.contains(folder + QStringLiteral("/pl_PL/LC_MESSAGES/default.mo")))
        << r.Err.toStdString();

    r = RunTool({QStringLiteral("lookup"), QStringLiteral("--dir"), locale, QStringLiteral("Open")},
                {{QStringLiteral("LANG"), nullptr},
                 {QStringLiteral("LC_ALL"), "C"},
                 {QStringLiteral("LC_MESSAGES"), nullptr}});
    ASSERT_EQ(r.Code, 0) << r.Err.toStdString();
    EXPECT_EQ(r.Out, QStringLiteral("Open\n"));
    EXPECT_TRUE(
        r.ErrLines().contains(QStringLiteral("ERROR: Domain default failed to locate the file: ") +
                              folder + QStringLiteral("/C/LC_MESSAGES/default.mo")))
        << r.Err.toStdString();
}

TEST_F(ToolTest, BadInputGivesOneErrorLineAndAFailingExit) {
    const QString missing = Dir.filePath(QStringLiteral("missing"));
    const QString garbageRoot = Dir.filePath(QStringLiteral("garbage"));
    WriteFile(garbageRoot + QStringLiteral("/locale/de/LC_MESSAGES/default.mo"),
              "this is no catalogue at all");
    const QString emptyRoot = Dir.filePath(QStringLiteral("empty"));
    QDir().mkpath(emptyRoot);
    const QString lookup = QStringLiteral("lookup");
    const std::vector<QStringList> cases = {
        {},
        {QStringLiteral("frobnicate")},
        {lookup},
        {lookup, QStringLiteral("one"), QStringLiteral("two")},
        {lookup, QStringLiteral("--bogus"), QStringLiteral("x"), QStringLiteral("Open")},
        {lookup, QStringLiteral("--lang")},
        {lookup, QStringLiteral("--lang"), QStringLiteral("de"), QStringLiteral("--lang"),
         QStringLiteral("pl"), QStringLiteral("Open")},
        {lookup, QStringLiteral("--plural"), QStringLiteral("files"), QStringLiteral("file")},
        {lookup, QStringLiteral("-n"), QStringLiteral("3"), QStringLiteral("file")},
        {lookup, QStringLiteral("--plural"), QStringLiteral("files"), QStringLiteral("-n"),
         QStringLiteral("many"), QStringLiteral("file")},
        {lookup, QStringLiteral("--program"), missing, QStringLiteral("Open")},
        {QStringLiteral("languages"), QStringLiteral("extra")},
        {QStringLiteral("languages"), QStringLiteral("--program"), missing},
        {QStringLiteral("list")},
        {QStringLiteral("list"), missing},
        {QStringLiteral("list"), Root},
        {QStringLiteral("embed"), Program},
        {QStringLiteral("embed"), missing, Root},
        {QStringLiteral("embed"), Program, missing},
        {QStringLiteral("embed"), Program, emptyRoot},
        {QStringLiteral("embed"), Program, garbageRoot},
    };
    const QByteArray before = ReadFile(Program);
    for (const QStringList& args : cases) {
        const Result r = RunTool(args);
        const std::string what = args.join(QLatin1Char(' ')).toStdString();
        EXPECT_NE(r.Code, 0) << what;
        EXPECT_TRUE(r.Out.isEmpty()) << what;
        ASSERT_EQ(r.ErrLines().size(), 1) << what << ": " << r.Err.toStdString();
        EXPECT_TRUE(r.Err.startsWith(QStringLiteral("formdesigner-i18n: "))) << what;
        EXPECT_TRUE(r.Err.endsWith(QLatin1Char('\n'))) << what;
    }
    EXPECT_EQ(ReadFile(Program), before) << "a failed embed leaves the program as it was";

    const Result garbage = RunTool({QStringLiteral("embed"), Program, garbageRoot});
    EXPECT_EQ(garbage.Err,
              QStringLiteral("formdesigner-i18n: This file is not a valid GNU gettext mo file: ") +
                  QDir(garbageRoot).absolutePath() +
                  QStringLiteral("/locale/de/LC_MESSAGES/default.mo\n"));

    // A lookup that meets a non-catalogue fails with its one error line after the runtime's log
    // lines.
    const Result r =
        RunTool({lookup, QStringLiteral("--dir"), garbageRoot + QStringLiteral("/locale"),
                 QStringLiteral("--lang"), QStringLiteral("de"), QStringLiteral("Open")});
    EXPECT_NE(r.Code, 0);
    EXPECT_TRUE(r.Out.isEmpty());
    const QStringList lines = r.ErrLines();
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(lines.filter(QRegularExpression(QStringLiteral("^formdesigner-i18n: "))).size(), 1);
    EXPECT_EQ(lines.last(),
              QStringLiteral("formdesigner-i18n: This file is not a valid GNU gettext mo file: ") +
                  QDir(garbageRoot).absolutePath() +
                  QStringLiteral("/locale/de/LC_MESSAGES/default.mo"));
    for (const QString& line : lines.mid(0, lines.size() - 1))
        EXPECT_TRUE(line.startsWith(QLatin1String("DEBUG3: ")) ||
                    line.startsWith(QLatin1String("ERROR: ")))
            << line.toStdString();
}
