#pragma once

#include <QDialog>

class QListWidget;
class QListWidgetItem;
class QLabel;
class QLineEdit;
class QPushButton;

// The page from which the companion's forms package is downloaded.
inline constexpr const char* DownloadPage = "https://www.kestrova.com/forms-download";

// Attaches a form image that the catalogue does not know yet to an existing
// key of the current country, or to a new "CustomForm-{n}" key.
class TConfigSelectForm : public QDialog {
    Q_OBJECT
public:
    explicit TConfigSelectForm(QWidget* parent = nullptr);
    ~TConfigSelectForm() override;

    // Base name of the form image to assign (no folder, no extension).
    QString FAliasFilename;

    void FormShow();
    void CheckListBox1ClickCheck(QListWidgetItem* toggled);
    void SaveBtnClick();
    void NewBtnClick();

    QListWidget* CheckListBox1;
    QLabel* Label1;
    QLineEdit* KeyEdit;
    QPushButton* NewBtn;
    QPushButton* SaveBtn;

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // Asks before a key that already has a form gets another one.
    bool ConfirmOverwrite();
    void SaveAssignment(const QString& key);
    bool FFilling = false;
};

extern TConfigSelectForm* ConfigSelectForm;
