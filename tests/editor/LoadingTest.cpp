#include "EditorFixture.h"
#include "ZeroPng.h"

#include "editor/Folders.h"
#include "editor/FormImage.h"
#include "editor/TextFile.h"
#include "support/Exception.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QPainter>
#include <QTimer>

#include <sys/resource.h>
#include <unistd.h>

namespace {

class LoadingTest : public EditorTest {};

// ---- Fitting the window ---------------------------------------------------------

TEST_F(LoadingTest, WindowFitsTheScreen) {
    struct Case {
        const char* name;
        QSize screen;
        int imageWidth;
        int left;
        QRect window;
        int scrollClient;
    } cases[] = {
        {"800 on 1920", {1920, 1080}, 800, 100, {100, 0, 1280, 1080}, 800},
        {"800 on 1024", {1024, 768}, 800, 0, {0, 0, 1024, 768}, 800},
        {"800 on 1000", {1000, 700}, 800, 50, {0, 0, 1000, 700}, 778},
        {"wider than the screen", {1920, 1080}, 2480, 300, {0, 0, 1920, 1080}, 1698},
        {"A4 at 150 DPI on 1920", {1920, 1080}, 1240, 0, {0, 0, 1462, 1080}, 1240},
    };
    for (const auto& c : cases) {
        F->Platform.Fake.Screen = c.screen;
        M->move(c.left, 30);
        Load(MakeImage(QString("Fit%1.png").arg(c.imageWidth), {c.imageWidth, 1200}));
        QApplication::processEvents();
        EXPECT_EQ(M->frameGeometry(), c.window) << c.name; // outer size and place
        EXPECT_EQ(M->ScrollBox1->viewport()->width(), c.scrollClient) << c.name;
        // The field list takes the rest of the client width.
        EXPECT_EQ(M->CheckListBox1->x(), M->ScrollBox1->width()) << c.name;
        EXPECT_EQ(M->CheckListBox1->width(), M->centralWidget()->width() - M->ScrollBox1->width())
            << c.name;
        if (c.imageWidth <= c.scrollClient) { // no scrolling: the list keeps its room
            EXPECT_GE(M->CheckListBox1->width(), 200 - 22) << c.name;
        }
        const bool scrolls = c.imageWidth > c.scrollClient;
        EXPECT_EQ(M->ScrollBox1->horizontalScrollBar()->maximum() > 0, scrolls) << c.name;
        EXPECT_EQ(M->ScrollBox1->horizontalScrollBar()->value(), 0) << c.name;
    }
}

TEST_F(LoadingTest, LoadScrollsBackToTheTop) {
    Load(MakeImage("Tall.png", {800, 3000}));
    M->ScrollBox1->verticalScrollBar()->setValue(900);
    Load(MakeImage("Tall.png", {800, 3000}));
    EXPECT_EQ(M->ScrollBox1->verticalScrollBar()->value(), 0);
    EXPECT_EQ(M->Image1->pos(), QPoint(0, 0));
}

// ---- The load sequence --------------------------------------------------------------

TEST_F(LoadingTest, LoadButtonAsksInTheCountryFolderAndNamesTheForm) {
    const QString path = MakeImage("Missing Person.png", {640, 480});
    Load(path);
    EXPECT_EQ(F->Platform.Fake.DialogFolders, QStringList{F->Profile.Forms() + "New Zealand/"});
    EXPECT_EQ(M->ImageFilename, path);
    EXPECT_EQ(M->AliasName, "Missing Person");
    EXPECT_EQ(M->CFGFilename(), FormsFolder + "New Zealand/Missing Person.cfg");
    EXPECT_TRUE(F->LogLines().contains("DEBUG3: ConfigName=Missing Person"));
    EXPECT_TRUE(M->SaveBtn->isEnabled());
    EXPECT_FALSE(M->EditConfigBtn->isEnabled()); // no layout file
    EXPECT_TRUE(M->CheckFileTimer->isActive());
    EXPECT_TRUE(M->ConfigList().isEmpty());
    EXPECT_EQ(M->CheckListBox1->Items(), SplitLines(EditorMaster));
    for (int i = 0; i < M->CheckListBox1->count(); ++i)
        EXPECT_FALSE(M->CheckListBox1->Checked(i));
    EXPECT_EQ(M->Image1->Picture.size(), QSize(640, 480));
    EXPECT_TRUE(F->Platform.Fake.Boxes.empty());
}

TEST_F(LoadingTest, AliasCutsTheLastFourCharacters) {
    struct Case {
        const char* path;
        const char* alias;
    } cases[] = {
        {"/a/b/form.png", "form"},
        {"/a/b/form.PNG", "form"},
        {"/a/b/form.jpeg", "form."},
        {"/a/b.c/x.png", "x"},
        {"form.png", "form"},
        {"/a/b/.png", ""},
        {"png", ""},
        {"/a/b/c d.png", "c d"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AliasNameOf(c.path), c.alias) << c.path;

    // A PNG under another extension still loads, under the cut name.
    const QString path = FormPath("form.jpeg");
    QFile::copy(MakeImage("src.png", {300, 200}), path);
    Load(path);
    EXPECT_EQ(M->AliasName, "form.");
    EXPECT_EQ(M->CFGFilename(), FormsFolder + "New Zealand/form..cfg");
}

TEST_F(LoadingTest, CancelledDialogChangesNothingButTheFilter) {
    Load(MakeImage("First.png", {300, 200}));
    M->FilterEdit->setText("surname");
    ASSERT_EQ(M->CheckListBox1->count(), 2);
    Load(QString()); // cancelled
    EXPECT_TRUE(M->FilterEdit->text().isEmpty());
    EXPECT_EQ(M->CheckListBox1->Items(), SplitLines(EditorMaster));
    EXPECT_EQ(M->AliasName, "First");
}

TEST_F(LoadingTest, LayoutKeysAreTickedAndDrawn) {
    WriteLayout("Laid.cfg", "K,113,44\r\n"
                            "Unknown,200,300\r\n"
                            "Dup,400,500\r\n"
                            "K2,113,144,287,76\r\n"
                            "Bad,0,45\r\n"
                            "Half,600,45,300\r\n");
    Load(MakeImage("Laid.png", {800, 1000}));
    EXPECT_EQ(M->ConfigList().size(), 6);
    EXPECT_FALSE(M->ConfigHasChanged());
    EXPECT_TRUE(M->EditConfigBtn->isEnabled());
    const QStringList items = M->CheckListBox1->Items();
    QStringList ticked;
    for (int i = 0; i < items.size(); ++i)
        if (M->CheckListBox1->Checked(i))
            ticked << items[i];
    // Only the first item of a doubled key; a key missing from the list ticks nothing.
    EXPECT_EQ(ticked, (QStringList{"K", "K2,a second key", "Dup,first line of a doubled key"}));

    const QImage p = Picture();
    // The box: red outline (113,144)-(413,214), second corner exclusive.
    EXPECT_EQ(PixelBounds(p, IsRed), QRect(QPoint(113, 144), QPoint(412, 213)));
    // Keys in blue at their corners, the unknown key too; skipped lines draw nothing.
    EXPECT_FALSE(PixelBounds(p.copy(113, 44, 40, 30), IsBlueish).isEmpty());
    EXPECT_FALSE(PixelBounds(p.copy(200, 300, 80, 30), IsBlueish).isEmpty());
    EXPECT_FALSE(PixelBounds(p.copy(400, 500, 40, 30), IsBlueish).isEmpty());
    EXPECT_TRUE(PixelBounds(p.copy(0, 30, 110, 40), NotWhite).isEmpty());   // Bad,0,45
    EXPECT_TRUE(PixelBounds(p.copy(560, 0, 240, 140), NotWhite).isEmpty()); // Half never drawn
}

TEST_F(LoadingTest, LayoutEncodingIsRememberedForWriting) {
    WriteLayout("Utf.cfg", QByteArray("\xEF\xBB\xBF") + "K,113,44\r\n");
    Load(MakeImage("Utf.png", {300, 200}));
    EXPECT_EQ(M->ConfigEncoding(), TextEncoding::Utf8);
    // An image without a layout file keeps what was remembered.
    Load(MakeImage("None.png", {300, 200}));
    EXPECT_EQ(M->ConfigEncoding(), TextEncoding::Utf8);
}

TEST_F(LoadingTest, LoadingWithFilterTextListsEverything) {
    Load(MakeImage("A.png", {300, 200}));
    M->FilterEdit->setText("k2");
    ASSERT_EQ(M->CheckListBox1->count(), 2);
    // A reload (as after a change on disk) ignores the filter text.
    M->LoadFiles();
    EXPECT_EQ(M->CheckListBox1->Items(), SplitLines(EditorMaster));
    EXPECT_EQ(M->FilterEdit->text(), "k2");
}

TEST_F(LoadingTest, UnreadableLayoutStopsBeforeDrawing) {
    Load(MakeImage("Good.png", {300, 200}));
    M->CheckFileTimer->stop();
    // A folder where the layout file should be: it exists but cannot be read.
    QDir().mkpath(FormPath("Folder.cfg"));
    Load(MakeImage("Folder.png", {400, 300}, QColor(250, 240, 230)));
    ASSERT_EQ(F->Platform.Fake.Boxes.size(), 1u);
    EXPECT_TRUE(F->Platform.Fake.Boxes[0].Text.startsWith("Error loding Config file: "));
    EXPECT_EQ(M->Image1->Picture.size(), QSize(400, 300)); // picture new
    EXPECT_FALSE(M->CheckFileTimer->isActive());           // watch unchanged
    EXPECT_TRUE(M->ConfigList().isEmpty());
}

TEST_F(LoadingTest, TransparentPartsShowWhite) {
    QImage img(50, 40, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    img.setPixel(10, 10, qRgba(255, 0, 0, 255));
    const QString path = FormPath("Alpha.png");
    F->Profile.Write(path, {});
    ASSERT_TRUE(img.save(path, "PNG"));
    Load(path);
    EXPECT_EQ(M->Image1->Picture.pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(M->Image1->Picture.pixel(10, 10), qRgb(255, 0, 0));
}

// ---- Bad images -------------------------------------------------------------------

TEST_F(LoadingTest, BadImagesLeaveThePreviousFormWhole) {
    WriteLayout("Good.cfg", "K,113,44\r\n");
    const QString good = MakeImage("Good.png", {500, 400});
    Load(good);
    ChooseKey("K2,a second key");
    Click({100, 100});
    ASSERT_TRUE(M->ConfigHasChanged());
    const QImage picture = M->Image1->Picture.copy();
    const QStringList config = M->ConfigList();

    QFile pngFile(good);
    ASSERT_TRUE(pngFile.open(QIODevice::ReadOnly));
    const QByteArray pngBytes = pngFile.readAll();

    struct Case {
        const char* name;
        QByteArray bytes;
        bool create;
        const char* says;
    } cases[] = {
        {"Text.png", "this is a text file, not a picture", true, "not a PNG image"},
        {"Truncated.png", pngBytes.left(pngBytes.size() / 2), true, "damaged or incomplete"},
        {"Header.png", pngBytes.left(20), true, "header is damaged or incomplete"},
        {"Empty.png", {}, true, "the file is empty"},
        {"Huge.png", ZeroPng::Make(20000, 20000), true, "20000 x 20000 pixels, too large"},
        {"Missing.png", {}, false, "does not exist"},
    };
    for (const auto& c : cases) {
        const QString path = FormPath(c.name);
        if (c.create)
            F->Profile.Write(path, c.bytes);
        F->Platform.Fake.Boxes.clear();
        Load(path);
        ASSERT_EQ(F->Platform.Fake.Boxes.size(), 1u) << c.name;
        const QString text = F->Platform.Fake.Boxes[0].Text;
        EXPECT_TRUE(text.startsWith("Error reading PNG file: ")) << text.toStdString();
        EXPECT_TRUE(text.contains(c.says)) << text.toStdString();
        EXPECT_EQ(M->ImageFilename, good) << c.name;
        EXPECT_EQ(M->AliasName, "Good") << c.name;
        EXPECT_EQ(M->CFGFilename(), FormsFolder + "New Zealand/Good.cfg") << c.name;
        EXPECT_EQ(M->ConfigList(), config) << c.name;
        EXPECT_TRUE(M->ConfigHasChanged()) << c.name;
        EXPECT_EQ(M->Image1->Picture, picture) << c.name;
        EXPECT_TRUE(M->CanUndo()) << c.name;
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << c.name;
    }
}

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define KFD_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define KFD_SANITIZED 1
#endif
#endif

// Caps the process's address space for as long as it lives.
class AddressSpaceCap {
public:
    explicit AddressSpaceCap(qint64 moreBytes) {
        getrlimit(RLIMIT_AS, &FOld);
        QFile statm("/proc/self/statm");
        if (!statm.open(QIODevice::ReadOnly))
            return;
        const qint64 pages = statm.readAll().split(' ').value(0).toLongLong();
        rlimit cap = FOld;
        cap.rlim_cur = rlim_t(pages * sysconf(_SC_PAGESIZE) + moreBytes);
        FSet = pages > 0 && setrlimit(RLIMIT_AS, &cap) == 0;
    }
    ~AddressSpaceCap() {
        if (FSet)
            setrlimit(RLIMIT_AS, &FOld);
    }
    bool Set() const { return FSet; }

private:
    rlimit FOld{};
    bool FSet = false;
};

TEST_F(LoadingTest, NoMemoryForThePictureLeavesThePreviousFormWhole) {
#ifdef KFD_SANITIZED
    GTEST_SKIP() << "the sanitizers reserve address space of their own";
#endif
    WriteLayout("Good.cfg", "K,113,44\r\n");
    const QString good = MakeImage("Good.png", {500, 400});
    Load(good);
    ChooseKey("K2,a second key");
    Click({100, 100});
    ASSERT_TRUE(M->ConfigHasChanged());
    const QImage picture = M->Image1->Picture.copy();
    const QStringList config = M->ConfigList();
    const QStringList lines = M->CheckListBox1->Items();

    // 16000 x 16000 grey decodes to 256 MB; its picture needs 1 GB more.
    const QString scan = FormPath("Big Scan.png");
    WriteLayout("Big Scan.cfg", "Surname,10,10\r\n");
    F->Profile.Write(scan, ZeroPng::Make(16000, 16000, 0));
    F->Platform.Fake.Boxes.clear();
    {
        AddressSpaceCap cap(qint64(700) << 20);
        ASSERT_TRUE(cap.Set());
        Load(scan);
    }
    ASSERT_EQ(F->Platform.Fake.Boxes.size(), 1u);
    EXPECT_TRUE(F->Platform.Fake.Boxes[0].Text.startsWith(
        "Error reading PNG file: not enough memory for a picture of 16000 x 16000 pixels"))
        << F->Platform.Fake.Boxes[0].Text.toStdString();
    EXPECT_EQ(M->ImageFilename, good);
    EXPECT_EQ(M->AliasName, "Good");
    EXPECT_EQ(M->CFGFilename(), FormsFolder + "New Zealand/Good.cfg");
    EXPECT_EQ(M->ConfigList(), config);
    EXPECT_TRUE(M->ConfigHasChanged());
    EXPECT_EQ(M->Image1->Picture, picture);
    EXPECT_EQ(M->Image1->size(), QSize(500, 400));
    EXPECT_EQ(M->CheckListBox1->Items(), lines);
    EXPECT_TRUE(M->CheckListBox1->Checked(0));
    EXPECT_TRUE(M->CheckListBox1->Checked(1));
    EXPECT_TRUE(M->CanUndo());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    // A save files the old form's layout under the old form's name.
    F->Platform.Fake.Answers = {BtnOk};
    M->SaveConfig();
    EXPECT_EQ(F->Profile.Read(FormPath("Good.cfg")), QByteArray("K,113,44\r\nK2,113,94\r\n"));
    EXPECT_EQ(F->Profile.Read(FormPath("Big Scan.cfg")), QByteArray("Surname,10,10\r\n"));
}

TEST_F(LoadingTest, LargeScanOpensAboveQtsDefaultLimit) {
    // 6000 x 6000 in colour is 144 MB decoded, over the 128 MB Qt allows by default.
    const QString path = FormPath("Scan.png");
    F->Profile.Write(path, ZeroPng::Make(6000, 6000, 2));
    Load(path);
    EXPECT_TRUE(F->Platform.Fake.Boxes.empty())
        << F->Platform.Fake.BoxTexts().join("; ").toStdString();
    EXPECT_EQ(M->Image1->Picture.size(), QSize(6000, 6000));
    EXPECT_EQ(M->Image1->Picture.pixel(5999, 5999), qRgb(0, 0, 0));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr); // the wait pointer went away
}

TEST(FormImage, ReadsFromAnyDeviceAndReportsTheSizeFirst) {
    const QByteArray png = ZeroPng::Make(300, 200);
    QBuffer buffer;
    buffer.setData(png);
    buffer.open(QIODevice::ReadOnly);
    QSize seen;
    const QImage img = ReadFormImage(buffer, [&seen](QSize s) { seen = s; });
    EXPECT_EQ(seen, QSize(300, 200));
    EXPECT_EQ(img.size(), QSize(300, 200));

    // Refused before any decoding: the size callback never runs.
    QBuffer huge;
    huge.setData(ZeroPng::Make(20000, 20000));
    huge.open(QIODevice::ReadOnly);
    bool called = false;
    EXPECT_THROW(ReadFormImage(huge, [&called](QSize) { called = true; }), Exception);
    EXPECT_FALSE(called);
}

TEST(FormImage, PictureIsRgbOverWhiteAndReusesItsMemory) {
    QImage grey(30, 20, QImage::Format_Grayscale8);
    grey.fill(0);
    grey.scanLine(4)[3] = 77;
    QImage picture;
    FormPictureInto(picture, grey);
    ASSERT_EQ(picture.format(), QImage::Format_RGB32);
    EXPECT_EQ(picture.pixel(3, 4), qRgb(77, 77, 77));
    EXPECT_EQ(picture.pixel(0, 0), qRgb(0, 0, 0));

    // Same size again: drawn over in place.
    const uchar* bits = picture.constBits();
    grey.fill(200);
    FormPictureInto(picture, grey);
    EXPECT_EQ(picture.constBits(), bits);
    EXPECT_EQ(picture.pixel(3, 4), qRgb(200, 200, 200));

    // A picture shared with a snapshot is never drawn over.
    const QImage snapshot = picture;
    grey.fill(10);
    FormPictureInto(picture, grey);
    EXPECT_EQ(snapshot.pixel(3, 4), qRgb(200, 200, 200));
    EXPECT_EQ(picture.pixel(3, 4), qRgb(10, 10, 10));

    // Colour with transparency, same size and another size: over white.
    for (QSize s : {QSize(30, 20), QSize(31, 20)}) {
        QImage argb(s, QImage::Format_ARGB32);
        argb.fill(Qt::transparent);
        argb.setPixel(1, 1, qRgba(0, 0, 255, 255));
        FormPictureInto(picture, argb);
        EXPECT_EQ(picture.size(), s);
        EXPECT_EQ(picture.pixel(0, 0), qRgb(255, 255, 255));
        EXPECT_EQ(picture.pixel(1, 1), qRgb(0, 0, 255));
    }
    QImage rgb(31, 20, QImage::Format_RGB888);
    rgb.fill(QColor(1, 2, 3));
    FormPictureInto(picture, rgb);
    EXPECT_EQ(picture.pixel(30, 19), qRgb(1, 2, 3));
}

// ---- Filter through the widget ---------------------------------------------------------

TEST_F(LoadingTest, FilterTable) {
    const QStringList all = SplitLines(EditorMaster);
    struct Case {
        const char* typed;
        QStringList shown;
    } cases[] = {
        {"", all},
        {"k2", {"K2,a second key", "Other,Global field for every form"}},
        {"FAMILY", {"Surname,Family name of the person", "Other,Global field for every form"}},
        {"doubled",
         {"Other,Global field for every form", "Dup,first line of a doubled key",
          "Dup,second line of a doubled key"}},
        {"global", {"Other,Global field for every form"}},
        {" ",
         {"K2,a second key", "Surname,Family name of the person",
          "Other,Global field for every form", "Dup,first line of a doubled key",
          "Dup,second line of a doubled key"}},
        {"zzz", {"Other,Global field for every form"}},
        {"\xC3\x89", {"Other,Global field for every form"}}, // accented capital
    };
    Load(MakeImage("F.png", {300, 200}));
    for (const auto& c : cases) {
        M->CheckListBox1->SetChecked(0, true);
        M->FilterEdit->setText("x"); // a change every time
        M->FilterEdit->clear();
        QTest::keyClicks(M->FilterEdit, QString::fromUtf8(c.typed));
        EXPECT_EQ(M->CheckListBox1->Items(), c.shown) << c.typed;
        for (int i = 0; i < M->CheckListBox1->count(); ++i)
            EXPECT_FALSE(M->CheckListBox1->Checked(i)) << c.typed;
    }
}

TEST_F(LoadingTest, EmptyMasterListGivesAnEmptyListForAnyFilter) {
    M->PascalList.clear();
    for (const char* f : {"a", "global", ""}) {
        M->FilterEdit->setText(f);
        M->FilterEditChange();
        EXPECT_EQ(M->CheckListBox1->count(), 0) << f;
    }
}

} // namespace
