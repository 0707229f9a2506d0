#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QtGlobal>
#include <utility>
#include <vector>

// Catalogues for the tests are made from small PO texts by the real msgfmt.
enum class Endian { Little, Big };

// A PO header entry with the given charset and the plural rule in Plural-Forms.
QString PoHeader(const QString& charset = QStringLiteral("UTF-8"),
                 const QString& pluralForms = QStringLiteral("nplurals=2; plural=(n != 1);"));
// The compiled catalogue of PoText; fails the calling test (and returns
// nothing) when msgfmt is missing or refuses the text.
QByteArray CompileCatalogue(const QString& poText, Endian endian = Endian::Little);

// German catalogue with five strings: the header, "Line one\nLine two",
// "Open", "Open file" and the plural pair "file"/"files".
QString GermanPo();
// Polish: three plural forms.
QString PolishPo();

// A little-endian MO catalogue of the given pairs, written here rather than by
// msgfmt: it may hold what msgfmt refuses (an empty translation), and it needs
// no child process (a child started with vfork confuses ThreadSanitizer).
QByteArray BuildMo(std::vector<std::pair<QByteArray, QByteArray>> pairs);

void WriteFile(const QString& path, const QByteArray& bytes);
QByteArray ReadFile(const QString& path);

// The 32-bit word at Pos of a catalogue in the given byte order, and its writer.
quint32 GetWord(const QByteArray& mo, qsizetype pos, Endian endian);
void PutWord(QByteArray& mo, qsizetype pos, quint32 value, Endian endian);

// One catalogue to append to a hand-made program file.
struct EmbeddedPart {
    QByteArray Name; // stored as written, padding included
    QByteArray Data;
};
// Prefix, then the embedded layout holding Parts, built here from the layout
// itself rather than by the packaging tool.
QByteArray BuildEmbedded(const QByteArray& prefix, const std::vector<EmbeddedPart>& parts);
// The markers, joined here at run time like the program does.
QByteArray BeginMarkerBytes();
QByteArray EndMarkerBytes();

// Collects the runtime's log lines (with their level prefixes) while alive.
class LogCapture {
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;
    QStringList Lines;
};

// Sets or clears an environment variable for the lifetime of the guard.
class EnvGuard {
public:
    EnvGuard(const char* name, const QByteArray* value);
    ~EnvGuard();
    EnvGuard(const EnvGuard&) = delete;
    EnvGuard& operator=(const EnvGuard&) = delete;

private:
    const char* FName;
    bool FHad;
    QByteArray FOld;
};
