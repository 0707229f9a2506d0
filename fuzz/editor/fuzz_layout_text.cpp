// Any bytes as a layout file: decode, split into lines, read every line, and
// check that what the editor writes back reads back to the same lines.
#include "editor/LayoutFile.h"
#include "editor/TextFile.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    TextEncoding enc;
    const QString text = DecodeText(bytes, &enc);
    const QStringList lines = SplitLines(text);
    for (const QString& line : lines) {
        if (auto e = ParseLayoutLine(line)) {
            if (e->Key.isEmpty() || e->X == 0 || e->Y == 0)
                std::abort();
        }
        (void)FindConfigEntry(lines, KeyOfLine(line));
    }
    // Line breaks inside a line cannot exist after splitting, so the written
    // text must read back to exactly the same lines.
    const QString written = JoinLinesCrLf(lines);
    const TextEncoding used = EncodingForWriting(written, enc);
    if (SplitLines(DecodeText(EncodeText(written, used))) != lines) {
        // Only text read as UTF-8 may have had invalid sequences replaced on
        // reading; everything else must survive whole.
        if (enc != TextEncoding::Utf8)
            std::abort();
    }
    if (enc == TextEncoding::Ansi && !bytes.startsWith("\xEF\xBB\xBF") &&
        EncodeText(text, TextEncoding::Ansi) != bytes)
        std::abort();
    return 0;
}
