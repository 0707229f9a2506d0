#include "catalogue/ConfigSelectU.h"

#include "catalogue/CatalogueFiles.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

TConfigSelectForm* ConfigSelectForm = nullptr;

TConfigSelectForm::TConfigSelectForm(QWidget* parent) : QDialog(parent, Qt::Tool) {
    setObjectName(QStringLiteral("ConfigSelectForm"));
    setWindowTitle(QStringLiteral("Select Config"));
    QFont f(QStringLiteral("Tahoma"), 8);
    setFont(f);
    CheckListBox1 = new QListWidget(this);
    CheckListBox1->setObjectName(QStringLiteral("CheckListBox1"));
    Label1 = new QLabel(QStringLiteral("Key name:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    KeyEdit = new QLineEdit(this);
    KeyEdit->setObjectName(QStringLiteral("KeyEdit"));
    NewBtn = new QPushButton(QStringLiteral("&New Config"), this);
    NewBtn->setObjectName(QStringLiteral("NewBtn"));
    SaveBtn = new QPushButton(QStringLiteral("&Save"), this);
    SaveBtn->setObjectName(QStringLiteral("SaveBtn"));
    CheckListBox1->setGeometry(0, 0, 421, 311);
    Label1->move(8, 328);
    KeyEdit->setGeometry(68, 325, 159, 21);
    NewBtn->setGeometry(233, 323, 99, 25);
    SaveBtn->setGeometry(338, 323, 75, 25);
    resize(421, 360);
}

// The catalogue's records go with the dialog at shut-down.
TConfigSelectForm::~TConfigSelectForm() {
    FormCatalogue.reset();
}
