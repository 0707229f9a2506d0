#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <atomic>
#include <cstring>
#include <memory>
#include <string>
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
//
// Another program may shorten or rewrite a mapped file while it is open.
// Reads of the mapping are guarded against the bus error a shortened file
// raises, and a catalogue whose file has changed since it was opened answers
// every key untranslated: a lookup gives the text from the catalogue as it
// was opened, or the key itself, and never crashes.
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
    // The same as a view: Key itself when not found; else a view into the
    // catalogue, which lives as long as the catalogue for a catalogue held in
    // memory, and for a mapped one a view of a copy kept per thread, which
    // lives until the thread's next lookup in a mapped catalogue.
    std::string_view Lookup(std::string_view key, bool& found) const;
    // Whether the mapped file has changed since it was opened (or could no
    // longer be checked); a changed catalogue finds nothing. Always false for
    // a catalogue held in memory.
    bool FileChanged() const;

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
    std::string Original(quint32 i) const { return Entry(O, i); }
    std::string Translation(quint32 i) const { return Entry(T, i); }

private:
    void Check();
    std::string Entry(quint32 table, quint32 i) const;
    // What a change of the file's bytes changes. Not the status-change time:
    // a file replaced by rename keeps its bytes, and only its link count changes.
    struct FileStamp {
        quint64 Size = 0;
        qint64 ModifiedSec = 0, ModifiedNsec = 0;
        bool operator==(const FileStamp&) const = default;
    };
    static bool Stamp(int fd, FileStamp& out);
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
    FileStamp FOpened;               // the mapped file as it was opened
    mutable std::atomic<bool> FChanged{false};
};

} // namespace GnuGettext
