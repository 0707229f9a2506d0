#pragma once

#include "localisation/GNUGetTextU.h"

#include <QString>

// The two markers that scripts/update-po.sh hands to xgettext, so that every
// text the program shows or looks up lands in po/default.pot. The catalogues
// are keyed on the texts exactly as written here.

// _("text"): the text's translation in the current language, looked up now.
#define _(text) (GnuGettext::gettext(QStringLiteral(text)))

// N_("text"): the text itself, unchanged; it is only marked for the template.
// For texts translated later, where they are shown (window texts through
// TranslateComponent, message lines through TranslatedLines), and for shown
// texts that the program passes on untranslated.
#define N_(text) text
