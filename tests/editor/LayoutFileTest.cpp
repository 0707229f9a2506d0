#include "editor/LayoutFile.h"

#include <gtest/gtest.h>

namespace {

TEST(LayoutFile, SplitFirstTakesFieldsInTurn) {
    QString rest = "K,1,2", head;
    int pos = -7;
    SplitFirst(",", rest, pos, head);
    EXPECT_EQ(head, "K");
    EXPECT_EQ(pos, 2);
    SplitFirst(",", rest, pos, head);
    EXPECT_EQ(head, "1");
    SplitFirst(",", rest, pos, head);
    EXPECT_EQ(head, "2");
    EXPECT_EQ(pos, 0);
    EXPECT_TRUE(rest.isEmpty());
    SplitFirst(",", rest, pos, head);
    EXPECT_TRUE(head.isEmpty());
    EXPECT_EQ(pos, 0); // unchanged on an empty rest
}

TEST(LayoutFile, IntegerConversion) {
    struct Case {
        const char* text;
        bool ok;
        int value;
    } cases[] = {
        {"120", true, 120},
        {"  120", true, 120},
        {"-3", true, -3},
        {"+7", true, 7},
        {"120 ", false, 0},
        {"", false, 0},
        {" ", false, 0},
        {"-", false, 0},
        {"1a", false, 0},
        {"0x10", false, 0},
        {"2147483647", true, 2147483647},
        {"-2147483648", true, -2147483647 - 1},
        {"2147483648", false, 0},
        {"99999999999999999999", false, 0},
        {"- 1", false, 0},
    };
    for (const auto& c : cases) {
        int v = 12345;
        EXPECT_EQ(StrToIntStrict(c.text, v), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(v, c.value) << c.text;
        }
    }
}

TEST(LayoutFile, ReadingRules) {
    struct Case {
        const char* line;
        bool drawn;
        bool box;
        int x, y, w, h;
    } cases[] = {
        {"K,120,45", true, false, 120, 45, 0, 0},
        {"K,120,45,300,40", true, true, 120, 45, 300, 40},
        {"K,120,45,", true, false, 120, 45, 0, 0},
        {"K,120,45,300,40,extra", true, true, 120, 45, 300, 40},
        {"K,120,45,300", false, false, 0, 0, 0, 0},
        {"K,0,45", false, false, 0, 0, 0, 0},
        {"K,120,0", false, false, 0, 0, 0, 0},
        {"K", false, false, 0, 0, 0, 0},
        {",120,45", false, false, 0, 0, 0, 0},
        {"K, 120, 45", true, false, 120, 45, 0, 0},
        {"K,120 ,45", false, false, 0, 0, 0, 0},
        {"K,120,-3", true, false, 120, -3, 0, 0},
        {"", false, false, 0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        const auto e = ParseLayoutLine(c.line);
        EXPECT_EQ(e.has_value(), c.drawn) << c.line;
        if (e.has_value() && c.drawn) {
            EXPECT_EQ(e->Key, "K");
            EXPECT_EQ(e->IsBox, c.box) << c.line;
            EXPECT_EQ(e->X, c.x);
            EXPECT_EQ(e->Y, c.y);
            EXPECT_EQ(e->W, c.w);
            EXPECT_EQ(e->H, c.h);
        }
    }
}

TEST(LayoutFile, LookupsAreExactAndFindTheFirst) {
    const QStringList config{"K,1,1", "k,2,2", "Key", "K,3,3", ",4,4"};
    EXPECT_EQ(FindConfigEntry(config, "K"), 0);
    EXPECT_EQ(FindConfigEntry(config, "k"), 1);
    EXPECT_EQ(FindConfigEntry(config, "Key"), -1); // no comma: never matches
    EXPECT_EQ(FindConfigEntry(config, ""), 4);
    const QStringList items{"Name,the person's name", "Addr", "Name"};
    EXPECT_EQ(FindFieldIndex(items, "Name"), 0);
    EXPECT_EQ(FindFieldIndex(items, "Addr"), 1);
    EXPECT_EQ(FindFieldIndex(items, "name"), -1);
    // The all-keys form answers as FindFieldIndex does for every key.
    const QHash<QString, int> all = FieldIndexes(items);
    EXPECT_EQ(all.size(), 2);
    for (const QString key : {"Name", "Addr", "name", ""})
        EXPECT_EQ(all.value(key, -1), FindFieldIndex(items, key)) << key.toStdString();
}

TEST(LayoutFile, PlacingAKeyAgainMovesOnlyItsFirstLineToTheEnd) {
    QStringList config{"K,1,1", "A,2,2", "K,3,3"};
    EXPECT_EQ(PlaceEntry(config, "K", "K,9,9"), 0);
    EXPECT_EQ(config, (QStringList{"A,2,2", "K,3,3", "K,9,9"}));
    EXPECT_EQ(PlaceEntry(config, "B", "B,5,5"), -1);
    EXPECT_EQ(config.last(), "B,5,5");
    EXPECT_EQ(FormatBoxEntry("K", 113, 44, 287, 76), "K,113,44,287,76");
    EXPECT_EQ(FormatPointEntry("K", 113, -3), "K,113,-3");
}

} // namespace
