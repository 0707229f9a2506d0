#pragma once

#include "catalogue/CatalogueFiles.h"
#include "common/FakePlatform.h"
#include "common/TempProfile.h"
#include "editor/Folders.h"
#include "support/DebugLog.h"
#include "support/Termination.h"

#include <QStringList>
#include <gtest/gtest.h>
#include <ostream>
#include <utility>
#include <vector>

inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

// Every process-wide value of the catalogue back to its start-up state.
inline void ResetCatalogueState() {
    FormFontSize = 0;
    CurrentCountry.clear();
    CurrentLanguage.clear();
    CountryList.clear();
    HostIniPath.clear();
    KestrovaAliasIniPath.clear();
    CustomAliasIniPath.clear();
    HostIniFile.reset();
    KestrovaAliasIni.reset();
    CustomAliasIni.reset();
    FormCatalogue = std::make_unique<TDralFormList>();
    ResetTerminationRequest();
}

// A temporary profile whose folders are the program's folders, with the log
// inside it and a scripted platform.
class CatalogueProfile : public ::testing::Test {
protected:
    TempProfile P;
    ScopedFakePlatform Platform;
    FakePlatform& Fake = Platform.Fake;

    void SetUp() override {
        FormsFolder = P.Forms();
        HelpFolder = P.Forms() + "Help/";
        HostDataFolder = P.HostData();
        DebugLogFilename = LogPath();
        ResetCatalogueState();
    }
    void TearDown() override {
        ResetCatalogueState();
        DebugLogFilename.clear();
        FormsFolder.clear();
        HelpFolder.clear();
        HostDataFolder.clear();
    }

    QString LogPath() const { return P.Forms() + "FormDesigner-debug.txt"; }
    QString KestrovaPath() const { return P.Forms() + "KestrovaFormAliases.ini"; }
    QString CustomPath() const { return P.Forms() + "CustomFormAliases.ini"; }
    QString SettingsPath() const { return P.HostData() + "Kestrova.ini"; }

    // Lines of the debug log so far, each with its level prefix.
    QStringList Log() const {
        const QString text = QString::fromUtf8(P.Read(LogPath()));
        QStringList lines = text.split(QStringLiteral("\r\n"));
        if (!lines.isEmpty() && lines.back().isEmpty())
            lines.removeLast();
        return lines;
    }
    void ClearLog() const { QFile::remove(LogPath()); }

    // The records of FormCatalogue as (key, file name) pairs.
    static std::vector<std::pair<QString, QString>> Records() {
        std::vector<std::pair<QString, QString>> out;
        for (int i = 0; i < Catalogue().Count(); ++i)
            out.emplace_back(Catalogue().GetRecord(i)->KeyName, Catalogue().GetRecord(i)->FileName);
        return out;
    }
};

// Whether wanted occurs in lines in this order (other lines may come between).
inline bool InOrder(const QStringList& lines, const QStringList& wanted) {
    qsizetype at = 0;
    for (const QString& line : lines)
        if (at < wanted.size() && line == wanted.at(at))
            ++at;
    return at == wanted.size();
}

// Lines of lines starting with prefix.
inline QStringList Starting(const QStringList& lines, const QString& prefix) {
    QStringList out;
    for (const QString& l : lines)
        if (l.startsWith(prefix))
            out << l;
    return out;
}
