#include "CatalogueTestSupport.h"

#include "support/Exception.h"

#include <QDir>
#include <QFile>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using RecordList = std::vector<std::pair<QString, QString>>;

class CatalogueOps : public CatalogueProfile {
protected:
    // A later start's files: settings, the companion's copy and the user's.
    void WriteFiles(const QByteArray& settings, const QByteArray& kestrova,
                    const QByteArray& custom) const {
        if (!settings.isNull())
            P.Write(SettingsPath(), settings);
        if (!kestrova.isNull())
            P.Write(KestrovaPath(), kestrova);
        if (!custom.isNull())
            P.Write(CustomPath(), custom);
    }
    // Init's catalogue steps, the language steps left out.
    bool Start(const AskCountryFn& ask = {}) const {
        OpenCatalogueFiles();
        LoadKestrovaInifile();
        return LoadCatalogues(ask);
    }
    // Forget the run, as a new process would.
    static void NewRun() { ResetCatalogueState(); }
};

TEST_F(CatalogueOps, MissingSettingsGiveDefaults) {
    LoadKestrovaInifile();
    EXPECT_EQ(FormFontSize, 12);
    EXPECT_EQ(CurrentCountry, "");
    EXPECT_EQ(CurrentLanguage, "en");
    EXPECT_EQ(Log(), (QStringList{"DEBUG3: LoadKestrovaInifile: " + SettingsPath(),
                                  "DEBUG3: ERROR: File not found: " + SettingsPath()}));
}

TEST_F(CatalogueOps, SettingsValues) {
    struct Case {
        const char* fontSize;
        int expected;
    } cases[] = {{"0x10", 16}, {"$10", 16}, {"abc", 12}, {"", 12}, {"9", 9}};
    for (const auto& c : cases) {
        P.Write(SettingsPath(), QByteArray("[dral]\r\nformfontsize=") + c.fontSize +
                                    "\r\nCountrySelect= New Zealand \r\n"
                                    "[General]\r\nLanguage=de\r\n");
        LoadKestrovaInifile();
        EXPECT_EQ(FormFontSize, c.expected) << c.fontSize;
        EXPECT_EQ(CurrentCountry, "New Zealand");
        EXPECT_EQ(CurrentLanguage, "de");
    }
    EXPECT_TRUE(Starting(Log(), "DEBUG3: ERROR").isEmpty());
}

TEST_F(CatalogueOps, UnreadableSettingsKeepTheValues) {
    QDir().mkpath(SettingsPath()); // a folder where the file should be
    FormFontSize = 33;
    CurrentCountry = "Fiji";
    CurrentLanguage = "mi";
    LoadKestrovaInifile();
    EXPECT_EQ(FormFontSize, 33);
    EXPECT_EQ(CurrentCountry, "Fiji");
    EXPECT_EQ(CurrentLanguage, "mi");
    const QStringList log = Log();
    ASSERT_EQ(log.size(), 2);
    EXPECT_TRUE(log.at(1).startsWith("DEBUG3: ERROR: LoadIniFiles: ")) << log.at(1).toStdString();
    EXPECT_TRUE(Fake.Boxes.empty());
}

TEST_F(CatalogueOps, UsersCopyLoadsTheCountrysRecords) {
    P.Write(CustomPath(), "[Fiji]\r\nF=f\r\n[NZ]\r\nA=img1\r\nB=\r\nloose line\r\n");
    OpenCatalogueFiles();
    CurrentCountry = "nz";
    for (int run = 0; run < 2; ++run) { // again, as each opening of the selection dialog
        ClearLog();
        LoadCustomAliasInifile({});
        EXPECT_EQ(CountryList, (QStringList{"Fiji", "NZ"}));
        EXPECT_EQ(Records(), (RecordList{{"A", "img1"}, {"B", ""}, {"", ""}}));
        EXPECT_EQ(Log(),
                  (QStringList{"DEBUG3: Country=nz", "DEBUG3: LoadAliasInifile: Entries found: 3",
                               "DEBUG3: LoadAliasInifile: Loaded 3 Forms."}));
    }
}

TEST_F(CatalogueOps, MissingOrEmptyCountrySectionGivesNoRecords) {
    for (const char* country : {"Samoa", "Empty"}) {
        P.Write(CustomPath(), "[NZ]\r\nA=1\r\n[Empty]\r\n");
        CustomAliasIni.reset();
        OpenCatalogueFiles();
        ClearLog();
        CurrentCountry = country;
        LoadCustomAliasInifile({});
        EXPECT_EQ(Catalogue().Count(), 0);
        EXPECT_TRUE(InOrder(Log(), {"DEBUG3: LoadAliasInifile: Entries found: 0",
                                    "DEBUG3: LoadAliasInifile: Loaded 0 Forms."}));
    }
}

TEST_F(CatalogueOps, NoCountryAsksAndEndsTheProgramWhenStillNone) {
    P.Write(CustomPath(), "[NZ]\r\nA=1\r\n");
    OpenCatalogueFiles();
    int asked = 0;
    LoadCustomAliasInifile([&] { ++asked; });
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(TerminationRequested());
    EXPECT_EQ(Catalogue().Count(), 0);
    EXPECT_EQ(Log(), QStringList{"DEBUG3: LoadAliasInifile: Loaded 0 Forms."});

    ResetTerminationRequest();
    ClearLog();
    LoadCustomAliasInifile([&] { CurrentCountry = "NZ"; });
    EXPECT_FALSE(TerminationRequested());
    EXPECT_EQ(Records(), (RecordList{{"A", "1"}}));
    EXPECT_TRUE(Starting(Log(), "DEBUG3: Country=").isEmpty());
}

TEST_F(CatalogueOps, MissingUsersDocumentIsLoggedNotRaised) {
    CurrentCountry = "NZ";
    LoadCustomAliasInifile({});
    const QStringList log = Log();
    ASSERT_EQ(log.size(), 2);
    EXPECT_TRUE(log.at(0).startsWith("DEBUG3: ERROR: LoadAliasInifile: "));
    EXPECT_EQ(log.at(1), "DEBUG3: LoadAliasInifile: Loaded 0 Forms.");
}

TEST_F(CatalogueOps, MergeBringsInOnlyTheCompanionsNewEntries) {
    WriteFiles("[Dral]\r\nFormFontSize=20\r\nCountrySelect=NZ\r\n",
               "[Dral]\r\nFormFontSize=14\r\n"
               "[NZ]\r\nA=img1\r\nB=img1\r\nC=\r\ne=imgE\r\nD=imgD\r\n"
               "[Other]\r\nZ=z\r\n",
               "; the user's own\r\n"
               "[NZ]\r\nA=\r\nB=mine\r\nC=\r\nE=userE\r\nX=x\r\n"
               "[Other]\r\nQ=q\r\n");
    ASSERT_TRUE(Start());
    // A filled in place, D appended to the section and the catalogue; B and E
    // keep the user's values, C has nothing to copy.
    EXPECT_EQ(P.Read(CustomPath()),
              QByteArray("[NZ]\r\nA=img1\r\nB=mine\r\nC=\r\nE=userE\r\nX=x\r\n"
                         "D=imgD\r\n\r\n[Other]\r\nQ=q\r\n\r\n"));
    EXPECT_EQ(
        Records(),
        (RecordList{
            {"A", "img1"}, {"B", "mine"}, {"C", ""}, {"E", "userE"}, {"X", "x"}, {"D", "imgD"}}));
    EXPECT_EQ(FormFontSize, 14);
    EXPECT_EQ(CountryList, (QStringList{"Dral", "NZ", "Other"}));
    EXPECT_EQ(TIniDocument(KestrovaPath()).ReadString("Dral", "CountrySelect", ""), "NZ");
    const QStringList log = Log();
    EXPECT_TRUE(InOrder(log, {"DEBUG3: Init: CustomAliasInifile exists, loading...",
                              "DEBUG3: LoadAliasInifile: Loaded 5 Forms.",
                              "DEBUG3: LoadKestrovaAliasInifile...",
                              "DEBUG3: LoadKestrovaAliasInifile: Countries: Dral",
                              "DEBUG3: LoadKestrovaAliasInifile: Countries: NZ",
                              "DEBUG3: LoadKestrovaAliasInifile: Countries: Other",
                              "DEBUG3: Country=NZ", "DEBUG3: SaveKestrovaInifile: Country=NZ",
                              "DEBUG3: LoadKestrovaAliasInifile: Entries found: 5"}));
    EXPECT_EQ(
        Starting(log, "DEBUG3: Copying entry"),
        (QStringList{
            "DEBUG3: Copying entry from Kestrova list to Custom list: Key=A  Filename=img1",
            "DEBUG3: Copying entry from Kestrova list to Custom list: Key=D  Filename=imgD"}));
    EXPECT_TRUE(Starting(log, "ERROR").isEmpty());
    EXPECT_TRUE(Starting(log, "DEBUG3: ERROR").isEmpty());
}

TEST_F(CatalogueOps, MergeAppendsACountryTheUsersCopyLacks) {
    WriteFiles("[Dral]\r\nCountrySelect=NZ\r\n",
               "[Dral]\r\nCountrySelect=Fiji\r\n[Fiji]\r\nA=a\r\n", "[NZ]\r\nK=k\r\n");
    ASSERT_TRUE(Start());
    EXPECT_EQ(CurrentCountry, "Fiji"); // the companion's choice wins
    EXPECT_EQ(P.Read(CustomPath()), QByteArray("[NZ]\r\nK=k\r\n\r\n[Fiji]\r\nA=a\r\n\r\n"));
    // The catalogue was loaded for the settings' country, then merged for the
    // companion's; it follows the new one fully at the selection dialog.
    EXPECT_EQ(Records(), (RecordList{{"K", "k"}, {"A", "a"}}));
}

TEST_F(CatalogueOps, FontSizeComesFromTheCompanionsCopyOnLaterStarts) {
    struct Case {
        QByteArray dral;
        int expected;
    } cases[] = {{"[Dral]\r\nFormFontSize=$0A\r\n", 10}, {"[Dral]\r\n", 12}, {"", 12}};
    for (const auto& c : cases) {
        NewRun();
        WriteFiles("[Dral]\r\nFormFontSize=20\r\nCountrySelect=NZ\r\n", c.dral + "[NZ]\r\n",
                   "[NZ]\r\n");
        ASSERT_TRUE(Start());
        EXPECT_EQ(FormFontSize, c.expected);
    }
}

TEST_F(CatalogueOps, ChosenCountryIsListedFromTheNextStartOn) {
    WriteFiles("[Dral]\r\nCountrySelect=NZ\r\n", "[NZ]\r\nA=a\r\n", "[NZ]\r\n");
    ASSERT_TRUE(Start());
    EXPECT_EQ(CountryList, QStringList{"NZ"});
    EXPECT_EQ(P.Read(KestrovaPath()),
              QByteArray("[NZ]\r\nA=a\r\n\r\n[Dral]\r\nCountrySelect=NZ\r\n\r\n"));

    NewRun();
    ClearLog();
    ASSERT_TRUE(Start());
    EXPECT_EQ(CountryList, (QStringList{"NZ", "Dral"}));
    EXPECT_TRUE(Log().contains("DEBUG3: LoadKestrovaAliasInifile: Countries: Dral"));
    EXPECT_EQ(Records(), (RecordList{{"A", "a"}}));
}

TEST_F(CatalogueOps, MergeWithoutCountryEndsTheProgramButStillWritesTheUsersCopy) {
    const QByteArray kestrova = "; companion\r\n[NZ]\r\nA=a\r\n";
    WriteFiles(QByteArray(), kestrova, "; user\r\n[NZ]\r\n");
    int asked = 0;
    ASSERT_TRUE(Start([&] { ++asked; }));
    EXPECT_EQ(asked, 2); // once for each loader
    EXPECT_TRUE(TerminationRequested());
    EXPECT_EQ(P.Read(KestrovaPath()), kestrova); // no SaveCountry
    EXPECT_EQ(P.Read(CustomPath()), QByteArray("[NZ]\r\n\r\n"));
    EXPECT_TRUE(Starting(Log(), "DEBUG3: Country=").isEmpty());
}

// A country name from a file names a folder below the forms folder: an
// invalid one is logged once and counts as no country chosen, so the country
// prompt follows; invalid section names never reach the country list.
TEST_F(CatalogueOps, CountryNamesFromFilesFollowTheCountryNameRule) {
    const char* hostile[] = {"../../../x", "..", "/etc", "NZ/../..", "a\\b", "[NZ]", "."};
    for (const char* bad : hostile) {
        const QString name = QString::fromLatin1(bad);
        SCOPED_TRACE(bad);
        const QString invalid = "ERROR: Country name invalid: " + name;
        // From the companion's settings; the user then picks NZ.
        NewRun();
        ClearLog();
        WriteFiles("[Dral]\r\nCountrySelect=" + QByteArray(bad) + "\r\n", "[NZ]\r\nA=a\r\n",
                   "[NZ]\r\n");
        int asked = 0;
        ASSERT_TRUE(Start([&] {
            ++asked;
            EXPECT_EQ(CurrentCountry, "");
            CurrentCountry = "NZ";
        }));
        EXPECT_EQ(asked, 1);
        EXPECT_FALSE(TerminationRequested());
        EXPECT_EQ(CurrentCountry, "NZ");
        EXPECT_EQ(Log().filter(invalid).size(), 1) << Log().join("\n").toStdString();
        EXPECT_EQ(Starting(Log(), "DEBUG3: Country=" + name), QStringList{});
        EXPECT_EQ(Records(), (RecordList{{"A", "a"}}));

        // From the companion's catalogue, whose value wins over the settings.
        NewRun();
        ClearLog();
        WriteFiles("[Dral]\r\nCountrySelect=NZ\r\n",
                   "[NZ]\r\nA=a\r\n[Dral]\r\nCountrySelect=" + QByteArray(bad) + "\r\n",
                   "[NZ]\r\n");
        asked = 0;
        ASSERT_TRUE(Start([&] {
            ++asked;
            CurrentCountry = "NZ";
        }));
        EXPECT_EQ(asked, 1);
        EXPECT_EQ(Log().filter(invalid).size(), 1);
        EXPECT_EQ(TIniDocument(KestrovaPath()).ReadString("Dral", "CountrySelect", ""), "NZ");

        // Still none chosen at the prompt: the program ends, as with no country at all.
        NewRun();
        WriteFiles("[Dral]\r\nCountrySelect=" + QByteArray(bad) + "\r\n", "[NZ]\r\n", "[NZ]\r\n");
        ASSERT_TRUE(Start([] {}));
        EXPECT_TRUE(TerminationRequested());
        EXPECT_EQ(CurrentCountry, "");
    }

    // Section names: those that cannot be countries are logged and left out.
    NewRun();
    ClearLog();
    WriteFiles("[Dral]\r\nCountrySelect=NZ\r\n", "[NZ]\r\n[../../x]\r\nA=a\r\n[Fiji]\r\n",
               "[/tmp]\r\n[NZ]\r\n");
    ASSERT_TRUE(Start());
    EXPECT_EQ(CountryList, (QStringList{"NZ", "Fiji"}));
    EXPECT_EQ(Log().filter("ERROR: Country name invalid: ../../x").size(), 1);
    EXPECT_EQ(Log().filter("ERROR: Country name invalid: /tmp").size(), 1);
    EXPECT_TRUE(Log().filter("Countries: ../../x").isEmpty());
    LoadCustomAliasInifile({});
    EXPECT_EQ(CountryList, QStringList{"NZ"});
    EXPECT_EQ(Log().filter("ERROR: Country name invalid: /tmp").size(), 2);
}

TEST_F(CatalogueOps, KeysMatchWithoutRegardToCase) {
    WriteFiles("[Dral]\r\nCountrySelect=nz\r\n", "[NZ]\r\nkey=theirs\r\n", "[nz]\r\nKEY=mine\r\n");
    ASSERT_TRUE(Start());
    EXPECT_EQ(P.Read(CustomPath()), QByteArray("[nz]\r\nKEY=mine\r\n\r\n"));
    EXPECT_EQ(Records(), (RecordList{{"KEY", "mine"}}));
}

TEST_F(CatalogueOps, Utf16CatalogueStaysUtf16AfterTheMerge) {
    const QString custom = QString::fromUtf8("; kommentar\r\n[Niue]\r\nA=\r\nMāori=x\r\n");
    WriteFiles("[Dral]\r\nCountrySelect=Niue\r\n", "[Niue]\r\nA=img\r\n",
               EncodeText(custom, TextEncoding::Utf16BE));
    ASSERT_TRUE(Start());
    TextEncoding found;
    EXPECT_EQ(DecodeText(P.Read(CustomPath()), &found),
              QString::fromUtf8("[Niue]\r\nA=img\r\nMāori=x\r\n\r\n"));
    EXPECT_EQ(found, TextEncoding::Utf16BE);
}

TEST_F(CatalogueOps, FirstStartCopiesTheCompanionsFileByteForByte) {
    const QByteArray kestrova =
        EncodeText(QString::fromUtf8("; comment\r\n[NZ]\r\nA=img1\r\nB=\r\n[Tonga]\r\nT=t\r\n"),
                   TextEncoding::Utf16LE);
    WriteFiles("[Dral]\r\nCountrySelect=NZ\r\n", kestrova, QByteArray());
    ASSERT_TRUE(Start());
    EXPECT_EQ(P.Read(CustomPath()), kestrova);
    EXPECT_EQ(P.Read(KestrovaPath()), kestrova); // no merge, no SaveCountry
    EXPECT_EQ(Records(), (RecordList{{"A", "img1"}, {"B", ""}}));
    EXPECT_EQ(CountryList, (QStringList{"NZ", "Tonga"}));
    const QStringList log = Log();
    EXPECT_TRUE(InOrder(
        log, {"DEBUG3: Init: CustomAliasInifile does NOT exist, copying Kestrova version...",
              "DEBUG3: Country=NZ", "DEBUG3: LoadAliasInifile: Loaded 2 Forms."}));
    EXPECT_FALSE(log.contains("DEBUG3: LoadKestrovaAliasInifile..."));

    // The next start merges.
    NewRun();
    ClearLog();
    ASSERT_TRUE(Start());
    EXPECT_TRUE(Log().contains("DEBUG3: LoadKestrovaAliasInifile..."));
}

TEST_F(CatalogueOps, FirstStartWithoutAnyCatalogue) {
    ASSERT_TRUE(Start([] { CurrentCountry = "NZ"; }));
    EXPECT_FALSE(QFile::exists(CustomPath()));
    EXPECT_EQ(Catalogue().Count(), 0);
    EXPECT_FALSE(TerminationRequested());
}

TEST_F(CatalogueOps, FirstStartThatCannotReadTheCopyEndsTheStart) {
    P.Write(KestrovaPath(), "[NZ]\r\nA=a\r\n");
    OpenCatalogueFiles();
    QDir().mkpath(CustomPath()); // the copy cannot be made nor read
    EXPECT_FALSE(LoadCatalogues({}));
    EXPECT_TRUE(TerminationRequested());
    EXPECT_EQ(Starting(Log(), "ERROR: Init: CopyFile: ").size(), 1);
}

TEST_F(CatalogueOps, UnreadableCatalogueIsLoggedAndLeftOut) {
    QDir().mkpath(KestrovaPath());
    OpenCatalogueFiles();
    EXPECT_EQ(KestrovaAliasIni, nullptr);
    EXPECT_NE(CustomAliasIni, nullptr);
    EXPECT_EQ(Starting(Log(), "ERROR: Init: KestrovaAliasIniFile: ").size(), 1);
    CurrentCountry = "NZ";
    EXPECT_THROW(SaveCountry(), Exception);
}

TEST_F(CatalogueOps, SaveCustomAliasInifileFailureIsOnlyLogged) {
    P.Write(P.Forms() + "plain", "x");
    CustomAliasIniPath = P.Forms() + "plain/CustomFormAliases.ini";
    CustomAliasIni = std::make_unique<TIniDocument>(CustomAliasIniPath);
    CustomAliasIni->WriteString("NZ", "A", "a");
    SaveCustomAliasInifile();
    EXPECT_EQ(Starting(Log(), "ERROR: SaveAliasInifile: ").size(), 1);
    EXPECT_EQ(CustomAliasIni->ReadString("NZ", "A", ""), "a");
    EXPECT_TRUE(Fake.Boxes.empty());
}

// Takes write access to the forms folder away (as an unprivileged user when
// the tests run as root, since root ignores permission bits).
class WritesRefused {
public:
    explicit WritesRefused(const TempProfile& p) : FForms(p.Forms()) {
        for (const QString& dir : {p.Home(), p.Documents(), p.Documents() + "/Kestrova"})
            chmod(QFile::encodeName(dir).constData(), 0755);
        chmod(QFile::encodeName(FForms).constData(), 0555);
        if (geteuid() == 0)
            FDropped = seteuid(65534) == 0;
    }
    ~WritesRefused() {
        if (FDropped && seteuid(0) != 0)
            std::abort();
        chmod(QFile::encodeName(FForms).constData(), 0755);
    }

private:
    QString FForms;
    bool FDropped = false;
};

TEST_F(CatalogueOps, FailedFinalWriteOfTheMergeReachesTheCaller) {
    WriteFiles("[Dral]\r\nCountrySelect=NZ\r\n", "[NZ]\r\nA=a\r\n", "[NZ]\r\n");
    P.Write(LogPath(), "");
    chmod(QFile::encodeName(LogPath()).constData(), 0666);
    OpenCatalogueFiles();
    LoadKestrovaInifile();
    {
        WritesRefused refused(P);
        EXPECT_THROW(LoadCatalogues({}), Exception);
    }
    EXPECT_EQ(P.Read(CustomPath()), QByteArray("[NZ]\r\n"));
    // SaveCountry failed first and ended the merge.
    EXPECT_EQ(Starting(Log(), "DEBUG3: ERROR: LoadKestrovaAliasInifile: ").size(), 1);
    EXPECT_TRUE(Starting(Log(), "DEBUG3: Copying entry").isEmpty());
}

TEST(CountryName, FolderAndSectionSafety) {
    struct Case {
        QString name;
        bool valid;
    } cases[] = {
        {"New Zealand", true},
        {QString::fromUtf8("Côte d'Ivoire"), true},
        {"Dral", true},
        {"St. Lucia", true},
        {"...", true},
        {"", false},
        {".", false},
        {"..", false},
        {"../Evil", false},
        {"a/b", false},
        {"a\\b", false},
        {" Lead", false},
        {"Trail ", false},
        {"\tTab", false},
        {QString::fromUtf8("Nbsp\u00A0"), false},
        {"Bell\x07", false},
        {QString("Nul") + QChar(0) + "x", false},
        {"Line\nBreak", false},
        {"[Section", false},
        {"Section]", false},
        {QString(QChar(0xD800)) + "x", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsValidCountryName(c.name), c.valid) << c.name.toStdString();
}

} // namespace
