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

extern QString HostIniPath;                            // HostDataFolder + "Kestrova.ini"
extern QString KestrovaAliasIniPath;                   // FormsFolder + "KestrovaFormAliases.ini"
extern QString CustomAliasIniPath;                     // FormsFolder + "CustomFormAliases.ini"
extern std::unique_ptr<TIniDocument> HostIniFile;      // HostDataFolder + "Kestrova.ini"
extern std::unique_ptr<TIniDocument> KestrovaAliasIni; // the companion's copy
extern std::unique_ptr<TIniDocument> CustomAliasIni;   // the user's copy
extern std::unique_ptr<TDralFormList> FormCatalogue;   // current country's records

// Shows the country dialog modally; it sets CurrentCountry or leaves it.
using AskCountryFn = std::function<void()>;

// Reads FormFontSize, CurrentCountry and CurrentLanguage from the companion's
// settings file; every failure is logged, none escapes.
void LoadKestrovaInifile();
// Rebuilds FormCatalogue and CountryList from the user's copy; asks for a
// country when none is chosen and requests termination when still none.
void LoadCustomAliasInifile(const AskCountryFn& askCountry);
// Merges the companion's new entries for the current country into the user's
// copy and the catalogue, then writes the user's copy. Raises Exception when
// that final write fails.
void LoadKestrovaAliasInifile(const AskCountryFn& askCountry);
// Writes CurrentCountry into the companion's copy. Raises Exception when the
// file cannot be written.
void SaveCountry();
// Logs a failure ("SaveAliasInifile: ...") and goes no further.
void SaveCustomAliasInifile();
// Records Key = FileName in the current country's section of the user's copy
// and writes it; a value the INI document refuses (a line break, which Linux
// allows in a file name) is a failed save like any other: logged, no more.
void SaveCustomAssignment(const QString& key, const QString& fileName);

// Start-up: sets both catalogue paths and creates the two documents on their
// files unless they exist already. A document that cannot be read is logged
// ("Init: KestrovaAliasIniFile: ..." / "Init: CustomAliasIniFile: ...") and
// left out.
void OpenCatalogueFiles();
// Start-up, after the settings and the language: loads the user's copy and
// merges the companion's entries into it, or on a first start copies the
// companion's file as the user's copy and loads that. Returns false when the
// first-start copy or load failed (logged "Init: CopyFile: ...", termination
// requested): start-up must end there. Errors of the later-start load and
// merge (the final write of the user's copy) escape as Exception.
bool LoadCatalogues(const AskCountryFn& askCountry);

// The catalogue list, created when missing.
TDralFormList& Catalogue();

// A country name is a folder below the forms folder and a section name: it
// must not be empty, "." or "..", hold "/", "\", "[", "]" or a control
// character, or begin or end with a blank.
bool IsValidCountryName(const QString& name);
