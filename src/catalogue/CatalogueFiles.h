#pragma once

#include "catalogue/DralForm.h"
#include "catalogue/IniDocument.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

// The companion's settings, the two catalogue INI files and the current
// country's catalogue, shared by the whole program.
extern int FormFontSize;        // points used to write keys on the picture
extern QString CurrentCountry;  // country folder and INI section; empty: none
extern QString CurrentLanguage; // user-interface language code
extern QStringList CountryList; // section names of the alias file read last

extern QString KestrovaAliasIniPath;                   // FormsFolder + "KestrovaFormAliases.ini"
extern QString CustomAliasIniPath;                     // FormsFolder + "CustomFormAliases.ini"
extern std::unique_ptr<TIniDocument> HostIniFile;      // HostDataFolder + "Kestrova.ini"
extern std::unique_ptr<TIniDocument> KestrovaAliasIni; // the companion's copy
extern std::unique_ptr<TIniDocument> CustomAliasIni;   // the user's copy
extern std::unique_ptr<TDralFormList> FormCatalogue;   // current country's records

// Shows the country dialog modally; it sets CurrentCountry or leaves it.
using AskCountryFn = std::function<void()>;

void LoadKestrovaInifile();
void LoadCustomAliasInifile(const AskCountryFn& askCountry);
void LoadKestrovaAliasInifile(const AskCountryFn& askCountry);
// Raises Exception when the companion's copy cannot be written.
void SaveCountry();
// Logs a failure ("SaveAliasInifile: ...") and goes no further.
void SaveCustomAliasInifile();

// Country names that would leave the forms folder or read back as another
// section are refused by the country dialog.
bool IsValidCountryName(const QString& name);
