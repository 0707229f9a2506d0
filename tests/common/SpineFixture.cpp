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

#include <QDialog>
#include <QEvent>
#include <QFile>
#include <QTimer>

DialogScript::DialogScript(QDialog* dialog) : FDialog(dialog) {
    Action = [](QDialog* d) { d->reject(); };
    dialog->installEventFilter(this);
}

bool DialogScript::eventFilter(QObject* watched, QEvent* event) {
    if (watched == FDialog && event->type() == QEvent::Show) {
        ++Shown;
        QTimer::singleShot(0, FDialog, [this] {
            if (FDialog->isVisible())
                Action(FDialog);
        });
    }
    return QObject::eventFilter(watched, event);
}

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
    CountryDialog = std::make_unique<DialogScript>(CountryForm);
    SelectionDialog = std::make_unique<DialogScript>(ConfigSelectForm);
}

SpineFixture::~SpineFixture() {
    CountryDialog.reset();
    SelectionDialog.reset();
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
