#include "localisation/GNUGetTextU.h"

// Placeholder until the catalogue runtime is built: texts pass unchanged.
namespace GnuGettext {
QString gettext(const QString& msgId) {
    return msgId;
}
QString dgettext(const QString&, const QString& msgId) {
    return msgId;
}
void UseLanguage(const QString&) {}
void TranslateComponent(QObject*, const QString&) {}
void TP_GlobalIgnoreClassProperty(const QMetaObject*, const QString&) {}
} // namespace GnuGettext
