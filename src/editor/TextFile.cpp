#include "editor/TextFile.h"

#include "support/Exception.h"

#include <QFile>
#include <QSaveFile>

#include <array>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {

// Windows-1252 bytes 0x80..0x9F; the five undefined ones map to themselves.
constexpr std::array<char16_t, 32> Cp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// The byte for a character in Windows-1252, or -1.
int AnsiByte(char16_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return c;
    for (int i = 0; i < 32; ++i)
        if (Cp1252High[i] == c)
            return 0x80 + i;
    return -1;
}

QString DecodeUtf16(const char* data, qsizetype size, bool bigEndian) {
    QString out;
    const qsizetype count = size / 2; // an odd last byte has no partner and is dropped
    out.resize(count);
    auto* dst = reinterpret_cast<char16_t*>(out.data());
    const auto* src = reinterpret_cast<const unsigned char*>(data);
    for (qsizetype i = 0; i < count; ++i) {
        const unsigned a = src[2 * i], b = src[2 * i + 1];
        dst[i] = char16_t(bigEndian ? (a << 8) | b : (b << 8) | a);
    }
    return out;
}

QByteArray EncodeUtf16(const QString& text, bool bigEndian) {
    QByteArray out;
    out.resize(text.size() * 2 + 2);
    char* dst = out.data();
    auto put = [&](qsizetype i, char16_t c) {
        const char hi = char(c >> 8), lo = char(c & 0xFF);
        dst[2 * i] = bigEndian ? hi : lo;
        dst[2 * i + 1] = bigEndian ? lo : hi;
    };
    put(0, 0xFEFF);
    for (qsizetype i = 0; i < text.size(); ++i)
        put(i + 1, text.at(i).unicode());
    return out;
}

} // namespace

QString DecodeText(const QByteArray& bytes, TextEncoding* detected) {
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype n = bytes.size();
    TextEncoding enc = TextEncoding::Ansi;
    QString text;
    if (n >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) {
        enc = TextEncoding::Utf8;
        text = QString::fromUtf8(bytes.constData() + 3, n - 3);
    } else if (n >= 2 && b[0] == 0xFF && b[1] == 0xFE) {
        enc = TextEncoding::Utf16LE;
        text = DecodeUtf16(bytes.constData() + 2, n - 2, false);
    } else if (n >= 2 && b[0] == 0xFE && b[1] == 0xFF) {
        enc = TextEncoding::Utf16BE;
        text = DecodeUtf16(bytes.constData() + 2, n - 2, true);
    } else {
        text.resize(n);
        auto* dst = reinterpret_cast<char16_t*>(text.data());
        for (qsizetype i = 0; i < n; ++i)
            dst[i] = (b[i] >= 0x80 && b[i] < 0xA0) ? Cp1252High[b[i] - 0x80] : char16_t(b[i]);
    }
    if (detected)
        *detected = enc;
    return text;
}

bool CanEncode(const QString& text, TextEncoding encoding) {
    switch (encoding) {
    case TextEncoding::Ansi:
        for (QChar c : text)
            if (AnsiByte(c.unicode()) < 0)
                return false;
        return true;
    case TextEncoding::Utf8:
        // A lone surrogate has no UTF-8 form.
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar c = text.at(i);
            if (c.isHighSurrogate()) {
                if (i + 1 >= text.size() || !text.at(i + 1).isLowSurrogate())
                    return false;
                ++i;
            } else if (c.isLowSurrogate()) {
                return false;
            }
        }
        return true;
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE:
        return true;
    }
    return false;
}

TextEncoding EncodingForWriting(const QString& text, TextEncoding wanted) {
    return CanEncode(text, wanted) ? wanted : TextEncoding::Utf8;
}

QByteArray EncodeText(const QString& text, TextEncoding encoding) {
    switch (encoding) {
    case TextEncoding::Ansi: {
        QByteArray out;
        out.resize(text.size());
        for (qsizetype i = 0; i < text.size(); ++i) {
            const int byte = AnsiByte(text.at(i).unicode());
            out[i] = char(byte < 0 ? '?' : byte);
        }
        return out;
    }
    case TextEncoding::Utf8:
        return QByteArray("\xEF\xBB\xBF", 3) + text.toUtf8();
    case TextEncoding::Utf16LE:
        return EncodeUtf16(text, false);
    case TextEncoding::Utf16BE:
        return EncodeUtf16(text, true);
    }
    return {};
}

QStringList SplitLines(const QString& text) {
    QStringList lines;
    const qsizetype n = text.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c == u'\r' || c == u'\n') {
            lines.append(text.mid(start, i - start));
            if (c == u'\r' && i + 1 < n && text.at(i + 1) == u'\n')
                ++i;
            start = i + 1;
        }
    }
    if (start < n)
        lines.append(text.mid(start));
    return lines;
}

QString JoinLinesCrLf(const QStringList& lines) {
    QString out;
    qsizetype total = 0;
    for (const QString& l : lines)
        total += l.size() + 2;
    out.reserve(total);
    for (const QString& l : lines) {
        out += l;
        out += QLatin1String("\r\n");
    }
    return out;
}

QStringList ReadTextLines(const QString& path, TextEncoding* detected) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Exception(
            QStringLiteral("Cannot open file \"%1\". %2").arg(path, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw Exception(
            QStringLiteral("Cannot read file \"%1\". %2").arg(path, file.errorString()));
    return SplitLines(DecodeText(bytes, detected));
}

void WriteFileSafely(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw Exception(
            QStringLiteral("Cannot create file \"%1\". %2").arg(path, file.errorString()));
    auto failed = [&path](const QString& reason) {
        return Exception(QStringLiteral("Cannot write file \"%1\". %2").arg(path, reason));
    };
    // QSaveFile's commit misses a write that fails while it flushes, and it
    // ignores a failed sync: either way a short file would replace the old one.
    if (file.write(bytes) != bytes.size() || !file.flush())
        throw failed(file.errorString());
    if (::fdatasync(file.handle()) != 0 && errno != EINVAL && errno != EROFS)
        throw failed(QString::fromLocal8Bit(std::strerror(errno)));
    if (!file.commit())
        throw failed(file.errorString());
}

TextEncoding WriteTextLines(const QString& path, const QStringList& lines, TextEncoding wanted) {
    const QString text = JoinLinesCrLf(lines);
    const TextEncoding used = EncodingForWriting(text, wanted);
    WriteFileSafely(path, EncodeText(text, used));
    return used;
}
