#include "editor/Folders.h"

#include "localisation/Translate.h"
#include "platform/Platform.h"
#include "support/Termination.h"

QString FormsFolder;
QString HelpFolder;
QString HostDataFolder;

QString WithTrailingDelimiter(const QString& folder) {
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

bool GetDocDirectories() {
    FormsFolder.clear();
    HostDataFolder.clear();
    try {
        const QString docs = CurrentPlatform().DocumentsFolder();
        if (!docs.isEmpty()) {
            const QString d = WithTrailingDelimiter(docs);
            FormsFolder = d + QStringLiteral("Kestrova/Forms/");
            HelpFolder = d + QStringLiteral("Kestrova/Forms/Help/");
        }
    } catch (...) {
        ErrorBox(QStringLiteral(N_("ERROR IN GET-DOC-DIRECTORY! PROGRAM WILL TERMINATE")));
        RequestTermination();
        return false;
    }
    try {
        const QString appData = CurrentPlatform().AppDataFolder();
        if (!appData.isEmpty())
            HostDataFolder = WithTrailingDelimiter(appData) + QStringLiteral("Kestrova/");
    } catch (...) {
        // The companion's folder is optional; its settings then read as defaults.
    }
    return true;
}
