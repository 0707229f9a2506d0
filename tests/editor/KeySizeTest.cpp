// Keys are written at one pixel size whatever resolution the PNG stores:
// FormFontSize 12 is 16 pixels, on the picture and in the overlay alike.
#include "EditorFixture.h"

#include "catalogue/CatalogueFiles.h"
#include "editor/OverlayGeometry.h"

#include <QFontMetrics>
#include <QImageReader>
#include <QPainter>

namespace {

const QString Key = QStringLiteral("Surname");
const QString KeyLine = QStringLiteral("Surname,Family name of the person");

constexpr int DotsPerMeter(int dpi) {
    return int(dpi / 0.0254 + 0.5);
}

// A white form image in one of the PNG colour types, storing its resolution.
QImage FormOf(QSize size, const char* form, int dpi) {
    QImage img;
    const QByteArray f(form);
    if (f == "grey") {
        img = QImage(size, QImage::Format_Grayscale8);
        img.fill(255);
    } else if (f == "RGB") {
        img = QImage(size, QImage::Format_RGB888);
        img.fill(Qt::white);
    } else if (f == "palette") {
        img = QImage(size, QImage::Format_Indexed8);
        img.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0), qRgb(200, 30, 30)});
        img.fill(0);
    } else { // alpha: transparent, which the picture shows white
        img = QImage(size, QImage::Format_ARGB32);
        img.fill(Qt::transparent);
    }
    img.setDotsPerMeterX(DotsPerMeter(dpi));
    img.setDotsPerMeterY(DotsPerMeter(dpi));
    return img;
}

// The ink of Key as a 16-pixel "Tahoma" writes it, relative to the text's
// top-left corner.
QRect ReferenceInk() {
    QImage img(400, 100, QImage::Format_RGB32);
    img.fill(Qt::white);
    {
        QPainter p(&img);
        QFont font(QStringLiteral("Tahoma"));
        font.setPixelSize(16);
        p.setFont(font);
        p.setPen(Qt::black);
        p.drawText(QPointF(20, 20 + p.fontMetrics().ascent()), Key);
    }
    return PixelBounds(img, NotWhite).translated(-20, -20);
}

class KeySizeTest : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        FormFontSize = 12;
    }
    QString Save(const QString& name, const QImage& img) const {
        const QString path = FormPath(name);
        F->Profile.Write(path, {});
        EXPECT_TRUE(img.save(path, "PNG"));
        return path;
    }
    // Loads the form, shows the overlay for Key at client (100, 50) and
    // places Key there. Gives the ink of the placed key and of the overlay's
    // text, both relative to the text's top-left corner.
    void PlaceAndMeasure(const QString& path, QRect& picture, QRect& overlay) {
        F->Platform.Fake.Boxes.clear();
        Load(path);
        // The previous form's placement is unsaved: only the close question
        // (answered No) may have been asked.
        const QStringList boxes = F->Platform.Fake.BoxTexts();
        ASSERT_TRUE(boxes.isEmpty() || boxes == QStringList{"Config has changed. Save?"})
            << boxes.join("; ").toStdString();
        ChooseKey(KeyLine);
        Move({90, 40});
        Move({100, 50});
        ASSERT_TRUE(M->MouseCoordsWindow->isVisible());
        // The picture under the overlay is white: the ink is the text.
        overlay = PixelBounds(M->MouseCoordsWindow->Composition(), NotWhite);
        Click({100, 50});
        ASSERT_EQ(M->ConfigList().last(), "Surname,113,44");
        const QImage around = M->Image1->RenderedPicture(QRect(113 - 10, 44 - 10, 400, 150));
        picture = PixelBounds(around, NotWhite).translated(-10, -10);
    }
};

TEST_F(KeySizeTest, EveryResolutionAndColourTypeGivesThe16PixelKey) {
    const QRect reference = ReferenceInk();
    // 16 pixels of font: the ink of "Surname" (no descender) is a little less.
    ASSERT_GE(reference.height(), 9);
    ASSERT_LE(reference.height(), 16);
    for (const char* form : {"grey", "RGB", "palette", "alpha"})
        for (int dpi : {72, 96, 150, 300, 600}) {
            const QString what = QStringLiteral("%1 at %2 DPI").arg(form).arg(dpi);
            const QString path =
                Save(QStringLiteral("%1-%2.png").arg(form).arg(dpi), FormOf({700, 500}, form, dpi));
            // The file does store the resolution the case is about.
            ASSERT_EQ(QImageReader(path).read().dotsPerMeterY(), DotsPerMeter(dpi))
                << what.toStdString();
            QRect picture, overlay;
            PlaceAndMeasure(path, picture, overlay);
            EXPECT_EQ(picture, reference) << what.toStdString();
            EXPECT_EQ(overlay, reference) << what.toStdString();
        }
}

TEST_F(KeySizeTest, TheImageLoadedBeforeDoesNotChangeTheSize) {
    const QRect reference = ReferenceInk();
    // Same size: the second load draws into the first one's picture memory.
    const QString fine = Save("Fine.png", FormOf({700, 500}, "grey", 600));
    const QString coarse = Save("Coarse.png", FormOf({700, 500}, "grey", 72));
    const QString screen = Save("Screen.png", FormOf({700, 500}, "RGB", 96));
    for (const QString& path : {fine, coarse, fine, screen, fine, fine}) {
        QRect picture, overlay;
        PlaceAndMeasure(path, picture, overlay);
        EXPECT_EQ(picture, reference) << path.toStdString();
        EXPECT_EQ(overlay, reference) << path.toStdString();
    }
}

TEST_F(KeySizeTest, A4At600DpiKeysMatchA150DpiForm) {
    const QRect reference = ReferenceInk();
    QRect a4Picture, a4Overlay, formPicture, formOverlay;
    PlaceAndMeasure(Save("A4-600.png", FormOf({4960, 7016}, "grey", 600)), a4Picture, a4Overlay);
    EXPECT_EQ(M->Image1->Picture.size(), QSize(4960, 7016));
    PlaceAndMeasure(Save("A4-150.png", FormOf({1240, 1754}, "grey", 150)), formPicture,
                    formOverlay);
    EXPECT_EQ(a4Picture, reference);
    EXPECT_EQ(a4Overlay, reference);
    EXPECT_EQ(formPicture, reference);
    EXPECT_EQ(formOverlay, reference);

    // Layout keys drawn by the load itself get the same size.
    WriteLayout("A4-600.cfg", "Surname,300,400\r\n");
    Load(FormPath("A4-600.png"));
    const QRect drawn =
        PixelBounds(M->Image1->RenderedPicture(QRect(290, 390, 600, 200)), NotWhite);
    EXPECT_EQ(drawn.translated(-10, -10), reference);
}

} // namespace
