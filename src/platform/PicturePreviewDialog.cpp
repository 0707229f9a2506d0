#include "platform/PicturePreviewDialog.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QImageReader>
#include <QLabel>

namespace {

constexpr int PreviewSize = 220;

// A thumbnail that decodes only what it shows, so that large scans preview fast.
QPixmap Thumbnail(const QString& path) {
    QImageReader reader(path);
    const QSize full = reader.size();
    if (!full.isValid() || full.isEmpty())
        return {};
    reader.setScaledSize(full.scaled(PreviewSize, PreviewSize, Qt::KeepAspectRatio));
    return QPixmap::fromImage(reader.read());
}

} // namespace

QString RunPicturePreviewDialog(QWidget* owner, const QString& initialFolder,
                                const QString& fileName, const QString& filter) {
    const qsizetype bar = filter.indexOf(u'|');
    const QString description = bar < 0 ? filter : filter.left(bar);

    QFileDialog dialog(owner, QString(), initialFolder);
    dialog.setObjectName(QStringLiteral("OpenPictureDialog1"));
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // The description names the pattern in brackets; without QDir::CaseSensitive
    // the file model matches it in any letter case.
    dialog.setNameFilter(description);
    dialog.setFilter(QDir::AllEntries | QDir::AllDirs | QDir::NoDotAndDotDot);
    if (!fileName.isEmpty())
        dialog.selectFile(fileName);

    auto* preview = new QLabel(&dialog);
    preview->setObjectName(QStringLiteral("PicturePreview"));
    preview->setFixedSize(PreviewSize + 8, PreviewSize + 8);
    preview->setAlignment(Qt::AlignCenter);
    preview->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout()))
        grid->addWidget(preview, 0, grid->columnCount(), grid->rowCount(), 1);
    QObject::connect(&dialog, &QFileDialog::currentChanged, preview, [preview](const QString& p) {
        const QFileInfo info(p);
        preview->setPixmap(info.isFile() ? Thumbnail(p) : QPixmap());
    });

    if (dialog.exec() != QDialog::Accepted)
        return {};
    const QStringList chosen = dialog.selectedFiles();
    return chosen.isEmpty() ? QString() : chosen.first();
}
