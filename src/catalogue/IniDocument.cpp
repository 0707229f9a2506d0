#include "catalogue/IniDocument.h"

#include "support/Exception.h"

#include <QFile>
#include <QFileInfo>

#include <cstdint>

namespace {

bool IsBlank(QChar c) {
    return c.unicode() <= 0x20;
}

enum class LineKind { Skipped, SectionStart, KeyLine, KeyLess };

struct ParsedLine {
    LineKind Kind = LineKind::Skipped;
    QString Name; // section name, key, or the whole key-less line
    QString Value;
};

ParsedLine ParseLine(const QString& raw) {
    ParsedLine p;
    const QString s = IniTrim(raw);
    if (s.isEmpty() || s.front() == u';')
        return p;
    if (s.size() >= 2 && s.front() == u'[' && s.back() == u']') {
        p.Kind = LineKind::SectionStart;
        p.Name = IniTrim(s.mid(1, s.size() - 2));
        return p;
    }
    const qsizetype eq = s.indexOf(u'=');
    if (eq >= 0) {
        p.Kind = LineKind::KeyLine;
        p.Name = IniTrim(s.left(eq));
        p.Value = IniTrim(s.mid(eq + 1));
        return p;
    }
    p.Kind = LineKind::KeyLess;
    p.Name = s;
    return p;
}

bool HasLineBreak(const QString& s) {
    return s.contains(u'\r') || s.contains(u'\n');
}

// Digits of base 10 or 16 with an optional sign already removed; false on
// anything else or when the number does not fit.
bool ParseMagnitude(QStringView digits, int base, std::uint64_t limit, std::uint64_t& out) {
    if (digits.isEmpty())
        return false;
    std::uint64_t v = 0;
    for (QChar c : digits) {
        int d;
        const char16_t u = c.unicode();
        if (u >= u'0' && u <= u'9')
            d = u - u'0';
        else if (base == 16 && u >= u'a' && u <= u'f')
            d = u - u'a' + 10;
        else if (base == 16 && u >= u'A' && u <= u'F')
            d = u - u'A' + 10;
        else
            return false;
        v = v * std::uint64_t(base) + std::uint64_t(d);
        if (v > limit)
            return false;
    }
    out = v;
    return true;
}

bool ParseIniInteger(const QString& text, int& out) {
    QStringView s(text);
    bool negative = false;
    if (!s.isEmpty() && (s.front() == u'-' || s.front() == u'+')) {
        negative = s.front() == u'-';
        s = s.mid(1);
    }
    std::uint64_t mag = 0;
    if (s.startsWith(u'$') || s.startsWith(u"0x", Qt::CaseInsensitive)) {
        // Hexadecimal covers the full 32 bits, as the companion writes colours
        // and masks that way; the bit pattern is taken as a signed value.
        if (!ParseMagnitude(s.mid(s.front() == u'$' ? 1 : 2), 16, 0xFFFFFFFFull, mag))
            return false;
        const auto bits = std::int32_t(std::uint32_t(mag));
        if (negative && bits == INT32_MIN)
            return false;
        out = negative ? -bits : bits;
        return true;
    }
    if (!ParseMagnitude(s, 10, negative ? 2147483648ull : 2147483647ull, mag))
        return false;
    out = negative ? int(-std::int64_t(mag)) : int(mag);
    return true;
}

} // namespace

QString IniTrim(const QString& text) {
    qsizetype b = 0, e = text.size();
    while (b < e && IsBlank(text.at(b)))
        ++b;
    while (e > b && IsBlank(text.at(e - 1)))
        --e;
    return (b == 0 && e == text.size()) ? text : text.mid(b, e - b);
}

bool IniSameName(const QString& a, const QString& b) {
    return QString::compare(a, b, Qt::CaseInsensitive) == 0;
}

TIniDocument::TIniDocument(QString fileName) : FFileName(std::move(fileName)) {
    if (FFileName.isEmpty() || !QFileInfo::exists(FFileName))
        return;
    QFile file(FFileName);
    if (!file.open(QIODevice::ReadOnly))
        throw Exception(
            QStringLiteral("Cannot open file \"%1\". %2").arg(FFileName, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw Exception(
            QStringLiteral("Cannot read file \"%1\". %2").arg(FFileName, file.errorString()));
    LoadFromBytes(bytes);
}

void TIniDocument::LoadFromBytes(const QByteArray& bytes) {
    TextEncoding enc = TextEncoding::Ansi;
    const QString text = DecodeText(bytes, &enc);
    FEncoding = enc;
    SetText(text);
}

void TIniDocument::SetText(const QString& text) {
    FSections.clear();
    Section* current = nullptr;
    for (const QString& raw : SplitLines(text)) {
        ParsedLine p = ParseLine(raw);
        switch (p.Kind) {
        case LineKind::Skipped:
            break;
        case LineKind::SectionStart:
            FSections.push_back(Section{std::move(p.Name), {}});
            current = &FSections.back();
            break;
        case LineKind::KeyLine:
            if (current)
                current->Lines.push_back(Line{std::move(p.Name), std::move(p.Value), true});
            break;
        case LineKind::KeyLess:
            if (current)
                current->Lines.push_back(Line{std::move(p.Name), QString(), false});
            break;
        }
    }
}

const TIniDocument::Section* TIniDocument::FindSection(const QString& name) const {
    const QString n = IniTrim(name);
    for (const Section& s : FSections)
        if (IniSameName(s.Name, n))
            return &s;
    return nullptr;
}

TIniDocument::Section* TIniDocument::FindSection(const QString& name) {
    return const_cast<Section*>(std::as_const(*this).FindSection(name));
}

QStringList TIniDocument::ReadSections() const {
    QStringList out;
    out.reserve(qsizetype(FSections.size()));
    for (const Section& s : FSections)
        out << s.Name;
    return out;
}

QStringList TIniDocument::ReadSection(const QString& section) const {
    QStringList out;
    if (const Section* s = FindSection(section)) {
        out.reserve(qsizetype(s->Lines.size()));
        for (const Line& l : s->Lines)
            out << (l.HasEquals ? l.Key : QString());
    }
    return out;
}

bool TIniDocument::SectionExists(const QString& section) const {
    return FindSection(section) != nullptr;
}

bool TIniDocument::ValueExists(const QString& section, const QString& key) const {
    if (const Section* s = FindSection(section)) {
        const QString k = IniTrim(key);
        for (const Line& l : s->Lines)
            if (l.HasEquals && IniSameName(l.Key, k))
                return true;
    }
    return false;
}

QString TIniDocument::ReadString(const QString& section, const QString& key,
                                 const QString& def) const {
    if (const Section* s = FindSection(section)) {
        const QString k = IniTrim(key);
        for (const Line& l : s->Lines)
            if (l.HasEquals && IniSameName(l.Key, k))
                return l.Value;
    }
    return def;
}

int TIniDocument::ReadInteger(const QString& section, const QString& key, int def) const {
    int v = 0;
    return ParseIniInteger(ReadString(section, key, QString()), v) ? v : def;
}

void TIniDocument::WriteString(const QString& section, const QString& key, const QString& value) {
    const QString s = IniTrim(section), k = IniTrim(key), v = IniTrim(value);
    if (HasLineBreak(s))
        throw Exception(
            QStringLiteral("The section name \"%1\" cannot be stored in an INI file.").arg(s));
    // The line must read back as this very key and value.
    const ParsedLine back = ParseLine(k + u'=' + v);
    if (HasLineBreak(k) || HasLineBreak(v) || back.Kind != LineKind::KeyLine || back.Name != k ||
        back.Value != v)
        throw Exception(QStringLiteral("The key \"%1\" with the value \"%2\" cannot be stored in "
                                       "section \"%3\" of an INI file.")
                            .arg(k, v, s));
    Section* sec = FindSection(s);
    if (!sec) {
        FSections.push_back(Section{s, {}});
        sec = &FSections.back();
    }
    for (Line& l : sec->Lines)
        if (l.HasEquals && IniSameName(l.Key, k)) {
            l.Key = k;
            l.Value = v;
            return;
        }
    sec->Lines.push_back(Line{k, v, true});
}

void TIniDocument::WriteInteger(const QString& section, const QString& key, int value) {
    WriteString(section, key, QString::number(value));
}

QString TIniDocument::Text() const {
    QString out;
    const QLatin1String crlf("\r\n");
    for (const Section& s : FSections) {
        out += u'[';
        out += s.Name;
        out += u']';
        out += crlf;
        for (const Line& l : s.Lines) {
            out += l.Key;
            if (l.HasEquals) {
                out += u'=';
                out += l.Value;
            }
            out += crlf;
        }
        out += crlf;
    }
    return out;
}

QByteArray TIniDocument::EncodedText(TextEncoding* used) const {
    const QString text = Text();
    TextEncoding enc = EncodingForWriting(text, FEncoding);
    if (!CanEncode(text, enc))
        enc = TextEncoding::Utf16LE; // unpaired surrogates: only UTF-16 keeps them
    if (used)
        *used = enc;
    return EncodeText(text, enc);
}

void TIniDocument::UpdateFile() {
    TextEncoding used = FEncoding;
    const QByteArray bytes = EncodedText(&used);
    WriteFileSafely(FFileName, bytes);
    FEncoding = used;
}
