#include "common/FakePlatform.h"

#include "platform/FileTime.h"

#include <QFileInfo>
#include <stdexcept>

QString FakePlatform::DocumentsFolder() {
    if (DocumentsThrows)
        throw std::runtime_error("no documents folder");
    return Documents;
}

QString FakePlatform::AppDataFolder() {
    return AppData;
}

bool FakePlatform::AcquireSingleInstance(const QString&) {
    return InstanceFree;
}

BoxButton FakePlatform::MessageBox(BoxKind kind, const QString& caption, const QString& text,
                                   int buttons, BoxButton defaultButton) {
    Boxes.push_back({kind, caption, text, buttons, defaultButton});
    if (!Answers.empty()) {
        const BoxButton b = Answers.front();
        Answers.pop_front();
        return b;
    }
    return defaultButton;
}

void FakePlatform::Beep(BeepSound sound) {
    Beeps.push_back(sound);
}

QString FakePlatform::OpenPictureFile(const QString& initialFolder, const QString&,
                                      const QString&) {
    DialogFolders << initialFolder;
    if (PictureFiles.empty())
        return {};
    const QString f = PictureFiles.front();
    PictureFiles.pop_front();
    return f;
}

void FakePlatform::ShellOpen(const QString& path) {
    ShellOpened << path;
}

bool FakePlatform::GetFileTimes(const QString& path, FileTimes& times) {
    times = {};
    if (auto it = Times.find(path); it != Times.end()) {
        times = it->second;
        return true;
    }
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile())
        return false;
    times.Creation =
        ToDayCount(info.birthTime().isValid() ? info.birthTime() : info.lastModified());
    times.LastWrite = ToDayCount(info.lastModified());
    times.LastAccess = ToDayCount(info.lastRead());
    return true;
}

QStringList FakePlatform::BoxTexts() const {
    QStringList out;
    for (const auto& b : Boxes)
        out << b.Text;
    return out;
}
