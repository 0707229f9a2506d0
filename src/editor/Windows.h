#pragma once

class TMainForm;

// Creates the program's windows once, in start-up order: the main window
// first, then the debug window, the dialogs, the notice, the image list and
// the help window. Only the main window is shown (by the caller).
TMainForm* CreateWindows();
// Destroys them again: the main window first, then the dialogs (the
// selection dialog takes the catalogue with it).
void DestroyWindows(TMainForm* mainForm);
