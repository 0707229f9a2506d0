#include "editor/LayoutDocument.h"
#include "common/TempProfile.h"
#include "editor/LayoutFile.h"
#include "editor/TextFile.h"
#include "support/Exception.h"

#include <QDir>
#include <QFile>
#include <QUndoStack>
#include <gtest/gtest.h>

#include <functional>

namespace {

// Every signal of a document, in order, as short texts.
struct Recorder {
    QStringList Seen;
    explicit Recorder(LayoutDocument& d) {
        QObject::connect(&d, &LayoutDocument::EntryInserted, [this, &d](int i) {
            Seen << QStringLiteral("+%1:%2").arg(i).arg(d.ConfigList().at(i));
        });
        QObject::connect(&d, &LayoutDocument::EntryRemoved, [this](int i, const QString& line) {
            Seen << QStringLiteral("-%1:%2").arg(i).arg(line);
        });
        QObject::connect(&d, &LayoutDocument::EntryChanged, [this, &d](int i, const QString& old) {
            Seen << QStringLiteral("~%1:%2>%3").arg(i).arg(old, d.ConfigList().at(i));
        });
        QObject::connect(&d, &LayoutDocument::DocumentReset, [this] { Seen << "reset"; });
        QObject::connect(&d, &LayoutDocument::ModifiedChanged,
                         [this](bool m) { Seen << (m ? "modified" : "unmodified"); });
    }
    QStringList Take() { return std::exchange(Seen, {}); }
};

QByteArray CrLf(const QStringList& lines, TextEncoding encoding = TextEncoding::Ansi) {
    return EncodeText(JoinLinesCrLf(lines), encoding);
}

// A layout file in a country folder of a throw-away profile.
struct Form {
    TempProfile Profile;
    QString Cfg = Profile.Forms() + "Dral/form.cfg";
    Form() { QDir().mkpath(Profile.Forms() + "Dral"); }
    void Write(const QByteArray& bytes) const { Profile.Write(Cfg, bytes); }
    QByteArray Read() const { return Profile.Read(Cfg); }
};

TEST(LayoutDocument, PlacesPointsAndBoxesAsTheEditorWritesThem) {
    struct Case {
        const char* what;
        std::function<bool(LayoutDocument&)> place;
        bool box;
        QString line;
    } cases[] = {
        {"point",
         [](LayoutDocument& d) {
             d.PlacePoint("K", 113, 44);
             return false;
         },
         false, "K,113,44"},
        {"box", [](LayoutDocument& d) { return d.PlaceBox("K", 113, 44, 287, 76); }, true,
         "K,113,44,287,76"},
        {"11 wide is a box", [](LayoutDocument& d) { return d.PlaceBox("K", 113, 44, 11, 56); },
         true, "K,113,44,11,56"},
        {"10 wide is a point", [](LayoutDocument& d) { return d.PlaceBox("K", 113, 44, 10, 56); },
         false, "K,113,44"},
        {"10 high is a point", [](LayoutDocument& d) { return d.PlaceBox("K", 113, 44, 50, 10); },
         false, "K,113,44"},
        {"dragged up and left", [](LayoutDocument& d) { return d.PlaceBox("K", 9, 9, -40, -40); },
         false, "K,9,9"},
        {"above the top edge",
         [](LayoutDocument& d) {
             d.PlacePoint("K", 113, -3);
             return false;
         },
         false, "K,113,-3"},
        {"key kept as given",
         [](LayoutDocument& d) {
             d.PlacePoint("a K", 1, 2);
             return false;
         },
         false, "a K,1,2"},
    };
    for (const Case& c : cases) {
        LayoutDocument d;
        Recorder r(d);
        EXPECT_EQ(c.place(d), c.box) << c.what;
        EXPECT_EQ(d.ConfigList(), QStringList{c.line}) << c.what;
        EXPECT_EQ(r.Take(), (QStringList{"+0:" + c.line, "modified"})) << c.what;
        ASSERT_TRUE(d.Entry(0).has_value()) << c.what;
        EXPECT_EQ(d.Entry(0)->IsBox, c.box) << c.what;
        EXPECT_TRUE(d.ConfigHasChanged()) << c.what;
        EXPECT_EQ(d.UndoStack()->count(), 1) << c.what;
    }
}

TEST(LayoutDocument, RefusesKeysThatWouldNotReadBack) {
    for (const QString key : {"", "K,L", "K\r\nL,1,1", "K\n", "\rK"}) {
        LayoutDocument d;
        EXPECT_THROW(d.PlacePoint(key, 1, 1), Exception) << key.toStdString();
        EXPECT_THROW(d.PlaceBox(key, 1, 1, 50, 50), Exception) << key.toStdString();
        EXPECT_TRUE(d.ConfigList().isEmpty()) << key.toStdString();
        EXPECT_FALSE(d.ConfigHasChanged()) << key.toStdString();
    }
}

TEST(LayoutDocument, ReplacingMovesTheKeysFirstLineToTheEndAndUndoPutsItBack) {
    Form f;
    const QStringList original{"K,1,1", "A,2,2", "K,3,3"};
    f.Write(CrLf(original));
    LayoutDocument d;
    ASSERT_TRUE(d.Load(f.Cfg));
    Recorder r(d);

    QStringList expected = original;
    PlaceEntry(expected, "K", "K,9,9,20,20");
    EXPECT_TRUE(d.PlaceBox("K", 9, 9, 20, 20));
    EXPECT_EQ(d.ConfigList(), expected);
    EXPECT_EQ(d.ConfigList(), (QStringList{"A,2,2", "K,3,3", "K,9,9,20,20"}));
    EXPECT_EQ(d.FindConfigEntry("K"), 1);
    EXPECT_EQ(r.Take(), (QStringList{"-0:K,1,1", "+2:K,9,9,20,20", "modified"}));

    d.UndoStack()->undo();
    EXPECT_EQ(d.ConfigList(), original);
    EXPECT_EQ(r.Take(), (QStringList{"-2:K,9,9,20,20", "+0:K,1,1", "unmodified"}));
    d.UndoStack()->redo();
    EXPECT_EQ(d.ConfigList(), expected);
}

TEST(LayoutDocument, UnreadableLinesStayWhereTheyAreAndAreWrittenBackUnchanged) {
    Form f;
    const QStringList lines{"K,0,45",       "K,120,0",    "K",         ",120,45",
                            "K,120,45,300", "K,120 ,45",  "",          "  ",
                            "A,1,2",        "X, 120, 45", "B,120,45,", "Z,1,2,30,40,note"};
    f.Write(CrLf(lines));
    LayoutDocument d;
    ASSERT_TRUE(d.Load(f.Cfg));
    EXPECT_EQ(d.ConfigList(), lines);
    for (int i = 0; i < 8; ++i)
        EXPECT_FALSE(d.Entry(i).has_value()) << lines.at(i).toStdString();
    for (int i = 8; i < lines.size(); ++i)
        EXPECT_TRUE(d.Entry(i).has_value()) << lines.at(i).toStdString();
    EXPECT_FALSE(d.Entry(-1).has_value());
    EXPECT_FALSE(d.Entry(int(lines.size())).has_value());

    d.PlacePoint("N", 5, 6);
    d.Save();
    EXPECT_EQ(f.Read(), CrLf(lines + QStringList{"N,5,6"}));
}

TEST(LayoutDocument, UndoTakesBackStepAfterStepAndRedoReplaysThem) {
    LayoutDocument d;
    d.PlacePoint("A", 1, 1);
    d.PlaceBox("B", 2, 2, 30, 30);
    d.PlacePoint("A", 3, 3);
    const QStringList states[] = {
        {}, {"A,1,1"}, {"A,1,1", "B,2,2,30,30"}, {"B,2,2,30,30", "A,3,3"}};
    EXPECT_EQ(d.ConfigList(), states[3]);
    EXPECT_EQ(d.UndoStack()->undoText(), "Place A");
    for (int step = 2; step >= 0; --step) {
        ASSERT_TRUE(d.UndoStack()->canUndo());
        d.UndoStack()->undo();
        EXPECT_EQ(d.ConfigList(), states[step]) << step;
    }
    EXPECT_FALSE(d.UndoStack()->canUndo());
    EXPECT_FALSE(d.ConfigHasChanged());
    for (int step = 1; step <= 2; ++step) {
        d.UndoStack()->redo();
        EXPECT_EQ(d.ConfigList(), states[step]) << step;
    }
    // A new edit after undoing drops the steps that were undone.
    d.PlacePoint("C", 4, 4);
    EXPECT_FALSE(d.UndoStack()->canRedo());
    EXPECT_EQ(d.ConfigList(), (QStringList{"A,1,1", "B,2,2,30,30", "C,4,4"}));
    d.UndoStack()->undo();
    EXPECT_EQ(d.ConfigList(), states[2]);
}

TEST(LayoutDocument, SaveWritesTheBytesOfTheCurrentWriter) {
    const QString maori = QString::fromUtf8("M\u0101ori");
    struct Case {
        const char* what;
        QByteArray file; // empty: no layout file yet
    } cases[] = {
        {"no file", {}},
        {"Windows-1252", CrLf({"K,1,1", QString::fromUtf8("Caf\u00e9,5,5"), "bad"})},
        {"UTF-8 with mark", CrLf({"K,1,1", "A,2,2"}, TextEncoding::Utf8)},
        {"UTF-16 little-endian", CrLf({"K,1,1", "A,2,2"}, TextEncoding::Utf16LE)},
        {"lone CR and LF breaks", QByteArray("K,1,1\rA,2,2\nB,3,3")},
    };
    for (const Case& c : cases) {
        Form f;
        TextEncoding encoding = TextEncoding::Ansi;
        QStringList list;
        if (!c.file.isEmpty()) {
            f.Write(c.file);
            list = ReadTextLines(f.Cfg, &encoding);
        }
        LayoutDocument d;
        d.Load(f.Cfg);

        // The same placements through the list helpers the window uses today.
        PlaceEntry(list, "K", FormatPointEntry("K", 113, 44));
        d.PlacePoint("K", 113, 44);
        PlaceEntry(list, "B", FormatBoxEntry("B", 20, 30, 287, 76));
        d.PlaceBox("B", 20, 30, 287, 76);
        PlaceEntry(list, QString::fromUtf8("Caf\u00e9"),
                   FormatPointEntry(QString::fromUtf8("Caf\u00e9"), 7, -3));
        d.PlacePoint(QString::fromUtf8("Caf\u00e9"), 7, -3);
        PlaceEntry(list, "K", FormatPointEntry("K", 1, 2));
        d.PlacePoint("K", 1, 2);
        d.Save();
        const QString reference = f.Profile.Forms() + "reference.cfg";
        WriteTextLines(reference, list, encoding);
        EXPECT_EQ(f.Read(), f.Profile.Read(reference)) << c.what;

        // A key the remembered encoding cannot hold.
        PlaceEntry(list, maori, FormatPointEntry(maori, 8, 8));
        d.PlacePoint(maori, 8, 8);
        d.Save();
        WriteTextLines(reference, list, encoding);
        EXPECT_EQ(f.Read(), f.Profile.Read(reference)) << c.what;
    }
    // And in plain bytes for the first case.
    Form f;
    LayoutDocument d;
    d.Load(f.Cfg);
    d.PlacePoint(QString::fromUtf8("Caf\u00e9"), 113, 44);
    d.PlaceBox("K", 1, -2, 300, 40);
    d.Save();
    EXPECT_EQ(f.Read(), QByteArray("Caf\xE9,113,44\r\nK,1,-2,300,40\r\n"));
}

TEST(LayoutDocument, ChangedExactlyWhenItDiffersFromTheLastLoadOrSave) {
    Form f;
    f.Write(CrLf({"A,1,1"}));
    LayoutDocument d;
    d.Load(f.Cfg);
    Recorder r(d);
    auto undo = [&] { d.UndoStack()->undo(); };
    auto redo = [&] { d.UndoStack()->redo(); };

    EXPECT_FALSE(d.ConfigHasChanged());
    d.PlacePoint("B", 2, 2);
    EXPECT_TRUE(d.ConfigHasChanged());
    undo(); // back to what was loaded
    EXPECT_FALSE(d.ConfigHasChanged());
    redo();
    EXPECT_TRUE(d.ConfigHasChanged());
    d.PlacePoint("C", 3, 3);
    undo();
    d.Save(); // saved with B, C undone
    EXPECT_FALSE(d.ConfigHasChanged());
    redo();
    EXPECT_TRUE(d.ConfigHasChanged());
    undo();
    EXPECT_FALSE(d.ConfigHasChanged());
    undo(); // before the saved state
    EXPECT_TRUE(d.ConfigHasChanged());
    redo();
    EXPECT_FALSE(d.ConfigHasChanged());
    EXPECT_EQ(r.Take().filter("modified"),
              (QStringList{"modified", "unmodified", "modified", "unmodified", "modified",
                           "unmodified", "modified", "unmodified"}));

    // Placing a key where its line already stands, last, is no change and no step.
    d.PlacePoint("B", 2, 2);
    EXPECT_FALSE(d.ConfigHasChanged());
    EXPECT_TRUE(d.UndoStack()->canRedo()); // a pushed step would have dropped C's redo
    EXPECT_EQ(d.UndoStack()->index(), 1);
    EXPECT_TRUE(r.Take().isEmpty());
    // After undoing past the saved state, a new edit cannot lead back to it.
    undo();
    d.PlacePoint("D", 4, 4);
    undo();
    EXPECT_TRUE(d.ConfigHasChanged());
}

TEST(LayoutDocument, LoadingClearingAndReloadingStartANewHistory) {
    struct Case {
        const char* what;
        std::function<void(LayoutDocument&, const Form&)> action;
        QStringList lines;
        bool fileLeft;
    } cases[] = {
        {"load",
         [](LayoutDocument& d, const Form& f) { EXPECT_TRUE(d.Load(f.Cfg)); },
         {"A,1,1", "B,2,2"},
         true},
        {"reload",
         [](LayoutDocument& d, const Form&) { EXPECT_TRUE(d.Reload()); },
         {"A,1,1", "B,2,2"},
         true},
        {"load another form without a file",
         [](LayoutDocument& d, const Form& f) {
             EXPECT_FALSE(d.Load(f.Profile.Forms() + "Dral/other.cfg"));
         },
         {},
         true},
        {"clear", [](LayoutDocument& d, const Form&) { d.Clear(); }, {}, false},
    };
    for (const Case& c : cases) {
        Form f;
        f.Write(CrLf({"A,1,1"}));
        LayoutDocument d;
        d.Load(f.Cfg);
        d.PlacePoint("B", 2, 2);
        d.Save();
        d.PlacePoint("C", 3, 3);
        Recorder r(d);
        c.action(d, f);
        EXPECT_EQ(d.ConfigList(), c.lines) << c.what;
        EXPECT_FALSE(d.ConfigHasChanged()) << c.what;
        EXPECT_FALSE(d.UndoStack()->canUndo()) << c.what;
        EXPECT_FALSE(d.UndoStack()->canRedo()) << c.what;
        EXPECT_EQ(r.Take(), (QStringList{"unmodified", "reset"})) << c.what;
        EXPECT_EQ(QFile::exists(f.Cfg), c.fileLeft) << c.what;
        // Undo has nothing to take back across the new start.
        d.UndoStack()->undo();
        EXPECT_EQ(d.ConfigList(), c.lines) << c.what;
    }
}

TEST(LayoutDocument, KeepsTheEncodingOfTheLayoutFileLastRead) {
    const QString maori = QString::fromUtf8("M\u0101ori");
    const QString cafe = QString::fromUtf8("Caf\u00e9");
    Form f;
    const QString other = f.Profile.Forms() + "Dral/other.cfg";
    LayoutDocument d;
    EXPECT_EQ(d.ConfigEncoding(), TextEncoding::Ansi);

    // Until a file is read: Windows-1252, without a mark.
    d.Load(other);
    d.PlacePoint(cafe, 1, 1);
    d.Save();
    EXPECT_EQ(f.Profile.Read(other), QByteArray("Caf\xE9,1,1\r\n"));

    // A key that Windows-1252 cannot hold: UTF-8 with its mark for this
    // write; the remembered encoding stays.
    d.PlacePoint(maori, 2, 2);
    d.Save();
    EXPECT_EQ(f.Profile.Read(other), CrLf({cafe + ",1,1", maori + ",2,2"}, TextEncoding::Utf8));
    EXPECT_EQ(d.ConfigEncoding(), TextEncoding::Ansi);
    d.RemoveEntry(1);
    d.Save();
    EXPECT_EQ(f.Profile.Read(other), QByteArray("Caf\xE9,1,1\r\n"));

    // A file read with a UTF-8 mark is written with one, and so is another
    // form without a file of its own.
    f.Write(CrLf({"A,1,1"}, TextEncoding::Utf8));
    d.Load(f.Cfg);
    EXPECT_EQ(d.ConfigEncoding(), TextEncoding::Utf8);
    QFile::remove(other);
    EXPECT_FALSE(d.Load(other));
    EXPECT_EQ(d.ConfigEncoding(), TextEncoding::Utf8);
    d.PlacePoint(cafe, 1, 1);
    d.Save();
    EXPECT_EQ(f.Profile.Read(other), CrLf({cafe + ",1,1"}, TextEncoding::Utf8));

    // A file that cannot be read changes nothing of it.
    QDir().mkpath(f.Profile.Forms() + "Dral/folder.cfg");
    EXPECT_THROW(d.Load(f.Profile.Forms() + "Dral/folder.cfg"), Exception);
    EXPECT_EQ(d.ConfigEncoding(), TextEncoding::Utf8);
}

TEST(LayoutDocument, AFailedSaveLeavesTheDocumentChanged) {
    struct Case {
        const char* what;
        QString cfg; // below the profile's forms folder; empty: no form loaded
    } cases[] = {
        {"no form loaded", {}},
        {"missing folder", "no/such/folder/form.cfg"},
        {"path through a regular file", "plain/form.cfg"},
    };
    for (const Case& c : cases) {
        TempProfile p;
        p.Write(p.Forms() + "plain", "x");
        LayoutDocument d;
        d.Load(c.cfg.isEmpty() ? QString() : p.Forms() + c.cfg);
        d.PlacePoint("K", 1, 1);
        EXPECT_THROW(d.Save(), Exception) << c.what;
        EXPECT_TRUE(d.ConfigHasChanged()) << c.what;
        EXPECT_EQ(d.ConfigList(), QStringList{"K,1,1"}) << c.what;
        // The history is whole: undo still leads back to what was loaded.
        d.UndoStack()->undo();
        EXPECT_FALSE(d.ConfigHasChanged()) << c.what;
    }
    LayoutDocument d;
    try {
        d.Save();
        ADD_FAILURE() << "saved without a file name";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "No form image is loaded.");
    }
}

TEST(LayoutDocument, AFailedReadLeavesAnEmptyDocumentUnderTheNewName) {
    Form f;
    f.Write(CrLf({"A,1,1"}));
    LayoutDocument d;
    d.Load(f.Cfg);
    d.PlacePoint("B", 2, 2);
    const QString folder = f.Profile.Forms() + "Dral/folder.cfg";
    QDir().mkpath(folder);
    Recorder r(d);
    EXPECT_THROW(d.Load(folder), Exception);
    EXPECT_TRUE(d.ConfigList().isEmpty());
    EXPECT_EQ(d.CFGFilename(), folder);
    EXPECT_FALSE(d.ConfigHasChanged());
    EXPECT_FALSE(d.UndoStack()->canUndo());
    EXPECT_EQ(r.Take(), (QStringList{"unmodified", "reset"}));
}

TEST(LayoutDocument, AFileThatCannotBeDeletedLeavesClearUndone) {
    Form f;
    f.Write(CrLf({"A,1,1"}));
    LayoutDocument d;
    d.Load(f.Cfg);
    d.PlacePoint("B", 2, 2);
    // A folder with something in it stands where the layout file was.
    QFile::remove(f.Cfg);
    f.Profile.Write(f.Cfg + "/inside", "x");
    EXPECT_THROW(d.Clear(), Exception);
    EXPECT_EQ(d.ConfigList(), (QStringList{"A,1,1", "B,2,2"}));
    EXPECT_TRUE(d.ConfigHasChanged());
    EXPECT_TRUE(d.UndoStack()->canUndo());
}

TEST(LayoutDocument, MovingKeepsTheLinesPlaceItsBoxAndWhatFollows) {
    struct Case {
        QString line;
        bool moves;
        QString moved; // to (7, 8)
    } cases[] = {
        {"K,1,2", true, "K,7,8"},
        {"K,1,2,30,40", true, "K,7,8,30,40"},
        {"K, 1, 2", true, "K,7,8"},
        {"K,1,2,", true, "K,7,8"},
        {"K,1,2,30,40,note,more", true, "K,7,8,30,40,note,more"},
        {"K,0,2", false, "K,0,2"},
        {"K,1,2,30", false, "K,1,2,30"},
        {"junk", false, "junk"},
    };
    for (const Case& c : cases) {
        Form f;
        const QStringList lines{"A,1,1", c.line, "B,2,2"};
        f.Write(CrLf(lines));
        LayoutDocument d;
        d.Load(f.Cfg);
        Recorder r(d);
        EXPECT_EQ(d.MoveEntry(1, 7, 8), c.moves) << c.line.toStdString();
        EXPECT_EQ(d.ConfigList(), (QStringList{"A,1,1", c.moved, "B,2,2"})) << c.line.toStdString();
        EXPECT_EQ(d.ConfigHasChanged(), c.moves) << c.line.toStdString();
        if (!c.moves)
            continue;
        EXPECT_EQ(r.Take(), (QStringList{"~1:" + c.line + ">" + c.moved, "modified"}));
        EXPECT_EQ(d.UndoStack()->undoText(), "Move K");
        ASSERT_TRUE(d.Entry(1).has_value());
        EXPECT_EQ(d.Entry(1)->X, 7);
        d.UndoStack()->undo();
        EXPECT_EQ(d.ConfigList(), lines);
        EXPECT_EQ(r.Take(), (QStringList{"~1:" + c.moved + ">" + c.line, "unmodified"}));
        d.UndoStack()->redo();
        EXPECT_EQ(d.ConfigList().at(1), c.moved);
    }
    LayoutDocument d;
    d.PlacePoint("K", 7, 8);
    EXPECT_FALSE(d.MoveEntry(-1, 1, 1));
    EXPECT_FALSE(d.MoveEntry(1, 1, 1));
    // A line with an X or Y of 0 is not drawn: the entry would be lost from view.
    EXPECT_FALSE(d.MoveEntry(0, 0, 8));
    EXPECT_FALSE(d.MoveEntry(0, 7, 0));
    EXPECT_EQ(d.ConfigList(), QStringList{"K,7,8"});
    // Moving to where it is already is no step.
    EXPECT_TRUE(d.MoveEntry(0, 7, 8));
    EXPECT_EQ(d.UndoStack()->count(), 1);
}

TEST(LayoutDocument, RemovingTakesAnyLineAndUndoPutsItBackInItsPlace) {
    Form f;
    const QStringList lines{"A,1,1", "junk", "B,2,2,30,30"};
    f.Write(CrLf(lines));
    for (int i = 0; i < lines.size(); ++i) {
        LayoutDocument d;
        d.Load(f.Cfg);
        Recorder r(d);
        EXPECT_TRUE(d.RemoveEntry(i));
        QStringList less = lines;
        less.removeAt(i);
        EXPECT_EQ(d.ConfigList(), less);
        EXPECT_EQ(r.Take(), (QStringList{QStringLiteral("-%1:").arg(i) + lines.at(i), "modified"}));
        EXPECT_EQ(d.UndoStack()->undoText(), "Remove " + KeyOfLine(lines.at(i)));
        d.UndoStack()->undo();
        EXPECT_EQ(d.ConfigList(), lines);
        EXPECT_EQ(d.Entry(2).has_value(), true);
        EXPECT_FALSE(d.ConfigHasChanged());
    }
    LayoutDocument d;
    EXPECT_FALSE(d.RemoveEntry(0));
    EXPECT_FALSE(d.RemoveEntry(-1));
    EXPECT_FALSE(d.ConfigHasChanged());
}

} // namespace
