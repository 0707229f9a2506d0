#include "common/TempProfile.h"

#include "editor/Folders.h"
#include "support/DebugLog.h"
#include "support/HelpU.h"
#include "support/IconU.h"
#include "support/WebBrowser.h"

#include <QAction>
#include <QMenu>
#include <QTreeWidget>
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

TEST_F(HelpTest, AMissingPageIsLoggedAndTheWindowStaysHidden) {
    HelpFolder = Profile.Forms() + "NoHelp/";
    Help.DoHelp("main");
    EXPECT_FALSE(Help.isVisible());
    EXPECT_EQ(Entries().size(), 1);
    EXPECT_TRUE(Profile.Read(DebugLogFilename).contains("DEBUG3: Opening WebBrowser: "));
}

} // namespace
