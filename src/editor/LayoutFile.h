#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <optional>

// Layout lines ("Key,X,Y" or "Key,X,Y,W,H") and the master field list lines
// ("Key" or "Key,description").

// Cuts the head off rest at the first separator. With rest empty, head is
// emptied and position keeps its value; position is 1-based, 0 when absent.
void SplitFirst(const QString& separator, QString& rest, int& position, QString& head);

// The text before the first comma, or the whole text.
QString KeyOfLine(const QString& line);

// Optional leading spaces, an optional sign, digits and nothing else, within
// a signed 32-bit integer.
bool StrToIntStrict(const QString& text, int& value);

struct LayoutEntry {
    QString Key;
    int X = 0;
    int Y = 0;
    bool IsBox = false;
    int W = 0;
    int H = 0;
};

// The drawable entry of a layout line, or nothing when the line fails the
// reading rules (such lines are kept and written back unchanged elsewhere).
std::optional<LayoutEntry> ParseLayoutLine(const QString& line);

QString FormatPointEntry(const QString& key, int x, int y);
QString FormatBoxEntry(const QString& key, int x, int y, int w, int h);

// Index of the first line whose text before its first comma equals key
// exactly; lines without a comma never match. -1 when none.
int FindConfigEntry(const QStringList& configList, const QString& key);

// Index of the first item whose key (head at ",") equals key exactly; -1 when none.
int FindFieldIndex(const QStringList& items, const QString& key);
// FindFieldIndex for every key at once: each key's first item, in one pass.
QHash<QString, int> FieldIndexes(const QStringList& items);

// Adds or replaces the key's line: an earlier line of the key is removed and
// the new one appended. Returns the index the earlier line had, or -1.
int PlaceEntry(QStringList& configList, const QString& key, const QString& entry);
