#include "editor/LayoutDocument.h"

#include "support/Exception.h"

#include <QFile>
#include <QUndoCommand>
#include <QUndoStack>

#include <utility>

// The commands hold lines, never pictures: a step costs a few strings
// whatever the size of the form image.

// Adds a key's line at the end, taking its earlier line out of the list.
class PlaceLayoutEntry : public QUndoCommand {
public:
    PlaceLayoutEntry(LayoutDocument* document, const QString& key, const QString& entry)
        : QUndoCommand(QStringLiteral("Place %1").arg(key)), FDocument(document), FKey(key),
          FEntry(entry) {}

    void redo() override {
        FReplacedIndex = FDocument->FindConfigEntry(FKey);
        if (FReplacedIndex >= 0) {
            FReplacedLine = FDocument->ConfigList().at(FReplacedIndex);
            FDocument->RemoveLine(FReplacedIndex);
        }
        FDocument->InsertLine(FDocument->Count(), FEntry);
    }

    void undo() override {
        FDocument->RemoveLine(FDocument->Count() - 1);
        if (FReplacedIndex >= 0)
            FDocument->InsertLine(FReplacedIndex, FReplacedLine);
    }

private:
    LayoutDocument* FDocument;
    QString FKey;
    QString FEntry;
    int FReplacedIndex = -1;
    QString FReplacedLine;
};

// Rewrites one line in its place.
class MoveLayoutEntry : public QUndoCommand {
public:
    MoveLayoutEntry(LayoutDocument* document, int index, const QString& line)
        : QUndoCommand(QStringLiteral("Move %1").arg(KeyOfLine(line))), FDocument(document),
          FIndex(index), FLine(line) {}

    void redo() override { Swap(); }
    void undo() override { Swap(); }

private:
    void Swap() {
        const QString previous = FDocument->ConfigList().at(FIndex);
        FDocument->ReplaceLine(FIndex, FLine);
        FLine = previous;
    }

    LayoutDocument* FDocument;
    int FIndex;
    QString FLine; // the text the next redo or undo puts in place
};

// Takes one line out; undo puts it back in its place.
class RemoveLayoutEntry : public QUndoCommand {
public:
    RemoveLayoutEntry(LayoutDocument* document, int index)
        : QUndoCommand(
              QStringLiteral("Remove %1").arg(KeyOfLine(document->ConfigList().at(index)))),
          FDocument(document), FIndex(index) {}

    void redo() override {
        FLine = FDocument->ConfigList().at(FIndex);
        FDocument->RemoveLine(FIndex);
    }
    void undo() override { FDocument->InsertLine(FIndex, FLine); }

private:
    LayoutDocument* FDocument;
    int FIndex;
    QString FLine;
};

LayoutDocument::LayoutDocument(QObject* parent)
    : QObject(parent), FUndoStack(std::make_unique<QUndoStack>()) {
    connect(FUndoStack.get(), &QUndoStack::cleanChanged, this,
            [this](bool clean) { emit ModifiedChanged(!clean); });
}

LayoutDocument::~LayoutDocument() {
    // The stack's own clean-up must not report to a document being destroyed.
    FUndoStack->disconnect(this);
}

const std::optional<LayoutEntry>& LayoutDocument::Entry(int index) const {
    static const std::optional<LayoutEntry> none;
    return index >= 0 && index < FEntries.size() ? FEntries.at(index) : none;
}

int LayoutDocument::FindConfigEntry(const QString& key) const {
    return ::FindConfigEntry(FConfigList, key);
}

bool LayoutDocument::ConfigHasChanged() const {
    return !FUndoStack->isClean();
}

bool LayoutDocument::Load(const QString& cfgFilename) {
    FCFGFilename = cfgFilename;
    FUndoStack->clear();
    QStringList lines;
    bool read = false;
    try {
        if (QFile::exists(cfgFilename)) {
            TextEncoding encoding = FConfigEncoding;
            lines = ReadTextLines(cfgFilename, &encoding);
            FConfigEncoding = encoding;
            read = true;
        }
    } catch (...) {
        ResetLines({}); // nothing of the previous form stays under the new name
        throw;
    }
    ResetLines(lines);
    return read;
}

bool LayoutDocument::Reload() {
    return Load(FCFGFilename);
}

void LayoutDocument::Save() {
    if (FCFGFilename.isEmpty())
        throw Exception(QStringLiteral("No form image is loaded."));
    // The remembered encoding stays that of the file last read, also when
    // this write had to fall back to UTF-8.
    WriteTextLines(FCFGFilename, FConfigList, FConfigEncoding);
    FUndoStack->setClean();
}

void LayoutDocument::Clear() {
    if (!FCFGFilename.isEmpty() && QFile::exists(FCFGFilename)) {
        QFile file(FCFGFilename);
        if (!file.remove())
            throw Exception(QStringLiteral("Cannot delete file \"%1\". %2")
                                .arg(FCFGFilename, file.errorString()));
    }
    FUndoStack->clear();
    ResetLines({});
}

void LayoutDocument::PlacePoint(const QString& key, int x, int y) {
    Place(key, FormatPointEntry(key, x, y));
}

bool LayoutDocument::PlaceBox(const QString& key, int x, int y, int w, int h) {
    const bool box = w > 10 && h > 10;
    Place(key, box ? FormatBoxEntry(key, x, y, w, h) : FormatPointEntry(key, x, y));
    return box;
}

void LayoutDocument::Place(const QString& key, const QString& entry) {
    // Such a key would read back as another key, or as more than one line.
    if (key.isEmpty() || key.contains(u',') || key.contains(u'\r') || key.contains(u'\n'))
        throw Exception(QStringLiteral("Invalid key \"%1\".").arg(key));
    // Placing a key just where its line already stands, last, changes
    // nothing and is no step.
    const int i = FindConfigEntry(key);
    if (i >= 0 && i == Count() - 1 && FConfigList.at(i) == entry)
        return;
    FUndoStack->push(new PlaceLayoutEntry(this, key, entry));
}

bool LayoutDocument::MoveEntry(int index, int x, int y) {
    const std::optional<LayoutEntry>& e = Entry(index);
    // An X or Y of 0 fails the reading rules: the entry would vanish.
    if (!e || x == 0 || y == 0)
        return false;
    // Whatever follows the fields the entry was read from stays behind them.
    QString rest = FConfigList.at(index), head;
    int position = 0;
    for (int field = 0; field < (e->IsBox ? 5 : 3); ++field)
        SplitFirst(QStringLiteral(","), rest, position, head);
    QString line =
        e->IsBox ? FormatBoxEntry(e->Key, x, y, e->W, e->H) : FormatPointEntry(e->Key, x, y);
    if (!rest.isEmpty())
        line += u',' + rest;
    if (line == FConfigList.at(index))
        return true;
    FUndoStack->push(new MoveLayoutEntry(this, index, line));
    return true;
}

bool LayoutDocument::RemoveEntry(int index) {
    if (index < 0 || index >= Count())
        return false;
    FUndoStack->push(new RemoveLayoutEntry(this, index));
    return true;
}

void LayoutDocument::InsertLine(int index, const QString& line) {
    FConfigList.insert(index, line);
    FEntries.insert(index, ParseLayoutLine(line));
    emit EntryInserted(index);
}

void LayoutDocument::RemoveLine(int index) {
    const QString line = FConfigList.takeAt(index);
    FEntries.removeAt(index);
    emit EntryRemoved(index, line);
}

void LayoutDocument::ReplaceLine(int index, const QString& line) {
    const QString old = std::exchange(FConfigList[index], line);
    FEntries[index] = ParseLayoutLine(line);
    emit EntryChanged(index, old);
}

void LayoutDocument::ResetLines(const QStringList& lines) {
    FConfigList = lines;
    FEntries.clear();
    FEntries.reserve(lines.size());
    for (const QString& line : lines)
        FEntries.append(ParseLayoutLine(line));
    emit DocumentReset();
}
