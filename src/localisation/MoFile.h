#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

namespace GnuGettext {

// One open GNU gettext MO catalogue, read-only after construction. The header,
// both tables and every string they point at are checked against the
// catalogue's size when it is opened, and a catalogue reaching outside its
// bytes is refused then. Opening reads the tables, never the strings, so that
// a mapped catalogue's cost follows its number of strings, not its bytes.
// Lookups check each string they reach as well (a mapped file can change
// under the mapping), so no lookup reads outside the catalogue's bytes.
class TMoFile {
public:
    // Opens the catalogue whose bytes start at Offset in FileName and run for
    // Size bytes (0: to the end of the file). Raises EGGIOError on failure.
    TMoFile(const QString& fileName, qint64 offset, qint64 size, bool useMemoryMappedFiles);
    // A catalogue held as a private copy of Bytes; FileName only names it in messages.
    TMoFile(const QByteArray& bytes, const QString& fileName);
    ~TMoFile();
    TMoFile(const TMoFile&) = delete;
    TMoFile& operator=(const TMoFile&) = delete;

    // The translation of Key, or Key itself when the catalogue does not hold it.
    QByteArray gettext(const QByteArray& key, bool& found) const;
    // The same without copying: a view into the catalogue, or Key itself. The
    // view lives as long as the catalogue.
    std::string_view Lookup(std::string_view key, bool& found) const;

    // The 1-based indexes of the original strings compared while searching Key, in order.
    std::vector<qint32> ProbeSequence(std::string_view key) const;

    // Number of domains holding this catalogue; maintained by the locator.
    qint32 Users = 0;

    bool doswap() const { return FDoSwap; }
    quint32 Count() const { return N; }
    qint32 StartIndex() const { return startindex; }
    qint32 StartStep() const { return startstep; }
    bool UsesMemoryMapping() const { return FUseMemoryMappedFiles; }
    const QString& FileName() const { return FFileName; }
    // Entry I (0-based, below Count()) of the original and translated tables;
    // empty for any other I, or when the entry no longer lies inside.
    std::string_view Original(quint32 i) const {
        std::string_view s;
        return i < N && StringAt(O + quint64(i) * 8, s) ? s : std::string_view();
    }
    std::string_view Translation(quint32 i) const {
        std::string_view s;
        return i < N && StringAt(T + quint64(i) * 8, s) ? s : std::string_view();
    }

private:
    void Check();
    void Unmap();
    quint32 ReadCatalogueWord(quint64 position) const {
        quint32 v;
        std::memcpy(&v, momemory + position, 4);
        if (FDoSwap)
            v = __builtin_bswap32(v);
        return v;
    }
    // The string of the table entry at Entry; false when it lies outside the catalogue.
    bool StringAt(quint64 entry, std::string_view& s) const {
        const quint32 len = ReadCatalogueWord(entry), pos = ReadCatalogueWord(entry + 4);
        if (quint64(len) + pos > FSize)
            return false;
        s = {reinterpret_cast<const char*>(momemory) + pos, len};
        return true;
    }
    template <class OnProbe> qint64 Search(std::string_view key, OnProbe onProbe) const;

    QString FFileName;
    bool FDoSwap = false;
    quint32 N = 0;
    quint32 O = 0;
    quint32 T = 0;
    qint32 startindex = 0;
    qint32 startstep = 0;
    bool FUseMemoryMappedFiles = false;
    int mo = -1;                     // file descriptor of a mapped catalogue
    void* momemoryHandle = nullptr;  // start of the mapped view
    quint64 FMappedLength = 0;       // length of the mapped view
    std::unique_ptr<uchar[]> FCopy;  // the not-mapped form
    const uchar* momemory = nullptr; // first byte of the catalogue
    quint64 FSize = 0;               // bytes of the catalogue from momemory
};

} // namespace GnuGettext
