#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Text-file rules shared by the master list, the layout files and the INI
// documents: a byte-order mark picks the encoding, otherwise Windows-1252 (the
// ANSI stand-in, with its five undefined bytes kept as U+0081 and friends, so
// that any unmarked byte sequence reads and writes back unchanged).

enum class TextEncoding { Ansi, Utf8, Utf16LE, Utf16BE };

// Decodes bytes by their mark (the mark is not part of the text).
QString DecodeText(const QByteArray& bytes, TextEncoding* detected = nullptr);

// Encodes with the encoding's mark (none for Ansi).
QByteArray EncodeText(const QString& text, TextEncoding encoding);

// Whether every character of text survives a round trip through encoding.
bool CanEncode(const QString& text, TextEncoding encoding);

// The encoding to write text in: the wanted one when it holds every
// character, else UTF-8 with its mark, so that nothing is replaced.
TextEncoding EncodingForWriting(const QString& text, TextEncoding wanted);

// Lines end at CR LF, LF or CR; a final break adds no empty line.
QStringList SplitLines(const QString& text);

// Every line, the last included, followed by CR LF.
QString JoinLinesCrLf(const QStringList& lines);

// Reads a whole text file into lines. Raises Exception with the reason when
// the file cannot be read.
QStringList ReadTextLines(const QString& path, TextEncoding* detected = nullptr);

// Writes lines (CR LF after each) through a safe save: a failure leaves the
// previous file whole. Raises Exception on failure. Returns the encoding used.
TextEncoding WriteTextLines(const QString& path, const QStringList& lines, TextEncoding wanted);

// Safe whole-file write of raw bytes; raises Exception on failure.
void WriteFileSafely(const QString& path, const QByteArray& bytes);
