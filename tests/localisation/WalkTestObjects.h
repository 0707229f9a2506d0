#pragma once

#include <QObject>
#include <QStringList>
#include <stdexcept>

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
