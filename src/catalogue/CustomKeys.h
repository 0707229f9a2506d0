#pragma once

#include "catalogue/DralForm.h"

#include <QString>

// Keys of the form "CustomForm-{n}" that this program makes for images the
// companion's catalogue has no key for.

struct CustomKeyProposal {
    enum Kind { NoPrefixedKey, Proposal, DecodingFailed } Result = NoPrefixedKey;
    QString Key; // with Proposal: "CustomForm-" + (n + 1)
};

// Looks at the last record (in catalogue order) whose key starts with
// "customform-" (A to Z folded) and reads up to three digits after it. A
// failed reading is logged, beeped and reported in an error box.
CustomKeyProposal ProposeCustomKey(const TDralFormList& catalogue);

// Whether a typed key can stand in an INI section and read back as itself.
bool IsValidCatalogueKey(const QString& key);
