#include "editor/ImageControl.h"
#include "editor/LayoutDocument.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QUndoStack>
#include <gtest/gtest.h>

namespace {

// Bounding box of the pixels where two pictures differ.
QRect Difference(const QImage& a, const QImage& b) {
    QRect box;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                box = box.united(QRect(x, y, 1, 1));
    return box;
}

class ImageControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        Control.SetPictureSize({600, 400});
        QFont font(QStringLiteral("Tahoma"));
        font.setPixelSize(16);
        Control.SetKeyFont(font);
        Control.SetDocument(&Document);
        Document.Load(QString());
        Blank = Control.RenderedPicture();
    }
    TImageControl Control;
    LayoutDocument Document;
    QImage Blank;
    QTemporaryDir Dir;
};

// What an entry draws lies within the region a change of it repaints;
// otherwise moving or undoing it would leave pixels of it behind.
TEST_F(ImageControlTest, EveryEntryDrawsOnlyWithinItsRegion) {
    const struct {
        const char* line;
    } cases[] = {
        {"K,113,44"},
        {"Surname,300,200"},
        {"WWWWWWWWWWWWWWWW,10,10"},
        {"Box,100,100,200,150"},
        {"Box,100,100,11,11"},
        {"Edge,590,390"},
        {"Negative,-5,-3"},
        {"Reversed,400,300,-300,-200"},
        {"Far,100,100,2000000000,2000000000"},
    };
    for (const auto& c : cases) {
        // As a hand-edited layout file holds it.
        const QString file = Dir.filePath(QStringLiteral("layout.cfg"));
        {
            QFile f(file);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(QByteArray(c.line) + "\r\n");
        }
        ASSERT_TRUE(Document.Load(file));
        const auto entry = ParseLayoutLine(QString::fromLatin1(c.line));
        ASSERT_TRUE(entry) << c.line;
        ASSERT_TRUE(Document.Entry(0)) << c.line;
        const QRect drawn = Difference(Blank, Control.RenderedPicture());
        if (entry->X > 0 && entry->X < 580) {
            EXPECT_FALSE(drawn.isEmpty()) << c.line;
        }
        EXPECT_TRUE(Control.EntryRegion(*entry).contains(drawn) || drawn.isEmpty())
            << c.line << ": drawn " << drawn.x() << "," << drawn.y() << " " << drawn.width() << "x"
            << drawn.height();
    }
}

TEST_F(ImageControlTest, UndoAndRedoLeaveNothingBehind) {
    Document.PlacePoint(QStringLiteral("K"), 113, 44);
    const QImage first = Control.RenderedPicture();
    Document.PlaceBox(QStringLiteral("K"), 300, 200, 150, 80);
    Document.PlacePoint(QStringLiteral("K2"), 50, 300);
    const QImage last = Control.RenderedPicture();
    Document.UndoStack()->undo();
    Document.UndoStack()->undo();
    EXPECT_EQ(Control.RenderedPicture(), first);
    Document.UndoStack()->undo();
    EXPECT_EQ(Control.RenderedPicture(), Blank);
    for (int i = 0; i < 3; ++i)
        Document.UndoStack()->redo();
    EXPECT_EQ(Control.RenderedPicture(), last);
    // The form image itself never changes.
    QImage white(600, 400, QImage::Format_RGB32);
    white.fill(Qt::white);
    EXPECT_EQ(Control.Picture, white);
}

} // namespace
