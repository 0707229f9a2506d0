#include "editor/FieldFilter.h"

namespace {

inline char16_t Fold(char16_t c) {
    return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c;
}

constexpr char16_t Global[] = u"global";
constexpr QStringView GlobalView(Global, 6);

} // namespace

QString FoldAsciiLower(const QString& text) {
    QString out = text;
    for (QChar& c : out)
        c = QChar(Fold(c.unicode()));
    return out;
}

bool ContainsFolded(QStringView line, QStringView needle) {
    const qsizetype n = needle.size();
    if (n == 0)
        return true;
    const qsizetype last = line.size() - n;
    if (last < 0)
        return false;
    const char16_t* l = reinterpret_cast<const char16_t*>(line.data());
    const char16_t* f = reinterpret_cast<const char16_t*>(needle.data());
    const char16_t first = Fold(f[0]);
    for (qsizetype i = 0; i <= last; ++i) {
        if (Fold(l[i]) != first)
            continue;
        qsizetype j = 1;
        while (j < n && Fold(l[i + j]) == Fold(f[j]))
            ++j;
        if (j == n)
            return true;
    }
    return false;
}

bool FieldLineListed(QStringView line, QStringView filter) {
    // The typed text first: when it matches, the "global" search is not needed.
    return filter.isEmpty() || ContainsFolded(line, filter) || ContainsFolded(line, GlobalView);
}

QList<int> FilterFieldIndexes(const QStringList& master, const QString& filter) {
    QList<int> out;
    out.reserve(master.size());
    for (int i = 0; i < master.size(); ++i)
        if (FieldLineListed(master.at(i), filter))
            out.append(i);
    return out;
}

QStringList FilterFieldLines(const QStringList& master, const QString& filter) {
    QStringList out;
    const QList<int> idx = FilterFieldIndexes(master, filter);
    out.reserve(idx.size());
    for (int i : idx)
        out.append(master.at(i));
    return out;
}
