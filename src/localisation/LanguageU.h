#pragma once

#include <QString>

// English name of a language code: an exact, case-sensitive match against the
// table; anything else is "English".
QString LanguageDisplayName(const QString& Code);

// Logs the language's name and translates the main window, the country dialog
// and the help window.
void LoadLanguage();
