#include "localisation/MoFile.h"

#include "localisation/GnuGettextErrors.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace GnuGettext {

namespace {
constexpr quint32 MagicLittle = 0x950412de;
constexpr quint32 MagicBig = 0xde120495;
constexpr quint64 HeaderBytes = 20; // magic, revision, N, O, T

[[noreturn]] void NotACatalogue(const QString& fileName) {
    throw EGGIOError(QStringLiteral("This file is not a valid GNU gettext mo file: ") + fileName);
}

// The catalogue's extent within a file of FileSize bytes; false when Offset
// and Size do not lie inside it.
bool Extent(qint64 fileSize, qint64 offset, qint64 size, quint64& length) {
    if (offset < 0 || size < 0 || offset > fileSize)
        return false;
    if (size == 0)
        size = fileSize - offset;
    if (size > fileSize - offset)
        return false;
    length = quint64(size);
    return true;
}
} // namespace

TMoFile::TMoFile(const QString& fileName, qint64 offset, qint64 size, bool useMemoryMappedFiles)
    : FFileName(fileName), FUseMemoryMappedFiles(useMemoryMappedFiles) {
    if (useMemoryMappedFiles) {
        const QByteArray native = QFile::encodeName(fileName);
        // Non-blocking so that a FIFO cannot hang the open; only regular files are catalogues.
        mo = ::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (mo < 0)
            throw EGGIOError(QStringLiteral("Cannot open file ") + fileName);
        struct stat st {};
        if (::fstat(mo, &st) != 0 || !S_ISREG(st.st_mode)) {
            ::close(mo);
            mo = -1;
            throw EGGIOError(QStringLiteral("Cannot create memory map on file ") + fileName);
        }
        if (!Extent(st.st_size, offset, size, FSize) || FSize < HeaderBytes) {
            ::close(mo);
            mo = -1;
            NotACatalogue(fileName);
        }
        void* view = ::mmap(nullptr, size_t(st.st_size), PROT_READ, MAP_SHARED, mo, 0);
        if (view == MAP_FAILED) {
            const int err = errno;
            ::close(mo);
            mo = -1;
            throw EGGIOError(
                QStringLiteral("Cannot map file %1 into memory. Reason: %2")
                    .arg(fileName, QString::fromLocal8Bit(std::strerror(err)).left(2000)));
        }
        momemoryHandle = view;
        FMappedLength = quint64(st.st_size);
        momemory = static_cast<const uchar*>(view) + offset;
    } else {
        QFile file(fileName);
        if (!file.open(QIODevice::ReadOnly))
            throw EGGIOError(QStringLiteral("Cannot open file ") + fileName);
        if (!Extent(file.size(), offset, size, FSize) || FSize < HeaderBytes || !file.seek(offset))
            NotACatalogue(fileName);
        FCopy.reset(new uchar[FSize]);
        if (file.read(reinterpret_cast<char*>(FCopy.get()), qint64(FSize)) != qint64(FSize))
            NotACatalogue(fileName);
        momemory = FCopy.get();
    }
    try {
        Check();
    } catch (...) {
        Unmap();
        throw;
    }
}

TMoFile::TMoFile(const QByteArray& bytes, const QString& fileName) : FFileName(fileName) {
    FSize = quint64(bytes.size());
    // An exact-size copy, so that any read past its end is a memory error.
    FCopy.reset(new uchar[FSize ? FSize : 1]);
    if (FSize)
        std::memcpy(FCopy.get(), bytes.constData(), FSize);
    momemory = FCopy.get();
    if (FSize < HeaderBytes)
        NotACatalogue(fileName);
    Check();
}

TMoFile::~TMoFile() {
    Unmap();
}

void TMoFile::Unmap() {
    if (momemoryHandle) {
        ::munmap(momemoryHandle, FMappedLength);
        momemoryHandle = nullptr;
    }
    if (mo >= 0) {
        ::close(mo);
        mo = -1;
    }
}

void TMoFile::Check() {
    FDoSwap = false;
    const quint32 magic = ReadCatalogueWord(0);
    if (magic != MagicLittle && magic != MagicBig)
        NotACatalogue(FFileName);
    FDoSwap = magic == MagicBig;
    (void)ReadCatalogueWord(4); // revision
    N = ReadCatalogueWord(8);
    O = ReadCatalogueWord(12);
    T = ReadCatalogueWord(16);

    // Both tables, then every string they point at, must lie inside the catalogue.
    const quint64 tableBytes = quint64(N) * 8;
    if (N > quint32(INT32_MAX) || quint64(O) + tableBytes > FSize ||
        quint64(T) + tableBytes > FSize)
        NotACatalogue(FFileName);
    quint64 reach = 0;
    auto scan = [&](quint32 table, auto swap) {
        const uchar* p = momemory + table;
        for (quint32 i = 0; i < N; ++i, p += 8) {
            quint32 len, pos;
            std::memcpy(&len, p, 4);
            std::memcpy(&pos, p + 4, 4);
            len = swap(len);
            pos = swap(pos);
            reach = std::max(reach, quint64(len) + pos);
        }
    };
    if (FDoSwap) {
        auto swap = [](quint32 v) { return __builtin_bswap32(v); };
        scan(O, swap);
        scan(T, swap);
    } else {
        auto keep = [](quint32 v) { return v; };
        scan(O, keep);
        scan(T, keep);
    }
    if (reach > FSize)
        NotACatalogue(FFileName);

    quint32 p = 0;
    if (N > 0) {
        p = 1;
        while (p <= N / 2)
            p *= 2;
    }
    startindex = qint32(p);
    startstep = startindex / 2;
}

// A uniform binary search over the original strings, 1-based: it starts at the
// largest power of two within N and halves its step, clamping to 1 and N.
// Answers the matching index, or 0.
template <class OnProbe> qint64 TMoFile::Search(std::string_view key, OnProbe onProbe) const {
    if (N == 0)
        return 0;
    qint64 index = startindex;
    qint64 step = startstep;
    const auto* keyBytes = reinterpret_cast<const uchar*>(key.data());
    const qint64 keyLen = qint64(key.size());
    for (;;) {
        onProbe(index);
        const quint64 e = O + quint64(index - 1) * 8;
        const qint64 len = ReadCatalogueWord(e);
        const uchar* str = momemory + ReadCatalogueWord(e + 4);
        const qint64 common = std::min(keyLen, len);
        int diff = common ? std::memcmp(keyBytes, str, size_t(common)) : 0;
        if (diff == 0) {
            if (keyLen == len)
                return index;
            diff = keyLen < len ? -1 : 1;
        }
        if (step == 0)
            return 0;
        if (diff < 0)
            index = step + 1 > index ? 1 : index - step;
        else
            index = std::min<qint64>(index + step, N);
        step /= 2;
    }
}

std::string_view TMoFile::Lookup(std::string_view key, bool& found) const {
    const qint64 index = Search(key, [](qint64) {});
    found = index > 0;
    if (!found)
        return key;
    return StringAt(T + quint64(index - 1) * 8);
}

QByteArray TMoFile::gettext(const QByteArray& key, bool& found) const {
    const std::string_view r = Lookup(std::string_view(key.constData(), size_t(key.size())), found);
    return found ? QByteArray(r.data(), qsizetype(r.size())) : key;
}

std::vector<qint32> TMoFile::ProbeSequence(std::string_view key) const {
    std::vector<qint32> probes;
    Search(key, [&](qint64 index) { probes.push_back(qint32(index)); });
    return probes;
}

} // namespace GnuGettext
