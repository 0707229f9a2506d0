#include "localisation/QtBuiltinTexts.h"

#include "localisation/Translate.h"

namespace GnuGettext {

namespace {
// Keyboard shortcuts ("Alt+Left") and key names are left out on purpose: a
// translated one would no longer be understood.
constexpr const char* Texts[] = {
    // TRANSLATORS: The texts below are Qt's own: keep one & each, where the English has one.
    N_("&Yes"),
    N_("&No"),
    N_("OK"),
    N_("Cancel"),
    N_("Open"),
    // The file dialog.
    N_("Look in:"),
    N_("File &name:"),
    N_("Files of type:"),
    N_("&Open"),
    N_("All Files (*)"),
    N_("Back"),
    N_("Forward"),
    N_("Parent Directory"),
    N_("Create New Folder"),
    N_("List View"),
    N_("Detail View"),
    N_("Go back"),
    N_("Go forward"),
    N_("Go to the parent directory"),
    N_("Create a New Folder"),
    N_("Change to list view mode"),
    N_("Change to detail view mode"),
    N_("Sidebar"),
    N_("List of places and bookmarks"),
    N_("Files"),
    N_("&Rename"),
    N_("&Delete"),
    N_("Show &hidden files"),
    N_("&New Folder"),
    N_("Computer"),
    N_("Drive"),
    N_("Folder"),
    N_("File Folder"),
    N_("%1 File"),
    // Its columns.
    N_("Name"),
    N_("Size"),
    N_("Type"),
    N_("Date Modified"),
    // The line edit's context menu.
    N_("&Undo"),
    N_("&Redo"),
    N_("Cu&t"),
    N_("&Copy"),
    N_("&Paste"),
    N_("Delete"),
    N_("Select All"),
};
} // namespace

std::span<const char* const> QtBuiltinTexts() {
    return Texts;
}

} // namespace GnuGettext
