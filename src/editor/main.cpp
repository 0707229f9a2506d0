// The designer's entry: one instance per user, the windows created once in a
// fixed order, the localisation runtime around everything.
#include "catalogue/ConfigSelectU.h"
#include "catalogue/CountryU.h"
#include "editor/MainFormU.h"
#include "localisation/GNUGetTextU.h"
#include "platform/QtPlatform.h"
#include "support/Application.h"
#include "support/DebugU.h"
#include "support/HelpU.h"
#include "support/IconU.h"
#include "support/InfoBox2U.h"
#include "support/WebBrowser.h"

#include <QImageReader>
#include <QScreen>

int main(int argc, char** argv) {
    GnuGettext::TP_GlobalIgnoreClassProperty(&TWebBrowser::staticMetaObject,
                                             QStringLiteral("StatusText"));

    QtPlatform platform;
    SetPlatform(&platform);
    if (!platform.AcquireSingleInstance(QStringLiteral("DralFormDesigner")))
        return 0; // another instance runs: end silently

    TApplication app(argc, argv);
    TApplication::setApplicationName(QStringLiteral("Kestrova Form Designer"));
    // Large scans (A3 at 600 DPI) exceed Qt's default 128 MB image limit.
    QImageReader::setAllocationLimit(1024);

    int result = 0;
    {
        auto* mainForm = new TMainForm;
        platform.SetOwnerWindow(mainForm);
        DebugForm = new TDebugForm;
        CountryForm = new TCountryForm;
        ConfigSelectForm = new TConfigSelectForm;
        InfoForm2 = new TInfoForm2;
        ICONForm = new TICONForm; // before the help window, whose toolbar uses its images
        HelpForm = new THelpForm;

        if (QScreen* s = QGuiApplication::primaryScreen())
            mainForm->move(s->availableGeometry().center() - mainForm->rect().center());
        mainForm->show();
        // A termination requested during start-up is a queued quit: the loop
        // starts and ends at once.
        result = app.exec();

        platform.SetOwnerWindow(nullptr);
        delete mainForm;
        delete ConfigSelectForm; // releases the catalogue
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
    }
    SetPlatform(nullptr);
    return result;
}
