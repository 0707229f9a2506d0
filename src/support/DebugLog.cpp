#include "support/DebugLog.h"

#include <QFile>

QString DebugLogFilename;

namespace {
std::function<void(const QString&)>& WindowSink() {
    static std::function<void(const QString&)> sink;
    return sink;
}
std::function<void(const QString&)>& LineSink() {
    static std::function<void(const QString&)> sink;
    return sink;
}
} // namespace

QString DebugLogPrefix(int level) {
    switch (level) {
    case 0:
        return QStringLiteral("ERROR: ");
    case 1:
        return QStringLiteral("DATA: ");
    case 2:
        return QStringLiteral("INFO: ");
    case 3:
    case 4:
    case 5:
        return QStringLiteral("DEBUG%1: ").arg(level);
    case 6:
        return QStringLiteral("WARNING: ");
    default:
        return QString();
    }
}

void DebugLog(const QString& text, int level) {
    if (auto& sink = LineSink()) {
        try {
            sink(DebugLogPrefix(level) + text);
        } catch (...) {
        }
    }
    if (DebugLogFilename.isEmpty())
        return;
    const QString line = DebugLogPrefix(level) + text;
    try {
        QFile file(DebugLogFilename);
        if (file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
            const qint64 before = file.size();
            const QByteArray bytes = line.toUtf8() + "\r\n";
            // A piece of a line left by a full disk would run into the next one.
            if (file.write(bytes) != bytes.size())
                file.resize(before);
            file.close();
        }
    } catch (...) {
        // Logging never interrupts its caller.
    }
    try {
        if (auto& sink = WindowSink())
            sink(level == 0 ? QStringLiteral("ERROR: ") + line : line);
    } catch (...) {
    }
}

void SetDebugLogWindowSink(std::function<void(const QString&)> sink) {
    WindowSink() = std::move(sink);
}

void SetDebugLogLineSink(std::function<void(const QString&)> sink) {
    LineSink() = std::move(sink);
}
