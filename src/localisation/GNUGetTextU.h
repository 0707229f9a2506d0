#pragma once

#include <QString>

struct QMetaObject;
class QObject;

// The free functions of the translation service, over the one
// DefaultTranslator. They live in a namespace of their own so that they can
// never be confused with the C library's gettext.
namespace GnuGettext {

QString gettext(const QString& msgId);
QString dgettext(const QString& domain, const QString& msgId);
void UseLanguage(const QString& languageCode);

// Window-text translation.
void TranslateComponent(QObject* component, const QString& textDomain);
void TP_GlobalIgnoreClassProperty(const QMetaObject* ignClass, const QString& propertyName);

} // namespace GnuGettext
