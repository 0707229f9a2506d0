#include "catalogue/CountryU.h"

TCountryForm* CountryForm = nullptr;

TCountryForm::TCountryForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("CountryForm"));
    setWindowTitle(QStringLiteral("Country"));
}
