#include "support/DesignerStyle.h"

#include <QApplication>
#include <QPainter>
#include <QPushButton>
#include <QStyleOption>
#include <QToolBar>
#include <gtest/gtest.h>

#include <string>

namespace {

QImage Drawn(const QIcon& icon, int size) {
    return icon.pixmap(QSize(size, size)).toImage().convertToFormat(QImage::Format_ARGB32);
}

// What painting into a picture shows, which goes through the image's own paint.
QImage Painted(const QIcon& icon, int size) {
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    icon.paint(&p, image.rect());
    p.end();
    return image;
}

struct ImageCase {
    QStyle::StandardPixmap Pixmap;
    Qt::LayoutDirection Direction;
};

class DeferredImages : public ::testing::TestWithParam<ImageCase> {};

TEST_P(DeferredImages, LookExactlyAsThePlatformStyleMakesThem) {
    DesignerStyle style;
    QStyleOption option;
    option.direction = GetParam().Direction;
    const QIcon asked = style.standardIcon(GetParam().Pixmap, &option, nullptr);
    const QIcon made = style.ImmediateIcon(GetParam().Pixmap, &option, nullptr);
    ASSERT_FALSE(made.isNull());
    EXPECT_FALSE(asked.isNull());
    for (int size : {16, 24, 32}) {
        EXPECT_EQ(Drawn(asked, size), Drawn(made, size)) << size;
        EXPECT_EQ(Painted(asked, size), Painted(made, size)) << size;
        EXPECT_EQ(asked.actualSize(QSize(size, size)), made.actualSize(QSize(size, size)));
    }
    EXPECT_EQ(asked.availableSizes(), made.availableSizes());
    EXPECT_EQ(asked.name(), made.name());
}

INSTANTIATE_TEST_SUITE_P(
    StandardImages, DeferredImages,
    ::testing::Values(ImageCase{QStyle::SP_DialogOkButton, Qt::LeftToRight},
                      ImageCase{QStyle::SP_DialogCancelButton, Qt::LeftToRight},
                      ImageCase{QStyle::SP_DialogHelpButton, Qt::LeftToRight},
                      ImageCase{QStyle::SP_DialogResetButton, Qt::LeftToRight},
                      ImageCase{QStyle::SP_ToolBarHorizontalExtensionButton, Qt::LeftToRight},
                      ImageCase{QStyle::SP_ToolBarHorizontalExtensionButton, Qt::RightToLeft},
                      ImageCase{QStyle::SP_ToolBarVerticalExtensionButton, Qt::LeftToRight},
                      ImageCase{QStyle::SP_ArrowBack, Qt::LeftToRight},
                      ImageCase{QStyle::SP_ArrowBack, Qt::RightToLeft},
                      ImageCase{QStyle::SP_ArrowForward, Qt::RightToLeft},
                      ImageCase{QStyle::SP_ArrowUp, Qt::LeftToRight},
                      ImageCase{QStyle::SP_FileDialogDetailedView, Qt::LeftToRight},
                      // Not deferred: passed straight through.
                      ImageCase{QStyle::SP_MessageBoxWarning, Qt::LeftToRight}),
    [](const ::testing::TestParamInfo<ImageCase>& info) {
        return "Image" + std::to_string(int(info.param.Pixmap)) +
               (info.param.Direction == Qt::RightToLeft ? "RightToLeft" : "LeftToRight");
    });

TEST(DeferredImages, OutliveTheWidgetAndTheStyleTheyWereAskedFor) {
    QIcon icon;
    QImage expected;
    {
        DesignerStyle style;
        expected = Drawn(style.ImmediateIcon(QStyle::SP_DialogOkButton, nullptr, nullptr), 16);
        auto* button = new QPushButton;
        icon = style.standardIcon(QStyle::SP_DialogOkButton, nullptr, button);
        delete button;
    }
    // Both gone: the application's style makes the image.
    const QImage drawn = Drawn(icon, 16);
    EXPECT_FALSE(drawn.isNull());
    EXPECT_EQ(drawn, Drawn(QApplication::style()->standardIcon(QStyle::SP_DialogOkButton), 16));
    EXPECT_EQ(drawn.size(), expected.size());
}

TEST(DeferredImages, CopiesDrawTheSameImage) {
    DesignerStyle style;
    QIcon first = style.standardIcon(QStyle::SP_ArrowUp, nullptr, nullptr);
    QIcon copy = first;
    const QImage fromCopy = Drawn(copy, 16);
    EXPECT_EQ(Drawn(first, 16), fromCopy);
    // A copy changed on its own keeps the original's images.
    QPixmap red(16, 16);
    red.fill(Qt::red);
    copy.addPixmap(red, QIcon::Disabled);
    EXPECT_EQ(Drawn(first, 16), fromCopy);
    EXPECT_EQ(copy.pixmap(16, QIcon::Disabled).toImage().pixelColor(8, 8), QColor(Qt::red));
}

TEST(HintTimings, OffUntilSwitchedOnThenFiftyAndTwentyFiveMilliseconds) {
    DesignerStyle style;
    QProxyStyle plain;
    EXPECT_EQ(style.styleHint(QStyle::SH_ToolTip_WakeUpDelay),
              plain.styleHint(QStyle::SH_ToolTip_WakeUpDelay));
    EXPECT_EQ(style.styleHint(QStyle::SH_ToolTip_FallAsleepDelay),
              plain.styleHint(QStyle::SH_ToolTip_FallAsleepDelay));
    style.SetHintTimings(true);
    EXPECT_EQ(style.styleHint(QStyle::SH_ToolTip_WakeUpDelay), 50);
    EXPECT_EQ(style.styleHint(QStyle::SH_ToolTip_FallAsleepDelay), 25);
    EXPECT_EQ(style.styleHint(QStyle::SH_ToolBox_SelectedPageTitleBold),
              plain.styleHint(QStyle::SH_ToolBox_SelectedPageTitleBold));
}

TEST(HintTimings, SwitchingOnKeepsAnInstalledStyleSoNoWindowIsPolishedAgain) {
    DesignerStyle* installed = InstallDesignerStyle();
    ASSERT_EQ(QApplication::style(), installed);
    EXPECT_FALSE(installed->HintTimings());
    QToolBar bar;
    bar.ensurePolished();
    EnableHintTimings();
    EXPECT_EQ(QApplication::style(), installed);
    EXPECT_TRUE(installed->HintTimings());
    EXPECT_EQ(QApplication::style()->styleHint(QStyle::SH_ToolTip_WakeUpDelay), 50);
    EXPECT_EQ(InstallDesignerStyle(), installed);
}

} // namespace
