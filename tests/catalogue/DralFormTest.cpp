#include "catalogue/DralForm.h"
#include "support/Exception.h"

#include <gtest/gtest.h>

namespace {

TEST(DralFormList, SearchesFoldOnlyAToZ) {
    TDralFormList list;
    TDralForm* scan = list.Add("Scan1", "img1");
    TDralForm* umlaut = list.Add(QString::fromUtf8("Ärger"), "x");
    struct Case {
        QString name;
        TDralForm* byAny;
        TDralForm* byKey;
    } cases[] = {
        {"scan1", scan, scan},
        {"SCAN1", scan, scan},
        {"IMG1", scan, nullptr},
        {"img1", scan, nullptr},
        {"scan", nullptr, nullptr},
        {QString::fromUtf8("ÄRGER"), umlaut, umlaut},   // only R, G, E, R fold
        {QString::fromUtf8("ärger"), nullptr, nullptr}, // Ä is not A to Z
        {"", nullptr, nullptr},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(list.GetForm(c.name), c.byAny) << c.name.toStdString();
        EXPECT_EQ(list.GetFormByKey(c.name), c.byKey) << c.name.toStdString();
    }
}

TEST(DralFormList, FirstMatchInListOrderWins) {
    TDralFormList list;
    TDralForm* first = list.Add("K1", "shared");
    TDralForm* second = list.Add("shared", "other");
    TDralForm* dupA = list.Add("Dup", "1");
    list.Add("DUP", "2");
    // An earlier record matching by file name beats a later one matching by key.
    EXPECT_EQ(list.GetForm("Shared"), first);
    EXPECT_EQ(list.GetFormByKey("shared"), second);
    EXPECT_EQ(list.GetForm("dup"), dupA);
    EXPECT_EQ(list.GetFormByKey("dup"), dupA);
    // A record without a form is found by its key, not by an empty name.
    TDralForm* empty = list.Add("NoForm", "");
    EXPECT_EQ(list.GetForm("noform"), empty);
    EXPECT_EQ(list.GetForm(""), empty);
}

TEST(DralFormList, IndexedAccessChecksBounds) {
    TDralFormList list;
    list.Add("A", "a");
    list.Add("B", "b");
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list.GetRecord(1)->KeyName, "B");
    list.SetRecord(1, std::make_unique<TDralForm>(TDralForm{"C", "c"}));
    EXPECT_EQ(list.GetRecord(1)->KeyName, "C");
    EXPECT_EQ(list.GetFormByKey("b"), nullptr);
    EXPECT_THROW(list.GetRecord(2), Exception);
    EXPECT_THROW(list.GetRecord(-1), Exception);
    EXPECT_THROW(list.SetRecord(2, std::make_unique<TDralForm>()), Exception);
    EXPECT_THROW(list.SetRecord(0, nullptr), Exception);
    EXPECT_THROW(list.Add(std::unique_ptr<TDralForm>()), Exception);
    EXPECT_EQ(list.Count(), 2);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.GetForm("a"), nullptr);
}

} // namespace
