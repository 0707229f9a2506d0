#pragma once

#include <QString>
#include <QTemporaryDir>

// A throw-away home folder: documents, the forms folder and the companion's
// settings folder, never the real ones.
class TempProfile {
public:
    TempProfile();
    QString Home() const { return FDir.path(); }
    QString Documents() const { return FDir.path() + "/Documents"; }
    QString Forms() const { return Documents() + "/Kestrova/Forms/"; }
    QString Config() const { return FDir.path() + "/.config"; }
    QString HostData() const { return Config() + "/Kestrova/"; }

    // Writes bytes to a file below the profile, creating its folders.
    void Write(const QString& path, const QByteArray& bytes) const;
    QByteArray Read(const QString& path) const;
    // Copies the repository's demo profile into this one.
    void SeedFromDemo() const;

private:
    QTemporaryDir FDir;
};

// The repository's source folder and the build tree.
QString SourceDir();
QString BuildDir();
