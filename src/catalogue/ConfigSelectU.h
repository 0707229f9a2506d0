#pragma once

#include <QDialog>

class QListWidget;
class QLabel;
class QLineEdit;
class QPushButton;

// Attaches a form image that the catalogue does not know yet to an existing
// key of the current country, or to a new "CustomForm-{n}" key.
class TConfigSelectForm : public QDialog {
    Q_OBJECT
public:
    explicit TConfigSelectForm(QWidget* parent = nullptr);
    ~TConfigSelectForm() override;

    QString FAliasFilename;

    QListWidget* CheckListBox1;
    QLabel* Label1;
    QLineEdit* KeyEdit;
    QPushButton* NewBtn;
    QPushButton* SaveBtn;
};

extern TConfigSelectForm* ConfigSelectForm;
