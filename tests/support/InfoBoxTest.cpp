#include "support/InfoBox2U.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

QFontMetrics NoticeMetrics() {
    QFont f("Tahoma", 12);
    f.setBold(true);
    return QFontMetrics(f);
}

TEST(Notice, SizedFromTheTextAndCentredOnThePrimaryScreen) {
    TInfoForm2 notice;
    const QFontMetrics fm = NoticeMetrics();
    const QString line = "Form saved as \"Example Form\" under Key \"ExampleForm\"";
    notice.Txt(line, 0, 0, 0, clBlue);
    EXPECT_EQ(notice.width(), fm.horizontalAdvance(line) + 50);
    EXPECT_EQ(notice.height(), fm.height() + 5 + 30);
    const QSize screen = QGuiApplication::primaryScreen()->size();
    EXPECT_EQ(notice.x(), screen.width() / 2 - notice.width() / 2);
    EXPECT_EQ(notice.y(), screen.height() / 2 - notice.height() / 2);
    EXPECT_TRUE(notice.isVisible());
    EXPECT_FALSE(notice.Timer1->isActive()); // delay 0: stays until "X"
    EXPECT_TRUE(notice.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(notice.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_NEAR(notice.windowOpacity(), 200 / 255.0, 0.01);
    EXPECT_EQ(notice.CloseBtn->text(), "X");
    EXPECT_EQ(notice.CloseBtn->size(), QSize(19, 19));
    EXPECT_EQ(notice.CloseBtn->x(), notice.Panel1->contentsRect().width() - 23);
    notice.CloseBtn->click();
    EXPECT_FALSE(notice.isVisible());
}

TEST(Notice, SeveralLinesTakeTheWidestAndGivenPosition) {
    TInfoForm2 notice;
    const QFontMetrics fm = NoticeMetrics();
    notice.Txt("short\r\na much longer second line\nthird\r", 0, 100, 0, clBlue);
    EXPECT_EQ(notice.height(), 3 * (fm.height() + 5) + 30);
    EXPECT_EQ(notice.width(), fm.horizontalAdvance("a much longer second line") + 50);
    EXPECT_EQ(notice.x(), 100);
    EXPECT_EQ(notice.y(),
              QGuiApplication::primaryScreen()->size().height() / 2 - notice.height() / 2);
    // The text is drawn in the given colour (0x00BBGGRR: blue).
    const QImage picture = notice.Image1->pixmap().toImage();
    bool blue = false;
    for (int y = 0; y < picture.height() && !blue; ++y)
        for (int x = 0; x < picture.width() && !blue; ++x)
            blue = picture.pixelColor(x, y) == QColor(0, 0, 255);
    EXPECT_TRUE(blue);
}

TEST(Notice, EmptyTextShowsAnEmptyNoticeWithoutFailing) {
    TInfoForm2 notice;
    notice.Txt("", 0, 0, 0, clBlue);
    EXPECT_EQ(notice.height(), 30);
    EXPECT_TRUE(notice.isVisible());
}

TEST(Notice, HidesItselfAfterItsDelay) {
    TInfoForm2 notice;
    notice.Txt("saved", 150, 0, 0, clBlue);
    EXPECT_TRUE(notice.Timer1->isActive());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !notice.isVisible(); }, 5000));
    EXPECT_FALSE(notice.Timer1->isActive()); // fires once per arming
}

TEST(Notice, ANoticeWithTheSameDelayKeepsTheRunningCountdown) {
    TInfoForm2 notice;
    notice.Txt("first", 2000, 0, 0, clBlue);
    QTest::qWait(300);
    notice.CloseBtn->click(); // hides, the countdown goes on
    EXPECT_FALSE(notice.isVisible());
    notice.Txt("second", 2000, 0, 0, clBlue);
    EXPECT_TRUE(notice.isVisible());
    EXPECT_LE(notice.Timer1->remainingTime(), 1800);
    // A different delay starts a fresh countdown.
    notice.Txt("third", 5000, 0, 0, clBlue);
    EXPECT_GT(notice.Timer1->remainingTime(), 4000);
}

} // namespace
