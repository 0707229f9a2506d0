// Any bytes as a catalogue file: refused with EGGIOError or opened, never a
// crash and never a read outside the catalogue's bytes. The bytes are opened
// exactly when their header, both tables and every string of the tables lie
// inside them, which is worked out here apart from the catalogue. It is
// opened three ways (mapped from a file, copied from a file, copied from
// memory); the copies are exactly as long as the bytes, so that the
// sanitizer sees any read past their end. All three must agree on whether the
// bytes are a catalogue and on every lookup. Keys are the catalogue's own
// original strings and the NUL-separated pieces of the input. Last, the file
// is shortened under the mapped one, which must then never crash.
#include "localisation/GnuGettextErrors.h"
#include "localisation/MoFile.h"

#include <QFile>
#include <QTemporaryDir>

#include "FuzzChecks.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

using GnuGettext::EGGIOError;
using GnuGettext::TMoFile;

namespace {

std::unique_ptr<TMoFile> Open(const QString& path, const QByteArray& bytes, int how) {
    try {
        switch (how) {
        case 0:
            return std::make_unique<TMoFile>(path, 0, 0, true);
        case 1:
            return std::make_unique<TMoFile>(path, 0, 0, false);
        default:
            return std::make_unique<TMoFile>(bytes, path);
        }
    } catch (const EGGIOError& e) {
        Check(!e.Message().isEmpty());
        return nullptr;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir dir;
    static const QString path = dir.filePath(QStringLiteral("fuzz.mo"));
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    {
        QFile f(path);
        Check(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        Check(f.write(bytes) == bytes.size());
    }

    // The bytes as a catalogue: a known magic, then N, O and T; both tables
    // and every string they point at inside the bytes.
    bool swap = false;
    auto word = [&](quint64 at) {
        quint32 v;
        std::memcpy(&v, data + at, 4);
        return swap ? __builtin_bswap32(v) : v;
    };
    bool wellFormed = size >= 20;
    if (wellFormed) {
        swap = word(0) == 0xde120495;
        wellFormed = word(0) == 0x950412de;
    }
    if (wellFormed) {
        const quint64 n = word(8), o = word(12), t = word(16);
        wellFormed = n <= 0x7fffffff && o + n * 8 <= size && t + n * 8 <= size;
        for (quint64 i = 0; i < n && wellFormed; ++i)
            for (quint64 table : {o, t}) {
                const quint64 entry = table + i * 8;
                if (quint64(word(entry)) + word(entry + 4) > size)
                    wellFormed = false;
            }
    }

    std::unique_ptr<TMoFile> forms[3];
    for (int how = 0; how < 3; ++how) {
        forms[how] = Open(path, bytes, how);
        Check(!forms[how] == !wellFormed);
    }
    if (!forms[0])
        return 0;

    const TMoFile& mo = *forms[2];
    Check(mo.doswap() == swap);
    for (const auto& f : forms) {
        Check(f->Count() == mo.Count() && f->doswap() == mo.doswap());
        Check(f->StartIndex() == mo.StartIndex() && f->StartStep() == mo.StartStep());
    }

    // Keys: the first originals of the catalogue, the empty key, and the
    // pieces of the input between NULs.
    std::vector<std::string> keys;
    const quint32 shown = std::min<quint32>(mo.Count(), 256);
    for (quint32 i = 0; i < shown; ++i) {
        // Every string was checked at open: each one is whole.
        Check(mo.Original(i).size() == word(word(12) + quint64(i) * 8));
        Check(mo.Translation(i).size() == word(word(16) + quint64(i) * 8));
        (void)Touch(mo.Original(i));
        (void)Touch(mo.Translation(i));
        keys.push_back(mo.Original(i));
    }
    keys.emplace_back();
    const char* text = reinterpret_cast<const char*>(data);
    for (size_t from = 0; from <= size && keys.size() < shown + 64;) {
        size_t to = from;
        while (to < size && text[to] != '\0')
            ++to;
        keys.emplace_back(text + from, to - from);
        from = to + 1;
    }

    // Strictly sorted originals make a searchable catalogue: each of its
    // originals is then found, with its own translation.
    bool sorted = mo.Count() <= 4096;
    for (quint32 i = 1; i < mo.Count() && sorted; ++i)
        sorted = mo.Original(i - 1) < mo.Original(i);

    // A search halves its step each probe: at most one probe per bit of N, plus one.
    int maxProbes = 1;
    for (quint32 n = mo.Count(); n > 0; n >>= 1)
        ++maxProbes;

    for (size_t k = 0; k < keys.size(); ++k) {
        const std::string_view key = keys[k];
        bool found = false;
        const std::string_view r = mo.Lookup(key, found);
        const unsigned h = Touch(r);
        if (!found)
            Check(r.data() == key.data() && r.size() == key.size());
        if (sorted && k < shown) {
            Check(found);
            Check(r == mo.Translation(quint32(k)));
        }
        Check(mo.ProbeSequence(key).size() <= size_t(maxProbes));
        for (const auto& f : forms) {
            bool again = false;
            const std::string_view other = f->Lookup(key, again);
            Check(again == found && other.size() == r.size() && Touch(other) == h);
        }
        const QByteArray qkey(key.data(), qsizetype(key.size()));
        bool qfound = false;
        const QByteArray q = mo.gettext(qkey, qfound);
        Check(qfound == found && q == QByteArray(r.data(), qsizetype(r.size())));
    }

    // The file shortened under the mapped catalogue by another program: each
    // lookup gives the catalogue's text as it was opened, or the key itself.
    {
        QFile f(path);
        Check(f.open(QIODevice::ReadWrite) && f.resize(qint64(size / 2)));
    }
    for (const std::string& key : keys) {
        bool found = false, before = false;
        const std::string_view r = forms[0]->Lookup(key, found);
        const std::string_view m = mo.Lookup(key, before);
        Check(found ? before && r == m : r == key);
    }
    return 0;
}
