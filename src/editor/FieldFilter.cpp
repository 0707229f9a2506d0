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

namespace {

// A needle folded once, with both forms of its first character, so that the
// scan over a line only folds where that character is found.
class FoldedNeedle {
public:
    explicit FoldedNeedle(QStringView needle) : Text(FoldAsciiLower(needle.toString())) {
        if (!Text.isEmpty()) {
            Lower = Text.at(0).unicode();
            Upper = (Lower >= u'a' && Lower <= u'z') ? char16_t(Lower - 32) : Lower;
        }
    }
    bool In(QStringView line) const {
        const qsizetype n = Text.size();
        if (n == 0)
            return true;
        const qsizetype last = line.size() - n;
        const char16_t* l = reinterpret_cast<const char16_t*>(line.data());
        const char16_t* f = reinterpret_cast<const char16_t*>(Text.constData());
        for (qsizetype i = 0; i <= last; ++i) {
            if (l[i] != Lower && l[i] != Upper)
                continue;
            qsizetype j = 1;
            while (j < n && Fold(l[i + j]) == f[j])
                ++j;
            if (j == n)
                return true;
        }
        return false;
    }

private:
    QString Text;
    char16_t Lower = 0, Upper = 0;
};

const FoldedNeedle& GlobalNeedle() {
    static const FoldedNeedle needle(GlobalView);
    return needle;
}

} // namespace

bool ContainsFolded(QStringView line, QStringView needle) {
    return FoldedNeedle(needle).In(line);
}

bool FieldLineListed(QStringView line, QStringView filter) {
    return filter.isEmpty() || FoldedNeedle(filter).In(line) || GlobalNeedle().In(line);
}

QList<int> FilterFieldIndexes(const QStringList& master, const QString& filter) {
    QList<int> out;
    out.reserve(master.size());
    // The typed text first: when it matches, the "global" search is not needed.
    const FoldedNeedle typed(filter);
    for (int i = 0; i < master.size(); ++i) {
        const QString& line = master.at(i);
        if (filter.isEmpty() || typed.In(line) || GlobalNeedle().In(line))
            out.append(i);
    }
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
