// Any bytes as an INI file: read them, answer every lookup, write the document
// and check that what it writes reads back to the same sections, keys and
// values. The first three lines, taken raw, are also tried as a section, key
// and value to write: either the write is refused or it reads back as stored.
#include "catalogue/IniDocument.h"
#include "support/Exception.h"

#include <cstdint>
#include <cstdlib>

namespace {

void Check(bool ok) {
    if (!ok)
        std::abort();
}

void ReadBack(const TIniDocument& doc) {
    TextEncoding used;
    const QByteArray written = doc.EncodedText(&used);
    TIniDocument again;
    again.LoadFromBytes(written);
    Check(again.Encoding() == used);
    Check(again.Sections() == doc.Sections());
    Check(again.Text() == doc.Text());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    TIniDocument doc;
    doc.LoadFromBytes(bytes);

    for (const TIniDocument::Section& s : doc.Sections()) {
        Check(doc.SectionExists(s.Name));
        for (const QString& key : doc.ReadSection(s.Name)) {
            (void)doc.ReadInteger(s.Name, key, 7);
            // A present key answers its value whatever the default.
            if (doc.ValueExists(s.Name, key))
                Check(doc.ReadString(s.Name, key, QStringLiteral("\x01a")) ==
                      doc.ReadString(s.Name, key, QStringLiteral("\x01b")));
        }
    }
    ReadBack(doc);

    const QStringList raw = SplitLines(DecodeText(bytes));
    if (raw.size() >= 3) {
        const QString section = raw.at(0), key = raw.at(1), value = raw.at(2);
        bool stored = true;
        try {
            doc.WriteString(section, key, value);
        } catch (const Exception&) {
            stored = false;
        }
        if (stored) {
            Check(doc.ReadString(section, key, QStringLiteral("missing")) == IniTrim(value));
            TIniDocument again;
            again.LoadFromBytes(doc.EncodedText());
            Check(again.ReadString(section, key, QStringLiteral("missing")) == IniTrim(value));
        }
        ReadBack(doc);
    }
    return 0;
}
