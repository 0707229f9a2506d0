#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The field-list filter: a master line is listed when it contains the filter
// text, or "global", anywhere; letters A to Z match either case, every other
// character only itself. An empty filter lists every line.

// Only A-Z become a-z; accented and other letters stay as they are.
QString FoldAsciiLower(const QString& text);

// Whether line contains needle, comparing with A-Z folded on both sides.
// An empty needle is contained in every line.
bool ContainsFolded(QStringView line, QStringView needle);

// Whether a master line is listed under the filter text (taken whole, spaces count).
bool FieldLineListed(QStringView line, QStringView filter);

// Indexes into master of the lines to list, in master order, each once.
QList<int> FilterFieldIndexes(const QStringList& master, const QString& filter);

// The lines to list, in master order.
QStringList FilterFieldLines(const QStringList& master, const QString& filter);
