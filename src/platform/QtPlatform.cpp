#include "platform/QtPlatform.h"

#include "platform/FileTime.h"
#include "platform/PicturePreviewDialog.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QUrl>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

QtPlatform::QtPlatform() = default;

QtPlatform::~QtPlatform() {
    // The kernel drops the lock with the descriptor; closing early is harmless.
    if (FLockFd >= 0)
        ::close(FLockFd);
}

QString QtPlatform::DocumentsFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

QString QtPlatform::AppDataFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
}

bool QtPlatform::AcquireSingleInstance(const QString& name) {
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    QString path;
    if (!runtime.isEmpty() && QFileInfo(QString::fromLocal8Bit(runtime)).isDir())
        path = QString::fromLocal8Bit(runtime) + u'/' + name + QStringLiteral(".lock");
    else
        path = QDir::tempPath() + u'/' + name + QStringLiteral("-%1.lock").arg(::getuid());
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return true; // no token to be had: run as if first
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool held = errno == EWOULDBLOCK;
        ::close(fd);
        return !held;
    }
    FLockFd = fd; // held for the life of the process
    return true;
}

BoxButton QtPlatform::MessageBox(BoxKind kind, const QString& caption, const QString& text,
                                 int buttons, BoxButton defaultButton) {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (kind) {
    case BoxKind::Plain:
        icon = QMessageBox::NoIcon;
        break;
    case BoxKind::Information:
        icon = QMessageBox::Information;
        break;
    case BoxKind::Warning:
        icon = QMessageBox::Warning;
        break;
    case BoxKind::Error:
        icon = QMessageBox::Critical;
        break;
    case BoxKind::Confirmation:
        icon = QMessageBox::Question;
        break;
    }
    QMessageBox box(icon, caption, text, QMessageBox::NoButton, FOwner);
    auto add = [&](int flag, QMessageBox::StandardButton sb) {
        if (buttons & flag) {
            QPushButton* b = box.addButton(sb);
            if (defaultButton == flag)
                box.setDefaultButton(b);
        }
    };
    add(BtnOk, QMessageBox::Ok);
    add(BtnYes, QMessageBox::Yes);
    add(BtnNo, QMessageBox::No);
    add(BtnCancel, QMessageBox::Cancel);
    if (buttons == BtnNone)
        box.addButton(QMessageBox::Ok);
    box.exec();
    switch (box.standardButton(box.clickedButton())) {
    case QMessageBox::Yes:
        return BtnYes;
    case QMessageBox::No:
        return BtnNo;
    case QMessageBox::Cancel:
        return BtnCancel;
    case QMessageBox::Ok:
        return BtnOk;
    default:
        // Closed with Esc or the frame: the "no" answer where there is one.
        if (buttons & BtnNo)
            return BtnNo;
        if (buttons & BtnCancel)
            return BtnCancel;
        return BtnOk;
    }
}

void QtPlatform::Beep(BeepSound) {
    QApplication::beep();
}

QString QtPlatform::OpenPictureFile(const QString& initialFolder, const QString& fileName,
                                    const QString& filter) {
    return RunPicturePreviewDialog(FOwner, initialFolder, fileName, filter);
}

void QtPlatform::ShellOpen(const QString& path) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

bool QtPlatform::GetFileTimes(const QString& path, FileTimes& times) {
    times = {};
    if (!QFileInfo(path).isFile()) {
        errno = QFileInfo::exists(path) ? EISDIR : ENOENT;
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QFileInfo info(path);
    const QDateTime created =
        info.birthTime().isValid() ? info.birthTime() : info.metadataChangeTime();
    times.Creation = created.isValid() ? ToDayCount(created) : 0;
    times.LastWrite = info.lastModified().isValid() ? ToDayCount(info.lastModified()) : 0;
    times.LastAccess = info.lastRead().isValid() ? ToDayCount(info.lastRead()) : 0;
    return true;
}

QSize QtPlatform::PrimaryScreenSize() {
    if (QScreen* s = QGuiApplication::primaryScreen())
        return s->geometry().size();
    return {};
}
