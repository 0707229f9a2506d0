#pragma once

// Drives the real main window with real pointer events: they go through the
// window system layer, so Qt's own routing (implicit grabs, enter and leave)
// is what the handlers see.
#define QTEST_QPA_MOUSE_HANDLING

#include "common/SpineFixture.h"

#include "catalogue/CatalogueFiles.h"
#include "editor/CheckListBox.h"
#include "editor/ImageControl.h"
#include "editor/MainFormU.h"
#include "editor/MouseCoordsWindow.h"

#include <QGuiApplication>
#include <QImage>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>
#include <QUndoStack>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

// The master list every editor test starts from.
inline const char* EditorMaster = "K\r\n"
                                  "K2,a second key\r\n"
                                  "Surname,Family name of the person\r\n"
                                  "Other,Global field for every form\r\n"
                                  "Dup,first line of a doubled key\r\n"
                                  "Dup,second line of a doubled key\r\n";

class EditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        F = std::make_unique<SpineFixture>();
        F->Profile.Write(F->Profile.Forms() + "master.txt", EditorMaster);
        F->Show();
        M = F->Main;
        ASSERT_TRUE(QTest::qWaitForWindowExposed(M));
        CurrentCountry = "New Zealand";
        F->Platform.Fake.Boxes.clear();
    }
    void TearDown() override {
        M = nullptr;
        F.reset();
    }

    QString FormPath(const QString& name) const {
        return F->Profile.Forms() + "New Zealand/" + name;
    }
    // A white PNG (or one of the given colour) in the country folder.
    QString MakeImage(const QString& name, QSize size, QColor colour = Qt::white) const {
        QImage img(size, QImage::Format_RGB32);
        img.fill(colour);
        const QString path = FormPath(name);
        F->Profile.Write(path, {});
        EXPECT_TRUE(img.save(path, "PNG"));
        return path;
    }
    void WriteLayout(const QString& name, const QByteArray& bytes) const {
        F->Profile.Write(FormPath(name), bytes);
    }
    // Picks the file in the (scripted) dialog and loads it.
    void Load(const QString& path) {
        F->Platform.Fake.PictureFiles.push_back(path);
        M->LoadBtn->click();
    }

    // Clicks the field-list line of the row as a person would.
    void Choose(int row) {
        TCheckListBox* list = M->CheckListBox1;
        const QRect r = list->visualRect(list->Model()->index(row));
        ASSERT_TRUE(r.isValid());
        // Rows are as wide as the list's scroll extent: click near the text's start.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          QPoint(r.left() + std::min(r.width() / 2, 40), r.center().y()));
    }
    void ChooseKey(const QString& line) {
        const int row = int(M->CheckListBox1->Items().indexOf(line));
        ASSERT_GE(row, 0) << line.toStdString();
        Choose(row);
    }

    // Pointer actions at ScrollBox1 client coordinates; they go to whatever
    // widget is under that point (or to the grabbing one).
    QPoint InWindow(QPoint client) const { return M->ScrollBox1->viewport()->mapTo(M, client); }
    void Move(QPoint client) { QTest::mouseMove(M->windowHandle(), InWindow(client)); }
    void Press(QPoint client, Qt::MouseButton b) {
        QTest::mousePress(M->windowHandle(), b, {}, InWindow(client));
    }
    void Release(QPoint client, Qt::MouseButton b) {
        QTest::mouseRelease(M->windowHandle(), b, {}, InWindow(client));
    }
    // A point over the field list, in ScrollBox1 client coordinates.
    QPoint OverList(QPoint inList) const {
        return M->CheckListBox1->mapTo(M, inList) - InWindow(QPoint(0, 0));
    }
    // A press, moves on the way and a release, as a drag is made.
    void Drag(QPoint from, QPoint to, Qt::MouseButton b) {
        Move(from);
        Press(from, b);
        Move((from + to) / 2);
        Move(to);
        Release(to, b);
    }
    void Click(QPoint client, Qt::MouseButton b = Qt::LeftButton) { Drag(client, client, b); }

    // The picture as the window shows it: the form image and the layout over it.
    QImage Picture() const { return M->Image1->RenderedPicture(); }
    bool OverrideIsSizeAll() const {
        return QGuiApplication::overrideCursor() &&
               QGuiApplication::overrideCursor()->shape() == Qt::SizeAllCursor;
    }
    // Where the overlay's top-left lies for pointer client (x, y): 13 right
    // of and 6 above the pointer.
    QPoint OverlayCornerFor(QPoint client) const { return InWindow(client) + QPoint(13, -6); }

    std::unique_ptr<SpineFixture> F;
    TMainForm* M = nullptr;
};

// Pixel helpers over a picture.
inline bool IsBlueish(QRgb c) {
    return qBlue(c) > 200 && qRed(c) < 235 && qGreen(c) < 235 && qRed(c) == qGreen(c);
}
inline bool IsRed(QRgb c) {
    return qRed(c) == 255 && qGreen(c) == 0 && qBlue(c) == 0;
}
inline bool IsWhite(QRgb c) {
    return c == qRgb(255, 255, 255);
}
// Bounding box of the pixels that satisfy pred.
inline QRect PixelBounds(const QImage& img, const std::function<bool(QRgb)>& pred) {
    QRect box;
    for (int y = 0; y < img.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x)
            if (pred(line[x]))
                box = box.united(QRect(x, y, 1, 1));
    }
    return box;
}
inline bool NotWhite(QRgb c) {
    return !IsWhite(c);
}
