#include "EditorFixture.h"

#include "editor/OverlayGeometry.h"
#include "platform/Platform.h"

#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QToolTip>

namespace {

class PlacementTest : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        // 800 x 1500 on the default 1920 x 1080 screen: no horizontal scroll,
        // a vertical one of some 470 pixels.
        Load(MakeImage("Plain.png", {800, 1500}));
        ASSERT_EQ(M->Image1->size(), QSize(800, 1500));
        F->Platform.Fake.Beeps.clear();
    }
    // The size of a key's text as the picture gets it.
    QSize TextSize(const QString& key) const {
        QFont font("Tahoma");
        font.setPixelSize(KeyPixelSize(FormFontSize));
        const QImage device(1, 1, QImage::Format_RGB32);
        const QFontMetrics fm(font, &device);
        return {fm.horizontalAdvance(key), fm.height()};
    }
    // The key's text lies with its top-left at (x, y), in blue.
    void ExpectKeyAt(const QImage& img, const QString& key, int x, int y) const {
        const QSize ts = TextSize(key);
        const QImage region = img.copy(x - 20, y - 20, ts.width() + 40, ts.height() + 40);
        const QRect ink = PixelBounds(region, NotWhite).translated(x - 20, y - 20);
        ASSERT_FALSE(ink.isEmpty()) << "no text near " << x << "," << y;
        EXPECT_GE(ink.left(), x);
        EXPECT_GE(ink.top(), y);
        EXPECT_LE(ink.right(), x + ts.width() + 1);
        EXPECT_LE(ink.bottom(), y + ts.height());
        EXPECT_FALSE(PixelBounds(region, IsBlueish).isEmpty());
        EXPECT_TRUE(PixelBounds(region, IsRed).isEmpty());
    }
};

TEST_F(PlacementTest, LeftClickPlacesTheKeyAtTheOffset) {
    ChooseKey("K");
    EXPECT_EQ(M->CurrentText, "K");
    EXPECT_TRUE(M->CheckListBox1->Checked(0));
    Move({90, 40});
    EXPECT_TRUE(OverrideIsSizeAll());
    EXPECT_TRUE(M->MouseCoordsWindow->isVisible());
    Click({100, 50});

    EXPECT_EQ(M->ConfigList(), QStringList{"K,113,44"});
    EXPECT_TRUE(M->ConfigHasChanged());
    EXPECT_TRUE(M->CurrentText.isEmpty());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_FALSE(M->MouseCoordsWindow->isVisible());
    ExpectKeyAt(Picture(), "K", 113, 44);
    EXPECT_EQ(M->XEdit->text(), "100");
    EXPECT_EQ(M->YEdit->text(), "50");
}

TEST_F(PlacementTest, ScrolledViewAddsTheScrollPosition) {
    M->ScrollBox1->verticalScrollBar()->setValue(400);
    ASSERT_EQ(M->ScrollBox1->verticalScrollBar()->value(), 400);
    ChooseKey("K");
    Click({100, 50});
    EXPECT_EQ(M->ConfigList(), QStringList{"K,113,444"});
    ExpectKeyAt(Picture(), "K", 113, 444);
    // The coordinate boxes show client coordinates, without the scroll.
    EXPECT_EQ(M->YEdit->text(), "50");
}

TEST_F(PlacementTest, RightDragPlacesABoxWithItsOutline) {
    ChooseKey("K2,a second key");
    Drag({100, 50}, {400, 120}, Qt::RightButton);
    EXPECT_EQ(M->ConfigList(), QStringList{"K2,113,44,287,76"});
    EXPECT_TRUE(F->Platform.Fake.Beeps.empty());
    // Outline from (113, 44) to (413, 114), the second corner exclusive.
    const QImage& p = Picture();
    EXPECT_EQ(PixelBounds(p, IsRed), QRect(QPoint(113, 44), QPoint(412, 113)));
    for (QPoint q : {QPoint(113, 44), QPoint(412, 44), QPoint(113, 113), QPoint(412, 113),
                     QPoint(250, 44), QPoint(250, 113), QPoint(113, 80), QPoint(412, 80)})
        EXPECT_TRUE(IsRed(p.pixel(q))) << q.x() << "," << q.y();
    EXPECT_TRUE(IsWhite(p.pixel(250, 80)));
    EXPECT_TRUE(IsWhite(p.pixel(411, 112)));
    EXPECT_FALSE(M->BoxInProgress);
    EXPECT_EQ(M->BoxEnd, QPoint(0, 0));
}

TEST_F(PlacementTest, BoxTestIsStrict) {
    struct Case {
        QPoint to;
        QString line;
        bool box;
    } cases[] = {
        {{120, 120}, "K,113,44", false},      // W 7
        {{124, 100}, "K,113,44,11,56", true}, // W exactly 11
        {{123, 100}, "K,113,44", false},      // W 10
        {{200, 54}, "K,113,44", false},       // H 10
        {{200, 55}, "K,113,44,87,11", true},  // H 11
        {{60, 20}, "K,113,44", false},        // up and to the left
    };
    for (const auto& c : cases) {
        M->Document->Clear();
        F->Platform.Fake.Beeps.clear();
        ChooseKey("K");
        Drag({100, 50}, c.to, Qt::RightButton);
        EXPECT_EQ(M->ConfigList(), QStringList{c.line}) << c.to.x() << "," << c.to.y();
        if (c.box) {
            EXPECT_TRUE(F->Platform.Fake.Beeps.empty());
        } else {
            EXPECT_EQ(F->Platform.Fake.Beeps, std::vector<BeepSound>{BeepError});
        }
    }
    EXPECT_TRUE(F->LogLines().contains("DEBUG3: ERROR: Invalid With or Height"));
}

TEST_F(PlacementTest, TooSmallBoxDrawsOnlyTheKey) {
    ChooseKey("K");
    Drag({100, 50}, {120, 120}, Qt::RightButton);
    EXPECT_TRUE(PixelBounds(Picture(), IsRed).isEmpty());
    ExpectKeyAt(Picture(), "K", 113, 44);
}

TEST_F(PlacementTest, PlacingAKeyAgainMovesItsLineToTheEnd) {
    ChooseKey("K");
    Click({100, 50});
    ChooseKey("Surname,Family name of the person");
    Click({100, 200});
    ChooseKey("K");
    Click({300, 300});
    EXPECT_EQ(M->ConfigList(), (QStringList{"Surname,113,194", "K,313,294"}));
    // The picture shows what a save writes: the key at its new place only.
    const QImage p = Picture();
    ExpectKeyAt(p, "K", 313, 294);
    ExpectKeyAt(p, "Surname", 113, 194);
    EXPECT_TRUE(PixelBounds(p.copy(90, 20, 100, 60), NotWhite).isEmpty());
}

TEST_F(PlacementTest, MiddleClickPlacesAPoint) {
    ChooseKey("K");
    Click({100, 50}, Qt::MiddleButton);
    EXPECT_EQ(M->ConfigList(), QStringList{"K,113,44"});
}

TEST_F(PlacementTest, RightDragReleasedOffTheImagePlacesNothing) {
    ChooseKey("K");
    const QImage before = Picture().copy();
    Move({100, 50});
    Press({100, 50}, Qt::RightButton);
    Move({300, 100});
    EXPECT_EQ(M->MouseCoordsWindow->size(), QSize(200, 50));
    // Out over the field list and released there.
    const QPoint overList = OverList(QPoint(50, 50));
    Move(overList);
    EXPECT_FALSE(M->MouseCoordsWindow->isVisible());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    Release(overList, Qt::RightButton);
    EXPECT_TRUE(M->ConfigList().isEmpty());
    EXPECT_FALSE(M->ConfigHasChanged());
    EXPECT_EQ(Picture(), before);
    EXPECT_EQ(M->CurrentText, "K");
    EXPECT_TRUE(M->BoxInProgress); // until the next press

    // Back over the image the overlay shows a box from the old corner.
    Move({250, 90});
    EXPECT_TRUE(M->MouseCoordsWindow->isVisible());
    EXPECT_EQ(M->MouseCoordsWindow->geometry(), QRect(OverlayCornerFor({100, 50}), QSize(150, 40)));

    // The next press starts afresh.
    Click({200, 80});
    EXPECT_EQ(M->ConfigList(), QStringList{"K,213,74"});
}

TEST_F(PlacementTest, RightDragReleasedBesideASmallImagePlacesNothing) {
    Load(MakeImage("Small.png", {300, 200}));
    ChooseKey("K");
    Move({100, 50});
    Press({100, 50}, Qt::RightButton);
    // The area is as wide as the image: beside it is below it.
    Move({250, 500});
    EXPECT_EQ(M->YEdit->text(), "500");
    EXPECT_FALSE(M->MouseCoordsWindow->isVisible());
    Release({250, 500}, Qt::RightButton);
    EXPECT_TRUE(M->ConfigList().isEmpty());
    EXPECT_EQ(M->CurrentText, "K");
}

TEST_F(PlacementTest, LeftDragOffTheImagePlacesAtThePressPoint) {
    ChooseKey("K");
    Move({100, 50});
    Press({100, 50}, Qt::LeftButton);
    const QPoint overList = OverList(QPoint(40, 40));
    Move(overList);
    Release(overList, Qt::LeftButton);
    EXPECT_EQ(M->ConfigList(), QStringList{"K,113,44"});
    EXPECT_TRUE(M->CurrentText.isEmpty());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(PlacementTest, ClicksWithoutAKeyWriteNothing) {
    const QImage before = Picture().copy();
    Click({100, 50});
    Drag({100, 50}, {300, 200}, Qt::RightButton);
    EXPECT_TRUE(M->ConfigList().isEmpty());
    EXPECT_FALSE(M->ConfigHasChanged());
    EXPECT_EQ(Picture(), before);
    EXPECT_FALSE(M->CanUndo());
    // Only the press state moved.
    EXPECT_EQ(M->FixMousePos, QPoint(100, 50));
    EXPECT_TRUE(M->BoxInProgress);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_FALSE(M->MouseCoordsWindow->isVisible());
}

TEST_F(PlacementTest, KeyFilteredOutOfTheListIsStillPlaced) {
    ChooseKey("K");
    M->FilterEdit->setText("surname");
    ASSERT_EQ(M->CheckListBox1->Items(), (QStringList{"Surname,Family name of the person",
                                                      "Other,Global field for every form"}));
    Click({100, 50});
    EXPECT_EQ(M->ConfigList(), QStringList{"K,113,44"});
}

TEST_F(PlacementTest, KeyboardSelectionChoosesAndTicksTheKey) {
    // EditorMaster: K, K2, Surname, Other, Dup (twice).
    ChooseKey("K");
    M->CheckListBox1->Model()->SetChecked(0, false);
    TCheckListBox* list = M->CheckListBox1;
    struct Step {
        const char* what;
        std::function<void()> act;
        const char* key;
        int row;
    } steps[] = {
        {"Down", [&] { QTest::keyClick(list, Qt::Key_Down); }, "K2", 1},
        {"Down again", [&] { QTest::keyClick(list, Qt::Key_Down); }, "Surname", 2},
        {"End", [&] { QTest::keyClick(list, Qt::Key_End); }, "Dup", 5},
        {"Up", [&] { QTest::keyClick(list, Qt::Key_Up); }, "Dup", 4},
        {"Home", [&] { QTest::keyClick(list, Qt::Key_Home); }, "K", 0},
        {"typing", [&] { QTest::keyClicks(list, "Oth"); }, "Other", 3},
    };
    for (const auto& step : steps) {
        M->CurrentText.clear();
        step.act();
        EXPECT_EQ(list->ItemIndex(), step.row) << step.what;
        EXPECT_EQ(M->CurrentText, step.key) << step.what;
        EXPECT_TRUE(list->Checked(step.row)) << step.what;
    }
    // The key chosen from the keyboard is the one placed.
    QTest::keyClick(list, Qt::Key_Up);
    ASSERT_EQ(M->CurrentText, "Surname");
    Move({90, 40});
    EXPECT_TRUE(M->MouseCoordsWindow->isVisible());
    Click({100, 50});
    EXPECT_EQ(M->ConfigList(), QStringList{"Surname,113,44"});
}

TEST_F(PlacementTest, FieldListRowsHaveNoHint) {
    TCheckListBox* list = M->CheckListBox1;
    for (int row = 0; row < list->count(); ++row)
        EXPECT_FALSE(list->Model()->data(list->Model()->index(row), Qt::ToolTipRole).isValid())
            << row;
    // Resting the pointer on a row asks for a hint and gets none.
    const QRect r = list->visualRect(list->Model()->index(2));
    const QPoint at(r.left() + 20, r.center().y());
    QHelpEvent help(QEvent::ToolTip, at, list->viewport()->mapToGlobal(at));
    QCoreApplication::sendEvent(list->viewport(), &help);
    EXPECT_FALSE(QToolTip::isVisible());
    EXPECT_TRUE(QToolTip::text().isEmpty());
}

TEST_F(PlacementTest, PressNearTheTopEdgeStoresANegativeY) {
    ChooseKey("K");
    Click({100, 3});
    EXPECT_EQ(M->ConfigList(), QStringList{"K,113,-3"});
}

TEST_F(PlacementTest, OverlayFollowsThePointerAndGrowsWithTheBox) {
    ChooseKey("K");
    // Choosing does not show it; entering the image does.
    EXPECT_FALSE(M->MouseCoordsWindow->isVisible());
    Move({100, 50});
    ASSERT_TRUE(M->MouseCoordsWindow->isVisible());
    const QSize ts = TextSize("K");
    EXPECT_EQ(M->MouseCoordsWindow->geometry(), QRect(OverlayCornerFor({100, 50}), ts));
    EXPECT_EQ(OverlayCornerFor({100, 50}), QPoint(115, 65)); // area at (0, 19), 2-pixel border
    Move({200, 90});
    EXPECT_EQ(M->MouseCoordsWindow->pos(), OverlayCornerFor({200, 90}));

    Press({200, 90}, Qt::RightButton);
    Move({260, 130});
    Move({500, 300});
    EXPECT_EQ(M->MouseCoordsWindow->geometry(),
              QRect(OverlayCornerFor({200, 90}), QSize(300, 210)));
    // The overlay shows the picture under it, tinted, framed: its corner
    // pixel is the frame.
    const QImage comp = M->MouseCoordsWindow->Composition();
    EXPECT_LT(qRed(comp.pixel(299, 209)), 80);
    EXPECT_GT(qRed(comp.pixel(150, 150)), 240);
    Release({500, 300}, Qt::RightButton);
    EXPECT_FALSE(M->MouseCoordsWindow->isVisible());
}

TEST_F(PlacementTest, OverlayJumpsLeftNearTheWindowsRightEdge) {
    // A window narrower than the image area makes the right edge reachable.
    ChooseKey("Surname,Family name of the person");
    M->resize(700, M->height());
    QApplication::processEvents();
    ASSERT_EQ(M->width(), 700);
    const QSize ts = TextSize("Surname");
    const int stays = 685 - ts.width(); // X + 15 == CW - width: no jump
    Move({stays, 60});
    EXPECT_EQ(M->MouseCoordsWindow->geometry(), QRect(QPoint(stays + 15, 75), ts));
    const int jumps = stays + 1;
    Move({jumps, 60});
    EXPECT_EQ(M->MouseCoordsWindow->geometry(), QRect(QPoint(jumps + 5 - ts.width(), 75), ts));
}

TEST_F(PlacementTest, KeyChosenWhileOverTheImageShowsOnTheNextEntry) {
    Move({100, 50});
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_FALSE(M->MouseCoordsWindow->isVisible());
    // Chosen (say, from the keyboard) while the pointer stays over the image.
    M->CheckListBox1->SetItemIndex(0);
    M->CheckListBox1Click();
    ASSERT_EQ(M->CurrentText, "K");
    Move({120, 60});
    EXPECT_FALSE(M->MouseCoordsWindow->isVisible());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    // Out and back in.
    const QPoint overList = OverList(QPoint(40, 40));
    Move(overList);
    Move({120, 60});
    EXPECT_TRUE(M->MouseCoordsWindow->isVisible());
    EXPECT_TRUE(OverrideIsSizeAll());
    // Leaving restores the pointer and hides the overlay.
    Move(overList);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_FALSE(M->MouseCoordsWindow->isVisible());
}

TEST_F(PlacementTest, CoordinateBoxesFollowThePointerBesideASmallImage) {
    Load(MakeImage("Small.png", {300, 200}));
    // Below the image, inside the area.
    Move({250, 700});
    EXPECT_EQ(M->XEdit->text(), "250");
    EXPECT_EQ(M->YEdit->text(), "700");
    Move({20, 30});
    EXPECT_EQ(M->XEdit->text(), "20");
    EXPECT_EQ(M->YEdit->text(), "30");
}

// ---- Undo -------------------------------------------------------------------

TEST_F(PlacementTest, UndoTakesBackTheWholePlacement) {
    const QImage before = Picture().copy();
    ChooseKey("K");
    Click({100, 50});
    ASSERT_NE(Picture(), before);
    M->UndoBtn->click();
    EXPECT_EQ(Picture(), before);
    EXPECT_TRUE(M->ConfigList().isEmpty());
    EXPECT_FALSE(M->ConfigHasChanged());
    EXPECT_FALSE(M->CanUndo());
    // Nothing before the first placement: a second Undo changes nothing.
    M->UndoBtn->click();
    EXPECT_EQ(Picture(), before);
    EXPECT_TRUE(M->ConfigList().isEmpty());
}

TEST_F(PlacementTest, UndoPutsAReplacedLineBackInItsPlace) {
    WriteLayout("Laid.cfg", "Surname,50,60\r\nK,70,80\r\nK2,90,100\r\n");
    Load(MakeImage("Laid.png", {800, 1500}));
    ASSERT_EQ(M->ConfigList(), (QStringList{"Surname,50,60", "K,70,80", "K2,90,100"}));
    const QImage loaded = Picture().copy();
    ChooseKey("K");
    Click({300, 300});
    ASSERT_EQ(M->ConfigList(), (QStringList{"Surname,50,60", "K2,90,100", "K,313,294"}));
    const QImage placed = Picture().copy();
    M->UndoBtn->click();
    EXPECT_EQ(M->ConfigList(), (QStringList{"Surname,50,60", "K,70,80", "K2,90,100"}));
    EXPECT_FALSE(M->ConfigHasChanged());
    EXPECT_NE(Picture(), placed);
    EXPECT_EQ(Picture(), loaded);
}

TEST_F(PlacementTest, UndoOfTheSecondPlacementKeepsTheFirst) {
    ChooseKey("K");
    Click({100, 50});
    const QImage afterFirst = Picture().copy();
    ChooseKey("K2,a second key");
    Click({100, 200});
    M->UndoBtn->click();
    EXPECT_EQ(M->ConfigList(), QStringList{"K,113,44"});
    EXPECT_TRUE(M->ConfigHasChanged());
    EXPECT_EQ(Picture(), afterFirst);
}

TEST_F(PlacementTest, UndoAfterASaveMarksTheLayoutChanged) {
    ChooseKey("K");
    Click({100, 50});
    M->Document->UndoStack()->setClean(); // as a save leaves it
    M->UndoBtn->click();
    EXPECT_TRUE(M->ConfigList().isEmpty());
    EXPECT_TRUE(M->ConfigHasChanged()); // the file still holds the placement
}

TEST_F(PlacementTest, UndoWithNothingToUndoDoesNothing) {
    const QImage before = Picture().copy();
    M->UndoBtn->click();
    EXPECT_EQ(Picture(), before);
    EXPECT_FALSE(Picture().isNull());

    // A placement on one image, then another image loaded: nothing to undo.
    ChooseKey("K");
    Click({100, 50});
    Load(MakeImage("Other.png", {600, 900}, QColor(200, 220, 240)));
    const QImage other = Picture().copy();
    ASSERT_EQ(other.size(), QSize(600, 900));
    M->UndoBtn->click();
    EXPECT_EQ(Picture(), other);
    EXPECT_TRUE(M->ConfigList().isEmpty());
}

TEST_F(PlacementTest, ClearDropsTheSnapshot) {
    ChooseKey("K");
    Click({100, 50});
    F->Platform.Fake.Answers.push_back(BtnYes);
    M->ClearBtn->click();
    ASSERT_TRUE(M->ConfigList().isEmpty());
    EXPECT_FALSE(M->CanUndo());
    const QImage cleared = Picture().copy();
    M->UndoBtn->click();
    EXPECT_EQ(Picture(), cleared);
    EXPECT_TRUE(M->ConfigList().isEmpty());
}

} // namespace

namespace {

// ---- Many steps ----------------------------------------------------------------

class HistoryTest : public PlacementTest {
protected:
    // Places key's line (chosen as the list shows it) with a click at client.
    void Place(const QString& item, QPoint client) {
        ChooseKey(item);
        Click(client);
    }
    // The layout and the picture after each step, to compare with later.
    struct State {
        QStringList lines;
        QImage picture;
    };
    State Now() const { return {M->ConfigList(), Picture()}; }
};

TEST_F(HistoryTest, UndoAndRedoWalkBackAndForthThroughEveryStep) {
    std::vector<State> states{Now()};
    Place("K", {100, 50});
    states.push_back(Now());
    Place("K2,a second key", {100, 200});
    states.push_back(Now());
    Place("K", {300, 300}); // the re-placed key moves
    states.push_back(Now());
    ChooseKey("Surname,Family name of the person");
    Drag({100, 400}, {400, 500}, Qt::RightButton);
    states.push_back(Now());
    ASSERT_EQ(M->ConfigList(), (QStringList{"K2,113,194", "K,313,294", "Surname,113,394,287,106"}));

    for (int i = int(states.size()) - 2; i >= 0; --i) {
        EXPECT_TRUE(M->CanUndo());
        M->UndoBtn->click();
        EXPECT_EQ(M->ConfigList(), states[i].lines) << "undo to " << i;
        EXPECT_EQ(Picture(), states[i].picture) << "undo to " << i;
    }
    EXPECT_FALSE(M->CanUndo());
    EXPECT_FALSE(M->UndoBtn->isEnabled());
    EXPECT_FALSE(M->ConfigHasChanged());
    for (size_t i = 1; i < states.size(); ++i) {
        EXPECT_TRUE(M->RedoBtn->isEnabled());
        M->RedoBtn->click();
        EXPECT_EQ(M->ConfigList(), states[i].lines) << "redo to " << i;
        EXPECT_EQ(Picture(), states[i].picture) << "redo to " << i;
    }
    EXPECT_FALSE(M->CanRedo());
    EXPECT_FALSE(M->RedoBtn->isEnabled());
    EXPECT_TRUE(M->ConfigHasChanged());
}

TEST_F(HistoryTest, ReplacedKeyShowsOnlyWhereItIsAfterEachStep) {
    Place("K", {100, 50});
    Place("K", {300, 300});
    EXPECT_TRUE(PixelBounds(Picture().copy(100, 30, 80, 50), NotWhite).isEmpty());
    ExpectKeyAt(Picture(), "K", 313, 294);
    M->UndoBtn->click();
    ExpectKeyAt(Picture(), "K", 113, 44);
    EXPECT_TRUE(PixelBounds(Picture().copy(300, 280, 80, 50), NotWhite).isEmpty());
    M->RedoBtn->click();
    EXPECT_TRUE(PixelBounds(Picture().copy(100, 30, 80, 50), NotWhite).isEmpty());
    ExpectKeyAt(Picture(), "K", 313, 294);
}

TEST_F(HistoryTest, ShortcutsUndoAndRedo) {
    Place("K", {100, 50});
    Place("K2,a second key", {100, 200});
    struct Step {
        QKeyCombination keys;
        QStringList lines;
    } steps[] = {
        {Qt::CTRL | Qt::Key_Z, {"K,113,44"}},
        {Qt::CTRL | Qt::Key_Z, {}},
        {Qt::CTRL | Qt::SHIFT | Qt::Key_Z, {"K,113,44"}},
        {Qt::CTRL | Qt::Key_Y, {"K,113,44", "K2,113,194"}},
        {Qt::CTRL | Qt::Key_Y, {"K,113,44", "K2,113,194"}}, // nothing left to redo
    };
    M->CheckListBox1->setFocus();
    for (const Step& s : steps) {
        QTest::keyClick(M->CheckListBox1, s.keys.key(), s.keys.keyboardModifiers());
        EXPECT_EQ(M->ConfigList(), s.lines) << QKeySequence(s.keys).toString().toStdString();
    }
}

TEST_F(HistoryTest, UndoingBackToTheSavedLayoutAsksNoCloseQuestion) {
    Place("K", {100, 50});
    M->SaveConfig();
    ASSERT_FALSE(M->ConfigHasChanged());
    Place("K2,a second key", {100, 200});
    Place("K", {300, 300});
    EXPECT_TRUE(M->ConfigHasChanged());
    M->UndoBtn->click();
    M->UndoBtn->click();
    EXPECT_FALSE(M->ConfigHasChanged());
    F->Platform.Fake.Boxes.clear();
    M->close();
    EXPECT_FALSE(F->Platform.Fake.BoxTexts().contains("Config has changed. Save?"));
}

// ---- Loading another form over unsaved placements ---------------------------------

TEST_F(HistoryTest, LoadingAnotherImageAsksToSaveUnsavedPlacements) {
    const QString plainCfg = FormPath("Plain.cfg");
    struct Case {
        const char* what;
        BoxButton answer;
        bool saved;
    } cases[] = {
        {"No loads on, dropping the placement", BtnNo, false},
        {"Yes saves first", BtnYes, true},
    };
    const QString other = MakeImage("Other.png", {600, 900}, QColor(200, 220, 240));
    const QString plain = FormPath("Plain.png");
    for (const Case& c : cases) {
        QFile::remove(plainCfg);
        Load(plain);
        Place("K", {100, 50});
        F->Platform.Fake.Boxes.clear();
        F->Platform.Fake.Beeps.clear();
        F->Platform.Fake.Answers = {c.answer, BtnOk};
        Load(other);
        ASSERT_FALSE(F->Platform.Fake.Boxes.empty()) << c.what;
        const auto& question = F->Platform.Fake.Boxes.front();
        EXPECT_EQ(question.Text, "Config has changed. Save?") << c.what;
        EXPECT_EQ(question.Default, BtnNo) << c.what;
        EXPECT_EQ(F->Platform.Fake.Beeps.front(), BeepQuestion) << c.what;
        EXPECT_EQ(M->AliasName, "Other") << c.what;
        EXPECT_TRUE(M->ConfigList().isEmpty()) << c.what;
        EXPECT_FALSE(M->ConfigHasChanged()) << c.what;
        EXPECT_EQ(QFile::exists(plainCfg), c.saved) << c.what;
        if (c.saved) {
            EXPECT_EQ(F->Profile.Read(plainCfg), QByteArray("K,113,44\r\n")) << c.what;
        }
    }
    // Nothing unsaved: no question.
    F->Platform.Fake.Boxes.clear();
    Load(plain);
    EXPECT_TRUE(F->Platform.Fake.Boxes.empty());
    EXPECT_EQ(M->AliasName, "Plain");
}

TEST_F(HistoryTest, AFailedSaveBeforeLoadingKeepsTheForm) {
    Place("K", {100, 50});
    const QString other = MakeImage("Other.png", {600, 900});
    QDir().mkpath(FormPath("Plain.cfg")); // a folder where the layout goes: the save fails
    F->Platform.Fake.Answers = {BtnYes};
    F->Platform.Fake.Boxes.clear();
    Load(other);
    const QStringList boxes = F->Platform.Fake.BoxTexts();
    ASSERT_EQ(boxes.size(), 2);
    EXPECT_TRUE(boxes[1].startsWith("Error saving Config file: ")) << boxes[1].toStdString();
    EXPECT_EQ(M->AliasName, "Plain");
    EXPECT_EQ(M->ConfigList(), QStringList{"K,113,44"});
    EXPECT_TRUE(M->ConfigHasChanged());
    EXPECT_TRUE(M->CanUndo());
    EXPECT_EQ(M->Image1->Picture.size(), QSize(800, 1500));
    ExpectKeyAt(Picture(), "K", 113, 44);
}

} // namespace

namespace {

TEST_F(PlacementTest, TheOverlayShowsThePlacedKeysUnderIt) {
    ChooseKey("K");
    Click({100, 50}); // K written at (113, 44)
    ChooseKey("K2,a second key");
    Move({95, 45});
    Move({100, 50}); // the overlay's top-left at the pointer's offset: over K
    ASSERT_TRUE(M->MouseCoordsWindow->isVisible());
    EXPECT_FALSE(PixelBounds(M->MouseCoordsWindow->Composition(), IsBlueish).isEmpty());
}

} // namespace
