#pragma once

#include "platform/Platform.h"

#include <QString>
#include <QStringList>
#include <deque>
#include <map>
#include <vector>

// A scripted platform: answers come from queues the test fills, and every
// box, beep and shell start is recorded for the test to check.
class FakePlatform : public Platform {
public:
    struct Box {
        BoxKind Kind;
        QString Caption;
        QString Text;
        int Buttons;
        BoxButton Default;
    };

    QString Documents;
    QString AppData;
    bool DocumentsThrows = false;
    bool InstanceFree = true;
    QSize Screen{1920, 1080};

    std::deque<BoxButton> Answers;      // next answers to boxes; default: the box's default
    std::deque<QString> PictureFiles;   // next results of the file dialog ("" = cancel)
    std::map<QString, FileTimes> Times; // fixed file times; others read from disk

    std::vector<Box> Boxes;
    std::vector<BeepSound> Beeps;
    QStringList ShellOpened;
    QStringList DialogFolders;

    QString DocumentsFolder() override;
    QString AppDataFolder() override;
    bool AcquireSingleInstance(const QString& name) override;
    BoxButton MessageBox(BoxKind kind, const QString& caption, const QString& text, int buttons,
                         BoxButton defaultButton) override;
    void Beep(BeepSound sound) override;
    QString OpenPictureFile(const QString& initialFolder, const QString& fileName,
                            const QString& filter) override;
    void ShellOpen(const QString& path) override;
    bool GetFileTimes(const QString& path, FileTimes& times) override;
    QSize PrimaryScreenSize() override { return Screen; }

    // Texts of the boxes shown so far.
    QStringList BoxTexts() const;
};

// Installs a FakePlatform for the lifetime of the guard.
class ScopedFakePlatform {
public:
    ScopedFakePlatform() { SetPlatform(&Fake); }
    ~ScopedFakePlatform() { SetPlatform(nullptr); }
    FakePlatform Fake;
};
