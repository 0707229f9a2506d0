#include "EditorFixture.h"

#include "catalogue/ConfigSelectU.h"
#include "editor/Folders.h"
#include "support/InfoBox2U.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QTimer>

namespace {

// Saving, clearing and the watch on a window with a real loaded form and the
// watch's real timer (at a short interval).
class WatchAndSaveTest : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        Image = MakeImage("Scan.png", {400, 300});
        Layout = FormPath("Scan.cfg");
        WriteLayout("Scan.cfg", "K,20,30\r\n");
        Load(Image);
        ASSERT_EQ(M->ConfigList(), QStringList{"K,20,30"});
        M->CheckFileTimer->setInterval(20);
        F->Platform.Fake.Boxes.clear();
    }
    // Rewrites the layout as another program would, its time later than any
    // the window has seen.
    void ChangeOnDisk(const QByteArray& bytes) {
        WriteLayout("Scan.cfg", bytes);
        QFile f(Layout);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(QDateTime::currentDateTime().addSecs(++Later * 10),
                                  QFileDevice::FileModificationTime));
    }
    // The watch's ticks run from the event loop while waiting.
    static bool Eventually(const std::function<bool()>& done) {
        return QTest::qWaitFor(done, 3000);
    }
    QString Image, Layout;
    int Later = 0;
};

TEST_F(WatchAndSaveTest, AnEditorSaveReloadsSilentlyAndTheNextOneAsks) {
    M->EditConfigBtnClick();
    EXPECT_EQ(F->Platform.Fake.ShellOpened, QStringList{Layout});
    ChangeOnDisk("K2,40,50\r\n");
    ASSERT_TRUE(Eventually([&] { return M->ConfigList() == QStringList{"K2,40,50"}; }));
    EXPECT_FALSE(M->EditInProgress);
    EXPECT_TRUE(F->Platform.Fake.Boxes.empty());
    EXPECT_TRUE(M->CheckListBox1->Checked(1));

    F->Platform.Fake.Answers = {BtnYes};
    ChangeOnDisk("Surname,60,70\r\n");
    ASSERT_TRUE(Eventually([&] { return M->ConfigList() == QStringList{"Surname,60,70"}; }));
    ASSERT_EQ(F->Platform.Fake.Boxes.size(), 1u);
    EXPECT_TRUE(F->Platform.Fake.Boxes[0].Text.startsWith(
        "The Form's Configuration file has changed on Disk."));
    EXPECT_TRUE(M->CheckFileTimer->isActive());
}

TEST_F(WatchAndSaveTest, AnEditorSaveAfterPlacementsInTheWindowAsksFirst) {
    ChooseKey("K2,a second key");
    Click({100, 100});
    ASSERT_TRUE(M->ConfigHasChanged());
    M->EditConfigBtnClick();
    F->Platform.Fake.Answers = {BtnNo};
    ChangeOnDisk("Surname,60,70\r\n");
    ASSERT_TRUE(Eventually([&] { return F->Platform.Fake.Boxes.size() == 1u; }));
    EXPECT_FALSE(M->EditInProgress);
    EXPECT_EQ(M->ConfigList(), (QStringList{"K,20,30", "K2,113,94"}));
    EXPECT_TRUE(M->ConfigHasChanged());
    QTest::qWait(100); // No: not asked again until the file changes again
    EXPECT_EQ(F->Platform.Fake.Boxes.size(), 1u);
}

TEST_F(WatchAndSaveTest, GarbageOnDiskIsReloadedWithoutHarm) {
    F->Platform.Fake.Answers = {BtnYes};
    // A NUL, empty fields, zero and overflowing numbers, then bytes past any text.
    static const char lines[] = "\x01\x00,\x02,,\r\nK,,\r\n,5,5\r\nK,0,0\r\nK2,9999999999,1\r\n";
    ChangeOnDisk(QByteArray(lines, sizeof lines - 1) + QByteArray(5000, '\x80'));
    ASSERT_TRUE(Eventually([&] { return F->Platform.Fake.Boxes.size() == 1u; }));
    ASSERT_TRUE(Eventually([&] { return M->ConfigList().size() == 6; }));
    // No line is a placement that can be drawn: the picture stays white.
    EXPECT_TRUE(PixelBounds(Picture(), NotWhite).isEmpty());
}

TEST_F(WatchAndSaveTest, ALayoutGoneOrReplacedByAFolderIsNoChange) {
    QFile::remove(Layout);
    QTest::qWait(80);
    QDir().mkpath(Layout);
    QTest::qWait(80);
    EXPECT_TRUE(F->Platform.Fake.Boxes.empty());
    EXPECT_EQ(M->ConfigList(), QStringList{"K,20,30"});
    EXPECT_TRUE(M->CheckFileTimer->isActive());
}

TEST_F(WatchAndSaveTest, ClearYesDeletesTheLayoutAndKeepsTheCatalogueEntry) {
    CustomAliasIni->WriteString(CurrentCountry, "ScanKey", "Scan");
    F->Platform.Fake.Answers = {BtnYes};
    M->ClearBtnClick();
    EXPECT_FALSE(QFile::exists(Layout));
    EXPECT_TRUE(M->ConfigList().isEmpty());
    EXPECT_FALSE(M->ConfigHasChanged());
    EXPECT_FALSE(M->EditConfigBtn->isEnabled());
    for (int row = 0; row < M->CheckListBox1->Items().size(); ++row)
        EXPECT_FALSE(M->CheckListBox1->Checked(row)) << row;
    EXPECT_TRUE(PixelBounds(Picture(), NotWhite).isEmpty());
    EXPECT_EQ(CustomAliasIni->ReadString(CurrentCountry, "ScanKey", ""), "Scan");
}

TEST_F(WatchAndSaveTest, ClearReportsALayoutThatCannotBeDeleted) {
    // A folder by the layout's name stays whatever a delete of a file tries.
    ASSERT_TRUE(QFile::remove(Layout));
    ASSERT_TRUE(QDir().mkpath(Layout + "/inside"));
    F->Platform.Fake.Answers = {BtnYes};
    M->ClearBtnClick();
    const QStringList texts = F->Platform.Fake.BoxTexts();
    ASSERT_GE(texts.size(), 2) << texts.join("; ").toStdString();
    EXPECT_EQ(texts[0], "Are you sure you want to clear the current configuration?");
    // Told before the reload, which then meets the same path.
    EXPECT_TRUE(texts[1].startsWith("Error deleting config file: ")) << texts[1].toStdString();
    EXPECT_GT(texts[1].size(), QString("Error deleting config file: ").size());
    EXPECT_TRUE(QFileInfo(Layout).isDir());
}

TEST_F(WatchAndSaveTest, ClosingWithUnsavedPlacementsSavesOnYes) {
    ChooseKey("Surname,Family name of the person");
    Click({50, 60});
    bool selectionShown = false;
    F->SelectionDialog->Action = [&](QDialog* d) {
        selectionShown = true;
        d->reject();
    };
    F->Platform.Fake.Answers = {BtnYes, BtnOk};
    M->close();
    ASSERT_GE(F->Platform.Fake.Boxes.size(), 2u);
    EXPECT_EQ(F->Platform.Fake.Boxes[0].Text, "Config has changed. Save?");
    EXPECT_EQ(F->Platform.Fake.Boxes[0].Default, BtnNo);
    EXPECT_TRUE(F->Platform.Fake.Boxes[1].Text.startsWith(
        "The Form is not yet available in the Configuration file."));
    EXPECT_TRUE(selectionShown);
    EXPECT_EQ(F->Profile.Read(Layout), QByteArray("K,20,30\r\nSurname,63,54\r\n"));
    EXPECT_FALSE(M->CheckFileTimer->isActive());
}

// A record the catalogue holds but the INI document refuses to write (a line
// break in the image's name) costs the layout nothing: it is saved, the
// refusal logged, the notice shown, and no error box claims the save failed.
TEST_F(WatchAndSaveTest, AKnownFormTheCatalogueCannotWriteIsStillSaved) {
    const QString alias = "Two\nLines";
    Load(MakeImage(alias + ".png", {400, 300}));
    ASSERT_EQ(M->AliasName, alias);
    ASSERT_NE(FormCatalogue, nullptr);
    FormCatalogue->Add("CustomForm-7", alias);
    const QByteArray catalogueBefore = F->Profile.Read(FormsFolder + "CustomFormAliases.ini");
    ChooseKey("K");
    Click({30, 40});
    F->Platform.Fake.Boxes.clear();
    M->SaveBtn->click();
    EXPECT_EQ(F->Profile.Read(FormPath(alias + ".cfg")), QByteArray("K,43,34\r\n"));
    EXPECT_FALSE(M->ConfigHasChanged());
    EXPECT_TRUE(F->Platform.Fake.Boxes.empty())
        << F->Platform.Fake.BoxTexts().join("|").toStdString();
    ASSERT_NE(InfoForm2, nullptr);
    EXPECT_TRUE(InfoForm2->isVisible());
    EXPECT_FALSE(F->LogLines().filter("SaveAliasInifile: ").isEmpty());
    EXPECT_EQ(F->Profile.Read(FormsFolder + "CustomFormAliases.ini"), catalogueBefore);
}

TEST_F(WatchAndSaveTest, AKnownFormIsRecordedAndNoticedOnEverySave) {
    Load(FormPath("Example Form.png"));
    ASSERT_EQ(M->AliasName, "Example Form");
    ASSERT_TRUE(F->Platform.Fake.Boxes.empty())
        << F->Platform.Fake.BoxTexts().join("|").toStdString();
    ChooseKey("K");
    Click({30, 40});
    const QFontMetrics fm([] {
        QFont f("Tahoma", 12);
        f.setBold(true);
        return f;
    }());
    const QString notice = "Form saved as \"Example Form\" under Key \"ExampleForm\"";
    for (int save = 0; save < 2; ++save) {
        if (InfoForm2)
            InfoForm2->hide();
        M->SaveBtn->click();
        EXPECT_EQ(F->Profile.Read(FormPath("Example Form.cfg")), QByteArray("K,43,34\r\n"));
        ASSERT_NE(InfoForm2, nullptr);
        EXPECT_TRUE(InfoForm2->isVisible()) << save;
        EXPECT_EQ(InfoForm2->width(), fm.horizontalAdvance(notice) + 50);
        EXPECT_EQ(InfoForm2->FDelay, 3000);
        EXPECT_FALSE(M->ConfigHasChanged());
    }
    EXPECT_TRUE(F->Platform.Fake.Boxes.empty());
    EXPECT_TRUE(F->Profile.Read(FormsFolder + "CustomFormAliases.ini")
                    .contains("ExampleForm=Example Form"));
    QTest::qWait(80); // the program's own write is no change
    EXPECT_TRUE(F->Platform.Fake.Boxes.empty());
}

} // namespace
