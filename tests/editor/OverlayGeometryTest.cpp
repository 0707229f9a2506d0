#include "editor/OverlayGeometry.h"

#include <gtest/gtest.h>

namespace {

TEST(OverlayGeometry, OnlyMinusOneSizesToText) {
    const QSize text(57, 16);
    struct Case {
        int w, h;
        QSize expected;
    } cases[] = {
        {-1, -1, {57, 16}}, {-1, 40, {57, 40}}, {300, -1, {300, 16}}, {300, 40, {300, 40}},
        {0, 0, {0, 0}},     {-2, -5, {-2, -5}}, {-1, 0, {57, 0}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(OverlaySize(c.w, c.h, text), c.expected) << c.w << "x" << c.h;
}

TEST(OverlayGeometry, SurfaceIsNeverEmptyAndABoxNoLargerThanTheWindow) {
    const QSize client(1000, 500);
    const QSize text(60, 16);
    const struct {
        const char* name;
        QSize requested, text, expected;
    } cases[] = {
        {"box", {300, 40}, text, {300, 40}},
        {"empty box", {0, 0}, text, {1, 1}},
        {"dragged left", {-20, 40}, text, {1, 40}},
        {"dragged up", {300, -1}, text, {300, 1}},
        {"box beyond the window", {100000, 100000}, text, {1000, 500}},
        {"text wider than the window", {1400, 16}, {1400, 16}, {1400, 16}},
        {"text taller than the window", {200, 700}, {200, 700}, {200, 700}},
        {"box beyond the window and a wide text", {5000, 40}, {1400, 16}, {1400, 40}},
        {"text beyond any sense", {900000, 2000}, {900000, 2000}, {OverlayMaxExtent, 2000}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(OverlaySurfaceSize(c.requested, client, c.text), c.expected) << c.name;
    EXPECT_EQ(OverlaySurfaceSize({5, 5}, QSize(0, 0), QSize(0, 0)), QSize(1, 1));
}

TEST(OverlayGeometry, KeyPixelSizeIsPointsAt96PixelsPerInch) {
    const struct {
        int points, pixels;
    } cases[] = {{12, 16}, {9, 12}, {6, 8},  {8, 11}, {10, 13},    {24, 32},
                 {72, 96}, {0, 1},  {-5, 1}, {1, 1},  {5000, 1333}};
    for (const auto& c : cases)
        EXPECT_EQ(KeyPixelSize(c.points), c.pixels) << c.points;
}

struct PosCase {
    const char* name;
    int x, y;
    QSize size;
    QPoint expected;
};

TEST(OverlayGeometry, PlacementBesideThePointer) {
    const QSize client(1000, 500);
    const QPoint origin(2, 21);
    const PosCase cases[] = {
        {"plain: 13 right, 6 up of the pointer", 100, 50, {60, 16}, {115, 65}},
        // Right test: X + 15 > CW - Width, no margin.
        {"right edge exactly fits", 925, 50, {60, 16}, {940, 65}},
        {"one past the right edge jumps left", 926, 50, {60, 16}, {926 + 5 - 60, 65}},
        // Bottom test: Y + 15 > CH - Height - 10, a 10-pixel margin.
        {"bottom margin exactly kept", 100, 459, {60, 16}, {115, 474}},
        {"inside the bottom margin jumps up", 100, 460, {60, 16}, {115, 460 + 5 - 16}},
        {"both corners", 990, 490, {60, 16}, {935, 479}},
        {"box wider than the window", 10, 10, {2000, 100}, {10 + 5 - 2000, 25}},
        {"negative pointer", -30, -30, {60, 16}, {-15, -15}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(OverlayPosition(c.x, c.y, c.size, client, origin), c.expected) << c.name;
}

TEST(OverlayGeometry, PlacementFollowsTheImageAreaOrigin) {
    // A frame of another width still keeps the overlay at the key offset.
    EXPECT_EQ(OverlayPosition(100, 50, {60, 16}, {1000, 500}, {1, 20}), QPoint(114, 64));
}

TEST(OverlayGeometry, HostileCoordinatesDoNotWrap) {
    const QPoint p = OverlayPosition(2147483647, 2147483647, {60, 16}, {1000, 500}, {2, 21});
    EXPECT_LT(p.x(), 2147483647);
    EXPECT_GT(p.x(), 0); // jumped left, not wrapped into negative
    EXPECT_GT(p.y(), 0);
    const QPoint q =
        OverlayPosition(-2147483647 - 1, -2147483647 - 1, {60, 16}, {1000, 500}, {2, 21});
    const QRect r = OverlaySourceRect(q, {60, 16}, {1073741824, 1073741824}, {2, 21});
    EXPECT_LT(r.left(), 0);
    EXPECT_EQ(r.size(), QSize(60, 16));
}

TEST(OverlayGeometry, SourceRectangleUnderTheOverlay) {
    const QPoint origin(2, 21);
    // Not scrolled: overlay at (115, 65) covers picture pixels from (113, 44),
    // the very corner where a press at (100, 50) writes its key.
    EXPECT_EQ(OverlaySourceRect({115, 65}, {60, 16}, {0, 0}, origin), QRect(113, 44, 60, 16));
    // Scrolled down by 400 and right by 30.
    EXPECT_EQ(OverlaySourceRect({115, 65}, {60, 16}, {-30, -400}, origin), QRect(143, 444, 60, 16));
    // Jumped left near the edge: the source moves with it.
    EXPECT_EQ(OverlaySourceRect({871, 65}, {60, 16}, {0, 0}, origin), QRect(869, 44, 60, 16));
}

} // namespace
