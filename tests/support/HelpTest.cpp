#include "common/TempProfile.h"

#include "editor/Folders.h"
#include "support/DebugLog.h"
#include "support/HelpU.h"
#include "support/IconU.h"
#include "support/WebBrowser.h"

#include <QAction>
#include <QMenu>
#include <QTest>
#include <QTreeWidget>
#include <functional>
#include <gtest/gtest.h>

namespace {

class HelpTest : public ::testing::Test {
protected:
    void SetUp() override {
        Profile.SeedFromDemo();
        HelpFolder = Profile.Forms() + "Help/";
        DebugLogFilename = Profile.Forms() + "log.txt";
    }
    void TearDown() override {
        DebugLogFilename.clear();
        HelpFolder.clear();
    }
    QString Shown() const { return Help.WebBrowser1->LocationURL().mid(HelpFolder.size()); }
    QStringList Entries() const {
        QStringList out;
        for (QAction* a : Help.History())
            out << a->text();
        return out;
    }
    TempProfile Profile;
    THelpForm Help;
};

TEST_F(HelpTest, TagsFromTopicNames) {
    const std::pair<const char*, const char*> cases[] = {
        {"Main", "main"},
        {"Selecting Country", "selecting_country"},
        {"How it works", "how_it_works"},
        {"Making PNG Forms", "making_png_forms"},
        {"Compiling the Form", "compiling_the_form"},
        {"Printing Forms", "printing_forms"},
        {"", ""},
        {"\xC3\x84rger\tX", "\xC3\x84rger\tx"},
    };
    for (const auto& [name, tag] : cases)
        EXPECT_EQ(ConvertNameToTag(QString::fromUtf8(name)), QString::fromUtf8(tag));
    EXPECT_EQ(StripAmpersands("a&b&&c"), "abc");
}

TEST_F(HelpTest, HelpButtonOpensTheTopOfTheFormsPage) {
    Help.DoHelp("");
    EXPECT_TRUE(Help.isVisible());
    EXPECT_EQ(Shown(), "forms-help.html#");
    EXPECT_EQ(Entries(), QStringList{"forms-help.html#"});
    EXPECT_EQ(Help.History()[0]->objectName(), "Line0");
}

TEST_F(HelpTest, TreeClickOpensTheTopicAndRecordsIt) {
    QTreeWidgetItem* node = Help.TreeView1->topLevelItem(0)->child(1);
    ASSERT_EQ(node->text(0), "How it works");
    Help.TreeView1->setCurrentItem(node);
    Help.TreeView1Click();
    Help.TreeView1Click();
    EXPECT_EQ(Shown(), "forms-help.html#how_it_works");
    EXPECT_EQ(Entries(),
              (QStringList{"forms-help.html#how_it_works", "forms-help.html#how_it_works"}));
    EXPECT_EQ(Help.HistoryPos, 1);
}

TEST_F(HelpTest, BackForwardListTopAndClear) {
    Help.DoHelp("A");
    Help.DoHelp("B");
    Help.DoHelp("C");
    ASSERT_EQ(Help.HistoryPos, 2);
    Help.BackBtnClick();
    EXPECT_EQ(Shown(), "forms-help.html#B");
    Help.BackBtnClick();
    EXPECT_EQ(Shown(), "forms-help.html#A");
    Help.BackBtnClick();
    EXPECT_EQ(Help.HistoryPos, 0);
    EXPECT_EQ(Shown(), "forms-help.html#A");
    Help.ForwardBtnClick();
    EXPECT_EQ(Shown(), "forms-help.html#B");
    Help.ForwardBtnClick();
    Help.MenuClick(Help.History()[0]); // moves nothing
    EXPECT_EQ(Shown(), "forms-help.html#A");
    EXPECT_EQ(Help.HistoryPos, 2);
    Help.BackBtnClick();
    EXPECT_EQ(Shown(), "forms-help.html#B");
    Help.UpBtnClick();
    EXPECT_EQ(Shown(), "kestrova-help.html#");
    EXPECT_EQ(Help.HistoryPos, 0);
    Help.ForwardBtnClick();
    EXPECT_EQ(Shown(), "forms-help.html#B");
    Help.ClearBtnClick();
    EXPECT_TRUE(Entries().isEmpty());
    Help.BackBtnClick();
    Help.ForwardBtnClick();
    EXPECT_EQ(Help.HistoryPos, 0);
}

TEST_F(HelpTest, AmpersandsAreDroppedWhenAnEntryIsReachedAgain) {
    Help.DoHelp("a&b");
    EXPECT_EQ(Shown(), "forms-help.html#a&b");
    Help.DoHelp("x");
    Help.BackBtnClick();
    EXPECT_EQ(Shown(), "forms-help.html#ab");
}

// A missing page or anchor is the browser's business: a short page naming
// the file, nothing raised, the window shown, the history kept as usual.
TEST_F(HelpTest, AMissingPageShowsAShortPageNamingTheFile) {
    const QString missing = Profile.Forms() + "NoHelp/";
    HelpFolder = missing;
    Help.DoHelp("main");
    EXPECT_TRUE(Help.isVisible());
    EXPECT_EQ(Entries(), QStringList{"forms-help.html#main"});
    EXPECT_FALSE(Profile.Read(DebugLogFilename).contains("Opening WebBrowser"));
    const QString notFound = "The file " + missing + "forms-help.html was not found.";
    EXPECT_TRUE(Help.WebBrowser1->toPlainText().contains(notFound))
        << Help.WebBrowser1->toPlainText().toStdString();

    // Back, forward, top of help and the list raise nothing either.
    Help.DoHelp("how_it_works");
    struct Step {
        const char* What;
        std::function<void()> Do;
        const char* File;
    };
    const Step steps[] = {
        {"back", [&] { Help.BackBtnClick(); }, "forms-help.html"},
        {"forward", [&] { Help.ForwardBtnClick(); }, "forms-help.html"},
        {"list", [&] { Help.MenuClick(Help.History()[0]); }, "forms-help.html"},
        {"top", [&] { Help.UpBtnClick(); }, "kestrova-help.html"},
    };
    for (const Step& step : steps) {
        Help.WebBrowser1->clear();
        EXPECT_NO_THROW(step.Do()) << step.What;
        EXPECT_TRUE(Help.WebBrowser1->toPlainText().contains("The file " + missing + step.File +
                                                             " was not found."))
            << step.What;
    }

    // Once the page is there, the same page is read again.
    HelpFolder = Profile.Forms() + "Help/";
    Help.DoHelp("main");
    EXPECT_FALSE(Help.WebBrowser1->toPlainText().contains("was not found"));
}

TEST_F(HelpTest, AMissingAnchorShowsThePageAtItsTop) {
    Help.DoHelp("no_such_topic");
    EXPECT_TRUE(Help.isVisible());
    EXPECT_EQ(Shown(), "forms-help.html#no_such_topic");
    EXPECT_FALSE(Help.WebBrowser1->toPlainText().isEmpty());
    EXPECT_FALSE(Help.WebBrowser1->toPlainText().contains("was not found"));
}

TEST_F(HelpTest, ADocumentsFolderHoldingAHashOpensItsPages) {
    for (const char* folder : {"My#Docs/Help/", "#/Help#/", "a#b#c/Help/"}) {
        const QString help = Profile.Forms() + folder;
        for (const char* page : {"forms-help.html", "kestrova-help.html"})
            Profile.Write(help + page, Profile.Read(Profile.Forms() + "Help/" + page));
        HelpFolder = help;
        Help.DoHelp("how_it_works");
        EXPECT_EQ(Help.WebBrowser1->source().toLocalFile(), help + "forms-help.html") << folder;
        EXPECT_EQ(Help.WebBrowser1->source().fragment(), "how_it_works") << folder;
        EXPECT_FALSE(Help.WebBrowser1->toPlainText().contains("was not found")) << folder;
        Help.UpBtnClick();
        EXPECT_EQ(Help.WebBrowser1->source().toLocalFile(), help + "kestrova-help.html") << folder;
        EXPECT_FALSE(Help.WebBrowser1->toPlainText().contains("was not found")) << folder;
    }
}

// The tree's click opens the selected node wherever in the tree it lands.
TEST_F(HelpTest, AClickBesideTheSelectedNodeOpensIt) {
    Help.show();
    QTreeWidgetItem* node = Help.TreeView1->topLevelItem(0)->child(1);
    const QPoint onNode = Help.TreeView1->visualItemRect(node).center();
    const QPoint beside(Help.TreeView1->viewport()->width() / 2,
                        Help.TreeView1->viewport()->height() - 5);
    ASSERT_EQ(Help.TreeView1->itemAt(beside), nullptr);

    // Nothing selected: a click beside the nodes does nothing.
    Help.TreeView1->clearSelection();
    QTest::mouseClick(Help.TreeView1->viewport(), Qt::LeftButton, {}, beside);
    EXPECT_TRUE(Entries().isEmpty());

    QTest::mouseClick(Help.TreeView1->viewport(), Qt::LeftButton, {}, onNode);
    EXPECT_EQ(Entries(), QStringList{"forms-help.html#how_it_works"});
    QTest::mouseClick(Help.TreeView1->viewport(), Qt::LeftButton, {}, beside);
    EXPECT_EQ(Entries(),
              (QStringList{"forms-help.html#how_it_works", "forms-help.html#how_it_works"}));
    EXPECT_EQ(Shown(), "forms-help.html#how_it_works");
    // The right button is not a click of the tree.
    QTest::mouseClick(Help.TreeView1->viewport(), Qt::RightButton, {}, beside);
    EXPECT_EQ(Entries().size(), 2);
}

} // namespace
