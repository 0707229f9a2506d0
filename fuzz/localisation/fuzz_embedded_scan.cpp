// Any bytes as the appended part of a program file: the begin marker, the
// bytes, the end marker, after a small fake image. Offsets in the directory
// are relative to the byte after the begin marker, i.e. they are positions in
// the input. The start-up scan must end (the fuzzer's timeout catches a loop),
// register only catalogues that lie inside the file, and every catalogue it
// registered must open or be refused with EGGIOError. An opened catalogue
// answers like a copy of its bytes, which the sanitizer guards exactly.
#include "localisation/FileLocator.h"
#include "localisation/GnuGettextErrors.h"
#include "localisation/MoFile.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>

#include "FuzzChecks.h"

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

using namespace GnuGettext;

namespace {

void LookUpAll(TMoFile& mo, const QByteArray& bytes, const QString& name) {
    std::unique_ptr<TMoFile> copy;
    try {
        copy = std::make_unique<TMoFile>(bytes, name);
    } catch (const EGGIOError&) {
        std::abort(); // the same bytes were accepted when mapped
    }
    Check(copy->Count() == mo.Count() && copy->doswap() == mo.doswap());
    const quint32 shown = std::min<quint32>(mo.Count(), 64);
    for (quint32 i = 0; i <= shown; ++i) {
        const std::string key = i < shown ? copy->Original(i) : std::string("x");
        bool found = false, again = false;
        const std::string_view r = copy->Lookup(key, found);
        const std::string_view m = mo.Lookup(key, again);
        Check(found == again && r.size() == m.size() && Touch(r) == Touch(m));
        if (i < shown)
            (void)Touch(copy->Translation(i));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Names with a NUL make Qt warn on every file check; the warnings are noise here.
    static const bool quiet = [] {
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
        return true;
    }();
    (void)quiet;
    static QTemporaryDir dir;
    static const QString program = dir.filePath(QStringLiteral("program"));
    static const QByteArray image = QByteArray("\x7f"
                                               "ELF") +
                                    QByteArray(60, '\0');

    const QByteArray file = image + TFileLocator::BeginMarker() +
                            QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)) +
                            TFileLocator::EndMarker();
    {
        QFile f(program);
        Check(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        Check(f.write(file) == file.size());
    }

    TFileLocator locator(program);
    locator.Analyze();
    const auto embedded = locator.EmbeddedFiles();

    // The scan over a stream in memory registers the same catalogues.
    {
        QBuffer buffer;
        buffer.setData(file);
        Check(buffer.open(QIODevice::ReadOnly));
        TFileLocator other(program);
        other.Analyze(buffer);
        const auto same = other.EmbeddedFiles();
        Check(same.size() == embedded.size());
        for (size_t i = 0; i < same.size(); ++i)
            Check(same[i].first == embedded[i].first &&
                  same[i].second.offset == embedded[i].second.offset &&
                  same[i].second.size == embedded[i].second.size);
    }

    for (const auto& [name, info] : embedded) {
        Check(!name.isEmpty());
        Check(info.offset >= 0 && info.size >= 0 && info.offset <= file.size() &&
              info.size <= file.size() - info.offset);
        const QString full = locator.BaseDirectory() + name;
        Check(locator.FileExists(full));
        TMoFile* mo = nullptr;
        try {
            mo = locator.GetMoFile(full);
        } catch (const EGGIOError& e) {
            Check(!e.Message().isEmpty());
            continue;
        }
        Check(mo != nullptr && mo->Users >= 1);
        // Size 0 stands for "to the end of the file".
        const qint64 length = info.size ? info.size : file.size() - info.offset;
        LookUpAll(*mo, file.mid(info.offset, length), name);
        locator.ReleaseMoFile(mo);
    }
    Check(locator.OpenCatalogues() == 0);
    return 0;
}
