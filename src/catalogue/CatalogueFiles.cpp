#include "catalogue/CatalogueFiles.h"

// Placeholder until the catalogue operations are built: defaults only.
int FormFontSize = 0;
QString CurrentCountry;
QString CurrentLanguage;
QStringList CountryList;
QString KestrovaAliasIniPath;
QString CustomAliasIniPath;
std::unique_ptr<TIniDocument> HostIniFile;
std::unique_ptr<TIniDocument> KestrovaAliasIni;
std::unique_ptr<TIniDocument> CustomAliasIni;
std::unique_ptr<TDralFormList> FormCatalogue;

void LoadKestrovaInifile() {
    FormFontSize = 12;
    CurrentLanguage = QStringLiteral("en");
}
void LoadCustomAliasInifile(const AskCountryFn&) {}
void LoadKestrovaAliasInifile(const AskCountryFn&) {}
void SaveCountry() {}
void SaveCustomAliasInifile() {}
bool IsValidCountryName(const QString& name) {
    return !name.isEmpty();
}
