#include "common/TempProfile.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <stdexcept>

TempProfile::TempProfile() {
    if (!FDir.isValid())
        throw std::runtime_error("cannot create a temporary folder");
    QDir().mkpath(Forms());
    QDir().mkpath(HostData());
}

void TempProfile::Write(const QString& path, const QByteArray& bytes) const {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        throw std::runtime_error(("cannot write " + path).toStdString());
}

QByteArray TempProfile::Read(const QString& path) const {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

static void CopyTree(const QString& from, const QString& to) {
    QDirIterator it(from, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString src = it.next();
        const QString dst = to + "/" + QDir(from).relativeFilePath(src);
        QDir().mkpath(QFileInfo(dst).absolutePath());
        QFile::remove(dst);
        QFile::copy(src, dst);
    }
}

void TempProfile::SeedFromDemo() const {
    CopyTree(SourceDir() + "/demo/Forms", Forms());
    CopyTree(SourceDir() + "/demo/config", Config());
}

QString SourceDir() {
    return QStringLiteral(KFD_SOURCE_DIR);
}

QString BuildDir() {
    return QStringLiteral(KFD_BUILD_DIR);
}
