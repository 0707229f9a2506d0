#include "catalogue/CustomKeys.h"

#include "editor/LayoutFile.h"
#include "localisation/Translate.h"
#include "platform/Platform.h"
#include "support/DebugLog.h"

#include <limits>

namespace {
const QString Prefix = QStringLiteral("customform-");
}

CustomKeyProposal ProposeCustomKey(const TDralFormList& catalogue) {
    CustomKeyProposal out;
    for (int i = catalogue.Count() - 1; i >= 0; --i) {
        const QString& key = catalogue.GetRecord(i)->KeyName;
        if (LowerAsciiOnly(key.left(Prefix.size())) != Prefix)
            continue;
        DebugLog(QStringLiteral("CustormForm found: ") + key, 3);
        int n = 0;
        if (StrToIntStrict(key.mid(Prefix.size(), 3), n) && n < std::numeric_limits<int>::max()) {
            out.Result = CustomKeyProposal::Proposal;
            out.Key = QStringLiteral("CustomForm-") + QString::number(n + 1);
        } else {
            out.Result = CustomKeyProposal::DecodingFailed;
            DebugLog(QStringLiteral("ConfigSelectForm.NewBtnClick: Failed decoding Custom number"),
                     0);
            CurrentPlatform().Beep(BeepStop);
            ErrorBox(_("An ERROR occured saving the Custom Form.") + QStringLiteral("\r\n") +
                     _("Please contact Kestrova Limited with a copy of the Debug file.."));
        }
        return out;
    }
    return out;
}

bool IsValidCatalogueKey(const QString& key) {
    const QString trimmed = key.trimmed();
    if (trimmed.isEmpty() || trimmed != key)
        return false;
    if (key.contains(u'=') || key.startsWith(u';') || key.startsWith(u'['))
        return false;
    for (QChar c : key)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return false;
    return true;
}
