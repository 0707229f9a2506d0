#pragma once

#include <QSize>
#include <QString>

// The one seam between the program and the desktop: folders, the single
// instance token, message boxes, beeps, the file dialog, the shell, file times
// and the screen. The windows use QtPlatform; tests install a scripted fake.

enum class BoxKind { Plain, Information, Warning, Error, Confirmation };

enum BoxButton : int { BtnNone = 0, BtnOk = 1, BtnYes = 2, BtnNo = 4, BtnCancel = 8 };

// Sound classes of the message-box icons, and the plain error beep.
enum BeepSound : int { BeepError = 0, BeepStop = 16, BeepQuestion = 32, BeepExclamation = 48 };

struct FileTimes {
    double Creation = 0;
    double LastWrite = 0;
    double LastAccess = 0;
};

class Platform {
public:
    virtual ~Platform() = default;

    // The user's documents folder, without a trailing delimiter; empty when it
    // cannot be found.
    virtual QString DocumentsFolder() = 0;
    // The roaming application data folder (~/.config), empty when unknown.
    virtual QString AppDataFolder() = 0;

    // Takes the per-user single-instance token; false when another process holds it.
    virtual bool AcquireSingleInstance(const QString& name) = 0;

    // Shows a modal box; answers the button pressed (BtnOk for a one-button box).
    virtual BoxButton MessageBox(BoxKind kind, const QString& caption, const QString& text,
                                 int buttons, BoxButton defaultButton) = 0;
    virtual void Beep(BeepSound sound) = 0;

    // Open-file dialog with a picture preview. Empty result: cancelled.
    virtual QString OpenPictureFile(const QString& initialFolder, const QString& fileName,
                                    const QString& filter) = 0;

    // Hands a file to the desktop's default handler, or a folder to the file manager.
    virtual void ShellOpen(const QString& path) = 0;

    // Creation, last-write and last-access times as local day counts; false
    // when the file cannot be opened for reading.
    virtual bool GetFileTimes(const QString& path, FileTimes& times) = 0;

    virtual QSize PrimaryScreenSize() = 0;
};

// The installed platform. Never null once the program or a test has set one.
Platform& CurrentPlatform();
void SetPlatform(Platform* platform);

// Convenience forms used all over the program.
void ErrorBox(const QString& text);
void PlainBox(const QString& text);
bool ConfirmBox(const QString& text, BoxButton defaultButton);
