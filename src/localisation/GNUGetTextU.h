#pragma once

#include <QString>
#include <QtGlobal>

struct QMetaObject;
class QObject;

// The free functions of the translation service, over the one
// DefaultTranslator. They live in a namespace of their own so that they can
// never be confused with the C library's gettext.
//
// Until StartRuntime has run (and after StopRuntime) the lookups return their
// texts unchanged and UseLanguage does nothing.
namespace GnuGettext {

// Starts the localisation runtime: the program file path (ProgramFile, or the
// running program when empty), the scan of that file for embedded catalogues,
// the domain lists and DefaultTranslator, whose first language comes from LANG
// or the platform locale. Call once, before any window is created. A second
// call while running does nothing.
void StartRuntime(const QString& programFile = QString());
// Shuts the runtime down, releasing every catalogue; call after the last window is gone.
void StopRuntime();
bool RuntimeStarted();

// Starts the runtime for the lifetime of the guard.
class TRuntimeGuard {
public:
    explicit TRuntimeGuard(const QString& programFile = QString()) { StartRuntime(programFile); }
    ~TRuntimeGuard() { StopRuntime(); }
    TRuntimeGuard(const TRuntimeGuard&) = delete;
    TRuntimeGuard& operator=(const TRuntimeGuard&) = delete;
};

QString gettext(const QString& msgId);
QString dgettext(const QString& domain, const QString& msgId);
QString ngettext(const QString& singular, const QString& plural, qint32 number);
QString dngettext(const QString& domain, const QString& singular, const QString& plural,
                  qint32 number);
void UseLanguage(const QString& languageCode);
QString GetCurrentLanguage();

// Marks a text for extraction into the template without translating it; the
// text is translated later where it is shown, with gettext.
constexpr const char* gettext_NoOp(const char* msgId) {
    return msgId;
}
inline QString gettext_NoOp(const QString& msgId) {
    return msgId;
}

// Window-text translation (defined with the walk in the window layer); does
// nothing while the runtime is not started.
void TranslateComponent(QObject* component, const QString& textDomain);
void TP_GlobalIgnoreClassProperty(const QMetaObject* ignClass, const QString& propertyName);

} // namespace GnuGettext
