// Qt's own texts through the catalogues: the translator on the application,
// its exclusions, and a catalogue that cannot be read.
#include "LocalisationTestSupport.h"

#include "common/FakePlatform.h"
#include "localisation/GNUGetTextU.h"
#include "localisation/GnuGettextErrors.h"
#include "localisation/GnuGettextInstance.h"
#include "localisation/ResourceStrings.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace GnuGettext;

namespace {

// The runtime over a program folder of its own whose German catalogue
// translates two of Qt's box buttons and a context-menu entry.
class QtTextsTest : public ::testing::Test {
protected:
    QTemporaryDir Dir;
    ScopedFakePlatform Platform;
    LogCapture Log;

    QString Program() const {
        return QDir(Dir.path()).absolutePath() + QStringLiteral("/designer");
    }
    QString Catalogue(const QString& code) const {
        return QDir(Dir.path()).absolutePath() + QStringLiteral("/locale/") + code +
               QStringLiteral("/LC_MESSAGES/default.mo");
    }
    void Start(const QByteArray& mo) {
        WriteFile(Catalogue(QStringLiteral("de")), mo);
        StartRuntime(Program());
        UseLanguage(QStringLiteral("de"));
    }
    void TearDown() override { StopRuntime(); }

    static QByteArray German() {
        return CompileCatalogue(PoHeader() +
                                QStringLiteral("msgid \"&Yes\"\nmsgstr \"&Ja\"\n\n"
                                               "msgid \"&No\"\nmsgstr \"&Nein\"\n\n"
                                               "msgid \"&Copy\"\nmsgstr \"&Kopieren\"\n\n"
                                               "msgid \"Two\\nlines\"\n"
                                               "msgstr \"Zwei\\nZeilen\"\n"));
    }
    static QStringList ButtonTexts(QMessageBox& box) {
        QStringList t;
        for (QAbstractButton* b : box.buttons())
            t << b->text();
        t.sort();
        return t;
    }
};

} // namespace

TEST(ShouldRouteResourceStrings, DevelopmentEnvironmentsByNameInAnyCase) {
    const std::pair<const char*, bool> cases[] = {
        {"/opt/x/bds.exe", false},         {"/opt/x/BDS.EXE", false},
        {"/opt/x/Delphi32.exe", false},    {"/opt/x/bcb.exe", false},
        {"/opt/x/DralFormDesigner", true}, {"/opt/bds.exe/DralFormDesigner", true},
        {"/opt/x/bds.exe.bak", true},      {"/opt/x/bds", true},
    };
    for (const auto& [path, routed] : cases)
        EXPECT_EQ(ShouldRouteResourceStrings(QString::fromUtf8(path)), routed) << path;
}

TEST_F(QtTextsTest, QuestionBoxButtonsComeFromTheCatalogueWhileTheTranslatorIsInstalled) {
    Start(German());
    TResourceStringTranslator t;
    EXPECT_FALSE(t.isEmpty());
    EXPECT_EQ(t.translate("QPlatformTheme", "&Yes"), QStringLiteral("&Ja"));
    // No translation: a null string, so Qt keeps its own text.
    EXPECT_TRUE(t.translate("QPlatformTheme", "Cancel").isNull());
    EXPECT_TRUE(t.translate("QPlatformTheme", "").isNull());
    EXPECT_TRUE(t.translate("QPlatformTheme", nullptr).isNull());
    // Qt's texts keep LF line breaks.
    EXPECT_EQ(t.translate("X", "Two\nlines"), QStringLiteral("Zwei\nZeilen"));
    EXPECT_TRUE(t.translate("X", "Not\nknown").isNull());
    {
        TResourceStringRouting routing(*QCoreApplication::instance());
        ASSERT_TRUE(routing.Installed());
        QMessageBox box(QMessageBox::Question, QStringLiteral("t"), QStringLiteral("q"),
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        EXPECT_EQ(ButtonTexts(box), (QStringList{"&Ja", "&Nein", "Cancel"}));
        QLineEdit edit(QStringLiteral("x"));
        std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
        QStringList entries;
        for (QAction* a : menu->actions())
            entries << a->text().section(QLatin1Char('\t'), 0, 0);
        EXPECT_THAT(entries, ::testing::Contains(QStringLiteral("&Kopieren")));
    }
    // Removed with the routing: Qt's own texts again.
    QMessageBox box(QMessageBox::Question, QStringLiteral("t"), QStringLiteral("q"),
                    QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(ButtonTexts(box), (QStringList{"&No", "&Yes"}));
}

TEST_F(QtTextsTest, TruncatedOrForeignCatalogueLeavesQtItsOwnTextsAndIsLoggedOnce) {
    const QByteArray good = German();
    for (const QByteArray& bad :
         {good.left(good.size() / 2), QByteArray("not a catalogue at all")}) {
        Log.Lines.clear();
        Start(bad);
        // The runtime's own callers meet the described error...
        EXPECT_THROW(GnuGettext::gettext(QStringLiteral("&Yes")), EGnuGettext);
        // ...Qt never does.
        TResourceStringRouting routing(*QCoreApplication::instance());
        QMessageBox box(QMessageBox::Question, QStringLiteral("t"), QStringLiteral("q"),
                        QMessageBox::Yes | QMessageBox::No);
        EXPECT_EQ(ButtonTexts(box), (QStringList{"&No", "&Yes"}));
        TResourceStringTranslator t;
        EXPECT_TRUE(t.translate("QPlatformTheme", "&Yes").isNull());
        EXPECT_THAT(Log.Lines.filter(QStringLiteral("TranslateResourceText")),
                    ::testing::ElementsAre(::testing::Truly([](const QString& l) {
                        return l.startsWith(QLatin1String("ERROR: TranslateResourceText: "));
                    })))
            << Log.Lines.join(u'\n').toStdString();
        StopRuntime();
    }
}

TEST_F(QtTextsTest, AfterShutDownTextsComeBackUnchanged) {
    Start(German());
    EXPECT_EQ(TranslateResourceText(QStringLiteral("&Yes")), QStringLiteral("&Ja"));
    StopRuntime();
    EXPECT_EQ(TranslateResourceText(QStringLiteral("&Yes")), QStringLiteral("&Yes"));
    EXPECT_TRUE(TResourceStringTranslator().translate("QPlatformTheme", "&Yes").isNull());
}
