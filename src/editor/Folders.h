#pragma once

#include <QString>

// The three folders every part of the program works in; each ends with "/"
// once set, and stays empty when its lookup fails.
extern QString FormsFolder;    // {Documents}/Kestrova/Forms/
extern QString HelpFolder;     // {Documents}/Kestrova/Forms/Help/
extern QString HostDataFolder; // {config}/Kestrova/ : the companion's settings

// Resolves the three folders through the platform. Returns false when the
// documents lookup raised an error (the box has been shown and termination
// requested).
bool GetDocDirectories();

// "/" appended unless already there.
QString WithTrailingDelimiter(const QString& folder);
