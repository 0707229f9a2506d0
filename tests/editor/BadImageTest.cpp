// Hostile and unusual form images, loaded over a form with an unsaved
// placement: each is refused with "Error reading PNG file: {message}" and the
// previous form stays whole, or it loads and shows exactly its pixels.
#include "EditorFixture.h"

#include "editor/Folders.h"
#include "editor/FormImage.h"

#include <QDir>
#include <QFile>
#include <QtEndian>

#include <sys/stat.h>

#include <functional>
#include <optional>

namespace {

void Be32(QByteArray& out, quint32 v) {
    char b[4];
    qToBigEndian(v, b);
    out.append(b, 4);
}

quint32 Crc(const QByteArray& bytes) {
    quint32 c = 0xFFFFFFFFu;
    for (char ch : bytes) {
        c ^= quint8(ch);
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    }
    return c ^ 0xFFFFFFFFu;
}

void Chunk(QByteArray& png, const char* type, const QByteArray& data) {
    Be32(png, quint32(data.size()));
    const QByteArray body = QByteArray(type, 4) + data;
    png += body;
    Be32(png, Crc(body));
}

// The grey of pixel (x, y) in every test image.
int GreyAt(int x, int y) {
    return (x * 40 + y * 7) % 256;
}

// A grey PNG (8 or 16 bits, optionally Adam7-interlaced) of GreyAt pixels;
// `ancillary` chunks go between the header and the image data.
QByteArray GreyPng(quint32 w, quint32 h, int depth, bool interlaced,
                   const QByteArray& ancillary = {}) {
    auto pixel = [depth](QByteArray& row, int x, int y) {
        row.append(char(GreyAt(x, y)));
        if (depth == 16)
            row.append(char(GreyAt(x, y))); // v * 257: the same grey
    };
    QByteArray raw;
    auto pass = [&](int x0, int y0, int dx, int dy) {
        for (quint32 y = y0; y < h; y += dy) {
            if (quint32(x0) >= w)
                return;
            raw.append('\0'); // filter: none
            for (quint32 x = x0; x < w; x += dx)
                pixel(raw, int(x), int(y));
        }
    };
    if (interlaced) {
        const int passes[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                  {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
        for (const auto& p : passes)
            pass(p[0], p[1], p[2], p[3]);
    } else {
        pass(0, 0, 1, 1);
    }
    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    QByteArray ihdr;
    Be32(ihdr, w);
    Be32(ihdr, h);
    ihdr.append(char(depth)).append('\0').append('\0').append('\0').append(char(interlaced));
    Chunk(png, "IHDR", ihdr);
    png += ancillary;
    Chunk(png, "IDAT", qCompress(raw).mid(4)); // without Qt's length prefix: a zlib stream
    Chunk(png, "IEND", {});
    return png;
}

QImage GreyImage(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb(GreyAt(x, y), GreyAt(x, y), GreyAt(x, y)));
    return img;
}

// Flips one bit of the CRC of the chunk of the given type.
QByteArray WrongCrc(QByteArray png, const char* type) {
    const qsizetype at = png.indexOf(type);
    const quint32 length = qFromBigEndian<quint32>(png.constData() + at - 4);
    png[at + 4 + qsizetype(length)] = char(png[at + 4 + qsizetype(length)] ^ 0x01);
    return png;
}

QByteArray WithAncillary(const char* type, const QByteArray& data) {
    QByteArray chunk;
    Chunk(chunk, type, data);
    return chunk;
}

enum class Outcome {
    Refused, // "Error reading PNG file: ..." and the previous form whole
    Loads,   // shown with exactly the expected pixels
    Either,  // one of the two, whole either way
};

struct Case {
    QString name;
    // Makes the file (or folder, or FIFO) at the path.
    std::function<void(const QString&)> make;
    Outcome outcome;
    QString says;                // part of a refusal's message
    std::optional<QImage> shows; // what a load must show
};

class BadImageTest : public EditorTest {
protected:
    // A form with a layout, a placement not yet saved and its picture.
    void LoadGoodForm() {
        WriteLayout("Good.cfg", "K,113,44\r\n");
        Load(MakeImage("Good.png", {300, 200}));
        ChooseKey("K2,a second key");
        Click({100, 100});
        ASSERT_TRUE(M->ConfigHasChanged());
        F->Platform.Fake.Boxes.clear();
    }
    void ExpectGoodFormWhole(const QImage& picture, const QStringList& config,
                             const QString& name) const {
        EXPECT_EQ(M->ImageFilename, FormPath("Good.png")) << name.toStdString();
        EXPECT_EQ(M->AliasName, "Good") << name.toStdString();
        EXPECT_EQ(M->CFGFilename(), FormsFolder + "New Zealand/Good.cfg") << name.toStdString();
        EXPECT_EQ(M->ConfigList(), config) << name.toStdString();
        EXPECT_TRUE(M->ConfigHasChanged()) << name.toStdString();
        EXPECT_EQ(M->Image1->Picture, picture) << name.toStdString();
        EXPECT_TRUE(M->CanUndo()) << name.toStdString();
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << name.toStdString();
    }
};

TEST_F(BadImageTest, EachIsRefusedWithTheReasonOrLoadsWhole) {
    auto bytes = [this](QByteArray b) {
        return [this, b](const QString& path) { F->Profile.Write(path, b); };
    };
    const QByteArray good = GreyPng(12, 9, 8, false);
    const qsizetype idat = good.indexOf("IDAT");
    const QByteArray gamma = WithAncillary("gAMA", QByteArray::fromHex("0000b18f"));

    const Case cases[] = {
        {"Cut after the signature.png", bytes(good.left(8)), Outcome::Refused, "damaged", {}},
        {"Cut in the header.png", bytes(good.left(20)), Outcome::Refused, "damaged", {}},
        {"Cut in the image data.png", bytes(good.left(idat + 10)), Outcome::Refused, "damaged", {}},
        {"Cut before the end chunk.png", bytes(good.left(good.size() - 12)), Outcome::Either,
         "damaged", GreyImage(12, 9)},
        {"Wrong header CRC.png", bytes(WrongCrc(good, "IHDR")), Outcome::Refused, "damaged", {}},
        {"Wrong image data CRC.png",
         bytes(WrongCrc(good, "IDAT")),
         Outcome::Refused,
         "damaged",
         {}},
        // A damaged optional chunk is dropped; the pixels are whole.
        {"Wrong gamma CRC.png",
         bytes(WrongCrc(GreyPng(12, 9, 8, false, gamma), "gAMA")),
         Outcome::Loads,
         {},
         GreyImage(12, 9)},
        {"Zero by zero.png", bytes(GreyPng(0, 0, 8, false)), Outcome::Refused, "damaged", {}},
        {"Zero wide.png", bytes(GreyPng(0, 9, 8, false)), Outcome::Refused, "damaged", {}},
        {"One by 100000.png",
         bytes(GreyPng(1, 100000, 8, false)),
         Outcome::Loads,
         {},
         GreyImage(1, 100000)},
        {"Grey 16-bit.png", bytes(GreyPng(12, 9, 16, false)), Outcome::Loads, {}, GreyImage(12, 9)},
        {"Interlaced.png", bytes(GreyPng(13, 11, 8, true)), Outcome::Loads, {}, GreyImage(13, 11)},
        {"Interlaced 16-bit.png",
         bytes(GreyPng(13, 11, 16, true)),
         Outcome::Loads,
         {},
         GreyImage(13, 11)},
        {"A JPEG.png",
         [](const QString& path) {
             QImage img(20, 10, QImage::Format_RGB32);
             img.fill(Qt::red);
             ASSERT_TRUE(img.save(path, "JPG"));
         },
         Outcome::Refused,
         "not a PNG image",
         {}},
        {"A folder.png",
         [](const QString& path) { ASSERT_TRUE(QDir().mkpath(path)); },
         Outcome::Refused,
         "is not a file",
         {}},
        // Opening a FIFO would wait for a writer that never comes.
        {"A FIFO.png",
         [](const QString& path) { ASSERT_EQ(::mkfifo(QFile::encodeName(path), 0600), 0); },
         Outcome::Refused,
         "is not a file",
         {}},
    };

    for (const Case& c : cases) {
        const std::string name = c.name.toStdString();
        LoadGoodForm();
        const QImage picture = M->Image1->Picture.copy();
        const QStringList config = M->ConfigList();

        const QString path = FormPath(c.name);
        c.make(path);
        Load(path);

        QStringList boxes = F->Platform.Fake.BoxTexts();
        // An image that can be read replaces the form: its unsaved placement
        // is offered for saving first (answered No); a refused one asks nothing.
        const bool asked = boxes.removeAll("Config has changed. Save?") > 0;
        const bool refused = !boxes.isEmpty();
        EXPECT_EQ(asked, !refused) << name;
        if (c.outcome == Outcome::Refused) {
            EXPECT_TRUE(refused) << name << " loaded";
        }
        if (c.outcome == Outcome::Loads) {
            EXPECT_FALSE(refused) << name << ": " << boxes.join("; ").toStdString();
        }
        if (refused) {
            ASSERT_EQ(boxes.size(), 1) << name;
            EXPECT_TRUE(boxes[0].startsWith("Error reading PNG file: ")) << boxes[0].toStdString();
            EXPECT_TRUE(boxes[0].contains(c.says)) << name << ": " << boxes[0].toStdString();
            ExpectGoodFormWhole(picture, config, c.name);
        } else {
            ASSERT_TRUE(c.shows) << name;
            EXPECT_EQ(M->ImageFilename, path) << name;
            EXPECT_EQ(M->AliasName, AliasNameOf(path)) << name;
            EXPECT_TRUE(M->ConfigList().isEmpty()) << name; // no layout file of its own
            EXPECT_FALSE(M->ConfigHasChanged()) << name;
            EXPECT_FALSE(M->CanUndo()) << name; // nothing of the good form comes back
            EXPECT_EQ(M->Image1->Picture, *c.shows) << name;
        }
        QFile::remove(path);
        QDir().rmdir(path);
    }
}

} // namespace
