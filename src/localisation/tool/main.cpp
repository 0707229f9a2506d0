// formdesigner-i18n: looks texts up exactly as the designer's runtime does,
// lists the languages that have catalogues, and embeds catalogues into a
// program file or lists those embedded in one.

#include "localisation/FileLocator.h"
#include "localisation/GNUGetTextU.h"
#include "localisation/GnuGettextInstance.h"
#include "localisation/MoFile.h"
#include "platform/Platform.h"
#include "support/DebugLog.h"
#include "support/Exception.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>
#include <cstdio>
#include <map>
#include <optional>

using namespace GnuGettext;

namespace {

const char* const Usage =
    "usage: formdesigner-i18n lookup [--dir DIR] [--lang CODE] [--domain NAME] [--program FILE]\n"
    "                                [--plural TEXT -n N] MSGID\n"
    "       formdesigner-i18n languages [--dir DIR] [--domain NAME] [--program FILE]\n"
    "       formdesigner-i18n embed PROGRAM ROOT\n"
    "       formdesigner-i18n list PROGRAM\n";

struct UsageError : Exception {
    using Exception::Exception;
};

void Print(FILE* to, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), to);
}

// Boxes have no one to show them here: their texts go to standard error.
class ConsolePlatform : public Platform {
public:
    QString DocumentsFolder() override { return {}; }
    QString AppDataFolder() override { return {}; }
    bool AcquireSingleInstance(const QString&) override { return true; }
    BoxButton MessageBox(BoxKind, const QString& caption, const QString& text, int,
                         BoxButton def) override {
        Print(stderr, caption + QStringLiteral(": ") + text + QLatin1Char('\n'));
        return def;
    }
    void Beep(BeepSound) override {}
    QString OpenPictureFile(const QString&, const QString&, const QString&) override { return {}; }
    void ShellOpen(const QString&) override {}
    bool GetFileTimes(const QString&, FileTimes&) override { return false; }
    QSize PrimaryScreenSize() override { return {}; }
};

struct Options {
    std::map<QString, QString> values; // option name -> value
    QStringList positional;
};

// Options that take a value; anything else starting with "-" is refused.
Options Parse(const QStringList& args, const QStringList& valued) {
    Options o;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--")) {
            o.positional += args.mid(i + 1);
            break;
        }
        if (a.startsWith(QLatin1Char('-')) && a.size() > 1) {
            if (!valued.contains(a))
                throw UsageError(QStringLiteral("unknown option ") + a);
            if (i + 1 >= args.size())
                throw UsageError(QStringLiteral("option %1 needs a value").arg(a));
            if (o.values.count(a))
                throw UsageError(QStringLiteral("option %1 given twice").arg(a));
            o.values[a] = args[++i];
        } else {
            o.positional << a;
        }
    }
    return o;
}

std::optional<QString> Value(const Options& o, const char* name) {
    const auto it = o.values.find(QLatin1String(name));
    if (it == o.values.end())
        return std::nullopt;
    return it->second;
}

QString Absolute(const QString& path) {
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

QString ExistingFile(const QString& path) {
    const QFileInfo info(path);
    if (!info.isFile())
        throw Exception(QStringLiteral("no such file: ") + path);
    return Absolute(path);
}

// Starts the runtime over PROGRAM (or this tool) and binds the domain to DIR.
void StartFor(const Options& o, const QString& domain) {
    const auto program = Value(o, "--program");
    StartRuntime(program ? ExistingFile(*program) : QString());
    if (const auto dir = Value(o, "--dir"))
        DefaultTranslator->bindtextdomain(domain, Absolute(*dir));
}

int Lookup(const QStringList& args) {
    const Options o = Parse(args, {"--dir", "--lang", "--domain", "--program", "--plural", "-n"});
    if (o.positional.size() != 1)
        throw UsageError(QStringLiteral("lookup needs exactly one MSGID"));
    const QString domain = Value(o, "--domain").value_or(QStringLiteral("default"));
    const auto plural = Value(o, "--plural");
    const auto count = Value(o, "-n");
    if (plural.has_value() != count.has_value())
        throw UsageError(QStringLiteral("--plural and -n go together"));
    qint32 n = 0;
    if (count) {
        bool ok = false;
        n = count->toInt(&ok);
        if (!ok)
            throw UsageError(QStringLiteral("-n needs a whole number, not ") + *count);
    }
    StartFor(o, domain);
    if (const auto lang = Value(o, "--lang"))
        DefaultTranslator->UseLanguage(*lang);
    const QString& msgId = o.positional.front();
    const QString result = plural ? DefaultTranslator->dngettext(domain, msgId, *plural, n)
                                  : DefaultTranslator->dgettext(domain, msgId);
    Print(stdout, result + QLatin1Char('\n'));
    return 0;
}

int Languages(const QStringList& args) {
    const Options o = Parse(args, {"--dir", "--domain", "--program"});
    if (!o.positional.isEmpty())
        throw UsageError(QStringLiteral("languages takes no argument ") + o.positional.front());
    const QString domain = Value(o, "--domain").value_or(QStringLiteral("default"));
    StartFor(o, domain);
    QStringList codes;
    DefaultTranslator->GetListOfLanguages(domain, codes);
    for (const QString& c : codes)
        Print(stdout, c + QLatin1Char('\n'));
    return 0;
}

void AppendInt64(QByteArray& to, qint64 value) {
    for (int i = 0; i < 8; ++i)
        to.append(char(quint64(value) >> (8 * i)));
}

int Embed(const QStringList& args) {
    const Options o = Parse(args, {});
    if (o.positional.size() != 2)
        throw UsageError(QStringLiteral("embed needs PROGRAM and ROOT"));
    const QString program = ExistingFile(o.positional[0]);
    const QString root = Absolute(o.positional[1]);
    if (!QFileInfo(root).isDir())
        throw Exception(QStringLiteral("no such folder: ") + root);

    // Every locale/{code}/LC_MESSAGES/*.mo below ROOT, each checked to be a catalogue.
    QStringList names;
    const QDir locale(root + QStringLiteral("/locale"));
    for (const QString& code : locale.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        const QDir messages(locale.filePath(code) + QStringLiteral("/LC_MESSAGES"));
        for (const QString& mo :
             messages.entryList({QStringLiteral("*.mo")}, QDir::Files, QDir::Name)) {
            const QString path = messages.filePath(mo);
            TMoFile check(path, 0, 0, true);
            names << QDir(root).relativeFilePath(path);
        }
    }
    if (names.isEmpty())
        throw Exception(QStringLiteral("no catalogues found in ") + root +
                        QStringLiteral("/locale/*/LC_MESSAGES/"));

    QFile in(program);
    if (!in.open(QIODevice::ReadOnly))
        throw Exception(QStringLiteral("cannot read ") + program);
    {
        const auto found = TFileLocator::FindSignaturePositions(
            {TFileLocator::BeginMarker(), TFileLocator::EndMarker()}, in);
        if (found[0] > 0 || found[1] > 0)
            throw Exception(program + QStringLiteral(" already holds embedded catalogues"));
    }
    const qint64 programSize = in.size();
    const qint64 base = programSize + TFileLocator::MarkerLength;

    QByteArray block = TFileLocator::BeginMarker();
    std::vector<std::pair<qint64, qint64>> records; // offset relative to base, size
    for (const QString& name : names) {
        QFile mo(root + QLatin1Char('/') + name);
        if (!mo.open(QIODevice::ReadOnly))
            throw Exception(QStringLiteral("cannot read ") + mo.fileName());
        const QByteArray data = mo.readAll();
        records.emplace_back(programSize + block.size() - base, data.size());
        block += data;
    }
    const qint64 firstEntry = programSize + block.size() - base;
    for (qsizetype i = 0; i < names.size(); ++i) {
        const QByteArray name = names[i].toUtf8();
        const qint64 entry = programSize + block.size();
        AppendInt64(block, entry + 24 + name.size() - base); // the following entry
        AppendInt64(block, records[size_t(i)].first);
        AppendInt64(block, records[size_t(i)].second);
        block += name;
    }
    AppendInt64(block, 0); // end of the directory
    AppendInt64(block, firstEntry);
    block += TFileLocator::EndMarker();

    const QFile::Permissions permissions = QFileInfo(program).permissions();
    QSaveFile out(program);
    if (!out.open(QIODevice::WriteOnly))
        throw Exception(QStringLiteral("cannot write ") + program);
    if (!in.seek(0))
        throw Exception(QStringLiteral("cannot read ") + program);
    while (!in.atEnd()) {
        const QByteArray chunk = in.read(1 << 20);
        if (chunk.isEmpty() || out.write(chunk) != chunk.size())
            throw Exception(QStringLiteral("cannot copy ") + program);
    }
    if (out.write(block) != block.size() || !out.commit())
        throw Exception(QStringLiteral("cannot write ") + program);
    QFile::setPermissions(program, permissions);
    for (const QString& name : names)
        Print(stdout, name + QLatin1Char('\n'));
    return 0;
}

int List(const QStringList& args) {
    const Options o = Parse(args, {});
    if (o.positional.size() != 1)
        throw UsageError(QStringLiteral("list needs PROGRAM"));
    TFileLocator locator(ExistingFile(o.positional[0]));
    locator.Analyze();
    for (const auto& [name, info] : locator.EmbeddedFiles())
        Print(stdout, QStringLiteral("%1\t%2\t%3\n").arg(name).arg(info.offset).arg(info.size));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    ConsolePlatform console;
    SetPlatform(&console);
    SetDebugLogLineSink([](const QString& line) { Print(stderr, line + QLatin1Char('\n')); });
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    int rc = 1;
    try {
        if (args.isEmpty())
            throw UsageError(QStringLiteral("no command given"));
        const QString command = args.takeFirst();
        if (command == QLatin1String("lookup"))
            rc = Lookup(args);
        else if (command == QLatin1String("languages"))
            rc = Languages(args);
        else if (command == QLatin1String("embed"))
            rc = Embed(args);
        else if (command == QLatin1String("list"))
            rc = List(args);
        else if (command == QLatin1String("--help") || command == QLatin1String("-h")) {
            std::fputs(Usage, stdout);
            rc = 0;
        } else
            throw UsageError(QStringLiteral("unknown command ") + command);
    } catch (const UsageError& e) {
        Print(stderr, QStringLiteral("formdesigner-i18n: ") + e.Message() +
                          QStringLiteral(" (see --help)\n"));
        rc = 2;
    } catch (const Exception& e) {
        Print(stderr, QStringLiteral("formdesigner-i18n: ") + e.Message() + QLatin1Char('\n'));
        rc = 1;
    } catch (const std::exception& e) {
        Print(stderr, QStringLiteral("formdesigner-i18n: ") + QString::fromUtf8(e.what()) +
                          QLatin1Char('\n'));
        rc = 1;
    }
    StopRuntime();
    SetDebugLogLineSink({});
    SetPlatform(nullptr);
    return rc;
}
