#include "CatalogueTestSupport.h"

#include "catalogue/CountryU.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

const QString FolderQuestion = "The Country folder has been generated as  %1\r\nDo you want to "
                               "open the folder?";
const QString NewCountryQuestion = "This will generate a new Country, Folder, and initial "
                                   "database.\r\nAre you sure you want to continue?";

class CountryDialog : public CatalogueProfile {
protected:
    std::unique_ptr<TCountryForm> Form;
    const QByteArray Png = QByteArray("\x89PNG\r\n\x1A\n example", 16);

    void SetUp() override {
        CatalogueProfile::SetUp();
        Form = std::make_unique<TCountryForm>();
    }
    void TearDown() override {
        Form.reset();
        CatalogueProfile::TearDown();
    }

    // A later start's state: both catalogues on disk and open, the user's copy
    // listing the countries, the template country with keys A and B.
    void Seed(const QByteArray& custom = "[New Zealand]\r\nA=nz_a\r\nB=nz_b\r\n[Fiji]\r\nF=f\r\n",
              bool example = true) {
        P.Write(KestrovaPath(), "[Dral]\r\nCountrySelect=Fiji\r\n");
        P.Write(CustomPath(), custom);
        if (example)
            P.Write(P.Forms() + "New Zealand/Example Form.png", Png);
        OpenCatalogueFiles();
        CountryList = CustomAliasIni->ReadSections();
        CurrentCountry = "Fiji";
    }
    // Opens the dialog as the program does (without a nested loop) and clears
    // the log, so each test sees only what its action writes.
    void Open() {
        Form->show();
        ClearLog();
    }
    void AddNew(const QString& name) {
        Form->Edit1->setText(name);
        Form->NewBtn->click();
    }
    QString SavedCountry() const {
        return TIniDocument(KestrovaPath()).ReadString("Dral", "CountrySelect", "<none>");
    }
    QStringList FormsEntries() const {
        QStringList out = QDir(P.Forms()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        out.removeAll("FormDesigner-debug.txt");
        return out;
    }
};

TEST_F(CountryDialog, Layout) {
    EXPECT_EQ(Form->windowTitle(), "Country");
    EXPECT_EQ(Form->size(), QSize(297, 159));
    EXPECT_EQ(Form->minimumSize(), Form->maximumSize());
    EXPECT_EQ(Form->font().family(), "Tahoma");
    EXPECT_EQ(Form->font().pointSize(), 8);
    EXPECT_EQ(Form->Label1->text(), "Please select your Counry");
    EXPECT_EQ(Form->NewBtn->text(), "Add New Country");
    EXPECT_EQ(Form->OKBtn->text(), "OK");
    EXPECT_EQ(Form->CancelBtn->text(), "Cancel");
    EXPECT_TRUE(Form->OKBtn->isDefault());
    EXPECT_TRUE(Form->CountryComboBox->isEditable());
    struct Case {
        QWidget* w;
        const char* name;
        QRect geometry;
    } cases[] = {
        {Form->CountryComboBox, "CountryComboBox", {17, 32, 179, 21}},
        {Form->Edit1, "Edit1", {17, 75, 158, 21}},
        {Form->NewBtn, "NewBtn", {185, 75, 100, 21}},
        {Form->OKBtn, "OKBtn", {129, 120, 75, 25}},
        {Form->CancelBtn, "CancelBtn", {210, 120, 75, 25}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.w->objectName(), c.name);
        EXPECT_EQ(c.w->geometry(), c.geometry) << c.name;
    }
    EXPECT_EQ(Form->Label1->objectName(), "Label1");
    EXPECT_EQ(Form->Label1->pos(), QPoint(17, 8));
    // Tab order: combo box, Add New Country, new name, Cancel, OK (the combo
    // box's own line edit sits in the chain too).
    const QList<QWidget*> ours = {Form->CountryComboBox, Form->NewBtn, Form->Edit1, Form->CancelBtn,
                                  Form->OKBtn};
    QList<QWidget*> chain;
    QWidget* w = Form->CountryComboBox;
    do {
        if (ours.contains(w))
            chain << w;
        w = w->nextInFocusChain();
    } while (w != Form->CountryComboBox && chain.size() < 10);
    EXPECT_EQ(chain, ours);
}

TEST_F(CountryDialog, ShowListsEachCountryOnceAndSelectsTheCurrentOne) {
    CountryList = {"NZ", "Dral", "nz", "Fiji"};
    struct Case {
        QString current;
        int index;
        QString text;
    } cases[] = {{"fiji", 2, "Fiji"}, {"Atlantis", -1, ""}, {"", -1, ""}};
    for (const auto& c : cases) {
        CurrentCountry = c.current;
        Form->Edit1->setText("left over");
        Form->CountryComboBox->setEditText("typed");
        Form->show();
        ASSERT_EQ(Form->CountryComboBox->count(), 3);
        EXPECT_EQ(Form->CountryComboBox->itemText(0), "NZ");
        EXPECT_EQ(Form->CountryComboBox->itemText(1), "Dral");
        EXPECT_EQ(Form->CountryComboBox->itemText(2), "Fiji");
        EXPECT_EQ(Form->CountryComboBox->currentIndex(), c.index);
        EXPECT_EQ(Form->CountryComboBox->currentText(), c.text);
        EXPECT_EQ(Form->Edit1->text(), "");
        Form->hide();
    }
}

TEST_F(CountryDialog, OkWithEmptyTextBeepsAndStaysOpen) {
    Seed();
    CurrentCountry = "Atlantis"; // not listed, so nothing is selected
    Open();
    Form->OKBtn->click();
    EXPECT_EQ(Fake.Beeps, std::vector<BeepSound>{BeepExclamation});
    EXPECT_TRUE(Form->isVisible());
    EXPECT_EQ(CurrentCountry, "Atlantis");
    EXPECT_EQ(SavedCountry(), "Fiji");
}

TEST_F(CountryDialog, OkTakesAPickedOrTypedNameWithoutMakingAFolder) {
    for (const QString name : {"New Zealand", "Atlantis"}) {
        Seed();
        Open();
        const QStringList before = FormsEntries();
        Form->CountryComboBox->setEditText(name);
        Form->OKBtn->click();
        EXPECT_FALSE(Form->isVisible());
        EXPECT_EQ(Form->result(), QDialog::Accepted);
        EXPECT_EQ(CurrentCountry, name);
        EXPECT_EQ(SavedCountry(), name);
        EXPECT_EQ(FormsEntries(), before);
        EXPECT_TRUE(Fake.Boxes.empty());
        KestrovaAliasIni.reset();
        CustomAliasIni.reset();
    }
}

TEST_F(CountryDialog, CancelChangesNothing) {
    Seed();
    Open();
    Form->CountryComboBox->setEditText("Atlantis");
    Form->CancelBtn->click();
    EXPECT_EQ(Form->result(), QDialog::Rejected);
    EXPECT_EQ(CurrentCountry, "Fiji");
    EXPECT_EQ(SavedCountry(), "Fiji");
}

TEST_F(CountryDialog, NamesThatCannotBeFoldersAreRefused) {
    const QString names[] = {"../Escape", "a/b",    "a\\b", ".",   "..",
                             " Lead",     "Trail ", "[Br",  "Br]", "Bell\x07"};
    Seed();
    const QByteArray custom = P.Read(CustomPath());
    const QByteArray kestrova = P.Read(KestrovaPath());
    const QStringList entries = FormsEntries();
    for (const QString& name : names) {
        for (bool viaNew : {false, true}) {
            Open();
            Fake.Boxes.clear();
            Fake.Beeps.clear();
            if (viaNew) {
                AddNew(name);
            } else {
                Form->CountryComboBox->setEditText(name);
                Form->OKBtn->click();
            }
            EXPECT_EQ(Log(), QStringList{"ERROR: Country name invalid: " + name});
            EXPECT_EQ(Fake.Beeps, std::vector<BeepSound>{BeepStop});
            ASSERT_EQ(Fake.Boxes.size(), 1u);
            EXPECT_EQ(Fake.Boxes[0].Kind, BoxKind::Error);
            EXPECT_EQ(Fake.Boxes[0].Text, "This name cannot be used for a country folder.");
            EXPECT_TRUE(Form->isVisible());
            EXPECT_EQ(CurrentCountry, "Fiji");
            EXPECT_EQ(CountryList, (QStringList{"New Zealand", "Fiji"}));
            Form->hide();
        }
    }
    EXPECT_EQ(P.Read(CustomPath()), custom);
    EXPECT_EQ(P.Read(KestrovaPath()), kestrova);
    EXPECT_EQ(FormsEntries(), entries);
    EXPECT_FALSE(QFileInfo::exists(P.Documents() + "/Kestrova/Escape"));
}

TEST_F(CountryDialog, NewCountryThatExistsOrIsEmptyIsRefused) {
    Seed();
    for (const QString name : {"", "fiji", "NEW ZEALAND"}) {
        Open();
        Fake.Beeps.clear();
        AddNew(name);
        EXPECT_EQ(Log(), QStringList{"ERROR: Country exists or empty"});
        EXPECT_EQ(Fake.Beeps, std::vector<BeepSound>{BeepStop});
        EXPECT_TRUE(Fake.Boxes.empty());
        EXPECT_TRUE(Form->isVisible());
        Form->hide();
    }
    EXPECT_EQ(CurrentCountry, "Fiji");
}

TEST_F(CountryDialog, DecliningTheQuestionChangesNothing) {
    Seed();
    const QByteArray custom = P.Read(CustomPath());
    Open();
    AddNew("Samoa"); // the question defaults to No
    ASSERT_EQ(Fake.Boxes.size(), 1u);
    EXPECT_EQ(Fake.Boxes[0].Kind, BoxKind::Confirmation);
    EXPECT_EQ(Fake.Boxes[0].Text, NewCountryQuestion);
    EXPECT_EQ(Fake.Boxes[0].Buttons, BtnYes | BtnNo);
    EXPECT_EQ(Fake.Boxes[0].Default, BtnNo);
    EXPECT_EQ(CurrentCountry, "Fiji");
    EXPECT_EQ(Form->CountryComboBox->count(), 2);
    EXPECT_FALSE(QFileInfo::exists(P.Forms() + "Samoa"));
    EXPECT_EQ(P.Read(CustomPath()), custom);
    EXPECT_TRUE(Form->isVisible());
}

TEST_F(CountryDialog, NewCountryGetsTheTemplateKeysItsFolderAndTheExample) {
    Seed();
    Catalogue().Add("F", "f");
    Open();
    Fake.Answers = {BtnYes, BtnYes};
    AddNew("Samoa");
    const QString folder = P.Forms() + "Samoa";
    EXPECT_EQ(Form->result(), QDialog::Accepted);
    EXPECT_FALSE(Form->isVisible());
    EXPECT_EQ(CurrentCountry, "Samoa");
    EXPECT_EQ(SavedCountry(), "Samoa");
    EXPECT_EQ(CountryList, (QStringList{"New Zealand", "Fiji", "Samoa"}));
    EXPECT_EQ(Form->CountryComboBox->currentText(), "Samoa");
    // The template's keys, without its values.
    EXPECT_EQ(P.Read(CustomPath()),
              QByteArray("[New Zealand]\r\nA=nz_a\r\nB=nz_b\r\n\r\n[Fiji]\r\nF=f\r\n\r\n"
                         "[Samoa]\r\nA=\r\nB=\r\n\r\n"));
    EXPECT_TRUE(QFileInfo(folder).isDir());
    ASSERT_EQ(Fake.Boxes.size(), 2u);
    EXPECT_EQ(Fake.Boxes[1].Kind, BoxKind::Confirmation);
    EXPECT_EQ(Fake.Boxes[1].Text, FolderQuestion.arg(folder));
    EXPECT_EQ(Fake.Boxes[1].Default, BtnYes);
    EXPECT_EQ(Fake.ShellOpened, QStringList{folder});
    EXPECT_EQ(P.Read(folder + "/Example Form.png"), Png);
    EXPECT_TRUE(Fake.Beeps.empty());
    // The catalogue keeps the previous country's records until it is reloaded.
    EXPECT_EQ(Records(), (std::vector<std::pair<QString, QString>>{{"F", "f"}}));
    EXPECT_EQ(Log(), (QStringList{
                         "DEBUG3: Country \"Samoa\" not found in AliasInifile, generating default "
                         "Inifile entries",
                         "DEBUG3: LoadAliasInifile: New Zealand entries found: 2",
                         "DEBUG3: SaveKestrovaInifile: Country=Samoa",
                         "DEBUG3: Copying Example file to " + P.Forms() + "Samoa/Example Form.png",
                     }));
}

TEST_F(CountryDialog, NoToOpeningLeavesTheFolderUnopened) {
    Seed();
    Open();
    Fake.Answers = {BtnYes, BtnNo};
    AddNew("Tonga");
    EXPECT_TRUE(QFileInfo(P.Forms() + "Tonga").isDir());
    EXPECT_TRUE(Fake.ShellOpened.isEmpty());
    EXPECT_EQ(Form->result(), QDialog::Accepted);
}

TEST_F(CountryDialog, WithoutTemplateSectionNoSectionIsMade) {
    Seed("; no template\r\n[Fiji]\r\nF=f\r\n", false);
    Open();
    Fake.Answers = {BtnYes, BtnNo};
    AddNew("Tonga");
    EXPECT_TRUE(Log().contains("DEBUG3: LoadAliasInifile: New Zealand entries found: 0"));
    EXPECT_EQ(P.Read(CustomPath()), QByteArray("[Fiji]\r\nF=f\r\n\r\n"));
    EXPECT_TRUE(
        Log().contains("ERROR: File not found: " + P.Forms() + "New Zealand/Example Form.png"));
    EXPECT_EQ(Form->result(), QDialog::Accepted); // a missing example is no reason to stay
}

TEST_F(CountryDialog, ExistingFolderWithExampleKeepsTheDialogOpen) {
    Seed();
    P.Write(P.Forms() + "Samoa/Example Form.png", "mine");
    Open();
    Fake.Answers = {BtnYes};
    AddNew("Samoa");
    EXPECT_EQ(Fake.Boxes.size(), 1u); // no folder message
    EXPECT_EQ(P.Read(P.Forms() + "Samoa/Example Form.png"), QByteArray("mine"));
    EXPECT_EQ(Log().back(), "DEBUG3: ERROR Copying Example file");
    EXPECT_TRUE(Form->isVisible());
    // The country is chosen and saved all the same.
    EXPECT_EQ(CurrentCountry, "Samoa");
    EXPECT_EQ(SavedCountry(), "Samoa");
}

TEST_F(CountryDialog, FolderThatCannotBeMadeIsReportedAndTheActionGoesOn) {
    Seed("[New Zealand]\r\nA=a\r\n", false);
    P.Write(P.Forms() + "Samoa", "a file in the way");
    Open();
    Fake.Answers = {BtnYes};
    AddNew("Samoa");
    const QStringList errors =
        Starting(Log(), "ERROR: CountryForm: ForceDirectory: " + P.Forms() + "Samoa: ");
    EXPECT_EQ(errors.size(), 1);
    EXPECT_EQ(Fake.Beeps, std::vector<BeepSound>{BeepStop});
    ASSERT_EQ(Fake.Boxes.size(), 2u);
    EXPECT_EQ(Fake.Boxes[1].Kind, BoxKind::Error);
    EXPECT_EQ(Fake.Boxes[1].Text, "Failed to generate the new Folder!");
    EXPECT_EQ(SavedCountry(), "Samoa");
    EXPECT_TRUE(TIniDocument(CustomPath()).SectionExists("Samoa"));
    EXPECT_EQ(Form->result(), QDialog::Accepted);
}

TEST_F(CountryDialog, FailedWritesGoToTheGeneralErrorBoxAndTheDialogStaysOpen) {
    Seed();
    P.Write(P.Forms() + "plain", "x");
    const QString blocked = P.Forms() + "plain/KestrovaFormAliases.ini";
    KestrovaAliasIni = std::make_unique<TIniDocument>(blocked);
    Open();
    Form->CountryComboBox->setEditText("Atlantis");
    Form->OKBtn->click();
    ASSERT_EQ(Fake.Boxes.size(), 1u);
    EXPECT_EQ(Fake.Boxes[0].Kind, BoxKind::Error);
    EXPECT_EQ(Fake.Boxes[0].Buttons, BtnOk);
    EXPECT_TRUE(Fake.Boxes[0].Text.contains(blocked));
    EXPECT_TRUE(Form->isVisible());

    // The user's copy cannot be written: the new-country action ends there.
    CustomAliasIni = std::make_unique<TIniDocument>(P.Forms() + "plain/CustomFormAliases.ini");
    Fake.Boxes.clear();
    Fake.Answers = {BtnYes};
    AddNew("Samoa");
    ASSERT_EQ(Fake.Boxes.size(), 2u);
    EXPECT_EQ(Fake.Boxes[1].Kind, BoxKind::Error);
    EXPECT_TRUE(Fake.Boxes[1].Text.contains("plain/CustomFormAliases.ini"));
    EXPECT_FALSE(QFileInfo::exists(P.Forms() + "Samoa"));
    EXPECT_TRUE(Form->isVisible());
}

} // namespace
