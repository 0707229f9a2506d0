#include "common/SpineFixture.h"

#include "catalogue/CatalogueFiles.h"
#include "catalogue/ConfigSelectU.h"
#include "editor/Folders.h"
#include "editor/MainFormU.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

class SavingTest : public ::testing::Test {
protected:
    void SetUp() override {
        F.Show();
        CurrentCountry = "New Zealand";
        M = F.Main;
        M->AliasName = "Unknown Scan";
        M->Document->Load(FormsFolder + "New Zealand/Unknown Scan.cfg");
        M->Document->PlacePoint("FullName", 113, 44);
        M->Document->PlaceBox("Clothing", 113, 144, 300, 60);
        F.Platform.Fake.Boxes.clear();
        F.Platform.Fake.Beeps.clear();
    }
    // Closes the selection dialog as soon as it is shown, noting that it was.
    void CloseSelectionDialogWhenShown() {
        F.SelectionDialog->Action = [this](QDialog* d) {
            DialogShown = true;
            ShownFor = ConfigSelectForm->FAliasFilename;
            d->reject();
        };
    }
    SpineFixture F;
    TMainForm* M = nullptr;
    bool DialogShown = false;
    QString ShownFor;
};

TEST_F(SavingTest, AnUnknownFormIsWrittenThenOfferedToTheSelectionDialog) {
    CloseSelectionDialogWhenShown();
    M->SaveConfig();
    EXPECT_EQ(F.Profile.Read(M->CFGFilename()),
              QByteArray("FullName,113,44\r\nClothing,113,144,300,60\r\n"));
    EXPECT_FALSE(M->ConfigHasChanged());
    EXPECT_TRUE(M->CheckFileTimer->isActive());
    EXPECT_TRUE(M->EditConfigBtn->isEnabled());
    EXPECT_GT(M->LastFileTime, 0);
    ASSERT_EQ(F.Platform.Fake.Boxes.size(), 1u);
    EXPECT_EQ(F.Platform.Fake.Boxes[0].Text,
              "The Form is not yet available in the Configuration file.\r\n"
              "Please select which Kestrova Form this from the list,\r\n"
              "or make a NEW entry for this Form.");
    EXPECT_EQ(F.Platform.Fake.Boxes[0].Buttons, BtnOk);
    EXPECT_EQ(F.Platform.Fake.Beeps, std::vector<BeepSound>{BeepQuestion});
    EXPECT_TRUE(DialogShown);
    EXPECT_EQ(ShownFor, "Unknown Scan");
    // The program's own write is no change for the watch.
    EXPECT_FALSE(M->FileHasChanged());
}

TEST_F(SavingTest, AMissingCountryFolderGivesBothTextsAndKeepsThePlacements) {
    QDir(FormsFolder + "New Zealand").removeRecursively();
    M->SaveConfig();
    const QStringList log = F.LogLines();
    EXPECT_TRUE(log.last().startsWith("ERROR: Error saving Config file: " + FormsFolder +
                                      "New Zealand/Unknown Scan.cfg : "));
    ASSERT_EQ(F.Platform.Fake.Boxes.size(), 1u);
    EXPECT_TRUE(
        F.Platform.Fake.Boxes[0].Text.startsWith("Error saving Config file: Unknown Scan.cfg ; "));
    EXPECT_TRUE(M->ConfigHasChanged());
    EXPECT_TRUE(M->CheckFileTimer->isActive());
    EXPECT_EQ(M->ConfigList().size(), 2);

    QDir().mkpath(FormsFolder + "New Zealand");
    CloseSelectionDialogWhenShown();
    M->SaveConfig();
    EXPECT_FALSE(M->ConfigHasChanged());
    EXPECT_TRUE(QFile::exists(M->CFGFilename()));
}

TEST_F(SavingTest, SavingWithNoImageLoadedReportsTheFailure) {
    M->Document->Load(QString());
    M->Document->PlacePoint("FullName", 113, 44);
    M->SaveConfig();
    ASSERT_EQ(F.Platform.Fake.Boxes.size(), 1u);
    EXPECT_TRUE(F.Platform.Fake.Boxes[0].Text.startsWith("Error saving Config file: "));
    EXPECT_TRUE(M->ConfigHasChanged());
}

TEST_F(SavingTest, TheWatchComparesTimesToTheMillisecond) {
    F.Profile.Write(M->CFGFilename(), "A,1,1\r\n");
    M->LastFileTime = 46000.5;
    struct Case {
        double onDisk;
        bool changed;
    } cases[] = {{46000.5, false},
                 {46000.4, false},
                 {46000.5 + 0.4 / 86400000.0, false},
                 {46000.5 + 1.0 / 86400000.0, true},
                 {46001.0, true}};
    for (const auto& c : cases) {
        F.Platform.Fake.Times[M->CFGFilename()] = FileTimes{0, c.onDisk, 0};
        EXPECT_EQ(M->FileHasChanged(), c.changed) << c.onDisk;
        EXPECT_EQ(M->CurrentFileTime, c.onDisk);
    }
}

TEST_F(SavingTest, AGoneOrReplacedLayoutFileIsNoChange) {
    M->LastFileTime = 0;
    EXPECT_FALSE(M->FileHasChanged()); // not there
    QDir().mkpath(M->CFGFilename());   // a folder in its place
    EXPECT_FALSE(M->FileHasChanged());
    EXPECT_EQ(M->CurrentFileTime, 0);
    EXPECT_TRUE(F.LogLines().contains("ERROR: GetFiletimes failed"));
    M->CheckFileTimerTimer();
    EXPECT_TRUE(F.Platform.Fake.Boxes.empty());
}

TEST_F(SavingTest, AChangeOnDiskAsksOnceAndNoKeepsTheWindowsLayout) {
    F.Profile.Write(M->CFGFilename(), "A,1,1\r\n");
    M->LastFileTime = 1;
    F.Platform.Fake.Times[M->CFGFilename()] = FileTimes{0, 2, 0};
    M->CheckFileTimer->start();
    F.Platform.Fake.Answers = {BtnNo};
    M->CheckFileTimerTimer();
    ASSERT_EQ(F.Platform.Fake.Boxes.size(), 1u);
    EXPECT_EQ(F.Platform.Fake.Boxes[0].Text,
              "The Form's Configuration file has changed on Disk.\r\n"
              "If you Reload from Disk, any change you have made since last Save will be lost.\r\n"
              "Reload the Form from disk?");
    EXPECT_EQ(F.Platform.Fake.Boxes[0].Default, BtnYes);
    EXPECT_EQ(M->LastFileTime, 2);
    EXPECT_TRUE(M->CheckFileTimer->isActive());
    EXPECT_EQ(M->ConfigList().size(), 2); // kept
    M->CheckFileTimerTimer();
    EXPECT_EQ(F.Platform.Fake.Boxes.size(), 1u); // not asked again
}

TEST_F(SavingTest, AnEditorChangeAsksWhenThereAreUnsavedPlacements) {
    F.Profile.Write(M->CFGFilename(), "A,1,1\r\n");
    M->EditConfigBtnClick();
    EXPECT_TRUE(M->EditInProgress);
    EXPECT_EQ(F.Platform.Fake.ShellOpened, QStringList{M->CFGFilename()});
    M->LastFileTime = 1;
    F.Platform.Fake.Times[M->CFGFilename()] = FileTimes{0, 2, 0};
    F.Platform.Fake.Answers = {BtnNo};
    M->CheckFileTimerTimer();
    EXPECT_EQ(F.Platform.Fake.Boxes.size(), 1u);
    EXPECT_FALSE(M->EditInProgress);
    EXPECT_EQ(M->ConfigList().size(), 2);
}

TEST_F(SavingTest, EditConfigWithoutALayoutFileDoesNothing) {
    M->EditConfigBtnClick();
    EXPECT_FALSE(M->EditInProgress);
    EXPECT_TRUE(F.Platform.Fake.ShellOpened.isEmpty());
}

TEST_F(SavingTest, ClearAnsweredNoChangesNothing) {
    F.Profile.Write(M->CFGFilename(), "A,1,1\r\n");
    F.Platform.Fake.Answers = {BtnNo};
    M->ClearBtnClick();
    EXPECT_EQ(F.Platform.Fake.Boxes[0].Text,
              "Are you sure you want to clear the current configuration?");
    EXPECT_EQ(F.Platform.Fake.Boxes[0].Default, BtnNo);
    EXPECT_TRUE(QFile::exists(M->CFGFilename()));
    EXPECT_EQ(M->ConfigList().size(), 2);
}

} // namespace
