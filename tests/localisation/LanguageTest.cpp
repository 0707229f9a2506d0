// The language of the companion's settings at start-up: its English name in
// the log, and the main window, the country dialog and the help window in
// that language from the catalogue the build compiles from po/de.po.
#include "common/FakePlatform.h"
#include "common/SpineFixture.h"

#include "catalogue/ConfigSelectU.h"
#include "catalogue/CountryU.h"
#include "editor/CheckListBox.h"
#include "editor/MainFormU.h"
#include "localisation/GNUGetTextU.h"
#include "localisation/LanguageU.h"
#include "localisation/QtBuiltinTexts.h"
#include "localisation/ResourceStrings.h"
#include "support/DebugU.h"
#include "support/HelpU.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QToolButton>
#include <QTreeWidget>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::ElementsAre;

namespace {

// The runtime of the built designer (its locale folder holds de), and the
// windows over a demo profile whose companion settings name Language.
class LanguageStart {
public:
    explicit LanguageStart(const QString& language,
                           const QString& program = BuildDir() +
                                                    QStringLiteral("/DralFormDesigner")) {
        GnuGettext::StartRuntime(program);
        Spine->Profile.Write(Spine->Profile.HostData() + QStringLiteral("Kestrova.ini"),
                             QStringLiteral("[General]\r\nLanguage=%1\r\n\r\n[Dral]\r\n"
                                            "FormFontSize=12\r\nCountrySelect=New Zealand\r\n")
                                 .arg(language)
                                 .toUtf8());
    }
    ~LanguageStart() {
        Spine.reset();
        GnuGettext::StopRuntime();
    }
    LanguageStart(const LanguageStart&) = delete;
    LanguageStart& operator=(const LanguageStart&) = delete;

    SpineFixture& F() { return *Spine; }
    QStringList Errors() const { return Spine->LogLines().filter(QRegularExpression("^ERROR: ")); }

    // Constructed after the runtime, destroyed before it stops.
    std::unique_ptr<SpineFixture> Spine = std::make_unique<SpineFixture>();
};

QStringList MainTexts() {
    return {MainForm->windowTitle(),      MainForm->LoadBtn->text(),
            MainForm->LoadBtn->toolTip(), MainForm->ToolButton5->text(),
            MainForm->CountryBtn->text(), MainForm->Panel4->text()};
}

QStringList CountryTexts() {
    return {CountryForm->windowTitle(), CountryForm->NewBtn->text(),
            CountryForm->CancelBtn->text()};
}

QStringList HelpTexts() {
    return {HelpForm->windowTitle(), HelpForm->BackBtn->toolTip()};
}

} // namespace

TEST(LanguageDisplayName, ExactCodesOfTheTableElseEnglish) {
    const std::pair<const char*, const char*> cases[] = {
        {"en", "English"},           {"de", "German"},        {"de_AT", "Austrian German"},
        {"de_DE", "English"},        {"fr_BE", "Walloon"},    {"wa", "Walloon"},
        {"nb", "Norwegian Bokmaal"}, {"gl", "Gallegan"},      {"pt_BR", "Brazilian Portuguese"},
        {"pt_PT", "English"},        {"", "English"},         {"EN", "English"},
        {"De", "English"},           {"de.UTF-8", "English"}, {"zu", "Zulu"},
        {" de", "English"},
    };
    for (const auto& [code, name] : cases)
        EXPECT_EQ(LanguageDisplayName(QString::fromUtf8(code)).toStdString(), name) << code;
}

TEST(LoadLanguage, GermanTranslatesTheThreeWindowsAndLeavesTheOthersEnglish) {
    LanguageStart s(QStringLiteral("de"));
    const QString configTitle = ConfigSelectForm->windowTitle();
    const QString debugTitle = DebugForm->windowTitle();
    s.F().Show();

    const QStringList log = s.F().LogLines();
    const auto using_ = log.indexOf(QStringLiteral("DEBUG4: Using language de"));
    ASSERT_GE(using_, 0) << log.join(u'\n').toStdString();
    EXPECT_EQ(log.value(using_ + 1), QStringLiteral("DEBUG3: Loading language: German"));
    EXPECT_EQ(MainTexts(), (QStringList{"Kestrova Form Designer v2.2", "Bild laden",
                                        "Die .PNG- und die .CFG-Datei von der Festplatte laden",
                                        "&Hilfe", "Land", "Filter>"}));
    EXPECT_EQ(CountryTexts(), (QStringList{"Land", "Land hinzufügen", "Abbrechen"}));
    EXPECT_EQ(HelpTexts()[0], QStringLiteral("Kestrova-Hilfe"));
    // The topic tree names the page anchors; it stays as it is.
    EXPECT_EQ(HelpForm->TreeView1->topLevelItem(0)->text(0), QStringLiteral("Main"));
    // Windows that are not translated keep their design texts.
    EXPECT_EQ(ConfigSelectForm->windowTitle(), configTitle);
    EXPECT_EQ(DebugForm->windowTitle(), debugTitle);
    EXPECT_TRUE(s.Errors().isEmpty()) << s.Errors().join(u'\n').toStdString();
}

TEST(LoadLanguage, RegionalAndOtherCodesNameTheirLanguageAndPickTheirCatalogue) {
    struct Case {
        const char* Code;
        const char* Name;
        const char* LoadButton;
    };
    const Case cases[] = {
        {"de_AT", "Austrian German", "Bild laden"},
        {"de_DE", "English", "Bild laden"},
        {"en", "English", "Load Image"},
        {"fr_BE", "Walloon", "Load Image"},
        {"wa", "Walloon", "Load Image"},
        {"nb", "Norwegian Bokmaal", "Load Image"},
        {"gl", "Gallegan", "Load Image"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Code);
        LanguageStart s(QString::fromUtf8(c.Code));
        s.F().Show();
        EXPECT_THAT(
            s.F().LogLines().filter(QStringLiteral("Loading language: ")),
            ElementsAre(QStringLiteral("DEBUG3: Loading language: ") + QString::fromUtf8(c.Name)));
        EXPECT_EQ(MainForm->LoadBtn->text(), QString::fromUtf8(c.LoadButton));
        // Without a catalogue the walk writes nothing and logs no error of its
        // own; the runtime's one line says that no catalogue was found.
        for (const QString& e : s.Errors())
            EXPECT_TRUE(e.startsWith(QLatin1String("ERROR: Domain default failed to locate")))
                << e.toStdString();
    }
}

TEST(LoadLanguage, ErrorWhileTranslatingTheMainWindowLeavesTheOtherTwoEnglish) {
    LanguageStart s(QStringLiteral("de"));
    // A child that takes the marker's name: the marker cannot be added.
    (new QObject(s.F().Main))->setObjectName(QStringLiteral("GNUgettextMarker"));
    const QStringList country = CountryTexts(), help = HelpTexts();
    s.F().Show();
    EXPECT_THAT(s.Errors(),
                ElementsAre(QStringLiteral(
                    "ERROR: LoadLanguage: A component named GNUgettextMarker already exists.")));
    EXPECT_EQ(CountryTexts(), country);
    EXPECT_EQ(HelpTexts(), help);
    // The program goes on: the field list was loaded after it.
    EXPECT_GT(MainForm->CheckListBox1->model()->rowCount(), 0);
}

// A German catalogue cut short: its lookups fail, the designer still starts.
TEST(LoadLanguage, TruncatedCatalogueLeavesTheWindowsEnglishAndTheDesignerWorking) {
    QTemporaryDir program;
    QFile built(BuildDir() + QStringLiteral("/locale/de/LC_MESSAGES/default.mo"));
    ASSERT_TRUE(built.open(QIODevice::ReadOnly));
    const QByteArray whole = built.readAll();
    const QString mo = program.path() + QStringLiteral("/locale/de/LC_MESSAGES/default.mo");
    QDir().mkpath(QFileInfo(mo).absolutePath());
    QFile cut(mo);
    ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
    cut.write(whole.left(whole.size() / 3));
    cut.close();

    LanguageStart s(QStringLiteral("de"), program.path() + QStringLiteral("/designer"));
    s.F().Show();
    EXPECT_EQ(MainTexts()[1], QStringLiteral("Load Image"));
    EXPECT_EQ(CountryTexts()[1], QStringLiteral("Add New Country"));
    // Each window's walk ends with its one logged error; the start-up goes on.
    const auto walkError = ::testing::Truly([](const QString& e) {
        return e.startsWith(
            QLatin1String("ERROR: GnuGettextInstance.TranslateComponent.TranslateProperties: "));
    });
    EXPECT_THAT(s.Errors(), ElementsAre(walkError, walkError, walkError))
        << s.Errors().join(u'\n').toStdString();
    EXPECT_GT(MainForm->CheckListBox1->model()->rowCount(), 0);
}

TEST(LoadLanguage, CodeThatCouldLeaveTheCatalogueFolderSelectsNoCatalogue) {
    for (const char* code : {"../de", "de/..", "..", "x\\de"}) {
        SCOPED_TRACE(code);
        LanguageStart s(QString::fromUtf8(code));
        s.F().Show();
        EXPECT_EQ(MainForm->LoadBtn->text(), QStringLiteral("Load Image"));
        EXPECT_THAT(s.Errors(),
                    ElementsAre(QStringLiteral(
                                    "ERROR: Domain default: the language code \"%1\" holds a path "
                                    "separator or \"..\"; no catalogue is used.")
                                    .arg(QString::fromUtf8(code))));
    }
}

TEST(LoadLanguage, QtOwnTextsOfTheDesignerComeFromTheGermanCatalogue) {
    ScopedFakePlatform platform;
    GnuGettext::StartRuntime(BuildDir() + QStringLiteral("/DralFormDesigner"));
    GnuGettext::UseLanguage(QStringLiteral("de"));
    const GnuGettext::TResourceStringTranslator qtTexts;
    for (const char* text : GnuGettext::QtBuiltinTexts()) {
        const QString t = qtTexts.translate("Qt", text);
        // "OK", "Name" and a few more are the same in German.
        EXPECT_FALSE(t.isEmpty() &&
                     GnuGettext::gettext(QString::fromUtf8(text)) != QString::fromUtf8(text))
            << text;
    }
    {
        GnuGettext::TResourceStringRouting routing(*QCoreApplication::instance());
        QMessageBox box(QMessageBox::Question, QStringLiteral("t"), QStringLiteral("q"),
                        QMessageBox::Yes | QMessageBox::No);
        QStringList buttons;
        for (QAbstractButton* b : box.buttons())
            buttons << b->text();
        buttons.sort();
        EXPECT_EQ(buttons, (QStringList{"&Ja", "&Nein"}));
    }
    GnuGettext::StopRuntime();
}
