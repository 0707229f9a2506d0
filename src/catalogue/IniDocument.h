#pragma once

#include "editor/TextFile.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

// An INI file held whole in memory: read once when created, answered and
// changed in memory, written back whole only by UpdateFile. Sections and keys
// are looked up without regard to letter case.
//
// Text rules: every line is trimmed of blanks (characters up to and including
// the space); empty lines and lines beginning with ";" are skipped and not
// kept; "[name]" opens a section; inside a section the text before the first
// "=" is the key and the text after it the value, both trimmed; a line without
// "=" is kept as it stands and written back unchanged; lines before the first
// section are dropped. Written text is each section's "[name]" line, its lines
// and one empty line, every line ending with CR LF.
class TIniDocument {
public:
    struct Line {
        QString Key;   // trimmed key, or the whole trimmed line when it has no "="
        QString Value; // trimmed value
        bool HasEquals = false;
        bool operator==(const Line&) const = default;
    };
    struct Section {
        QString Name;
        std::vector<Line> Lines;
        bool operator==(const Section&) const = default;
    };

    // An empty document, not bound to a file yet (written as ANSI).
    TIniDocument() = default;
    // Reads fileName; a missing file gives an empty document (written later in
    // the ANSI stand-in without a mark). Raises Exception when an existing
    // file cannot be read.
    explicit TIniDocument(QString fileName);

    const QString& FileName() const { return FFileName; }
    TextEncoding Encoding() const { return FEncoding; }

    // Section names in file order; a name that occurs twice is listed twice.
    QStringList ReadSections() const;
    // Key names of a section in file order; a key-less line counts as "".
    QStringList ReadSection(const QString& section) const;
    bool SectionExists(const QString& section) const;
    // Whether the section holds a key line (with "=") for key.
    bool ValueExists(const QString& section, const QString& key) const;
    // The value of the first line of key, also when it is empty; def when the
    // section or key is missing.
    QString ReadString(const QString& section, const QString& key, const QString& def) const;
    // Decimal, or hexadecimal after "0x" or "$" (either after an optional
    // sign); anything else, the empty value included, gives def.
    int ReadInteger(const QString& section, const QString& key, int def) const;

    // Replaces the first line of key in place, or appends a key line at the end
    // of the section, or appends the section at the end of the document. Blanks
    // around the section name, key and value are dropped, as reading would drop
    // them. Raises Exception, leaving the document unchanged, for what the file
    // could not give back as written: a line break anywhere, or a key that
    // holds "=", begins with ";" or makes the line look like a section line.
    void WriteString(const QString& section, const QString& key, const QString& value);
    void WriteInteger(const QString& section, const QString& key, int value);

    // The document's text as UpdateFile writes it.
    QString Text() const;
    // The bytes UpdateFile writes: the remembered encoding with its mark, or
    // UTF-8 with its mark when that encoding cannot hold every character (or
    // UTF-16 little-endian when not even UTF-8 can, for unpaired surrogates).
    QByteArray EncodedText(TextEncoding* used = nullptr) const;
    // Writes the file safely (a failure leaves the previous file whole) and
    // remembers the encoding used. Raises Exception on failure.
    void UpdateFile();

    // Parses text as file content, replacing the sections.
    void SetText(const QString& text);
    // Detects the encoding by its mark, remembers it and parses the text.
    void LoadFromBytes(const QByteArray& bytes);

    // Every section with every kept line, in file order.
    const std::vector<Section>& Sections() const { return FSections; }

private:
    const Section* FindSection(const QString& name) const;
    Section* FindSection(const QString& name);

    QString FFileName;
    TextEncoding FEncoding = TextEncoding::Ansi;
    std::vector<Section> FSections;
};

// The INI trimming: drops characters up to and including the space at both ends.
QString IniTrim(const QString& text);

// Case-insensitive comparison used for section names and keys.
bool IniSameName(const QString& a, const QString& b);
