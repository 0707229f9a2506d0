#pragma once

#include "editor/LayoutFile.h"
#include "editor/TextFile.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class QUndoStack;

// One form's layout: its lines in file order, the encoding they are written
// in and the layout file's name. Lines that fail the reading rules stay in
// their place and are written back unchanged; they only have no entry.
//
// Every edit is a command on UndoStack(): the document's own methods push
// them. Views repaint from the signals, which name the lines that changed.
// Loading, clearing and reloading start a new history; ConfigHasChanged()
// follows the stack's clean state, so undoing back to the saved layout is no
// change.
class LayoutDocument : public QObject {
    Q_OBJECT
public:
    explicit LayoutDocument(QObject* parent = nullptr);
    ~LayoutDocument() override;

    // The layout file's lines, exactly as they will be written.
    const QStringList& ConfigList() const { return FConfigList; }
    int Count() const { return int(FConfigList.size()); }
    // The drawable entry of line index, or nothing when the line fails the
    // reading rules or index is out of range.
    const std::optional<LayoutEntry>& Entry(int index) const;
    // The first line of key (text before its first comma), or -1.
    int FindConfigEntry(const QString& key) const;

    const QString& CFGFilename() const { return FCFGFilename; }
    // The encoding of the layout file last read; Windows-1252 until then.
    // Another form without a layout file keeps it.
    TextEncoding ConfigEncoding() const { return FConfigEncoding; }

    // True exactly when the lines differ from what was last loaded or saved.
    bool ConfigHasChanged() const;
    QUndoStack* UndoStack() const { return FUndoStack.get(); }

    // Names the document after cfgFilename, empties it and reads the file
    // when there is one. Returns whether a layout file was read. Raises
    // Exception when the file is there but cannot be read; the document is
    // then empty, named and unchanged, as after a form without a file.
    bool Load(const QString& cfgFilename);
    // Load of the same file.
    bool Reload();
    // Writes the lines to CFGFilename() through a safe save (CR LF after
    // every line, the remembered encoding, UTF-8 with its mark when a line
    // does not fit it). Raises Exception when no file is named or the write
    // fails; the document then stays changed.
    void Save();
    // Deletes the layout file when there is one and empties the document.
    // Raises Exception when the file cannot be deleted; the document is then
    // left as it was.
    void Clear();

    // Adds key's line "Key,X,Y" at the end; an earlier line of the key is
    // removed, so a re-placed key moves to the end. One undo step. Raises
    // Exception for a key that is empty or holds a comma or a line break.
    void PlacePoint(const QString& key, int x, int y);
    // The same with a box "Key,X,Y,W,H". A box is written only when both W
    // and H exceed 10; otherwise a point is placed and false is returned.
    bool PlaceBox(const QString& key, int x, int y, int w, int h);
    // Moves the drawable entry at index so that its key's text starts at
    // (x, y); its place in the list, its box size and any text after the box
    // stay. False (and no step) for a line without an entry, and for an X or
    // Y of 0, which would leave a line without one.
    bool MoveEntry(int index, int x, int y);
    // Removes line index, drawable or not. False when out of range.
    bool RemoveEntry(int index);

signals:
    // Line index is new (its text is ConfigList().at(index)).
    void EntryInserted(int index);
    // The line that was at index is gone; line is its text.
    void EntryRemoved(int index, const QString& line);
    // Line index was rewritten; oldLine is its previous text.
    void EntryChanged(int index, const QString& oldLine);
    // Every line may have changed (load, clear).
    void DocumentReset();
    // ConfigHasChanged() turned.
    void ModifiedChanged(bool configHasChanged);

private:
    friend class PlaceLayoutEntry;
    friend class MoveLayoutEntry;
    friend class RemoveLayoutEntry;

    // The only changes of the lines: they keep the entries in step and
    // emit the signals.
    void InsertLine(int index, const QString& line);
    void RemoveLine(int index);
    void ReplaceLine(int index, const QString& line);
    void ResetLines(const QStringList& lines);
    void Place(const QString& key, const QString& entry);

    QStringList FConfigList;
    QList<std::optional<LayoutEntry>> FEntries;
    QString FCFGFilename;
    TextEncoding FConfigEncoding = TextEncoding::Ansi;
    std::unique_ptr<QUndoStack> FUndoStack;
};
