#include "support/DebugLog.h"
#include "common/TempProfile.h"
#include "support/DebugU.h"

#include <QPlainTextEdit>
#include <gtest/gtest.h>

namespace {

class DebugLogTest : public ::testing::Test {
protected:
    void SetUp() override { DebugLogFilename = Profile.Forms() + "FormDesigner-debug.txt"; }
    void TearDown() override { DebugLogFilename.clear(); }
    TempProfile Profile;
};

TEST_F(DebugLogTest, PrefixesInFileAndWindow) {
    TDebugForm window;
    struct Case {
        int level;
        const char* file;
        const char* shown;
    } cases[] = {
        {0, "ERROR: x", "ERROR: ERROR: x"},
        {1, "DATA: x", "DATA: x"},
        {2, "INFO: x", "INFO: x"},
        {3, "DEBUG3: x", "DEBUG3: x"},
        {4, "DEBUG4: x", "DEBUG4: x"},
        {5, "DEBUG5: x", "DEBUG5: x"},
        {6, "WARNING: x", "WARNING: x"},
        {7, "x", "x"},
        {-1, "x", "x"},
    };
    QByteArray expectedFile;
    QStringList expectedWindow;
    for (const auto& c : cases) {
        DebugLog("x", c.level);
        expectedFile += QByteArray(c.file) + "\r\n";
        expectedWindow << c.shown;
    }
    EXPECT_EQ(Profile.Read(DebugLogFilename), expectedFile);
    EXPECT_EQ(window.Memo1->toPlainText(), expectedWindow.join("\n"));
}

TEST_F(DebugLogTest, ALevelThreeErrorTextKeepsItsOwnPrefix) {
    DebugLog("ERROR: Invalid With or Height", 3);
    EXPECT_EQ(Profile.Read(DebugLogFilename),
              QByteArray("DEBUG3: ERROR: Invalid With or Height\r\n"));
}

TEST_F(DebugLogTest, LinesAccumulateAcrossCallsAsUtf8) {
    DebugLog(QString::fromUtf8("Māori"), 3);
    DebugLog("second", 3);
    EXPECT_EQ(Profile.Read(DebugLogFilename),
              QByteArray("DEBUG3: M\xC4\x81ori\r\nDEBUG3: second\r\n"));
}

TEST_F(DebugLogTest, UnwritableFileStillReachesTheWindow) {
    TDebugForm window;
    DebugLogFilename = Profile.Forms() + "missing-folder/log.txt";
    DebugLog("kept", 3);
    EXPECT_EQ(window.Memo1->toPlainText(), "DEBUG3: kept");
}

TEST_F(DebugLogTest, NothingAnywhereWhileTheFileNameIsEmpty) {
    TDebugForm window;
    const QString path = DebugLogFilename;
    DebugLogFilename.clear();
    DebugLog("dropped", 0);
    EXPECT_TRUE(window.Memo1->toPlainText().isEmpty());
    EXPECT_TRUE(Profile.Read(path).isEmpty());
}

} // namespace
