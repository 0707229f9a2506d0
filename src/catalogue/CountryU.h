#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The country dialog: picks CurrentCountry from CountryList, or makes a new
// country (catalogue section from the template country, folder, example
// image). Created once and shown modally.
class TCountryForm : public QDialog {
    Q_OBJECT
public:
    explicit TCountryForm(QWidget* parent = nullptr);

    QLabel* Label1;
    QComboBox* CountryComboBox;
    QLineEdit* Edit1;
    QPushButton* NewBtn;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;

public slots:
    void FormShow();
    void OKBtnClick();
    void NewBtnClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void MakeNewCountry();
    void RefuseName(const QString& name);
};

// The one country dialog, created at start-up.
extern TCountryForm* CountryForm;

// Shows the country dialog modally (the loaders' question for a country).
void ShowCountryDialog();
