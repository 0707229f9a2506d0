#include <QGuiApplication>
#include <gtest/gtest.h>

// Core tests may measure and draw text, which needs a GUI application object
// (the offscreen platform, no display).
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
