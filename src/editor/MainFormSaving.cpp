// Saving the layout and recording the form in the catalogue, clearing,
// editing the layout file outside, and the watch on its file.
#include "editor/MainFormU.h"

#include "catalogue/CatalogueFiles.h"
#include "catalogue/ConfigSelectU.h"
#include "editor/Folders.h"
#include "localisation/GNUGetTextU.h"
#include "localisation/TranslatedLines.h"
#include "platform/FileTime.h"
#include "platform/Platform.h"
#include "support/DebugLog.h"
#include "support/Exception.h"
#include "support/InfoBox2U.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <QToolButton>

#include <cerrno>
#include <cstring>

void TMainForm::SaveBtnClick() {
    SaveConfig();
}

void TMainForm::SaveConfig() {
    try {
        CheckFileTimer->stop();
        try {
            Document->Save();
            if (QFile::exists(CFGFilename())) {
                FileTimes times;
                if (!CurrentPlatform().GetFileTimes(CFGFilename(), times))
                    DebugLog(QStringLiteral("GetFiletimes failed"), 0);
                LastFileTime = times.LastWrite;
                EditConfigBtn->setEnabled(true);
            }
        } catch (...) {
            CheckFileTimer->start(); // the watch runs again also after a failed write
            throw;
        }
        CheckFileTimer->start();

        const TDralForm* r = FormCatalogue ? FormCatalogue->GetForm(AliasName) : nullptr;
        if (r && !r->FileName.isEmpty()) {
            const QString key = r->KeyName, fileName = r->FileName;
            // The layout is written: a failed catalogue write is only logged.
            SaveCustomAssignment(key, fileName);
            ShowNotice(
                QStringLiteral(N_("Form saved as \"%1\" under Key \"%2\"")).arg(fileName, key),
                3000, 0, 0, clBlue);
        } else {
            CurrentPlatform().Beep(BeepQuestion);
            CurrentPlatform().MessageBox(
                BoxKind::Confirmation, QCoreApplication::applicationName(),
                TranslatedLines({N_("The Form is not yet available in the Configuration file."),
                                 N_("Please select which Kestrova Form this from the list,"),
                                 N_("or make a NEW entry for this Form.")}),
                BtnOk, BtnOk);
            SelectConfig();
        }
    } catch (const std::exception& e) {
        const QString message = ExceptionMessage(e);
        DebugLog(QStringLiteral("Error saving Config file: %1%2/%3.cfg : %4")
                     .arg(FormsFolder, CurrentCountry, AliasName, message),
                 0);
        PlainBox(
            QStringLiteral(N_("Error saving Config file: %1.cfg ; %2")).arg(AliasName, message));
    }
}

void TMainForm::SelectConfig() {
    if (!ConfigSelectForm)
        return;
    ConfigSelectForm->FAliasFilename = AliasName;
    ConfigSelectForm->exec();
}

void TMainForm::ClearBtnClick() {
    CurrentPlatform().Beep(BeepQuestion);
    if (!ConfirmBox(QStringLiteral(N_("Are you sure you want to clear the current configuration?")),
                    BtnNo))
        return;
    try {
        // A file that stays would be read back by the reload below as if
        // nothing had happened: the user is told first.
        Document->Clear();
    } catch (const std::exception& e) {
        PlainBox(QStringLiteral(N_("Error deleting config file: ")) + ExceptionMessage(e));
    }
    LoadFiles();
}

void TMainForm::EditConfigBtnClick() {
    if (!QFileInfo(CFGFilename()).isFile())
        return;
    try {
        CurrentPlatform().ShellOpen(CFGFilename());
        EditInProgress = true;
    } catch (const std::exception& e) {
        EditInProgress = true;
        DebugLog(QStringLiteral(" EditConfig: ") + ExceptionMessage(e), 0);
    }
}

bool TMainForm::FileHasChanged() {
    try {
        if (!QFile::exists(CFGFilename()))
            return false;
        FileTimes times;
        errno = 0;
        if (!CurrentPlatform().GetFileTimes(CFGFilename(), times)) {
            const int code = errno;
            DebugLog(QStringLiteral("GetFiletimes failed"), 0);
            if (code != 0)
                DebugLog(QStringLiteral("FileHasChanged: ") +
                             QString::fromLocal8Bit(std::strerror(code)),
                         0);
        }
        CurrentFileTime = times.LastWrite;
        return LaterToTheMillisecond(CurrentFileTime, LastFileTime);
    } catch (const std::exception& e) {
        DebugLog(QStringLiteral("FileHasChanged: ") + ExceptionMessage(e), 0);
        return false;
    }
}

void TMainForm::CheckFileTimerTimer() {
    if (!FileHasChanged())
        return;
    if (EditInProgress) {
        EditInProgress = false;
        // Placements made in the window since the last save are not thrown
        // away without asking.
        if (!ConfigHasChanged()) {
            LoadFiles();
            return;
        }
    }
    CheckFileTimer->stop();
    CurrentPlatform().Beep(BeepQuestion);
    if (ConfirmBox(TranslatedLines({N_("The Form's Configuration file has changed on Disk."),
                                    N_("If you Reload from Disk, any change you have made since "
                                       "last Save will be lost."),
                                    N_("Reload the Form from disk?")}),
                   BtnYes)) {
        LoadFiles();
    } else {
        LastFileTime = CurrentFileTime;
        CheckFileTimer->start();
    }
}
