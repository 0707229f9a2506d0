#pragma once

#include <QString>

// The application's general error box: what a handler lets out is shown here
// (error kind, the application's name as caption, one OK button) and the
// program runs on. Qt event handlers catch their exceptions and call this,
// since exceptions must not cross the event loop.
void ShowGeneralError(const QString& message);
