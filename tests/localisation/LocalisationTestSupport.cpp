#include "LocalisationTestSupport.h"

#include "support/DebugLog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QtEndian>
#include <algorithm>
#include <gtest/gtest.h>
#include <stdexcept>

QString PoHeader(const QString& charset, const QString& pluralForms) {
    return QStringLiteral("msgid \"\"\n"
                          "msgstr \"\"\n"
                          "\"Project-Id-Version: kfd-test\\n\"\n"
                          "\"Last-Translator: Anna Berger <anna@example.org>\\n\"\n"
                          "\"MIME-Version: 1.0\\n\"\n"
                          "\"Content-Type: text/plain; charset=%1\\n\"\n"
                          "\"Content-Transfer-Encoding: 8bit\\n\"\n"
                          "\"Plural-Forms: %2\\n\"\n\n")
        .arg(charset, pluralForms);
}

QString GermanPo() {
    return PoHeader() + QStringLiteral("msgid \"Open\"\nmsgstr \"Öffnen\"\n\n"
                                       "msgid \"Open file\"\nmsgstr \"Datei öffnen\"\n\n"
                                       "msgid \"Line one\\nLine two\"\n"
                                       "msgstr \"Zeile eins\\nZeile zwei\"\n\n"
                                       "msgid \"file\"\nmsgid_plural \"files\"\n"
                                       "msgstr[0] \"Datei\"\nmsgstr[1] \"Dateien\"\n");
}

QString PolishPo() {
    return PoHeader(QStringLiteral("UTF-8"),
                    QStringLiteral("nplurals=3; plural=(n==1 ? 0 : n%10>=2 && n%10<=4 && "
                                   "(n%100<10 || n%100>=20) ? 1 : 2);")) +
           QStringLiteral("msgid \"Open\"\nmsgstr \"Otwórz\"\n\n"
                          "msgid \"file\"\nmsgid_plural \"files\"\n"
                          "msgstr[0] \"plik\"\nmsgstr[1] \"pliki\"\nmsgstr[2] \"plików\"\n");
}

QByteArray CompileCatalogue(const QString& poText, Endian endian) {
    QString msgfmt = QStringLiteral(KFD_MSGFMT);
    if (msgfmt.isEmpty() || !QFileInfo(msgfmt).isExecutable())
        msgfmt = QStandardPaths::findExecutable(QStringLiteral("msgfmt"));
    if (msgfmt.isEmpty()) {
        ADD_FAILURE() << "msgfmt is not installed";
        return {};
    }
    QTemporaryDir dir;
    const QString po = dir.filePath(QStringLiteral("in.po"));
    const QString mo = dir.filePath(QStringLiteral("out.mo"));
    WriteFile(po, poText.toUtf8());
    QStringList args{QStringLiteral("-o"), mo};
    if (endian == Endian::Big)
        args << QStringLiteral("--endianness=big");
    args << po;
    QProcess p;
    p.start(msgfmt, args);
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        ADD_FAILURE() << "msgfmt failed: " << p.readAllStandardError().toStdString();
        return {};
    }
    return ReadFile(mo);
}

QByteArray BuildMo(std::vector<std::pair<QByteArray, QByteArray>> pairs) {
    std::sort(pairs.begin(), pairs.end());
    const quint32 n = quint32(pairs.size());
    const quint32 o = 28, t = o + 8 * n;
    QByteArray head(28 + 16 * int(n), '\0');
    QByteArray strings;
    auto put = [&head](quint32 at, quint32 v) { qToLittleEndian(v, head.data() + at); };
    put(0, 0x950412de);
    put(8, n);
    put(12, o);
    put(16, t);
    const quint32 base = quint32(head.size());
    for (quint32 i = 0; i < n; ++i) {
        put(o + 8 * i, quint32(pairs[i].first.size()));
        put(o + 8 * i + 4, base + quint32(strings.size()));
        strings += pairs[i].first + '\0';
    }
    for (quint32 i = 0; i < n; ++i) {
        put(t + 8 * i, quint32(pairs[i].second.size()));
        put(t + 8 * i + 4, base + quint32(strings.size()));
        strings += pairs[i].second + '\0';
    }
    return head + strings;
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        throw std::runtime_error(("cannot write " + path).toStdString());
}

QByteArray ReadFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

quint32 GetWord(const QByteArray& mo, qsizetype pos, Endian endian) {
    quint32 v = 0;
    for (int i = 0; i < 4; ++i) {
        const quint32 b = uchar(mo.at(pos + (endian == Endian::Big ? i : 3 - i)));
        v = (v << 8) | b;
    }
    return v;
}

void PutWord(QByteArray& mo, qsizetype pos, quint32 value, Endian endian) {
    for (int i = 0; i < 4; ++i) {
        const char b = char(value >> (8 * i));
        mo[pos + (endian == Endian::Big ? 3 - i : i)] = b;
    }
}

QByteArray BeginMarkerBytes() {
    return QByteArray("DXG") + QByteArray("BD7F1BE4-9FCF-4E3A-ABA7-3443D11AB362");
}

QByteArray EndMarkerBytes() {
    return QByteArray("DXG") + QByteArray("1C58841C-D8A0-4457-BF54-D8315D4CF49D");
}

namespace {
void AppendInt64(QByteArray& to, qint64 value) {
    for (int i = 0; i < 8; ++i)
        to.append(char(quint64(value) >> (8 * i)));
}
} // namespace

QByteArray BuildEmbedded(const QByteArray& prefix, const std::vector<EmbeddedPart>& parts) {
    QByteArray out = prefix + BeginMarkerBytes();
    const qint64 base = out.size();
    std::vector<qint64> offsets;
    for (const auto& p : parts) {
        offsets.push_back(out.size() - base);
        out += p.Data;
    }
    const qint64 first = out.size() - base;
    for (size_t i = 0; i < parts.size(); ++i) {
        const qint64 entry = out.size();
        AppendInt64(out, entry + 24 + parts[i].Name.size() - base);
        AppendInt64(out, offsets[i]);
        AppendInt64(out, parts[i].Data.size());
        out += parts[i].Name;
    }
    out += QByteArray(24, '\0'); // an entry whose next is 0 ends the directory
    AppendInt64(out, first);
    out += EndMarkerBytes();
    return out;
}

LogCapture::LogCapture() {
    SetDebugLogLineSink([this](const QString& line) { Lines << line; });
}

LogCapture::~LogCapture() {
    SetDebugLogLineSink({});
}

EnvGuard::EnvGuard(const char* name, const QByteArray* value)
    : FName(name), FHad(qEnvironmentVariableIsSet(name)), FOld(qgetenv(name)) {
    if (value)
        qputenv(name, *value);
    else
        qunsetenv(name);
}

EnvGuard::~EnvGuard() {
    if (FHad)
        qputenv(FName, FOld);
    else
        qunsetenv(FName);
}
