#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <map>
#include <shared_mutex>
#include <utility>
#include <vector>

class QIODevice;

namespace GnuGettext {

class TMoFile;

// One catalogue appended to the program file.
struct TEmbeddedFileInfo {
    qint64 offset = 0; // absolute position of its first byte in the program file
    qint64 size = 0;   // its length in bytes
};

struct TCaseInsensitiveLess {
    bool operator()(const QString& a, const QString& b) const {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    }
};

// Finds catalogues, on disk or appended to the program file, and shares one
// open catalogue among every domain that asks for the same file.
//
// The appended layout: begin marker, catalogue data, a chain of directory
// entries (next, offset, size: signed 64-bit little-endian, relative to the
// byte after the begin marker; then the name up to the next entry; next 0
// ends the chain), the offset of the first entry, end marker.
class TFileLocator {
public:
    static constexpr int MarkerLength = 39;
    // The markers are kept in two parts and joined only here, at run time, so
    // that the program's own image never contains a whole marker.
    static QByteArray BeginMarker();
    static QByteArray EndMarker();

    // ProgramFile is the file that Analyze scans; its folder is the program folder.
    explicit TFileLocator(const QString& programFile);
    ~TFileLocator();
    TFileLocator(const TFileLocator&) = delete;
    TFileLocator& operator=(const TFileLocator&) = delete;

    // Scans the program file for embedded catalogues. Never fails: any problem
    // ends the scan, keeping what was registered before it.
    void Analyze();
    // The same scan over Stream, standing for the program file.
    void Analyze(QIODevice& stream);

    // Position of the first occurrence of Marker in Stream, or 0 (also when it is at 0).
    static qint64 FindSignaturePos(const QByteArray& marker, QIODevice& stream);
    // The same for several markers in one reading of Stream.
    static std::vector<qint64> FindSignaturePositions(const std::vector<QByteArray>& markers,
                                                      QIODevice& stream);

    // True when FileName names an embedded catalogue. No disk access.
    bool FileExists(const QString& fileName) const;
    // The shared open catalogue for FileName; the caller becomes one of its
    // Users and must hand it back with ReleaseMoFile. Raises EGGIOError.
    TMoFile* GetMoFile(const QString& fileName);
    void ReleaseMoFile(TMoFile* catalogue);

    const QString& BaseDirectory() const { return basedirectory; }
    const QString& ProgramFile() const { return FProgramFile; }
    // The embedded catalogues (name relative to the program folder, record), by name.
    std::vector<std::pair<QString, TEmbeddedFileInfo>> EmbeddedFiles() const;
    // Open catalogues in the sharing table, and the Users count of one of them.
    int OpenCatalogues() const;
    qint32 UsersOf(const TMoFile* catalogue) const;

private:
    QString FProgramFile;
    QString basedirectory;
    std::map<QString, TEmbeddedFileInfo, TCaseInsensitiveLess> filelist;
    // File paths are case-sensitive here, so the sharing key is compared exactly.
    std::map<QString, TMoFile*> MoFiles;
    mutable std::shared_mutex MoFilesCS;
};

} // namespace GnuGettext
