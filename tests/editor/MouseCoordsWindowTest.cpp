#include "editor/MouseCoordsWindow.h"
#include "editor/OverlayGeometry.h"

#include <QFontMetrics>
#include <QImage>
#include <QPixmap>
#include <QWidget>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

struct FakeHost : MouseCoordsHost {
    bool Box = false;
    QImage Pic;
    QPoint ImagePos{0, 0};
    QPoint AreaPos{0, 19};
    QSize Client{1000, 500};
    int Font = 12;

    bool BoxInProgress() const override { return Box; }
    const QImage& Picture() const override { return Pic; }
    QPoint Image1Pos() const override { return ImagePos; }
    QPoint ScrollBox1Pos() const override { return AreaPos; }
    QSize ClientSize() const override { return Client; }
    int FontSize() const override { return Font; }
};

// A picture whose every pixel tells where it came from.
QRgb PatternAt(int x, int y) {
    return qRgb((x * 7) & 255, (y * 5) & 255, 90 + ((x + y) & 63));
}

QImage PatternPicture(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, PatternAt(x, y));
    return img;
}

int Luma(QRgb c) {
    return qRed(c) * 299 + qGreen(c) * 587 + qBlue(c) * 114;
}

// One channel of white blended over src at 200/255.
int Tinted(int src) {
    return int(std::lround(src * 55 / 255.0 + 200));
}
int Framed(int src) {
    return int(std::lround(src * 55 / 255.0));
}

bool Near(QRgb got, int r, int g, int b, int tol = 2) {
    return std::abs(qRed(got) - r) <= tol && std::abs(qGreen(got) - g) <= tol &&
           std::abs(qBlue(got) - b) <= tol;
}

class OverlayTest : public ::testing::Test {
protected:
    void SetUp() override {
        Host.Pic = PatternPicture(1200, 900);
        Main = std::make_unique<QWidget>();
        Main->resize(Host.Client);
        Overlay = new TMouseCoordsWindow(Main.get(), &Host);
        Main->show();
    }
    QSize TextSizeFor(const QString& text, int pt) {
        QFont f(QStringLiteral("Tahoma"));
        f.setPixelSize(KeyPixelSize(pt));
        const QImage surface = Overlay->Composition();
        const QFontMetrics fm(f, &surface);
        return QSize(fm.horizontalAdvance(text), fm.height());
    }
    QRgb Source(int x, int y) const { return Host.Pic.pixel(x, y); }

    FakeHost Host;
    std::unique_ptr<QWidget> Main;
    TMouseCoordsWindow* Overlay = nullptr;
};

TEST_F(OverlayTest, CreatedWhiteAt10x10Of130x120) {
    EXPECT_EQ(Overlay->geometry(), QRect(10, 10, 130, 120));
    EXPECT_EQ(Overlay->Composition().size(), QSize(130, 120));
    EXPECT_EQ(Overlay->Tint().size(), QSize(130, 120));
    EXPECT_EQ(Overlay->Composition().pixel(64, 60), qRgb(255, 255, 255));
    EXPECT_TRUE(Overlay->testAttribute(Qt::WA_OpaquePaintEvent));
    EXPECT_TRUE(Overlay->testAttribute(Qt::WA_NoSystemBackground));
}

TEST_F(OverlayTest, HiddenOrEmptyTextChangesNothing) {
    Overlay->Render(100, 50, -1, -1, "KEY");
    const QRect before = Overlay->geometry();
    const QImage comp = Overlay->Composition().copy();

    Overlay->Render(300, 200, 400, 300, "");
    EXPECT_EQ(Overlay->geometry(), before);
    EXPECT_EQ(Overlay->Composition(), comp);

    Overlay->hide();
    Overlay->Render(300, 200, 400, 300, "OTHER");
    EXPECT_EQ(Overlay->geometry(), before);
    EXPECT_EQ(Overlay->Composition(), comp);
}

TEST_F(OverlayTest, SizedToTheTextBesideThePointer) {
    const QSize ts = TextSizeFor("Surname", 12);
    ASSERT_GT(ts.width(), 0);
    Overlay->Render(100, 50, -1, -1, "Surname");
    EXPECT_EQ(Overlay->geometry(), QRect(QPoint(115, 65), ts));
    EXPECT_EQ(Overlay->Composition().size(), ts);
    EXPECT_EQ(Overlay->Tint().size(), ts);

    Host.Font = 20;
    const QSize big = TextSizeFor("Surname", 20);
    Overlay->Render(100, 50, -1, -1, "Surname");
    EXPECT_EQ(Overlay->size(), big);
    EXPECT_GT(big.height(), ts.height());
}

TEST_F(OverlayTest, TextLargerThanTheWindowIsNeitherCutNorShifted) {
    // A long key at a large size, wider and taller than a small window.
    Host.Client = QSize(300, 60);
    Main->resize(Host.Client);
    Host.Font = 48;
    Host.Pic.fill(Qt::white);
    const QString key = QStringLiteral("Surname of the person, in full");
    const QSize ts = TextSizeFor(key, 48);
    ASSERT_GT(ts.width(), Host.Client.width());
    ASSERT_GT(ts.height(), Host.Client.height() - 25);
    Overlay->Render(40, 10, -1, -1, key);
    EXPECT_EQ(Overlay->size(), ts);
    EXPECT_EQ(Overlay->Composition().size(), ts);
    // Placed by the edge rules for its whole size: left of and above the pointer.
    EXPECT_EQ(Overlay->pos(), QPoint(40 + 5 - ts.width(), 10 + 5 - ts.height()));
    // The whole text is drawn: its ink reaches beyond the window's width.
    const QImage comp = Overlay->Composition();
    int inkRight = -1;
    for (int y = 0; y < comp.height(); ++y)
        for (int x = 0; x < comp.width(); ++x)
            if (comp.pixel(x, y) != qRgb(255, 255, 255))
                inkRight = std::max(inkRight, x);
    EXPECT_GT(inkRight, Host.Client.width());
    EXPECT_GE(inkRight, ts.width() * 9 / 10);
}

TEST_F(OverlayTest, JumpsLeftAndUpNearTheEdges) {
    struct Case {
        int x, y, w, h;
        QRect expected;
    } cases[] = {
        {925, 50, 60, 30, {940, 65, 60, 30}},
        {926, 50, 60, 30, {871, 65, 60, 30}},
        {100, 445, 60, 30, {115, 460, 60, 30}},
        {100, 446, 60, 30, {115, 421, 60, 30}},
        {990, 490, 60, 30, {935, 465, 60, 30}},
        // Only exactly -1 sizes to the text; -1 in one dimension only.
        {100, 50, 60, -1, {115, 65, 60, TextSizeFor("K", 12).height()}},
    };
    for (const auto& c : cases) {
        Overlay->Render(c.x, c.y, c.w, c.h, "K");
        EXPECT_EQ(Overlay->geometry(), c.expected) << c.x << "," << c.y;
    }
}

TEST_F(OverlayTest, OutsideABoxDragThePictureShowsThroughAroundBlackText) {
    Overlay->Render(100, 50, 300, 80, "Name");
    const QImage comp = Overlay->Composition();
    ASSERT_EQ(comp.size(), QSize(300, 80));
    const QSize ts = TextSizeFor("Name", 12);
    int text = 0, dark = 0;
    for (int y = 0; y < comp.height(); ++y)
        for (int x = 0; x < comp.width(); ++x) {
            const QRgb got = comp.pixel(x, y), src = Source(113 + x, 44 + y);
            if (x >= ts.width() || y >= ts.height()) {
                ASSERT_EQ(got, src) << x << "," << y; // untouched copy, no tint
            } else if (got != src) {
                ++text;
                EXPECT_LT(Luma(got), Luma(src)) << x << "," << y; // text only darkens
                if (qRed(got) < 40 && qGreen(got) < 40 && qBlue(got) < 40)
                    ++dark;
            }
        }
    EXPECT_GT(text, 0);
    EXPECT_GT(dark, 0); // black glyph cores
}

TEST_F(OverlayTest, BoxDragTintsWhiteWithABlackFrame) {
    Host.Box = true;
    Overlay->Render(100, 50, 300, 80, "Name");
    EXPECT_EQ(Overlay->geometry(), QRect(115, 65, 300, 80));
    const QImage comp = Overlay->Composition();
    auto tinted = [&](int x, int y) {
        const QRgb s = Source(113 + x, 44 + y);
        return Near(comp.pixel(x, y), Tinted(qRed(s)), Tinted(qGreen(s)), Tinted(qBlue(s)));
    };
    auto framed = [&](int x, int y) {
        const QRgb s = Source(113 + x, 44 + y);
        return Near(comp.pixel(x, y), Framed(qRed(s)), Framed(qGreen(s)), Framed(qBlue(s)));
    };
    for (int x : {150, 200, 298})
        for (int y : {30, 60, 78})
            EXPECT_TRUE(tinted(x, y)) << x << "," << y;
    for (int x : {0, 1, 150, 299})
        EXPECT_TRUE(framed(x, 79)) << "bottom " << x;
    for (int y : {0, 40, 79}) {
        EXPECT_TRUE(framed(0, y)) << "left " << y;
        EXPECT_TRUE(framed(299, y)) << "right " << y;
    }
    EXPECT_TRUE(framed(200, 0));
    // Text in the top-left corner: some pixels there much darker than the tint.
    bool anyText = false;
    const QSize ts = TextSizeFor("Name", 12);
    for (int y = 1; y < ts.height() && !anyText; ++y)
        for (int x = 1; x < ts.width() && !anyText; ++x)
            anyText = Luma(comp.pixel(x, y)) < 100 * 1000;
    EXPECT_TRUE(anyText);

    // Ending the drag drops the tint again.
    Host.Box = false;
    Overlay->Render(100, 50, 300, 80, "Name");
    EXPECT_EQ(Overlay->Composition().pixel(200, 60), Source(313, 104));
}

TEST_F(OverlayTest, ScrolledPictureIsSampledUnderTheOverlay) {
    Host.ImagePos = QPoint(-30, -400);
    Overlay->Render(100, 50, 200, 60, "K");
    EXPECT_EQ(Overlay->geometry(), QRect(115, 65, 200, 60));
    EXPECT_EQ(Overlay->Composition().pixel(150, 40), Source(143 + 150, 444 + 40));
    EXPECT_EQ(Overlay->Composition().pixel(199, 59), Source(143 + 199, 444 + 59));
}

TEST_F(OverlayTest, BesideASmallPictureTheOverlayIsWhite) {
    Host.Pic = PatternPicture(150, 60);
    Overlay->Render(100, 30, 100, 60, "K");
    // Source starts at (113, 24): columns from 37 on and rows from 36 on lie off the picture.
    const QImage comp = Overlay->Composition();
    EXPECT_EQ(comp.pixel(30, 30), Source(143, 54));
    EXPECT_EQ(comp.pixel(37, 30), qRgb(255, 255, 255));
    EXPECT_EQ(comp.pixel(30, 36), qRgb(255, 255, 255));
    EXPECT_EQ(comp.pixel(99, 59), qRgb(255, 255, 255));

    Host.Pic = QImage(); // nothing loaded yet
    Overlay->Render(100, 30, 100, 60, "K");
    EXPECT_EQ(Overlay->Composition().pixel(99, 59), qRgb(255, 255, 255));
}

TEST_F(OverlayTest, DegenerateBoxesNeverGiveAnEmptySurface) {
    Host.Box = true;
    struct Case {
        int w, h;
        QSize expected;
    } cases[] = {
        {0, 0, {1, 1}},
        {-25, 40, {1, 40}},
        {120, -3, {120, 1}},
        {-1, -7, {0, 1}},
        {100000, 100000, {1000, 500}},
    };
    for (auto& c : cases) {
        if (c.expected.width() == 0)
            c.expected.setWidth(TextSizeFor("K", 12).width());
        Overlay->Render(300, 200, c.w, c.h, "K");
        EXPECT_EQ(Overlay->size(), c.expected) << c.w << "x" << c.h;
        EXPECT_EQ(Overlay->Composition().size(), c.expected) << c.w << "x" << c.h;
        EXPECT_EQ(Overlay->Tint().size(), c.expected) << c.w << "x" << c.h;
    }
}

TEST_F(OverlayTest, ScreenShowsTheLastComposition) {
    Host.Box = true;
    Overlay->Render(100, 50, 240, 70, "Name");
    const QImage shown = Overlay->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shown, Overlay->Composition());
}

TEST_F(OverlayTest, FrameFollowsTheBoxAsItGrowsAndShrinks) {
    Host.Box = true;
    Overlay->Render(100, 50, 240, 70, "Name");
    const uchar* bits = Overlay->Composition().constBits();
    Overlay->Render(100, 50, 260, 90, "Name");
    Overlay->Render(100, 50, 230, 60, "Name");
    // Shrinking and growing a little reuse the surfaces.
    EXPECT_EQ(Overlay->Composition().constBits(), bits);
    QImage tint = Overlay->Tint();
    ASSERT_EQ(tint.size(), QSize(230, 60));
    EXPECT_EQ(tint.pixel(229, 59), qRgb(0, 0, 0));
    EXPECT_EQ(tint.pixel(229, 30), qRgb(0, 0, 0));
    EXPECT_EQ(tint.pixel(100, 30), qRgb(255, 255, 255));

    // Growing again: the earlier, smaller frame is gone from the inside.
    Overlay->Render(100, 50, 250, 80, "Name");
    tint = Overlay->Tint();
    EXPECT_EQ(tint.pixel(229, 59), qRgb(255, 255, 255));
    EXPECT_EQ(tint.pixel(229, 30), qRgb(255, 255, 255));
    EXPECT_EQ(tint.pixel(249, 79), qRgb(0, 0, 0));
    const QRgb s = Source(113 + 229, 44 + 30);
    EXPECT_TRUE(Near(Overlay->Composition().pixel(229, 30), Tinted(qRed(s)), Tinted(qGreen(s)),
                     Tinted(qBlue(s))));

    // A much larger box gets larger surfaces.
    Overlay->Render(100, 50, 700, 400, "Name");
    EXPECT_EQ(Overlay->Composition().size(), QSize(700, 400));
    EXPECT_EQ(Overlay->Tint().pixel(699, 399), qRgb(0, 0, 0));
    EXPECT_EQ(Overlay->Tint().pixel(249, 79), qRgb(255, 255, 255));
}

} // namespace
