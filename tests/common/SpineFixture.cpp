#include "common/SpineFixture.h"

#include "catalogue/CatalogueFiles.h"
#include "catalogue/ConfigSelectU.h"
#include "catalogue/CountryU.h"
#include "editor/Folders.h"
#include "editor/MainFormU.h"
#include "editor/TextFile.h"
#include "editor/Windows.h"
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
    Main = CreateWindows();
}

SpineFixture::~SpineFixture() {
    DestroyWindows(Main);
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
