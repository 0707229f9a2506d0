#pragma once

#include <QDialog>

// The country dialog (built with the catalogue).
class TCountryForm : public QDialog {
    Q_OBJECT
public:
    explicit TCountryForm(QWidget* parent = nullptr);
};

extern TCountryForm* CountryForm;
