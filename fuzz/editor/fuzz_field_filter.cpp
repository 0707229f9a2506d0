// Any bytes as a master list and a filter text: the listed lines must be
// exactly those a plain fold-and-search finds, in master order, and the
// overlay geometry must stay within its bounds for any numbers.
#include "editor/FieldFilter.h"
#include "editor/OverlayGeometry.h"
#include "editor/TextFile.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    // First byte: length of the filter part.
    const size_t flen = std::min<size_t>(data[0], size - 1);
    const QString filter =
        DecodeText(QByteArray(reinterpret_cast<const char*>(data + 1), qsizetype(flen)));
    const QStringList master = SplitLines(DecodeText(
        QByteArray(reinterpret_cast<const char*>(data + 1 + flen), qsizetype(size - 1 - flen))));

    const QString folded = FoldAsciiLower(filter);
    QList<int> expected;
    for (int i = 0; i < master.size(); ++i) {
        const QString l = FoldAsciiLower(master.at(i));
        if (filter.isEmpty() || l.contains(QStringLiteral("global"), Qt::CaseSensitive) ||
            l.contains(folded, Qt::CaseSensitive))
            expected.append(i);
    }
    if (FilterFieldIndexes(master, filter) != expected)
        std::abort();

    if (size >= 17) {
        int v[4];
        std::memcpy(v, data + size - 16, 16);
        const QSize text(40, 16);
        const QSize s = OverlaySurfaceSize(OverlaySize(v[2], v[3], text), {1000, 600}, text);
        // Never empty, never over the larger of the window and the text.
        if (s.width() < 1 || s.height() < 1 || s.width() > std::max(1000, text.width()) ||
            s.height() > std::max(600, text.height()))
            std::abort();
        (void)OverlaySourceRect(OverlayPosition(v[0], v[1], s, {1000, 600}, {2, 21}), s,
                                {-v[0] / 2, -v[1] / 2}, {2, 21});
    }
    return 0;
}
