#include "common/SpineFixture.h"

#include "editor/CheckListBox.h"
#include "editor/Folders.h"
#include "editor/MainFormU.h"
#include "support/HelpU.h"
#include "support/InfoBox2U.h"
#include "support/Termination.h"

#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <gtest/gtest.h>

#include <functional>

#include "support/DebugU.h"

namespace {

TEST(MainFormSpine, FirstRunLogsStartUpAndFillsTheFieldList) {
    SpineFixture f;
    f.Show();
    const QStringList log = f.LogLines();
    ASSERT_GE(log.size(), 3);
    EXPECT_EQ(log[0], "DEBUG3: FormCreate...");
    EXPECT_EQ(log[1], "DEBUG3: MainForm.FormShow...");
    EXPECT_TRUE(log.contains("DEBUG3: Master file loaded: 38 entries"))
        << log.join("\n").toStdString();
    EXPECT_TRUE(log.contains("DEBUG4: Using language en"));
    // The debug window exists only after the main window's creation.
    const QString window = DebugForm->Memo1->toPlainText();
    EXPECT_TRUE(window.startsWith("DEBUG3: MainForm.FormShow..."));
    EXPECT_FALSE(window.contains("FormCreate..."));

    ASSERT_EQ(f.Main->CheckListBox1->count(), 38);
    for (int i = 0; i < f.Main->CheckListBox1->count(); ++i)
        EXPECT_FALSE(f.Main->CheckListBox1->Checked(i));
    EXPECT_EQ(f.Main->CheckListBox1->Item(0), "Surname,Family name of the person");
    // Rows of 13 pixels, one under the other.
    const QRect row0 = f.Main->CheckListBox1->visualRect(f.Main->CheckListBox1->Model()->index(0));
    const QRect row1 = f.Main->CheckListBox1->visualRect(f.Main->CheckListBox1->Model()->index(1));
    EXPECT_EQ(row0.height(), 13);
    EXPECT_EQ(row1.top() - row0.top(), 13);
    EXPECT_FALSE(f.Main->SaveBtn->isEnabled());
    EXPECT_EQ(f.Main->windowTitle(), "Kestrova Form Designer v2.2");
    EXPECT_FALSE(TerminationRequested());
    EXPECT_TRUE(f.Platform.Fake.Boxes.empty());
}

TEST(MainFormSpine, MissingMasterListEndsTheProgramWithAMessage) {
    SpineFixture f;
    QFile::remove(f.Profile.Forms() + "master.txt");
    f.Show();
    ASSERT_EQ(f.Platform.Fake.Boxes.size(), 1u);
    EXPECT_TRUE(f.Platform.Fake.Boxes[0].Text.startsWith("Error reading Master file: "));
    EXPECT_GT(f.Platform.Fake.Boxes[0].Text.size(), QString("Error reading Master file: ").size());
    EXPECT_TRUE(TerminationRequested());
    EXPECT_EQ(f.Main->CheckListBox1->count(), 0);
}

TEST(MainFormSpine, OldVersionFilesAreDeletedAtStart) {
    SpineFixture f;
    f.Profile.Write(f.Profile.Forms() + "FormAliases.ini", "[x]\r\n");
    f.Profile.Write(f.Profile.Forms() + "FormDesigner.exe", "MZ");
    f.Show();
    EXPECT_FALSE(QFile::exists(f.Profile.Forms() + "FormAliases.ini"));
    EXPECT_FALSE(QFile::exists(f.Profile.Forms() + "FormDesigner.exe"));
}

TEST(MainFormSpine, FoldersComeFromTheDocumentsAndConfigFolders) {
    SpineFixture f;
    EXPECT_EQ(FormsFolder, f.Profile.Documents() + "/Kestrova/Forms/");
    EXPECT_EQ(HelpFolder, f.Profile.Documents() + "/Kestrova/Forms/Help/");
    EXPECT_EQ(HostDataFolder, f.Profile.Config() + "/Kestrova/");
}

TEST(MainFormSpine, FailingDocumentsLookupTerminatesWithTheBox) {
    TempProfile p;
    ScopedFakePlatform platform;
    platform.Fake.DocumentsThrows = true;
    ResetTerminationRequest();
    EXPECT_FALSE(GetDocDirectories());
    ASSERT_EQ(platform.Fake.Boxes.size(), 1u);
    EXPECT_EQ(platform.Fake.Boxes[0].Text, "ERROR IN GET-DOC-DIRECTORY! PROGRAM WILL TERMINATE");
    EXPECT_EQ(platform.Fake.Boxes[0].Kind, BoxKind::Error);
    EXPECT_TRUE(TerminationRequested());
    ResetTerminationRequest();
}

TEST(MainFormSpine, ToolbarHoldsTheControlsInOrderWithTheirTexts) {
    SpineFixture f;
    f.Show();
    QStringList names;
    QList<QWidget*> widgets;
    for (QAction* a : f.Main->ToolBar1->actions())
        if (QWidget* w = f.Main->ToolBar1->widgetForAction(a); w && !a->isSeparator())
            widgets << w;
    std::sort(widgets.begin(), widgets.end(),
              [](QWidget* a, QWidget* b) { return a->x() < b->x(); });
    for (QWidget* w : widgets)
        names << w->objectName();
    EXPECT_EQ(names, (QStringList{"LoadBtn", "Panel2", "XEdit", "Panel3", "YEdit", "UndoBtn",
                                  "RedoBtn", "SaveBtn", "ClearBtn", "EditConfigBtn", "CountryBtn",
                                  "ToolButton5", "Panel4", "FilterEdit", "ToolButton7"}));
    EXPECT_EQ(f.Main->ToolBar1->height(), ToolBarHeight);
    EXPECT_EQ(f.Main->LoadBtn->text(), "Load Image");
    EXPECT_EQ(f.Main->LoadBtn->toolTip(), "Load the .PNG and .CFG files from disk");
    EXPECT_EQ(f.Main->ToolButton5->text(), "&Help");
    EXPECT_EQ(f.Main->XEdit->width(), 51);
    EXPECT_TRUE(f.Main->XEdit->isReadOnly());
    EXPECT_EQ(f.Main->FilterEdit->width(), 121);
    EXPECT_EQ(f.Main->Panel4->width(), 48);
    EXPECT_EQ(f.Main->LoadBtn->toolTipDuration(), 5000);
}

TEST(MainFormSpine, ResizingChangesOnlyTheFieldListWidth) {
    SpineFixture f;
    f.Show();
    const int scroll = f.Main->ScrollBox1->width();
    f.Main->resize(1200, 600);
    EXPECT_EQ(f.Main->ScrollBox1->width(), scroll);
    EXPECT_EQ(f.Main->CheckListBox1->x(), scroll);
    EXPECT_EQ(f.Main->CheckListBox1->width(), f.Main->centralWidget()->width() - scroll);
}

TEST(MainFormSpine, ClosingWithUnsavedPlacementsAsksAndNoWritesNothing) {
    SpineFixture f;
    f.Show();
    f.Main->Document->Load(FormsFolder + "New Zealand/Unsaved.cfg");
    f.Main->Document->PlacePoint("K", 20, 30);
    f.Platform.Fake.Answers = {BtnNo};
    f.Main->close();
    ASSERT_FALSE(f.Platform.Fake.Boxes.empty());
    EXPECT_EQ(f.Platform.Fake.Boxes.back().Text, "Config has changed. Save?");
    EXPECT_EQ(f.Platform.Fake.Boxes.back().Default, BtnNo);
    EXPECT_EQ(f.Platform.Fake.Beeps.back(), BeepQuestion);
}

TEST(MainFormSpine, ClosingTheMainWindowEndsTheProgramWhateverElseIsOpen) {
    SpineFixture f;
    f.Show();
    const struct {
        const char* name;
        std::function<void()> open;
    } cases[] = {
        {"nothing else", [] {}},
        {"the debug window", [&] { f.Main->ToolButton7Click(); }},
        {"the help window", [] { HelpForm->show(); }},
        {"the debug and help windows and a notice",
         [&] {
             f.Main->ToolButton7Click();
             HelpForm->show();
             ShowNotice("Saved", 60000, 0, 0, 0xFF0000);
         }},
    };
    for (const auto& c : cases) {
        f.Main->show();
        c.open();
        QCoreApplication::processEvents();
        bool stillRunning = false;
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, [&] {
            stillRunning = true;
            QCoreApplication::exit(2);
        });
        guard.start(5000);
        QTimer::singleShot(0, f.Main, [&] { f.Main->close(); });
        const int result = QCoreApplication::exec();
        EXPECT_FALSE(stillRunning) << c.name;
        EXPECT_EQ(result, 0) << c.name;
        EXPECT_FALSE(f.Main->isVisible()) << c.name;
    }
}

} // namespace

namespace {
TEST(MainFormSpine, EmptyProfileReportsTheMissingMasterList) {
    SpineFixture f(false);
    f.Show();
    EXPECT_TRUE(TerminationRequested());
    ASSERT_EQ(f.Platform.Fake.Boxes.size(), 1u) << f.LogLines().join("\n").toStdString();
    EXPECT_TRUE(f.Platform.Fake.Boxes[0].Text.startsWith("Error reading Master file: "));
}
} // namespace
