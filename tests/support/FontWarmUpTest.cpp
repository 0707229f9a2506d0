#include "platform/FontWarmUp.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QStringList>
#include <gtest/gtest.h>

namespace {

TEST(FontWarmUp, RunsWhereQtsFontLibraryIsInTheProcess) {
    const FontWarmUp warmUp;
    EXPECT_TRUE(warmUp.Started());
}

// The warm-up may still be loading while the window layer measures its first
// texts: both go on and the texts are measured as usual.
TEST(FontWarmUp, TextsMeasuredMeanwhileAreMeasuredAsWithout) {
    QFont tahoma(QStringLiteral("Tahoma"), 8);
    const int before = QFontMetrics(tahoma).horizontalAdvance(QStringLiteral("Bild laden"));
    ASSERT_GT(before, 0);
    for (int i = 0; i < 5; ++i) {
        const FontWarmUp warmUp;
        EXPECT_FALSE(QFontDatabase::families().isEmpty());
        EXPECT_EQ(QFontMetrics(tahoma).horizontalAdvance(QStringLiteral("Bild laden")), before);
    }
}

} // namespace
