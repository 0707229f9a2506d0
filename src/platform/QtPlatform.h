#pragma once

#include "platform/Platform.h"

class QWidget;

// The real desktop: Qt's dialogs and standard paths, flock for the single
// instance, QDesktopServices for the shell.
class QtPlatform : public Platform {
public:
    QtPlatform();
    ~QtPlatform() override;

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
    QSize PrimaryScreenSize() override;

    // Owner of dialogs and boxes (the main window once it exists).
    void SetOwnerWindow(QWidget* owner) { FOwner = owner; }

private:
    int FLockFd = -1;
    QWidget* FOwner = nullptr;
};
