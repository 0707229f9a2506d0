#pragma once

#include <QList>
#include <QString>

class QObject;

// English name of a language code: an exact, case-sensitive match against the
// table; anything else is "English".
QString LanguageDisplayName(const QString& Code);

// The windows that LoadLanguage translates, in order: the window layer hands
// over the main window, the country dialog and the help window once they
// exist (an empty list once they are gone).
void SetLanguageWindows(const QList<QObject*>& Windows);

// Logs the language's name and translates the windows handed over, in order.
void LoadLanguage();
