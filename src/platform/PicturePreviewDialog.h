#pragma once

#include <QString>

class QWidget;

// Qt's own file dialog with a picture preview beside the file list. filter is
// "Description|PATTERN"; patterns match in any letter case. Returns the chosen
// path, or an empty text when cancelled.
QString RunPicturePreviewDialog(QWidget* owner, const QString& initialFolder,
                                const QString& fileName, const QString& filter);
