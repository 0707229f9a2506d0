#pragma once

#include <QByteArray>
#include <QObject>
#include <QStringList>
#include <QtEndian>
#include <algorithm>
#include <stdexcept>
#include <utility>
#include <vector>

// A component with a text, two object references and a record of every
// text written to it.
class TTextHolder : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(QObject* First READ First WRITE SetFirst)
    Q_PROPERTY(QObject* Second READ Second WRITE SetSecond)
public:
    explicit TTextHolder(QObject* parent = nullptr) : QObject(parent) {}
    QString Caption() const { return FCaption; }
    void SetCaption(const QString& c) {
        FCaption = c;
        Writes << c;
    }
    QObject* First() const { return FFirst; }
    void SetFirst(QObject* o) { FFirst = o; }
    QObject* Second() const { return FSecond; }
    void SetSecond(QObject* o) { FSecond = o; }
    QStringList Writes;

private:
    QString FCaption;
    QObject* FFirst = nullptr;
    QObject* FSecond = nullptr;
};

// A component whose Caption refuses every write.
class TRefusingHolder : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(QString Note READ Note WRITE SetNote)
public:
    explicit TRefusingHolder(QObject* parent = nullptr) : QObject(parent) {}
    QString Caption() const { return QStringLiteral("Alpha"); }
    void SetCaption(const QString&) { throw std::runtime_error("refused"); }
    QString Note() const { return FNote; }
    void SetNote(const QString& n) { FNote = n; }

private:
    QString FNote;
};

// A little-endian MO catalogue of the given pairs, written by hand so that it
// may hold what msgfmt refuses (an empty translation).
inline QByteArray BuildMo(std::vector<std::pair<QByteArray, QByteArray>> pairs) {
    std::sort(pairs.begin(), pairs.end());
    const quint32 n = quint32(pairs.size());
    const quint32 o = 28, t = o + 8 * n;
    QByteArray head(28 + 16 * int(n), '\0');
    QByteArray strings;
    auto put = [&head](quint32 at, quint32 v) { qToLittleEndian(v, head.data() + at); };
    put(0, 0x950412de);
    put(8, n);
    put(12, o);
    put(16, t);
    const quint32 base = quint32(head.size());
    for (quint32 i = 0; i < n; ++i) {
        put(o + 8 * i, quint32(pairs[i].first.size()));
        put(o + 8 * i + 4, base + quint32(strings.size()));
        strings += pairs[i].first + '\0';
    }
    for (quint32 i = 0; i < n; ++i) {
        put(t + 8 * i, quint32(pairs[i].second.size()));
        put(t + 8 * i + 4, base + quint32(strings.size()));
        strings += pairs[i].second + '\0';
    }
    return head + strings;
}
