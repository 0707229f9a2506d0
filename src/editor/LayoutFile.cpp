#include "editor/LayoutFile.h"

#include <limits>

void SplitFirst(const QString& separator, QString& rest, int& position, QString& head) {
    head.clear();
    if (rest.isEmpty())
        return;
    const qsizetype at = rest.indexOf(separator, 0, Qt::CaseSensitive);
    position = int(at + 1);
    if (at >= 0) {
        head = rest.left(at);
        rest = rest.mid(at + separator.size());
    } else {
        head = rest;
        rest.clear();
    }
}

QString KeyOfLine(const QString& line) {
    const qsizetype at = line.indexOf(u',');
    return at < 0 ? line : line.left(at);
}

bool StrToIntStrict(const QString& text, int& value) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && text.at(i) == u' ')
        ++i;
    bool negative = false;
    if (i < n && (text.at(i) == u'+' || text.at(i) == u'-')) {
        negative = text.at(i) == u'-';
        ++i;
    }
    if (i >= n)
        return false;
    long long v = 0;
    for (; i < n; ++i) {
        const char16_t c = text.at(i).unicode();
        if (c < u'0' || c > u'9')
            return false;
        v = v * 10 + (c - u'0');
        if (v > (long long)std::numeric_limits<int>::max() + 1)
            return false;
    }
    if (negative)
        v = -v;
    if (v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max())
        return false;
    value = int(v);
    return true;
}

std::optional<LayoutEntry> ParseLayoutLine(const QString& line) {
    LayoutEntry e;
    QString rest = line, field;
    int pos = 0;
    SplitFirst(QStringLiteral(","), rest, pos, e.Key);
    SplitFirst(QStringLiteral(","), rest, pos, field);
    if (!StrToIntStrict(field, e.X))
        return std::nullopt;
    SplitFirst(QStringLiteral(","), rest, pos, field);
    if (!StrToIntStrict(field, e.Y))
        return std::nullopt;
    if (!rest.isEmpty()) {
        e.IsBox = true;
        SplitFirst(QStringLiteral(","), rest, pos, field);
        if (!StrToIntStrict(field, e.W))
            return std::nullopt;
        SplitFirst(QStringLiteral(","), rest, pos, field);
        if (!StrToIntStrict(field, e.H))
            return std::nullopt;
    }
    if (e.X == 0 || e.Y == 0 || e.Key.isEmpty())
        return std::nullopt;
    return e;
}

QString FormatPointEntry(const QString& key, int x, int y) {
    return key + u',' + QString::number(x) + u',' + QString::number(y);
}

QString FormatBoxEntry(const QString& key, int x, int y, int w, int h) {
    return FormatPointEntry(key, x, y) + u',' + QString::number(w) + u',' + QString::number(h);
}

int FindConfigEntry(const QStringList& configList, const QString& key) {
    for (int i = 0; i < configList.size(); ++i) {
        const QString& line = configList.at(i);
        const qsizetype at = line.indexOf(u',');
        if (at >= 0 && QStringView(line).left(at) == key)
            return i;
    }
    return -1;
}

int FindFieldIndex(const QStringList& items, const QString& key) {
    for (int i = 0; i < items.size(); ++i)
        if (KeyOfLine(items.at(i)) == key)
            return i;
    return -1;
}

QHash<QString, int> FieldIndexes(const QStringList& items) {
    QHash<QString, int> first;
    first.reserve(items.size());
    // From the end, so that an earlier item of a key overwrites a later one.
    for (int i = int(items.size()) - 1; i >= 0; --i)
        first.insert(KeyOfLine(items.at(i)), i);
    return first;
}

int PlaceEntry(QStringList& configList, const QString& key, const QString& entry) {
    const int i = FindConfigEntry(configList, key);
    if (i >= 0)
        configList.removeAt(i);
    configList.append(entry);
    return i;
}
