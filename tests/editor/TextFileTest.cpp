#include "editor/TextFile.h"
#include "common/TempProfile.h"
#include "support/Exception.h"

#include <gtest/gtest.h>

namespace {

QByteArray Bytes(std::initializer_list<int> b) {
    QByteArray out;
    for (int c : b)
        out.append(char(c));
    return out;
}

TEST(TextFile, MarkSelectsEncodingAndIsNotText) {
    struct Case {
        QByteArray bytes;
        TextEncoding enc;
        QString text;
    } cases[] = {
        {Bytes({0xEF, 0xBB, 0xBF, 'M', 0xC4, 0x81, 'o'}), TextEncoding::Utf8,
         QString::fromUtf8("Māo")},
        {Bytes({0xFF, 0xFE, 'A', 0, 0x01, 0x01}), TextEncoding::Utf16LE, QString::fromUtf8("Aā")},
        {Bytes({0xFE, 0xFF, 0, 'A', 0x01, 0x01}), TextEncoding::Utf16BE, QString::fromUtf8("Aā")},
        {Bytes({'a', 0x80, 0xE9}), TextEncoding::Ansi, QString::fromUtf8("a€é")},
        {QByteArray(), TextEncoding::Ansi, QString()},
    };
    for (const auto& c : cases) {
        TextEncoding got = TextEncoding::Utf16BE;
        EXPECT_EQ(DecodeText(c.bytes, &got), c.text);
        EXPECT_EQ(got, c.enc);
    }
}

TEST(TextFile, EveryUnmarkedByteSequenceRoundTrips) {
    QByteArray all;
    for (int i = 0; i < 256; ++i)
        all.append(char(i));
    // Skip the bytes that would form a mark at the start.
    all = "x" + all;
    const QString text = DecodeText(all);
    ASSERT_TRUE(CanEncode(text, TextEncoding::Ansi));
    EXPECT_EQ(EncodeText(text, TextEncoding::Ansi), all);
    EXPECT_EQ(text.at(1 + 0x81), QChar(0x81));
    EXPECT_EQ(text.at(1 + 0x9D), QChar(0x9D));
}

TEST(TextFile, OddUtf16LengthDropsOnlyTheLoneByte) {
    EXPECT_EQ(DecodeText(Bytes({0xFF, 0xFE, 'A', 0, 'B'})), QString("A"));
}

TEST(TextFile, LineBreaks) {
    EXPECT_EQ(SplitLines("a\r\nb\nc\rd"), (QStringList{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitLines("a\r\n"), QStringList{"a"});
    EXPECT_EQ(SplitLines("a\n\nb\n"), (QStringList{"a", "", "b"}));
    EXPECT_EQ(SplitLines("\r\n"), QStringList{""});
    EXPECT_EQ(SplitLines(""), QStringList{});
    EXPECT_EQ(SplitLines(" a \r\r\n"), (QStringList{" a ", ""}));
}

TEST(TextFile, WritesCrLfAfterEveryLineInTheWantedEncoding) {
    TempProfile p;
    const QString path = p.Forms() + "k.cfg";
    EXPECT_EQ(WriteTextLines(path, {"A,1,2", "B,3,4"}, TextEncoding::Ansi), TextEncoding::Ansi);
    EXPECT_EQ(p.Read(path), QByteArray("A,1,2\r\nB,3,4\r\n"));
    WriteTextLines(path, {"é"}, TextEncoding::Utf16LE);
    EXPECT_EQ(p.Read(path), Bytes({0xFF, 0xFE, 0xE9, 0, '\r', 0, '\n', 0}));
}

TEST(TextFile, CharactersTheEncodingCannotHoldAreWrittenAsMarkedUtf8) {
    TempProfile p;
    const QString path = p.Forms() + "k.cfg";
    const QString maori = QString::fromUtf8("Māori,10,20");
    EXPECT_EQ(WriteTextLines(path, {maori}, TextEncoding::Ansi), TextEncoding::Utf8);
    TextEncoding enc;
    EXPECT_EQ(ReadTextLines(path, &enc), QStringList{maori});
    EXPECT_EQ(enc, TextEncoding::Utf8);
}

TEST(TextFile, FailuresRaiseWithTheReason) {
    TempProfile p;
    EXPECT_THROW(ReadTextLines(p.Forms() + "missing.txt"), Exception);
    EXPECT_THROW(WriteTextLines(p.Forms() + "no/such/folder/x.cfg", {"a"}, TextEncoding::Ansi),
                 Exception);
    // A path that runs through a regular file.
    p.Write(p.Forms() + "plain", "x");
    EXPECT_THROW(WriteTextLines(p.Forms() + "plain/x.cfg", {"a"}, TextEncoding::Ansi), Exception);
}

} // namespace
