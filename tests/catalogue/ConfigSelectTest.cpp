#include "common/SpineFixture.h"

#include "catalogue/CatalogueFiles.h"
#include "catalogue/ConfigSelectU.h"
#include "editor/Folders.h"
#include "support/InfoBox2U.h"
#include "support/Termination.h"

#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

// The user's catalogue for New Zealand holds the given lines before start-up.
class ConfigSelectTest : public ::testing::Test {
protected:
    void Start(const QStringList& newZealandLines) {
        QByteArray ini = "[New Zealand]\r\n";
        for (const QString& l : newZealandLines)
            ini += l.toLatin1() + "\r\n";
        F.Profile.Write(F.Profile.Forms() + "CustomFormAliases.ini", ini);
        F.Show();
        F.Platform.Fake.Boxes.clear();
        F.Platform.Fake.Beeps.clear();
        D = ConfigSelectForm;
        D->FAliasFilename = "My Scan";
    }
    void Open() { D->show(); }
    QString UserCatalogue() const {
        return QString::fromLatin1(F.Profile.Read(F.Profile.Forms() + "CustomFormAliases.ini"));
    }
    QListWidgetItem* Item(const QString& text) const {
        const auto found = D->CheckListBox1->findItems(text, Qt::MatchExactly);
        return found.isEmpty() ? nullptr : found.first();
    }
    SpineFixture F;
    TConfigSelectForm* D = nullptr;
};

TEST_F(ConfigSelectTest, ProposesTheNextCustomKeyFromTheLastPrefixedOne) {
    struct Case {
        QStringList keys;
        const char* proposal;
    } cases[] = {
        {{"CustomForm-3=a", "CustomForm-7=b"}, "CustomForm-8"},
        {{"CustomForm-7=a", "CustomForm-3=b"}, "CustomForm-4"},
        {{"customform-5=a"}, "CustomForm-6"},
        {{"CustomForm-999=a"}, "CustomForm-1000"},
        {{"CustomForm-1000=a"}, "CustomForm-101"},
        {{"Other=a"}, ""},
    };
    for (const auto& c : cases) {
        SpineFixture f;
        QByteArray ini = "[New Zealand]\r\n";
        for (const QString& l : c.keys)
            ini += l.toLatin1() + "\r\n";
        f.Profile.Write(f.Profile.Forms() + "CustomFormAliases.ini", ini);
        f.Show();
        ConfigSelectForm->KeyEdit->setText("typed before");
        ConfigSelectForm->show();
        EXPECT_EQ(ConfigSelectForm->KeyEdit->text(), c.proposal) << c.keys.join(" ").toStdString();
        EXPECT_FALSE(ConfigSelectForm->SaveBtn->isEnabled());
        EXPECT_TRUE(ConfigSelectForm->NewBtn->isEnabled());
        ConfigSelectForm->hide();
    }
}

TEST_F(ConfigSelectTest, AnUnreadableCustomNumberIsReportedAndKeepsTheKeyBox) {
    Start({"CustomForm-x=a"});
    D->KeyEdit->setText("mine");
    Open();
    EXPECT_EQ(D->KeyEdit->text(), "mine");
    ASSERT_EQ(F.Platform.Fake.Boxes.size(), 1u);
    EXPECT_EQ(F.Platform.Fake.Boxes[0].Text,
              "An ERROR occured saving the Custom Form.\r\n"
              "Please contact Kestrova Limited with a copy of the Debug file..");
    EXPECT_EQ(F.Platform.Fake.Beeps, std::vector<BeepSound>{BeepStop});
    EXPECT_TRUE(F.LogLines().contains(
        "ERROR: ConfigSelectForm.NewBtnClick: Failed decoding Custom number"));
    // New Config with an empty key box reports it again and saves nothing.
    D->KeyEdit->clear();
    D->NewBtnClick();
    EXPECT_EQ(F.Platform.Fake.Boxes.size(), 2u);
    EXPECT_TRUE(D->isVisible());
    EXPECT_FALSE(UserCatalogue().contains("My Scan"));
}

TEST_F(ConfigSelectTest, NewConfigWithoutCustomKeysSavesUnderCustomFormZero) {
    Start({"Passport=", "Licence=lic"});
    Open();
    EXPECT_EQ(D->CheckListBox1->count(), 2 + 2); // and the two merged from the companion
    EXPECT_TRUE(Item("Passport="));
    EXPECT_TRUE(D->KeyEdit->text().isEmpty());
    D->NewBtnClick();
    EXPECT_FALSE(D->isVisible());
    EXPECT_TRUE(UserCatalogue().contains("CustomForm-0=My Scan\r\n"));
    EXPECT_TRUE(FormCatalogue->GetFormByKey("CustomForm-0"));
    EXPECT_TRUE(InfoForm2->isVisible());
    // Opening again lists each record once, the new one included.
    Open();
    EXPECT_EQ(D->CheckListBox1->count(), 5);
    EXPECT_TRUE(Item("CustomForm-0=My Scan"));
}

TEST_F(ConfigSelectTest, AnEmptiedKeyBoxOnlyTakesTheProposalFirst) {
    Start({"CustomForm-2=a"});
    Open();
    D->KeyEdit->clear();
    D->NewBtnClick();
    EXPECT_EQ(D->KeyEdit->text(), "CustomForm-3");
    EXPECT_TRUE(D->isVisible());
    EXPECT_FALSE(UserCatalogue().contains("My Scan"));
    D->NewBtnClick();
    EXPECT_TRUE(UserCatalogue().contains("CustomForm-3=My Scan"));
}

TEST_F(ConfigSelectTest, AnImageAlreadyInTheCatalogueIsRefused) {
    Start({"My Scan=other"}); // by key, not only by file name
    Open();
    D->NewBtnClick();
    ASSERT_EQ(F.Platform.Fake.Boxes.size(), 1u);
    EXPECT_EQ(F.Platform.Fake.Boxes[0].Text,
              "This File name already exists in the Configuration file.");
    EXPECT_FALSE(D->isVisible());
    EXPECT_FALSE(UserCatalogue().contains("=My Scan"));
}

TEST_F(ConfigSelectTest, KeysThatCannotStandInTheFileAreRefused) {
    Start({});
    const char* bad[] = {"a=b", ";comment", "[section", " padded", "padded ", "   "};
    for (const char* key : bad) {
        Open();
        D->KeyEdit->setText(key);
        F.Platform.Fake.Boxes.clear();
        D->NewBtnClick();
        ASSERT_EQ(F.Platform.Fake.Boxes.size(), 1u) << key;
        EXPECT_EQ(F.Platform.Fake.Boxes[0].Text,
                  "This key name cannot be used in the Configuration file.");
        EXPECT_TRUE(D->isVisible()) << key;
    }
    EXPECT_FALSE(UserCatalogue().contains("My Scan"));
}

TEST_F(ConfigSelectTest, ATypedKeyWithAFormAsksBeforeOverwriting) {
    Start({"Licence=lic"});
    Open();
    D->KeyEdit->setText("licence");
    F.Platform.Fake.Answers = {BtnNo};
    D->NewBtnClick();
    EXPECT_TRUE(F.Platform.Fake.BoxTexts().last().startsWith(
        "This Key has already a Form associated with it!\r\n"));
    EXPECT_TRUE(D->isVisible());
    F.Platform.Fake.Answers = {BtnYes};
    D->NewBtnClick();
    EXPECT_FALSE(D->isVisible());
    EXPECT_TRUE(UserCatalogue().contains("cence=My Scan")) << UserCatalogue().toStdString();
}

TEST_F(ConfigSelectTest, SaveOnAKeyWithoutAFormWritesAtOnce) {
    Start({"Passport=", "Licence=lic"});
    Open();
    QListWidgetItem* item = Item("Passport=");
    item->setCheckState(Qt::Checked);
    EXPECT_EQ(D->KeyEdit->text(), "Passport");
    EXPECT_FALSE(D->KeyEdit->isEnabled());
    EXPECT_FALSE(D->NewBtn->isEnabled());
    EXPECT_TRUE(D->SaveBtn->isEnabled());
    D->SaveBtnClick();
    EXPECT_TRUE(F.Platform.Fake.Boxes.empty());
    EXPECT_TRUE(UserCatalogue().contains("Passport=My Scan"));
    EXPECT_TRUE(F.LogLines().contains(
        "DEBUG3: ConfigSelectForm.Save: Saving from selected entry: Passport"));
}

TEST_F(ConfigSelectTest, SaveOnAKeyWithAFormAndNoWritesNothing) {
    Start({"Passport=", "Licence=lic"});
    Open();
    Item("Passport=")->setCheckState(Qt::Checked);
    Item("Licence=lic")->setCheckState(Qt::Checked);
    EXPECT_EQ(Item("Passport=")->checkState(), Qt::Unchecked); // at most one checked
    EXPECT_EQ(D->KeyEdit->text(), "Licence");
    F.Platform.Fake.Answers = {BtnNo};
    D->SaveBtnClick();
    EXPECT_EQ(F.Platform.Fake.Boxes.back().Default, BtnNo);
    EXPECT_EQ(F.Platform.Fake.Beeps.back(), BeepQuestion);
    EXPECT_TRUE(D->isVisible());
    EXPECT_TRUE(UserCatalogue().contains("Licence=lic"));
    // The next opening offers New Config and an editable key box again.
    D->hide();
    Open();
    EXPECT_TRUE(D->NewBtn->isEnabled());
    EXPECT_TRUE(D->KeyEdit->isEnabled());
}

// An image base name the INI document refuses (Linux allows line breaks in
// file names) fails like any write of the user's copy: logged, kept in the
// catalogue, the notice shown, and nothing in the file that reads as a key.
TEST_F(ConfigSelectTest, AnAssignmentTheFileRefusesIsLoggedAndKeptInTheCatalogue) {
    const char* names[] = {"Bad\nName", "Bad\r\nOther=x", "Bad\r[Australia]"};
    for (const bool viaSave : {true, false}) {
        for (const char* name : names) {
            SCOPED_TRACE(testing::Message() << (viaSave ? "Save " : "New Config ") << name);
            SpineFixture f;
            const QString path = f.Profile.Forms() + "CustomFormAliases.ini";
            f.Profile.Write(path, "[New Zealand]\r\nPassport=\r\nLicence=lic\r\n");
            f.Show();
            f.Platform.Fake.Boxes.clear();
            const QByteArray before = f.Profile.Read(path);
            TConfigSelectForm* d = ConfigSelectForm;
            d->FAliasFilename = QString::fromLatin1(name);
            d->show();
            if (viaSave) {
                const auto found = d->CheckListBox1->findItems("Passport=", Qt::MatchExactly);
                ASSERT_EQ(found.size(), 1);
                found.first()->setCheckState(Qt::Checked);
                d->SaveBtnClick();
            } else {
                d->NewBtnClick();
            }
            const QString key = viaSave ? "Passport" : "CustomForm-0";
            EXPECT_TRUE(f.Platform.Fake.Boxes.empty())
                << f.Platform.Fake.BoxTexts().join("|").toStdString();
            EXPECT_FALSE(d->isVisible());
            const TDralForm* kept = FormCatalogue->GetForm(d->FAliasFilename);
            ASSERT_TRUE(kept);
            EXPECT_EQ(kept->KeyName, key);
            int logged = 0;
            for (const QString& line : f.LogLines())
                logged += line.startsWith("ERROR: SaveAliasInifile: ");
            EXPECT_EQ(logged, 1);
            ASSERT_TRUE(InfoForm2);
            EXPECT_TRUE(InfoForm2->isVisible());
            InfoForm2->hide();
            // Nothing reached the file, so nothing can read back as another key.
            EXPECT_EQ(f.Profile.Read(path), before);
            const TIniDocument back(path);
            EXPECT_FALSE(back.ValueExists("New Zealand", "Other"));
            EXPECT_FALSE(back.SectionExists("Australia") && !before.contains("[Australia]"));
            EXPECT_EQ(back.ReadString("New Zealand", "Passport", "?"), "");
        }
    }
}

TEST_F(ConfigSelectTest, AMissingCompanionCatalogueEndsTheProgram) {
    Start({});
    QFile::remove(FormsFolder + "KestrovaFormAliases.ini");
    Open();
    ASSERT_EQ(F.Platform.Fake.Boxes.size(), 1u);
    EXPECT_EQ(F.Platform.Fake.Boxes[0].Text,
              QString("The Kestrova Forms package is not installed on this PC.\r\n"
                      "Please download and install from %1.")
                  .arg(DownloadPage));
    EXPECT_TRUE(TerminationRequested());
}

} // namespace
