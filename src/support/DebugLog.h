#pragma once

#include <QString>
#include <functional>

// The program's one log: each call appends one line to the log file (opened,
// written and closed again) and, once the debug window exists, to its text.

// FormsFolder + "FormDesigner-debug.txt"; while empty, logging is off.
extern QString DebugLogFilename;

// Level prefix: "ERROR: ", "DATA: ", "INFO: ", "DEBUG3: ".."DEBUG5: ", "WARNING: ", else none.
QString DebugLogPrefix(int level);

// Never raises; a file that cannot be written is skipped silently.
void DebugLog(const QString& text, int level);

// Receives the window's copy of every line (the debug window sets it when created).
void SetDebugLogWindowSink(std::function<void(const QString&)> sink);

// Receives every line with its level prefix, also while no log file is named
// (command-line tools and tests set it). An empty function removes it.
void SetDebugLogLineSink(std::function<void(const QString&)> sink);
