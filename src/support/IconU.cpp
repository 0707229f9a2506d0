#include "support/IconU.h"

#include <QStyle>

TICONForm* ICONForm = nullptr;

TICONForm::TICONForm(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("ICONForm"));
    ImageList1.resize(76);
    QStyle* s = style();
    ImageList1[63] = s->standardIcon(QStyle::SP_FileDialogDetailedView); // list
    ImageList1[72] = s->standardIcon(QStyle::SP_ArrowBack);
    ImageList1[73] = s->standardIcon(QStyle::SP_ArrowForward);
    ImageList1[74] = s->standardIcon(QStyle::SP_ArrowUp);
    ImageList1[75] = s->standardIcon(QStyle::SP_DialogResetButton); // clear
}

QIcon TICONForm::Image(int index) const {
    return index >= 0 && index < ImageList1.size() ? ImageList1[index] : QIcon();
}
