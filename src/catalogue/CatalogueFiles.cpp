#include "catalogue/CatalogueFiles.h"

#include "editor/Folders.h"
#include "support/DebugLog.h"
#include "support/Exception.h"
#include "support/Termination.h"

#include <QFile>
#include <QFileInfo>

int FormFontSize = 0;
QString CurrentCountry;
QString CurrentLanguage;
QStringList CountryList;
QString HostIniPath;
QString KestrovaAliasIniPath;
QString CustomAliasIniPath;
std::unique_ptr<TIniDocument> HostIniFile;
std::unique_ptr<TIniDocument> KestrovaAliasIni;
std::unique_ptr<TIniDocument> CustomAliasIni;
std::unique_ptr<TDralFormList> FormCatalogue;

namespace {

const QString DralSection = QStringLiteral("Dral");

// A document that start-up could not create is reported where it is used.
TIniDocument& Document(const std::unique_ptr<TIniDocument>& doc, const QString& path) {
    if (!doc)
        throw Exception(QStringLiteral("The file \"%1\" is not open.").arg(path));
    return *doc;
}

// Logs the chosen country, or asks for one (no "Country=" line then). False,
// with the end of the program requested, when none is chosen.
bool HaveCountry(const AskCountryFn& askCountry) {
    if (!CurrentCountry.isEmpty()) {
        DebugLog(QStringLiteral("Country=") + CurrentCountry, 3);
        return true;
    }
    if (askCountry)
        askCountry();
    if (!CurrentCountry.isEmpty())
        return true;
    RequestTermination();
    return false;
}

// A country name read from a file becomes a folder below the forms folder:
// an invalid one is logged and counts as no country chosen.
QString CheckedCountry(const QString& name) {
    if (name.isEmpty() || IsValidCountryName(name))
        return name;
    DebugLog(QStringLiteral("Country name invalid: ") + name, 0);
    return QString();
}

// The section names that can be countries; every other one is logged and left out.
QStringList CountrySections(const TIniDocument& doc) {
    QStringList out;
    for (const QString& name : doc.ReadSections())
        if (!CheckedCountry(name).isEmpty())
            out << name;
    return out;
}

} // namespace

TDralFormList& Catalogue() {
    if (!FormCatalogue)
        FormCatalogue = std::make_unique<TDralFormList>();
    return *FormCatalogue;
}

void LoadKestrovaInifile() {
    HostIniPath = HostDataFolder + QStringLiteral("Kestrova.ini");
    DebugLog(QStringLiteral("LoadKestrovaInifile: ") + HostIniPath, 3);
    HostIniFile.reset();
    try {
        HostIniFile = std::make_unique<TIniDocument>(HostIniPath);
    } catch (const std::exception& e) {
        DebugLog(QStringLiteral("ERROR: LoadIniFiles: ") + ExceptionMessage(e), 3);
        return;
    }
    if (!QFileInfo(HostIniPath).isFile())
        DebugLog(QStringLiteral("ERROR: File not found: ") + HostIniPath, 3);
    try {
        FormFontSize = HostIniFile->ReadInteger(DralSection, QStringLiteral("FormFontSize"), 12);
        CurrentCountry = CheckedCountry(
            HostIniFile->ReadString(DralSection, QStringLiteral("CountrySelect"), {}));
        CurrentLanguage = HostIniFile->ReadString(QStringLiteral("General"),
                                                  QStringLiteral("Language"), QStringLiteral("en"));
    } catch (const std::exception& e) {
        DebugLog(QStringLiteral("ERROR: LoadKestrovaInifile: ") + ExceptionMessage(e), 3);
    }
}

void LoadCustomAliasInifile(const AskCountryFn& askCountry) {
    CountryList.clear();
    Catalogue().Clear();
    try {
        const TIniDocument& custom = Document(CustomAliasIni, CustomAliasIniPath);
        CountryList = CountrySections(custom);
        if (HaveCountry(askCountry)) {
            // The dialog may have replaced the document; look it up again.
            const TIniDocument& doc = Document(CustomAliasIni, CustomAliasIniPath);
            const QStringList keys = doc.ReadSection(CurrentCountry);
            DebugLog(QStringLiteral("LoadAliasInifile: Entries found: %1").arg(keys.size()), 3);
            for (const QString& key : keys)
                Catalogue().Add(key, doc.ReadString(CurrentCountry, key, QString()));
        }
    } catch (const std::exception& e) {
        DebugLog(QStringLiteral("ERROR: LoadAliasInifile: ") + ExceptionMessage(e), 3);
    }
    DebugLog(QStringLiteral("LoadAliasInifile: Loaded %1 Forms.").arg(Catalogue().Count()), 3);
}

void LoadKestrovaAliasInifile(const AskCountryFn& askCountry) {
    CountryList.clear();
    DebugLog(QStringLiteral("LoadKestrovaAliasInifile..."), 3);
    try {
        const TIniDocument& kestrova = Document(KestrovaAliasIni, KestrovaAliasIniPath);
        CountryList = CountrySections(kestrova);
        FormFontSize = kestrova.ReadInteger(DralSection, QStringLiteral("FormFontSize"), 12);
        CurrentCountry = CheckedCountry(
            kestrova.ReadString(DralSection, QStringLiteral("CountrySelect"), CurrentCountry));
        for (const QString& name : CountryList)
            DebugLog(QStringLiteral("LoadKestrovaAliasInifile: Countries: ") + name, 3);
        if (HaveCountry(askCountry)) {
            SaveCountry();
            const TIniDocument& kest = Document(KestrovaAliasIni, KestrovaAliasIniPath);
            TIniDocument& custom = Document(CustomAliasIni, CustomAliasIniPath);
            const QStringList keys = kest.ReadSection(CurrentCountry);
            DebugLog(QStringLiteral("LoadKestrovaAliasInifile: Entries found: %1").arg(keys.size()),
                     3);
            for (const QString& key : keys) {
                const QString file = kest.ReadString(CurrentCountry, key, QString());
                if (file.isEmpty())
                    continue;
                if (!custom.ReadString(CurrentCountry, key, QString()).isEmpty())
                    continue; // the user's assignment stands
                DebugLog(QStringLiteral("Copying entry from Kestrova list to Custom list: "
                                        "Key=%1  Filename=%2")
                             .arg(key, file),
                         3);
                custom.WriteString(CurrentCountry, key, file);
                if (TDralForm* rec = Catalogue().GetFormByKey(key))
                    rec->FileName = file;
                else
                    Catalogue().Add(key, file);
            }
        }
    } catch (const std::exception& e) {
        DebugLog(QStringLiteral("ERROR: LoadKestrovaAliasInifile: ") + ExceptionMessage(e), 3);
    }
    Document(CustomAliasIni, CustomAliasIniPath).UpdateFile();
}

void SaveCountry() {
    DebugLog(QStringLiteral("SaveKestrovaInifile: Country=") + CurrentCountry, 3);
    TIniDocument& kestrova = Document(KestrovaAliasIni, KestrovaAliasIniPath);
    kestrova.WriteString(DralSection, QStringLiteral("CountrySelect"), CurrentCountry);
    kestrova.UpdateFile();
}

void SaveCustomAliasInifile() {
    try {
        Document(CustomAliasIni, CustomAliasIniPath).UpdateFile();
    } catch (const std::exception& e) {
        DebugLog(QStringLiteral("SaveAliasInifile: ") + ExceptionMessage(e), 0);
    }
}

void SaveCustomAssignment(const QString& key, const QString& fileName) {
    try {
        if (CustomAliasIni)
            CustomAliasIni->WriteString(CurrentCountry, key, fileName);
    } catch (const std::exception& e) {
        DebugLog(QStringLiteral("SaveAliasInifile: ") + ExceptionMessage(e), 0);
        return;
    }
    SaveCustomAliasInifile();
}

void OpenCatalogueFiles() {
    KestrovaAliasIniPath = FormsFolder + QStringLiteral("KestrovaFormAliases.ini");
    if (!KestrovaAliasIni) {
        try {
            KestrovaAliasIni = std::make_unique<TIniDocument>(KestrovaAliasIniPath);
        } catch (const std::exception& e) {
            DebugLog(QStringLiteral("Init: KestrovaAliasIniFile: ") + ExceptionMessage(e), 0);
        }
    }
    CustomAliasIniPath = FormsFolder + QStringLiteral("CustomFormAliases.ini");
    if (!CustomAliasIni) {
        try {
            CustomAliasIni = std::make_unique<TIniDocument>(CustomAliasIniPath);
        } catch (const std::exception& e) {
            DebugLog(QStringLiteral("Init: CustomAliasIniFile: ") + ExceptionMessage(e), 0);
        }
    }
}

bool LoadCatalogues(const AskCountryFn& askCountry) {
    if (QFileInfo(CustomAliasIniPath).isFile()) {
        DebugLog(QStringLiteral("Init: CustomAliasInifile exists, loading..."), 3);
        LoadCustomAliasInifile(askCountry);
        LoadKestrovaAliasInifile(askCountry);
        return true;
    }
    DebugLog(QStringLiteral("Init: CustomAliasInifile does NOT exist, copying Kestrova version..."),
             3);
    try {
        // Never overwrites; whether a copy was made shows in what is read next.
        QFile::copy(KestrovaAliasIniPath, CustomAliasIniPath);
        CustomAliasIni.reset();
        CustomAliasIni = std::make_unique<TIniDocument>(CustomAliasIniPath);
        LoadCustomAliasInifile(askCountry);
    } catch (const std::exception& e) {
        DebugLog(QStringLiteral("Init: CopyFile: ") + ExceptionMessage(e), 0);
        RequestTermination();
        return false;
    }
    return true;
}

bool IsValidCountryName(const QString& name) {
    if (name.isEmpty() || name == u"." || name == u"..")
        return false;
    if (name.front().isSpace() || name.back().isSpace() || IniTrim(name) != name)
        return false;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name.at(i);
        if (c == u'/' || c == u'\\' || c == u'[' || c == u']')
            return false;
        if (c.category() == QChar::Other_Control)
            return false;
        // An unpaired surrogate has no file-name form.
        if (c.isHighSurrogate()) {
            if (i + 1 >= name.size() || !name.at(i + 1).isLowSurrogate())
                return false;
            ++i;
        } else if (c.isLowSurrogate()) {
            return false;
        }
    }
    return true;
}
