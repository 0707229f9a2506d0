#include "localisation/ResourceStrings.h"

#include "localisation/GnuGettextInstance.h"
#include "support/DebugLog.h"
#include "support/Exception.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMetaObject>
#include <QThread>
#include <atomic>

namespace GnuGettext {

bool ShouldRouteResourceStrings(const QString& programPath) {
    // The development environments that load the program's packages into
    // themselves; the designer's own name is never among them.
    const QString name = QFileInfo(programPath).fileName().toLower();
    return name != u"bds.exe" && name != u"delphi32.exe" && name != u"bcb.exe";
}

namespace {
// One log line per run of the runtime for a catalogue that fails every
// lookup, not one per text.
std::atomic<bool> FailureLogged{false};

void LogFailureOnce(const QString& message) {
    if (FailureLogged.exchange(true))
        return;
    const QString line = QStringLiteral("TranslateResourceText: ") + message;
    const QCoreApplication* app = QCoreApplication::instance();
    if (app && QThread::currentThread() != app->thread())
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [line] { DebugLog(line, 0); }, Qt::QueuedConnection);
    else
        DebugLog(line, 0);
}
} // namespace

void ResetResourceTextFailure() {
    FailureLogged = false;
}

QString TResourceStringTranslator::translate(const char*, const char* sourceText, const char*,
                                             int) const {
    // An exception must never reach Qt's code (it would end the process).
    try {
        if (!sourceText || !*sourceText)
            return QString();
        const QString source = QString::fromUtf8(sourceText);
        QString text = TranslateResourceText(source);
        // Qt's texts break lines with LF alone; the service answers with CR LF.
        if (!source.contains(QLatin1Char('\r')))
            text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        if (text.isEmpty() || text == source)
            return QString();
        return text;
    } catch (const std::exception& e) {
        LogFailureOnce(ExceptionMessage(e));
    } catch (...) {
        LogFailureOnce(QStringLiteral("unknown error"));
    }
    return QString();
}

TResourceStringRouting::TResourceStringRouting(QCoreApplication& app) : FApp(app) {
    try {
        if (ShouldRouteResourceStrings(ProgramFilePath.isEmpty()
                                           ? QCoreApplication::applicationFilePath()
                                           : ProgramFilePath))
            FInstalled = FApp.installTranslator(&FTranslator);
    } catch (const std::exception& e) {
        DebugLog(QStringLiteral("ResourceFileInfo.Create: ") + ExceptionMessage(e), 0);
    }
}

TResourceStringRouting::~TResourceStringRouting() {
    if (FInstalled)
        FApp.removeTranslator(&FTranslator);
}

} // namespace GnuGettext
