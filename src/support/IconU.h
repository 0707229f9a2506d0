#pragma once

#include <QIcon>
#include <QVector>
#include <QWidget>

// Holds the shared 16-pixel image list that the help window's toolbar uses.
// It has no behaviour and is never shown.
class TICONForm : public QWidget {
    Q_OBJECT
public:
    explicit TICONForm(QWidget* parent = nullptr);
    QIcon Image(int index) const;

    QVector<QIcon> ImageList1;
};

extern TICONForm* ICONForm;
