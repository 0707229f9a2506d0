#include "common/SpineFixture.h"

#include "catalogue/CatalogueFiles.h"
#include "catalogue/ConfigSelectU.h"
#include "catalogue/CountryU.h"
#include "editor/Folders.h"
#include "editor/MainFormU.h"
#include "editor/TextFile.h"
#include "support/DebugLog.h"
#include "support/DebugU.h"
#include "support/HelpU.h"
#include "support/IconU.h"
#include "support/InfoBox2U.h"
#include "support/Termination.h"

#include <QFile>

SpineFixture::SpineFixture(bool seedDemo) {
    if (seedDemo)
        Profile.SeedFromDemo();
    Platform.Fake.Documents = Profile.Documents();
    Platform.Fake.AppData = Profile.Config();
    ResetTerminationRequest();
    CurrentCountry.clear();
    CurrentLanguage.clear();
    CountryList.clear();
    FormFontSize = 0;
    HostIniFile.reset();
    KestrovaAliasIni.reset();
    CustomAliasIni.reset();
    FormCatalogue.reset();
    Main = new TMainForm;
    DebugForm = new TDebugForm;
    CountryForm = new TCountryForm;
    ConfigSelectForm = new TConfigSelectForm;
    InfoForm2 = new TInfoForm2;
    ICONForm = new TICONForm;
    HelpForm = new THelpForm;
}

SpineFixture::~SpineFixture() {
    delete Main;
    delete ConfigSelectForm;
    ConfigSelectForm = nullptr;
    delete CountryForm;
    CountryForm = nullptr;
    delete HelpForm;
    HelpForm = nullptr;
    delete ICONForm;
    ICONForm = nullptr;
    delete InfoForm2;
    InfoForm2 = nullptr;
    delete DebugForm;
    DebugForm = nullptr;
    DebugLogFilename.clear();
    ResetTerminationRequest();
}

void SpineFixture::Show() {
    Main->show();
}

QStringList SpineFixture::LogLines() const {
    QFile f(FormsFolder + "FormDesigner-debug.txt");
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return SplitLines(QString::fromUtf8(f.readAll()));
}
