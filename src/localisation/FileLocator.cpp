#include "localisation/FileLocator.h"

#include "localisation/MoFile.h"
#include "support/DebugLog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <algorithm>
#include <cstring>
#include <mutex>

#ifdef __SSE2__
#include <emmintrin.h>
#endif
#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace GnuGettext {

namespace {
// Kept apart on purpose: see BeginMarker.
const char* volatile MarkerHead = "DXG";
const char* volatile BeginTail = "BD7F1BE4-9FCF-4E3A-ABA7-3443D11AB362";
const char* volatile EndTail = "1C58841C-D8A0-4457-BF54-D8315D4CF49D";

// The program file is read, not mapped: a mapping pays a page fault per page,
// many times the cost of the read, and a file shortened under it would raise
// a bus error. Blocks this size stay in the processor's cache between the
// read and the search.
constexpr qint64 ScanBlock = 1 << 18;

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

// An embedded name is a path relative to the program folder: not absolute,
// without a ".." step (either slash counts, as the packaging step may come
// from Windows) and without a NUL that would cut it short on disk.
bool StaysInsideProgramFolder(const QString& name) {
    if (name.startsWith(u'/') || name.startsWith(u'\\') || name.contains(QChar(0)))
        return false;
    qsizetype from = 0;
    while (from <= name.size()) {
        qsizetype to = from;
        while (to < name.size() && name[to] != u'/' && name[to] != u'\\')
            ++to;
        if (QStringView(name).mid(from, to - from) == u"..")
            return false;
        from = to + 1;
    }
    return true;
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

namespace {
#if defined(__x86_64__)
// The first group of 64 positions, from Pos up to Last, holding a candidate:
// byte First at its position + FirstAt and byte Final at + FinalAt. Answers
// the group's position (past Last when none) and its candidates as bits.
__attribute__((target("avx2"))) qsizetype NextCandidatesAvx2(const char* buf, qsizetype pos,
                                                             qsizetype last, char first,
                                                             qsizetype firstAt, char final,
                                                             qsizetype finalAt, quint64& mask) {
    const __m256i f = _mm256_set1_epi8(first), l = _mm256_set1_epi8(final);
    for (; pos <= last; pos += 64) {
        const char* p = buf + pos;
        const __m256i c0 = _mm256_and_si256(
            _mm256_cmpeq_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + firstAt)), f),
            _mm256_cmpeq_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + finalAt)),
                              l));
        const __m256i c1 = _mm256_and_si256(
            _mm256_cmpeq_epi8(
                _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32 + firstAt)), f),
            _mm256_cmpeq_epi8(
                _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32 + finalAt)), l));
        const __m256i any = _mm256_or_si256(c0, c1);
        if (!_mm256_testz_si256(any, any)) {
            mask = quint64(quint32(_mm256_movemask_epi8(c0))) |
                   (quint64(quint32(_mm256_movemask_epi8(c1))) << 32);
            return pos;
        }
    }
    mask = 0;
    return pos;
}

bool HaveAvx2() {
    static const bool have = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return have;
}
#endif

// Records in Found (file positions, Base being that of Buf[0]) the first
// occurrence in Buf of each marker not found yet. Sixteen positions at a time
// are filtered on a marker's first and last byte together, so that only rare
// candidates are compared whole.
void Search(const std::vector<QByteArray>& markers, const char* buf, qsizetype length, qint64 base,
            std::vector<qint64>& found, size_t& pending) {
    auto tryAt = [&](qsizetype pos) {
        for (size_t m = 0; m < markers.size(); ++m) {
            const QByteArray& marker = markers[m];
            if (found[m] < 0 && pos + marker.size() <= length &&
                std::memcmp(buf + pos, marker.constData(), size_t(marker.size())) == 0) {
                found[m] = base + pos;
                --pending;
            }
        }
    };
    qsizetype longest = 0;
    for (const QByteArray& m : markers)
        longest = std::max(longest, m.size());
    qsizetype pos = 0;
#ifdef __SSE2__
    // A candidate has byte First at pos + FirstAt and Last at pos + LastAt.
    // Where every marker still sought has the same bytes at two positions
    // (the markers share their head), one filter serves them all.
    struct Filter {
        __m128i First, Last;
        qsizetype FirstAt, LastAt;
        char FirstByte, LastByte;
    };
    std::vector<const QByteArray*> sought;
    for (size_t m = 0; m < markers.size(); ++m)
        if (found[m] < 0)
            sought.push_back(&markers[m]);
    qsizetype shortest = longest;
    for (const QByteArray* m : sought)
        shortest = std::min(shortest, m->size());
    std::vector<qsizetype> common;
    for (qsizetype i = 0; i < shortest; ++i)
        if (std::all_of(sought.begin(), sought.end(),
                        [&](const QByteArray* m) { return m->at(i) == sought.front()->at(i); }))
            common.push_back(i);
    std::vector<Filter> filters;
    if (common.size() >= 2) {
        const QByteArray& m = *sought.front();
        filters.push_back({_mm_set1_epi8(m[common.front()]), _mm_set1_epi8(m[common.back()]),
                           common.front(), common.back(), m[common.front()], m[common.back()]});
    } else {
        for (const QByteArray* m : sought)
            filters.push_back({_mm_set1_epi8(m->front()), _mm_set1_epi8(m->back()), 0,
                               m->size() - 1, m->front(), m->back()});
    }
    auto load = [&](qsizetype at) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(buf + at));
    };
    auto candidates = [&](const Filter& f, qsizetype at) {
        return _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(load(at + f.FirstAt), f.First),
                                               _mm_cmpeq_epi8(load(at + f.LastAt), f.Last)));
    };
    auto tryMask = [&](int mask, qsizetype at) {
        while (mask && pending > 0) {
            tryAt(at + __builtin_ctz(unsigned(mask)));
            mask &= mask - 1;
        }
    };
    const qsizetype reach = longest - 1 + 16; // bytes a group of 16 candidates loads
    if (filters.size() == 1) {
        const Filter f = filters.front();
#if defined(__x86_64__)
        if (HaveAvx2()) {
            const qsizetype last = length - (longest - 1 + 64); // last group start within Buf
            while (pos <= last && pending > 0) {
                quint64 mask = 0;
                pos = NextCandidatesAvx2(buf, pos, last, f.FirstByte, f.FirstAt, f.LastByte,
                                         f.LastAt, mask);
                for (; mask && pending > 0; mask &= mask - 1)
                    tryAt(pos + __builtin_ctzll(mask));
                if (pos <= last)
                    pos += 64;
            }
        }
#endif
        for (; pos + 48 + reach <= length && pending > 0; pos += 64) {
            const int m0 = candidates(f, pos), m1 = candidates(f, pos + 16),
                      m2 = candidates(f, pos + 32), m3 = candidates(f, pos + 48);
            if (m0 | m1 | m2 | m3) {
                tryMask(m0, pos);
                tryMask(m1, pos + 16);
                tryMask(m2, pos + 32);
                tryMask(m3, pos + 48);
            }
        }
    }
    for (; pos + reach <= length && pending > 0; pos += 16) {
        int mask = 0;
        for (const Filter& f : filters)
            mask |= candidates(f, pos);
        tryMask(mask, pos);
    }
#endif
    for (; pos < length && pending > 0; ++pos)
        tryAt(pos);
}
} // namespace

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
    // Markers not found answer 0.
    auto result = [&found] {
        for (auto& f : found)
            f = std::max<qint64>(f, 0);
        return found;
    };
    if (pending == 0 || !stream.seek(0))
        return result();
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
        const char* const end = buf + length;
        Search(markers, buf, length, windowBase, found, pending);
        carry = std::min(carryMax, length);
        std::memmove(buf, end - carry, size_t(carry));
        windowBase += length - carry;
        if (got < ScanBlock && stream.atEnd())
            break;
    }
    return result();
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
            if (!StaysInsideProgramFolder(name)) {
                DebugLog(QStringLiteral("Embedded catalogue skipped, its name leaves the program "
                                        "folder: ") +
                             name,
                         0);
                continue;
            }
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
