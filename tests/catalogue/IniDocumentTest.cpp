#include "catalogue/IniDocument.h"
#include "common/TempProfile.h"
#include "support/Exception.h"

#include <QDir>
#include <climits>
#include <gtest/gtest.h>

inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace {

class IniFile : public ::testing::Test {
protected:
    TempProfile P;
    QString Path() const { return P.Forms() + "test.ini"; }
    TIniDocument Load(const QByteArray& bytes) const {
        P.Write(Path(), bytes);
        return TIniDocument(Path());
    }
    // Writes doc to its file and reads the file back as a new document.
    TIniDocument Rewritten(TIniDocument& doc) const {
        doc.UpdateFile();
        return TIniDocument(doc.FileName());
    }
};

const QByteArray Sample = "junk=before the first section\r\n"
                          "; a comment\r\n"
                          "[First]\r\n"
                          "  key1 =  value one  \r\n"
                          "KEY2=\r\n"
                          "\t bare line \r\n"
                          "k=a=b\r\n"
                          "\r\n"
                          "[ Second ]\n"
                          "x=1\n"
                          "  ;c=3\n"
                          "[first]\r"
                          "dup=1";

TEST_F(IniFile, ReadingRules) {
    const TIniDocument doc = Load(Sample);
    EXPECT_EQ(doc.ReadSections(), (QStringList{"First", "Second", "first"}));
    // A key-less line lists as an empty key; the section name matches any case,
    // and of two sections of one name the first answers.
    EXPECT_EQ(doc.ReadSection("FIRST"), (QStringList{"key1", "KEY2", "", "k"}));
    EXPECT_EQ(doc.ReadString("first", "Key1", "def"), "value one");
    EXPECT_EQ(doc.ReadString("First", "key2", "def"), "");
    EXPECT_TRUE(doc.ValueExists("First", "key2"));
    EXPECT_EQ(doc.ReadString("First", "missing", "def"), "def");
    EXPECT_FALSE(doc.ValueExists("First", "missing"));
    EXPECT_EQ(doc.ReadString("First", "k", "def"), "a=b");
    EXPECT_EQ(doc.ReadString("First", "", "def"), "def"); // the bare line has no value
    EXPECT_EQ(doc.ReadString("Second", "c", "def"), "def");
    EXPECT_EQ(doc.ReadString("first", "dup", "def"), "def");
    EXPECT_EQ(doc.ReadString("nowhere", "junk", "def"), "def");
    EXPECT_TRUE(doc.SectionExists("SECOND"));
    EXPECT_FALSE(doc.SectionExists("Third"));
    EXPECT_EQ(doc.ReadSection("Third"), QStringList{});
}

TEST_F(IniFile, WritingLosesOnlyCommentsBlanksAndLinesBeforeTheFirstSection) {
    TIniDocument doc = Load(Sample);
    doc.UpdateFile();
    EXPECT_EQ(P.Read(Path()), QByteArray("[First]\r\n"
                                         "key1=value one\r\n"
                                         "KEY2=\r\n"
                                         "bare line\r\n"
                                         "k=a=b\r\n"
                                         "\r\n"
                                         "[Second]\r\n"
                                         "x=1\r\n"
                                         "\r\n"
                                         "[first]\r\n"
                                         "dup=1\r\n"
                                         "\r\n"));
    EXPECT_EQ(TIniDocument(Path()).Sections(), doc.Sections());
}

TEST_F(IniFile, EmptyAndCommentOnlyFilesHaveNoSections) {
    struct Case {
        QByteArray bytes;
        QByteArray written;
    } cases[] = {
        {"", ""},
        {"; only\r\n;comments\r\n\r\n", ""},
        {"key=without section\r\n", ""},
        {"\xEF\xBB\xBF; marked\r\n", "\xEF\xBB\xBF"},
        {"\xFF\xFE", "\xFF\xFE"},
    };
    for (const auto& c : cases) {
        TIniDocument doc = Load(c.bytes);
        EXPECT_TRUE(doc.ReadSections().isEmpty());
        doc.UpdateFile();
        EXPECT_EQ(P.Read(Path()), c.written);
    }
}

TEST_F(IniFile, WritesBackInTheEncodingItFound) {
    struct Case {
        QByteArray mark;
        TextEncoding enc;
    } cases[] = {
        {"", TextEncoding::Ansi},
        {"\xEF\xBB\xBF", TextEncoding::Utf8},
        {"\xFF\xFE", TextEncoding::Utf16LE},
        {"\xFE\xFF", TextEncoding::Utf16BE},
    };
    const QString before = QString::fromUtf8("[Café]\r\nA=crème\r\n");
    for (const auto& c : cases) {
        QByteArray body = EncodeText(before, c.enc);
        TIniDocument doc = Load(body);
        ASSERT_EQ(doc.Encoding(), c.enc);
        doc.WriteString(QString::fromUtf8("CAFÉ"), "B", QString::fromUtf8("über"));
        doc.UpdateFile();
        const QByteArray bytes = P.Read(Path());
        EXPECT_TRUE(bytes.startsWith(c.mark));
        TextEncoding found;
        EXPECT_EQ(DecodeText(bytes, &found),
                  QString::fromUtf8("[Café]\r\nA=crème\r\nB=über\r\n\r\n"));
        EXPECT_EQ(found, c.enc);
    }
}

TEST_F(IniFile, Utf16KeepsCharactersTheAnsiStandInLacks) {
    const QString text = QString::fromUtf8("[Aotearoa]\r\nMāori=te reo 🥝\r\n\r\n");
    TIniDocument doc = Load(EncodeText(text, TextEncoding::Utf16LE));
    doc.WriteString("Aotearoa", QString::fromUtf8("ō"), QString::fromUtf8("ū"));
    doc.UpdateFile();
    TextEncoding found;
    EXPECT_EQ(DecodeText(P.Read(Path()), &found),
              QString::fromUtf8("[Aotearoa]\r\nMāori=te reo 🥝\r\nō=ū\r\n\r\n"));
    EXPECT_EQ(found, TextEncoding::Utf16LE);
}

TEST_F(IniFile, WhatTheAnsiStandInCannotHoldMakesTheFileUtf8WithMark) {
    TIniDocument doc = Load("[NZ]\r\nA=caf\xE9\r\n");
    ASSERT_EQ(doc.ReadString("NZ", "A", ""), QString::fromUtf8("café"));
    doc.WriteString("NZ", QString::fromUtf8("Māori"), "x");
    doc.UpdateFile();
    const QByteArray bytes = P.Read(Path());
    EXPECT_EQ(bytes, QByteArray("\xEF\xBB\xBF[NZ]\r\nA=caf\xC3\xA9\r\nM\xC4\x81ori=x\r\n\r\n"));
    EXPECT_EQ(doc.Encoding(), TextEncoding::Utf8);
    // Once UTF-8, always UTF-8: the file now reads that way.
    doc.WriteString("NZ", QString::fromUtf8("Māori"), "y");
    doc.UpdateFile();
    EXPECT_TRUE(P.Read(Path()).startsWith("\xEF\xBB\xBF"));
}

TEST_F(IniFile, AFileThatDidNotExistIsWrittenInTheAnsiStandInWithoutMark) {
    TIniDocument doc(P.Forms() + "new.ini");
    EXPECT_TRUE(doc.ReadSections().isEmpty());
    doc.WriteString("Dral", "CountrySelect", QString::fromUtf8("Curaçao"));
    doc.UpdateFile();
    EXPECT_EQ(P.Read(P.Forms() + "new.ini"), QByteArray("[Dral]\r\nCountrySelect=Cura\xE7"
                                                        "ao\r\n\r\n"));
}

TEST_F(IniFile, Utf16WithOddByteCountDropsOnlyTheLoneByte) {
    QByteArray bytes = EncodeText("[a]\r\nk=v\r\n", TextEncoding::Utf16LE);
    bytes.append('Z');
    TIniDocument doc = Load(bytes);
    EXPECT_EQ(doc.ReadString("a", "k", "def"), "v");
    doc.UpdateFile();
    const QByteArray written = P.Read(Path());
    EXPECT_EQ(written.size() % 2, 0);
    EXPECT_EQ(written, EncodeText("[a]\r\nk=v\r\n\r\n", TextEncoding::Utf16LE));
}

TEST_F(IniFile, Integers) {
    struct Case {
        const char* value;
        int expected;
    } cases[] = {
        {"16", 16},
        {"0x10", 16},
        {"0X1f", 31},
        {"$10", 16},
        {"$ff", 255},
        {"-5", -5},
        {"+7", 7},
        {"-$10", -16},
        {"abc", 99},
        {"", 99},
        {"$", 99},
        {"0x", 99},
        {"12abc", 99},
        {"1 2", 99},
        {"1.5", 99},
        {"2147483647", INT_MAX},
        {"2147483648", 99},
        {"-2147483648", INT_MIN},
        {"$FFFFFFFF", -1},
        {"$100000000", 99},
        {"99999999999999999999", 99},
    };
    for (const auto& c : cases) {
        const TIniDocument doc = Load(QByteArray("[S]\r\nk=") + c.value + "\r\n");
        EXPECT_EQ(doc.ReadInteger("S", "k", 99), c.expected) << c.value;
    }
    const TIniDocument doc = Load("[S]\r\n");
    EXPECT_EQ(doc.ReadInteger("S", "missing", 12), 12);
}

TEST_F(IniFile, WritesReplaceInPlaceOrAppend) {
    TIniDocument doc = Load("[S]\r\na=1\r\nloose\r\nb=2\r\n[T]\r\nc=3\r\n");
    doc.WriteString("s", "A", "9");   // in place, with the key as written now
    doc.WriteString("S", "new", "n"); // end of its section
    doc.WriteString("U", "x", "");    // new section at the end
    doc.WriteInteger("T", "c", -4);
    EXPECT_EQ(doc.Text(), QString("[S]\r\nA=9\r\nloose\r\nb=2\r\nnew=n\r\n\r\n"
                                  "[T]\r\nc=-4\r\n\r\n"
                                  "[U]\r\nx=\r\n\r\n"));
    EXPECT_EQ(Rewritten(doc).Sections(), doc.Sections());
}

TEST_F(IniFile, WritesThatWouldNotReadBackAreRefused) {
    struct Case {
        QString section, key, value;
    } cases[] = {
        {"S", "a=b", "v"},    {"S", ";a", "v"},   {"S", "[a", "b]"}, {"S", "a\nb", "v"},
        {"S", "a", "v\r\nw"}, {"S\rT", "a", "v"}, {"S", "[", "]"},
    };
    for (const auto& c : cases) {
        TIniDocument doc = Load("[S]\r\na=1\r\n");
        const QString before = doc.Text();
        EXPECT_THROW(doc.WriteString(c.section, c.key, c.value), Exception) << c.key.toStdString();
        EXPECT_EQ(doc.Text(), before);
    }
}

TEST_F(IniFile, UnusualWritesReadBackAsStored) {
    struct Case {
        QString section, key, value;
        QString readSection, readKey, readValue;
    } cases[] = {
        {"S", "[a", "b", "S", "[a", "b"},
        {"S", "", "v", "S", "", "v"},
        {"S", "a;b", "x=y;z]", "S", "a;b", "x=y;z]"},
        {"S", "a", ";not a comment", "S", "a", ";not a comment"},
        {"[S]", "k", "v", "[S]", "k", "v"},
        {";S", "k", "v", ";s", "k", "v"},
        {"", "k", "v", "", "k", "v"},
        // Blanks at the edges are not part of names or values in this format.
        {"  S ", " \tk ", "  v  ", "S", "k", "v"},
    };
    for (const auto& c : cases) {
        TIniDocument doc = Load("");
        doc.WriteString(c.section, c.key, c.value);
        const TIniDocument back = Rewritten(doc);
        EXPECT_EQ(back.ReadString(c.readSection, c.readKey, "missing"), c.readValue)
            << c.section.toStdString() << "/" << c.key.toStdString();
        EXPECT_EQ(back.Sections(), doc.Sections());
    }
}

TEST_F(IniFile, FileErrorsRaiseWithTheReason) {
    // An existing path that cannot be read as a file.
    QDir().mkpath(P.Forms() + "folder.ini");
    EXPECT_THROW(TIniDocument(P.Forms() + "folder.ini"), Exception);

    // A path that runs through a regular file cannot be written; the document
    // keeps what it holds.
    P.Write(P.Forms() + "plain", "x");
    TIniDocument doc(P.Forms() + "plain/test.ini");
    doc.WriteString("S", "k", "v");
    try {
        doc.UpdateFile();
        ADD_FAILURE() << "writing below a regular file succeeded";
    } catch (const Exception& e) {
        EXPECT_TRUE(e.Message().contains(P.Forms() + "plain/test.ini"));
    }
    EXPECT_EQ(doc.ReadString("S", "k", ""), "v");
}

} // namespace
