#include "editor/WindowFit.h"

#include <gtest/gtest.h>

namespace {

struct FitCase {
    const char* name;
    QSize screen;
    int imageWidth;
    int currentLeft;
    WindowFit expected;
};

TEST(WindowFit, Examples) {
    const FitCase cases[] = {
        // The image fits; the window is capped at 1280 and keeps its place.
        {"800 on 1920", {1920, 1080}, 800, 100, {100, 0, 1280, 1080, 800, 200}},
        // Capped window that would run off the screen goes to the left edge.
        {"800 on 1920, far right", {1920, 1080}, 800, 700, {0, 0, 1280, 1080, 800, 200}},
        {"800 on 1920, flush right", {1920, 1080}, 800, 640, {640, 0, 1280, 1080, 800, 200}},
        // 1024 is not less than 800 + 222: fits, window the screen width.
        {"800 on 1024", {1024, 768}, 800, 0, {0, 0, 1024, 768, 800, 200}},
        {"800 on 1024, moved", {1024, 768}, 800, 5, {0, 0, 1024, 768, 800, 200}},
        // Exactly the bound: fits.
        {"800 on 1022", {1022, 700}, 800, 0, {0, 0, 1022, 700, 800, 200}},
        // 1000 < 1022: the image scrolls inside 1000 - 222.
        {"800 on 1000", {1000, 700}, 800, 50, {0, 0, 1000, 700, 778, 200}},
        {"wider than screen", {1920, 1080}, 2480, 300, {0, 0, 1920, 1080, 1698, 200}},
        {"1281 screen", {1281, 900}, 500, 1, {1, 0, 1280, 900, 500, 200}},
        {"1281 screen, off by one", {1281, 900}, 500, 2, {0, 0, 1280, 900, 500, 200}},
        // An A4 scan at 150 DPI: the cap gives way so the list keeps 200 pixels.
        {"1240 on 1920", {1920, 1080}, 1240, 0, {0, 0, 1462, 1080, 1240, 200}},
        {"1240 on 1920, far right", {1920, 1080}, 1240, 500, {0, 0, 1462, 1080, 1240, 200}},
        {"1240 on 1462", {1462, 900}, 1240, 0, {0, 0, 1462, 900, 1240, 200}},
        // Degenerate screens never give a negative scroll width.
        {"tiny screen", {100, 80}, 50, 10, {0, 0, 100, 80, 0, 200}},
        {"huge image", {1920, 1080}, 2147483600, 10, {0, 0, 1920, 1080, 1698, 200}},
    };
    for (const auto& c : cases) {
        const WindowFit f = FitMainWindow(c.screen, c.imageWidth, c.currentLeft);
        EXPECT_EQ(f.Left, c.expected.Left) << c.name;
        EXPECT_EQ(f.Top, c.expected.Top) << c.name;
        EXPECT_EQ(f.Width, c.expected.Width) << c.name;
        EXPECT_EQ(f.Height, c.expected.Height) << c.name;
        EXPECT_EQ(f.ScrollClientWidth, c.expected.ScrollClientWidth) << c.name;
        EXPECT_EQ(f.FieldListWidth, c.expected.FieldListWidth) << c.name;
    }
}

} // namespace
