#pragma once

#include "editor/TextFile.h"

#include <QString>
#include <QStringList>
#include <vector>

// An INI file held whole in memory: read once when created, answered and
// changed in memory, written back whole only by UpdateFile. Sections and keys
// are looked up without regard to letter case.
class TIniDocument {
public:
    // Reads fileName; a missing file gives an empty document (written later in
    // the ANSI stand-in without a mark). Raises Exception when an existing
    // file cannot be read.
    explicit TIniDocument(QString fileName);

    const QString& FileName() const { return FFileName; }
    TextEncoding Encoding() const { return FEncoding; }

    QStringList ReadSections() const;
    // Key names of a section in file order; a key-less line counts as "".
    QStringList ReadSection(const QString& section) const;
    bool SectionExists(const QString& section) const;
    bool ValueExists(const QString& section, const QString& key) const;
    QString ReadString(const QString& section, const QString& key, const QString& def) const;
    // Decimal, or hexadecimal after "0x" or "$"; anything else gives def.
    int ReadInteger(const QString& section, const QString& key, int def) const;

    void WriteString(const QString& section, const QString& key, const QString& value);
    void WriteInteger(const QString& section, const QString& key, int value);

    // The document's text as UpdateFile writes it.
    QString Text() const;
    // Writes the file safely, in its remembered encoding (UTF-8 with a mark
    // when that cannot hold every character). Raises Exception on failure.
    void UpdateFile();

    // Parses text as file content (used by the constructor and the fuzzer).
    void SetText(const QString& text);

private:
    struct Line {
        QString Key;   // trimmed key, or the whole line when it has no "="
        QString Value; // trimmed value
        bool HasEquals = false;
    };
    struct Section {
        QString Name;
        std::vector<Line> Lines;
    };
    const Section* FindSection(const QString& name) const;
    Section* FindSection(const QString& name);

    QString FFileName;
    TextEncoding FEncoding = TextEncoding::Ansi;
    std::vector<Section> FSections;
};
