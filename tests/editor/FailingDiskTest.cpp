// Every file the program writes, with the disk failing at each step of the
// write: the previous file stays whole, the failure is reported as described,
// and the next write, with the disk well again, succeeds.
#include "FailingDisk.h"

#include "common/SpineFixture.h"

#include "catalogue/CatalogueFiles.h"
#include "catalogue/ConfigSelectU.h"
#include "editor/Folders.h"
#include "editor/MainFormU.h"
#include "support/DebugLog.h"
#include "support/Exception.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

using FailingDisk::Step;

constexpr Step Steps[] = {Step::Open, Step::ShortWrite, Step::Sync, Step::Rename};

class FailingDiskTest : public ::testing::Test {
protected:
    void SetUp() override {
        F.Show();
        CurrentCountry = "New Zealand";
        M = F.Main;
        F.SelectionDialog->Action = [](QDialog* d) { d->reject(); };
    }
    void TearDown() override { FailingDisk::Disarm(); }

    // Arms the step, runs the write and disarms; the step must really have
    // been made to fail, or the case proves nothing.
    template <typename Fn> void FailingAt(Step step, const QString& path, Fn write) {
        FailingDisk::Arm(step, path);
        write();
        const int failures = FailingDisk::Failures();
        FailingDisk::Disarm();
        EXPECT_GT(failures, 0) << FailingDisk::Name(step);
    }
    // Nothing but the file itself is left beside it: no half-written copy.
    void ExpectNoStrayFiles(const QString& path, Step step) const {
        const QFileInfo info(path);
        const QStringList beside =
            QDir(info.path()).entryList({info.fileName() + "*"}, QDir::Files | QDir::Hidden);
        EXPECT_EQ(beside, QStringList{info.fileName()}) << FailingDisk::Name(step);
    }
    QString LastLogLine() const {
        const QStringList lines = F.LogLines();
        return lines.isEmpty() ? QString() : lines.last();
    }

    SpineFixture F;
    TMainForm* M = nullptr;
};

TEST_F(FailingDiskTest, LayoutFile) {
    // A form of the catalogue: a save also writes the user's catalogue.
    M->AliasName = "Example Form";
    const QString cfg = FormsFolder + "New Zealand/Example Form.cfg";
    const QByteArray previous = "Old,11,12\r\nOther,13,14,200,50\r\n";
    for (Step step : Steps) {
        const char* name = FailingDisk::Name(step);
        F.Profile.Write(cfg, previous);
        const QByteArray catalogue = F.Profile.Read(CustomAliasIniPath);
        // The file's layout replaced by two placements, not yet saved.
        M->Document->Load(cfg);
        while (M->Document->Count() > 0)
            M->Document->RemoveEntry(0);
        M->Document->PlacePoint("FullName", 113, 44);
        M->Document->PlaceBox("Clothing", 113, 144, 300, 60);
        F.Platform.Fake.Boxes.clear();

        FailingAt(step, M->CFGFilename(), [&] { M->SaveConfig(); });
        EXPECT_EQ(F.Profile.Read(M->CFGFilename()), previous) << name;
        ExpectNoStrayFiles(M->CFGFilename(), step);
        EXPECT_TRUE(LastLogLine().startsWith("ERROR: Error saving Config file: " + FormsFolder +
                                             "New Zealand/Example Form.cfg : "))
            << name << ": " << LastLogLine().toStdString();
        ASSERT_EQ(F.Platform.Fake.Boxes.size(), 1u) << name;
        const QString box = F.Platform.Fake.Boxes[0].Text;
        const QString lead = "Error saving Config file: Example Form.cfg ; ";
        EXPECT_TRUE(box.startsWith(lead)) << name << ": " << box.toStdString();
        EXPECT_GT(box.size(), lead.size()) << name; // the reason follows
        EXPECT_TRUE(M->ConfigHasChanged()) << name;
        EXPECT_TRUE(M->CheckFileTimer->isActive()) << name;
        EXPECT_EQ(F.Profile.Read(CustomAliasIniPath), catalogue) << name; // untouched

        // The disk is well again: the same placements are saved.
        M->SaveConfig();
        EXPECT_EQ(F.Profile.Read(M->CFGFilename()),
                  QByteArray("FullName,113,44\r\nClothing,113,144,300,60\r\n"))
            << name;
        EXPECT_FALSE(M->ConfigHasChanged()) << name;
        EXPECT_EQ(F.Platform.Fake.BoxTexts().size(), 1) << name; // no further box
    }
}

TEST_F(FailingDiskTest, UsersCatalogue) {
    ASSERT_TRUE(CustomAliasIni);
    for (Step step : Steps) {
        const char* name = FailingDisk::Name(step);
        const QByteArray previous = F.Profile.Read(CustomAliasIniPath);
        ASSERT_FALSE(previous.isEmpty());
        const QString key = QString("Key-%1").arg(int(step));
        CustomAliasIni->WriteString("New Zealand", key, "Some Form");

        FailingAt(step, CustomAliasIniPath, [] { SaveCustomAliasInifile(); });
        EXPECT_EQ(F.Profile.Read(CustomAliasIniPath), previous) << name;
        ExpectNoStrayFiles(CustomAliasIniPath, step);
        EXPECT_TRUE(LastLogLine().startsWith("ERROR: SaveAliasInifile: Cannot "))
            << name << ": " << LastLogLine().toStdString();

        SaveCustomAliasInifile();
        TIniDocument again(CustomAliasIniPath);
        EXPECT_EQ(again.ReadString("New Zealand", key, "missing"), "Some Form") << name;
        EXPECT_EQ(again.Sections(), CustomAliasIni->Sections()) << name;
    }
}

TEST_F(FailingDiskTest, CompanionsCatalogue) {
    ASSERT_TRUE(KestrovaAliasIni);
    for (Step step : Steps) {
        const char* name = FailingDisk::Name(step);
        const QByteArray previous = F.Profile.Read(KestrovaAliasIniPath);
        ASSERT_FALSE(previous.isEmpty());
        CurrentCountry = int(step) % 2 ? "New Zealand" : "Australia"; // a change every time

        QString message;
        FailingAt(step, KestrovaAliasIniPath, [&] {
            try {
                SaveCountry();
            } catch (const Exception& e) {
                message = e.Message();
            }
        });
        EXPECT_TRUE(message.startsWith("Cannot ")) << name << ": " << message.toStdString();
        EXPECT_TRUE(message.contains(KestrovaAliasIniPath)) << name;
        EXPECT_EQ(F.Profile.Read(KestrovaAliasIniPath), previous) << name;
        ExpectNoStrayFiles(KestrovaAliasIniPath, step);

        SaveCountry();
        EXPECT_EQ(TIniDocument(KestrovaAliasIniPath).ReadString("Dral", "CountrySelect", ""),
                  CurrentCountry)
            << name;
    }
}

TEST_F(FailingDiskTest, DebugLog) {
    QStringList shown;
    SetDebugLogWindowSink([&shown](const QString& line) { shown << line; });
    for (Step step : Steps) {
        const char* name = FailingDisk::Name(step);
        const QByteArray previous = F.Profile.Read(DebugLogFilename);
        ASSERT_TRUE(previous.endsWith("\r\n"));
        const QString text = QString("written while the disk fails at the %1").arg(name);

        FailingDisk::Arm(step, DebugLogFilename);
        DebugLog(text, 3);
        FailingDisk::Disarm();
        // The log appends in place: only a failed open or write touches it, and
        // then it keeps no piece of the line.
        const bool written = step == Step::Sync || step == Step::Rename;
        EXPECT_EQ(F.Profile.Read(DebugLogFilename),
                  written ? previous + "DEBUG3: " + text.toUtf8() + "\r\n" : previous)
            << name;
        EXPECT_EQ(shown.last(), "DEBUG3: " + text) << name; // the window has it all the same

        DebugLog("and once it is well again", 3);
        EXPECT_TRUE(
            F.Profile.Read(DebugLogFilename).endsWith("DEBUG3: and once it is well again\r\n"))
            << name;
    }
    SetDebugLogWindowSink({});
}

// The interposed calls only fail what they are armed for.
TEST_F(FailingDiskTest, UnarmedWritesAreUntouched) {
    const QString path = FormsFolder + "New Zealand/Untouched.cfg";
    FailingDisk::Arm(Step::Open, FormsFolder + "Elsewhere/Other.cfg");
    M->Document->Load(path);
    M->AliasName = "Untouched";
    M->Document->PlacePoint("K", 1, 2);
    M->SaveConfig();
    EXPECT_EQ(FailingDisk::Failures(), 0);
    FailingDisk::Disarm();
    EXPECT_EQ(F.Profile.Read(path), QByteArray("K,1,2\r\n"));
}

} // namespace
