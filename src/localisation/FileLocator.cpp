#include "localisation/FileLocator.h"

#include "localisation/MoFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <cstring>
#include <mutex>

namespace GnuGettext {

namespace {
// Kept apart on purpose: see BeginMarker.
const char* volatile MarkerHead = "DXG";
const char* volatile BeginTail = "BD7F1BE4-9FCF-4E3A-ABA7-3443D11AB362";
const char* volatile EndTail = "1C58841C-D8A0-4457-BF54-D8315D4CF49D";

constexpr qint64 ScanBlock = 1 << 20;

bool ReadInt64(QIODevice& stream, qint64& value) {
    uchar b[8];
    if (stream.read(reinterpret_cast<char*>(b), 8) != 8)
        return false;
    quint64 v = 0;
    for (int i = 7; i >= 0; --i)
        v = (v << 8) | b[i];
    value = qint64(v);
    return true;
}

bool IsBlankOrControl(QChar c) {
    return c.unicode() <= 0x20 || c.category() == QChar::Other_Control;
}

QString Trimmed(const QString& s) {
    qsizetype from = 0, to = s.size();
    while (from < to && IsBlankOrControl(s[from]))
        ++from;
    while (to > from && IsBlankOrControl(s[to - 1]))
        --to;
    return s.mid(from, to - from);
}
} // namespace

QByteArray TFileLocator::BeginMarker() {
    return QByteArray(MarkerHead) + QByteArray(BeginTail);
}
QByteArray TFileLocator::EndMarker() {
    return QByteArray(MarkerHead) + QByteArray(EndTail);
}

TFileLocator::TFileLocator(const QString& programFile) : FProgramFile(programFile) {
    basedirectory = QDir::cleanPath(QFileInfo(programFile).absolutePath());
    if (!basedirectory.endsWith(QLatin1Char('/')))
        basedirectory += QLatin1Char('/');
}

// Catalogues still held by domains are theirs to release; they are not destroyed here.
TFileLocator::~TFileLocator() = default;

std::vector<qint64> TFileLocator::FindSignaturePositions(const std::vector<QByteArray>& markers,
                                                         QIODevice& stream) {
    std::vector<qint64> found(markers.size(), -1);
    size_t pending = 0;
    qsizetype longest = 0;
    for (size_t m = 0; m < markers.size(); ++m) {
        if (markers[m].isEmpty())
            found[m] = 0;
        else
            ++pending;
        longest = std::max(longest, markers[m].size());
    }
    if (pending == 0 || !stream.seek(0)) {
        for (auto& f : found)
            f = std::max<qint64>(f, 0);
        return found;
    }
    // The window is the tail of the previous block (one byte short of the
    // longest marker, so that a marker straddling a boundary is seen whole)
    // followed by the next block.
    const qsizetype carryMax = longest - 1;
    QByteArray window(carryMax + ScanBlock, Qt::Uninitialized);
    char* const buf = window.data();
    qsizetype carry = 0;
    qint64 windowBase = 0; // file position of buf[0]
    while (pending > 0) {
        const qint64 got = stream.read(buf + carry, ScanBlock);
        if (got <= 0)
            break;
        const qsizetype length = carry + qsizetype(got);
        const char* p = buf;
        const char* const end = buf + length;
        for (size_t m = 0; m < markers.size(); ++m) {
            if (found[m] >= 0)
                continue;
            const char first = markers[m].at(0);
            const qsizetype ml = markers[m].size();
            const char* q = p;
            while (q < end) {
                q = static_cast<const char*>(std::memchr(q, first, size_t(end - q)));
                if (!q || end - q < ml)
                    break;
                if (std::memcmp(q, markers[m].constData(), size_t(ml)) == 0) {
                    found[m] = windowBase + (q - buf);
                    --pending;
                    break;
                }
                ++q;
            }
        }
        carry = std::min(carryMax, length);
        std::memmove(buf, end - carry, size_t(carry));
        windowBase += length - carry;
        if (got < ScanBlock && stream.atEnd())
            break;
    }
    for (auto& f : found)
        f = std::max<qint64>(f, 0);
    return found;
}

qint64 TFileLocator::FindSignaturePos(const QByteArray& marker, QIODevice& stream) {
    return FindSignaturePositions({marker}, stream).front();
}

void TFileLocator::Analyze() {
    try {
        QFile file(FProgramFile);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
            return;
        Analyze(file);
    } catch (...) {
        // A scan that fails keeps what it registered so far.
    }
}

void TFileLocator::Analyze(QIODevice& stream) {
    try {
        const auto pos = FindSignaturePositions({BeginMarker(), EndMarker()}, stream);
        const qint64 begin = pos[0], end = pos[1];
        if (begin <= 0 || end <= 0)
            return;
        const qint64 fileSize = stream.size();
        const qint64 b = begin + MarkerLength;
        qint64 first = 0;
        if (end - 8 < b || !stream.seek(end - 8) || !ReadInt64(stream, first))
            return;
        if (first < 0 || first > end - b)
            return;
        qint64 entry = b + first;
        qint64 position = b;
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        while (position < end) {
            qint64 next = 0, offset = 0, size = 0;
            if (entry + 8 > end || !stream.seek(entry) || !ReadInt64(stream, next) || next == 0)
                return;
            const qint64 nameStart = entry + 24;
            // Every entry must lie after the one before it, so the chain always ends.
            if (next < 0 || next > end - b || b + next < nameStart)
                return;
            const qint64 following = b + next;
            if (!ReadInt64(stream, offset) || !ReadInt64(stream, size))
                return;
            const QByteArray raw = stream.read(following - nameStart);
            if (raw.size() != following - nameStart)
                return;
            const QString decoded = utf8.decode(raw);
            if (utf8.hasError())
                return;
            const QString name = Trimmed(decoded);
            if (offset < 0 || size < 0 || offset > fileSize - b || size > fileSize - b - offset)
                return;
            position = entry = following;
            if (name.isEmpty())
                continue;
            // A catalogue on disk under the same name takes precedence.
            if (QFileInfo::exists(basedirectory + name))
                continue;
            if (filelist.count(name))
                return; // a duplicate name ends the scan
            filelist.emplace(name, TEmbeddedFileInfo{b + offset, size});
        }
    } catch (...) {
    }
}

bool TFileLocator::FileExists(const QString& fileName) const {
    if (filelist.empty())
        return false;
    if (!fileName.startsWith(basedirectory, Qt::CaseSensitive))
        return false;
    return filelist.count(fileName.mid(basedirectory.size())) > 0;
}

TMoFile* TFileLocator::GetMoFile(const QString& fileName) {
    QString realFile = fileName;
    qint64 offset = 0, size = 0;
    if (fileName.startsWith(basedirectory, Qt::CaseSensitive)) {
        const auto it = filelist.find(fileName.mid(basedirectory.size()));
        if (it != filelist.end()) {
            realFile = FProgramFile;
            offset = it->second.offset;
            size = it->second.size;
        }
    }
    std::unique_lock lock(MoFilesCS);
    const QString key = realFile + QStringLiteral(" //\\\\ ") + QString::number(offset);
    TMoFile*& slot = MoFiles[key];
    if (!slot) {
        try {
            slot = new TMoFile(realFile, offset, size, true);
        } catch (...) {
            MoFiles.erase(key);
            throw;
        }
    }
    ++slot->Users;
    return slot;
}

void TFileLocator::ReleaseMoFile(TMoFile* catalogue) {
    if (!catalogue)
        return;
    std::unique_lock lock(MoFilesCS);
    --catalogue->Users;
    if (catalogue->Users > 0)
        return;
    // Only a catalogue of the table is destroyed here.
    for (auto it = MoFiles.rbegin(); it != MoFiles.rend(); ++it) {
        if (it->second == catalogue) {
            MoFiles.erase(std::next(it).base());
            delete catalogue;
            return;
        }
    }
}

std::vector<std::pair<QString, TEmbeddedFileInfo>> TFileLocator::EmbeddedFiles() const {
    return {filelist.begin(), filelist.end()};
}

int TFileLocator::OpenCatalogues() const {
    std::shared_lock lock(MoFilesCS);
    return int(MoFiles.size());
}

qint32 TFileLocator::UsersOf(const TMoFile* catalogue) const {
    std::shared_lock lock(MoFilesCS);
    return catalogue ? catalogue->Users : 0;
}

} // namespace GnuGettext
