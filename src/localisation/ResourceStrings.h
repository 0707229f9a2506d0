#pragma once

#include <QString>
#include <QTranslator>

class QCoreApplication;

// Qt's own built-in texts (message-box buttons, the file dialog, context
// menus) pass through the catalogues: a translator on the application hands
// each of them to TranslateResourceText.
namespace GnuGettext {

// Whether Qt's texts are routed for the program file ProgramPath: not for the
// three development environments, compared by file name in lower case.
bool ShouldRouteResourceStrings(const QString& programPath);

// Forgets that a failing lookup of Qt's texts was logged (the runtime starts).
void ResetResourceTextFailure();

class TResourceStringTranslator : public QTranslator {
    Q_OBJECT
public:
    using QTranslator::QTranslator;
    // The catalogue's text when it differs from SourceText, else a null
    // string so that Qt keeps its own. Safe on any thread; never raises.
    QString translate(const char* context, const char* sourceText,
                      const char* disambiguation = nullptr, int n = -1) const override;
    bool isEmpty() const override { return false; }
};

// Installs the translator on App for its lifetime (unless the program file is
// excluded) and removes it again; create it right after the application
// object and destroy it before.
class TResourceStringRouting {
public:
    explicit TResourceStringRouting(QCoreApplication& app);
    ~TResourceStringRouting();
    TResourceStringRouting(const TResourceStringRouting&) = delete;
    TResourceStringRouting& operator=(const TResourceStringRouting&) = delete;
    bool Installed() const { return FInstalled; }

private:
    QCoreApplication& FApp;
    TResourceStringTranslator FTranslator;
    bool FInstalled = false;
};

} // namespace GnuGettext
