// The designer's entry: one instance per user, the windows created once in a
// fixed order, the localisation runtime around everything.
#include "editor/MainFormU.h"
#include "editor/Windows.h"
#include "localisation/GNUGetTextU.h"
#include "localisation/ResourceStrings.h"
#include "platform/FontWarmUp.h"
#include "platform/QtPlatform.h"
#include "support/Application.h"
#include "support/DesignerStyle.h"
#include "support/WebBrowser.h"

#include <QScreen>

int main(int argc, char** argv) {
    const FontWarmUp fonts;
    // The localisation runtime starts before any window exists and ends last.
    GnuGettext::TRuntimeGuard localisation;
    GnuGettext::TP_GlobalIgnoreClassProperty(&TWebBrowser::staticMetaObject,
                                             QStringLiteral("StatusText"));

    QtPlatform platform;
    SetPlatform(&platform);
    if (!platform.AcquireSingleInstance(QStringLiteral("DralFormDesigner")))
        return 0; // another instance runs: end silently

    TApplication app(argc, argv);
    // Qt's own texts (box buttons, the file dialog) through the catalogues,
    // from now until just before the application object goes.
    GnuGettext::TResourceStringRouting qtTexts(app);
    TApplication::setApplicationName(QStringLiteral("Kestrova Form Designer"));
    // Before any window, so that none is polished twice when the main window
    // later switches the hint timings on.
    InstallDesignerStyle();

    TMainForm* mainForm = CreateWindows();
    platform.SetOwnerWindow(mainForm);
    if (QScreen* s = QGuiApplication::primaryScreen())
        mainForm->move(s->availableGeometry().center() - mainForm->rect().center());
    mainForm->show();
    // A termination requested during start-up is a queued quit: the loop
    // starts and ends at once.
    const int result = app.exec();
    platform.SetOwnerWindow(nullptr);
    DestroyWindows(mainForm);
    SetPlatform(nullptr);
    return result;
}
