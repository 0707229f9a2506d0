#include "localisation/MoFile.h"

#include "localisation/GnuGettextErrors.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <sys/mman.h>
#include <sys/stat.h>
#include <type_traits>
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

// The end of the furthest-reaching string of both tables: one sequential pass
// over the table entries, reading only the tables, not the strings. 64-bit
// sums, so that no length and offset can wrap back inside the catalogue.
template <bool Swap>
quint64 FurthestStringEnd(const uchar* momemory, quint32 o, quint32 t, quint32 n) {
    const uchar* originals = momemory + o;
    const uchar* translations = momemory + t;
    quint64 reach = 0;
    for (quint32 i = 0; i < n; ++i) {
        quint32 a[2], b[2]; // length, offset
        std::memcpy(a, originals + quint64(i) * 8, 8);
        std::memcpy(b, translations + quint64(i) * 8, 8);
        if constexpr (Swap) {
            a[0] = __builtin_bswap32(a[0]);
            a[1] = __builtin_bswap32(a[1]);
            b[0] = __builtin_bswap32(b[0]);
            b[1] = __builtin_bswap32(b[1]);
        }
        reach = std::max(reach, std::max(quint64(a[0]) + a[1], quint64(b[0]) + b[1]));
    }
    return reach;
}
// Another program may shorten a mapped file: reading a page past its new end
// raises SIGBUS. Reads of a mapping run under a guard of their thread, and the
// handler jumps back to it instead of ending the process. A bus error outside
// a guard goes to the handler installed before, or takes the default action.
thread_local sigjmp_buf* tGuard = nullptr;
struct sigaction gPreviousBusHandler;
std::once_flag gBusHandlerInstalled;

void OnBusError(int signal, siginfo_t* info, void* context) {
    if (sigjmp_buf* guard = tGuard) {
        tGuard = nullptr;
        siglongjmp(*guard, 1);
    }
    const struct sigaction& previous = gPreviousBusHandler;
    if ((previous.sa_flags & SA_SIGINFO) && previous.sa_sigaction) {
        previous.sa_sigaction(signal, info, context);
        return;
    }
    if (!(previous.sa_flags & SA_SIGINFO) && previous.sa_handler != SIG_DFL &&
        previous.sa_handler != SIG_IGN) {
        previous.sa_handler(signal);
        return;
    }
    // Returning repeats the faulting read, which then ends the process as usual.
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    sigaction(SIGBUS, &fallback, nullptr);
}

void InstallBusHandler() {
    struct sigaction action {};
    action.sa_sigaction = OnBusError;
    // No deferral: the jump back leaves the signal mask as the guard found it,
    // so the guard need not save and restore it on every read.
    action.sa_flags = SA_SIGINFO | SA_NODEFER | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    sigaction(SIGBUS, &action, &gPreviousBusHandler);
}

// Runs Work(Context); false when it was cut short by a bus error. Work only
// reads the mapping and writes memory prepared for it: nothing of it needs
// cleaning up when it is cut short.
[[gnu::noinline]] bool RunGuarded(void (*work)(void*), void* context) {
    std::call_once(gBusHandlerInstalled, InstallBusHandler);
    sigjmp_buf env;
    sigjmp_buf* const outer = tGuard;
    if (sigsetjmp(env, 0) != 0) {
        tGuard = outer;
        return false;
    }
    tGuard = &env;
    work(context);
    tGuard = outer;
    return true;
}

template <class Work> bool ReadGuarded(bool mapped, Work&& work) {
    if (!mapped) {
        work();
        return true;
    }
    return RunGuarded([](void* w) { (*static_cast<std::remove_reference_t<Work>*>(w))(); }, &work);
}

} // namespace

bool TMoFile::Stamp(int fd, FileStamp& out) {
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return false;
    out.Size = quint64(st.st_size);
    out.ModifiedSec = st.st_mtim.tv_sec;
    out.ModifiedNsec = st.st_mtim.tv_nsec;
    return true;
}

bool TMoFile::FileChanged() const {
    if (!FUseMemoryMappedFiles)
        return false;
    if (FChanged.load(std::memory_order_relaxed))
        return true;
    FileStamp now;
    if (Stamp(mo, now) && now == FOpened)
        return false;
    FChanged.store(true, std::memory_order_relaxed);
    return true;
}

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
        Stamp(mo, FOpened);
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
    // Everything read from the catalogue is read under the guard; the
    // verdict is reached after it.
    struct Header {
        quint32 Magic = 0, N = 0, O = 0, T = 0;
        bool TablesInside = false;
        quint64 Reach = 0;
    } h;
    const uchar* const memory = momemory;
    const quint64 size = FSize;
    const bool read = ReadGuarded(FUseMemoryMappedFiles, [&h, memory, size] {
        auto word = [memory](quint64 at, bool swap) {
            quint32 v;
            std::memcpy(&v, memory + at, 4);
            return swap ? __builtin_bswap32(v) : v;
        };
        h.Magic = word(0, false);
        const bool swap = h.Magic == MagicBig;
        h.N = word(8, swap);
        h.O = word(12, swap);
        h.T = word(16, swap);
        // Both tables, then every string they point at, must lie inside the
        // catalogue, so that a corrupt catalogue is refused when it is opened.
        const quint64 tableBytes = quint64(h.N) * 8;
        h.TablesInside = h.N <= quint32(INT32_MAX) && quint64(h.O) + tableBytes <= size &&
                         quint64(h.T) + tableBytes <= size;
        if (h.TablesInside)
            h.Reach = swap ? FurthestStringEnd<true>(memory, h.O, h.T, h.N)
                           : FurthestStringEnd<false>(memory, h.O, h.T, h.N);
    });
    if (!read || (h.Magic != MagicLittle && h.Magic != MagicBig) || !h.TablesInside ||
        h.Reach > FSize)
        NotACatalogue(FFileName);
    FDoSwap = h.Magic == MagicBig;
    N = h.N;
    O = h.O;
    T = h.T;

    quint32 p = 0;
    if (N > 0) {
        p = 1;
        while (p <= N / 2)
            p *= 2;
    }
    startindex = qint32(p);
    startstep = startindex / 2;
}

namespace {
// Key against String as unsigned bytes, then by length: negative, 0 or positive.
// Eight bytes at a time, as most probes differ within the first few.
int CompareKey(const uchar* key, quint64 keyLen, const uchar* str, quint64 len) {
    const quint64 common = std::min(keyLen, len);
    quint64 i = 0;
    for (; i + 8 <= common; i += 8) {
        quint64 a, b;
        std::memcpy(&a, key + i, 8);
        std::memcpy(&b, str + i, 8);
        if (a != b) {
            a = __builtin_bswap64(a);
            b = __builtin_bswap64(b);
            return a < b ? -1 : 1;
        }
    }
    for (; i < common; ++i)
        if (key[i] != str[i])
            return key[i] < str[i] ? -1 : 1;
    return keyLen < len ? -1 : keyLen > len ? 1 : 0;
}

// A uniform binary search over the original strings, 1-based: it starts at the
// largest power of two within N and halves its step, clamping to 1 and N.
// Answers the matching index, or 0 (also when a probed string lies outside
// the catalogue: every string was inside when it was opened, but a mapped
// file can be rewritten under the mapping, and a lookup must still never read
// past it; the check is one compare per probe). The byte order is a template argument so that the
// probe loop does not test it on every word.
template <bool Swap, class OnProbe>
qint64 SearchTable(const uchar* momemory, quint64 size, quint32 o, quint32 n, qint64 index,
                   qint64 step, std::string_view key, OnProbe onProbe) {
    const auto* keyBytes = reinterpret_cast<const uchar*>(key.data());
    const quint64 keyLen = key.size();
    for (;;) {
        onProbe(index);
        quint32 entry[2]; // length, offset
        std::memcpy(entry, momemory + o + quint64(index - 1) * 8, 8);
        const quint32 len = Swap ? __builtin_bswap32(entry[0]) : entry[0];
        const quint32 pos = Swap ? __builtin_bswap32(entry[1]) : entry[1];
        if (quint64(len) + pos > size)
            return 0;
        const int diff = CompareKey(keyBytes, keyLen, momemory + pos, len);
        if (diff == 0)
            return index;
        if (step == 0)
            return 0;
        if (diff < 0)
            index = step + 1 > index ? 1 : index - step;
        else
            index = std::min<qint64>(index + step, n);
        step /= 2;
    }
}
} // namespace

template <class OnProbe> qint64 TMoFile::Search(std::string_view key, OnProbe onProbe) const {
    if (N == 0)
        return 0;
    return FDoSwap ? SearchTable<true>(momemory, FSize, O, N, startindex, startstep, key, onProbe)
                   : SearchTable<false>(momemory, FSize, O, N, startindex, startstep, key, onProbe);
}

std::string_view TMoFile::Lookup(std::string_view key, bool& found) const {
    found = false;
    if (!FUseMemoryMappedFiles) {
        const qint64 index = Search(key, [](qint64) {});
        std::string_view translation;
        found = index > 0 && StringAt(T + quint64(index - 1) * 8, translation);
        return found ? translation : key;
    }
    // A mapped catalogue: the translation is copied out under the guard, and
    // kept only when the file is still as it was opened once it is copied.
    if (FChanged.load(std::memory_order_relaxed))
        return key;
    std::string_view translation;
    bool inside = false;
    if (!ReadGuarded(true, [&] {
            const qint64 index = Search(key, [](qint64) {});
            inside = index > 0 && StringAt(T + quint64(index - 1) * 8, translation);
        })) {
        FChanged.store(true, std::memory_order_relaxed); // shortened under the mapping
        return key;
    }
    if (!inside)
        return key;
    thread_local std::string tCopy;
    tCopy.resize(translation.size());
    char* const to = tCopy.data();
    if (!ReadGuarded(true, [&] { std::memcpy(to, translation.data(), translation.size()); })) {
        FChanged.store(true, std::memory_order_relaxed);
        return key;
    }
    if (FileChanged())
        return key;
    found = true;
    return std::string_view(tCopy.data(), tCopy.size());
}

QByteArray TMoFile::gettext(const QByteArray& key, bool& found) const {
    const std::string_view r = Lookup(std::string_view(key.constData(), size_t(key.size())), found);
    return found ? QByteArray(r.data(), qsizetype(r.size())) : key;
}

std::string TMoFile::Entry(quint32 table, quint32 i) const {
    std::string_view s;
    if (i >= N || FileChanged())
        return {};
    if (!ReadGuarded(FUseMemoryMappedFiles, [&] { (void)StringAt(table + quint64(i) * 8, s); }))
        return {};
    std::string out(s.size(), '\0');
    char* const to = out.data();
    if (!ReadGuarded(FUseMemoryMappedFiles, [&] { std::memcpy(to, s.data(), s.size()); }))
        return {};
    return out;
}

std::vector<qint32> TMoFile::ProbeSequence(std::string_view key) const {
    std::vector<qint32> probes;
    probes.reserve(64); // no allocation while the search reads the catalogue
    (void)ReadGuarded(FUseMemoryMappedFiles,
                      [&] { Search(key, [&](qint64 index) { probes.push_back(qint32(index)); }); });
    return probes;
}

} // namespace GnuGettext
