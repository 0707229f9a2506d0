#include "editor/FieldFilter.h"

#include <gtest/gtest.h>

namespace {

TEST(FieldFilter, FoldsOnlyPlainLatinCapitals) {
    EXPECT_EQ(FoldAsciiLower(QString("AZaz@[`{09")), QString("azaz@[`{09"));
    EXPECT_EQ(FoldAsciiLower(QString("ÄÉÑ Straße")), QString("ÄÉÑ straße"));
    EXPECT_EQ(FoldAsciiLower(QString()), QString());
}

struct FilterCase {
    const char* name;
    QStringList master;
    QString filter;
    QStringList shown;
};

TEST(FieldFilter, Cases) {
    const QStringList three = {"abcKey,first", "Other,Global field", "Plain,nothing"};
    const FilterCase cases[] = {
        {"empty filter lists all in order", three, "", three},
        {"text and global lines, master order",
         three,
         "abc",
         {"abcKey,first", "Other,Global field"}},
        {"capitals fold", three, "ABC", {"abcKey,first", "Other,Global field"}},
        {"global and text on one line listed once", {"global abc"}, "abc", {"global abc"}},
        {"global inside a longer word", {"K,NotGlobally"}, "zzz", {"K,NotGlobally"}},
        {"GLOBAL in capitals", {"K,GLOBAL"}, "zzz", {"K,GLOBAL"}},
        {"substring in the description", {"Name,the surname"}, "SURN", {"Name,the surname"}},
        {"not anchored at the start", {"XYZ"}, "yz", {"XYZ"}},
        {"comma counts as text", {"A,B", "AB"}, "a,b", {"A,B"}},
        {"accented capital does not fold", {"K,é"}, QString("É"), {}},
        {"accented letter matches itself", {"K,É", "K,é"}, QString("É"), {"K,É"}},
        {"one space", {"A B", "AB", "C,global"}, " ", {"A B", "C,global"}},
        {"spaces are not trimmed", {"ab", "a b "}, "b ", {"a b "}},
        {"filter longer than line", {"ab"}, "abc", {}},
        {"empty master", {}, "x", {}},
        {"empty master, empty filter", {}, "", {}},
        {"empty line only with empty filter", {"", "x"}, "", {"", "x"}},
        {"empty line never matches text", {"", "x"}, "x", {"x"}},
        {"duplicates kept", {"K", "K"}, "k", {"K", "K"}},
        {"partial global is not global", {"K,globa", "K,lobal"}, "zzz", {}},
        {"repeated-prefix needle", {"aaab"}, "aab", {"aaab"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FilterFieldLines(c.master, c.filter), c.shown) << c.name;
    }
}

TEST(FieldFilter, IndexesPointIntoTheMasterList) {
    const QStringList master = {"a", "b,global", "c", "ab"};
    EXPECT_EQ(FilterFieldIndexes(master, "A"), (QList<int>{0, 1, 3}));
    EXPECT_EQ(FilterFieldIndexes(master, ""), (QList<int>{0, 1, 2, 3}));
}

} // namespace
