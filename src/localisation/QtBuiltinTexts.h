#pragma once

#include <span>

// Qt's own texts that the designer shows (box buttons, the file dialog, the
// line edit's context menu), as Qt writes them: the catalogue keys under
// which the translator on the application finds them.
namespace GnuGettext {
std::span<const char* const> QtBuiltinTexts();
}
