#include "localisation/GNUGetTextU.h"

#include "localisation/FileLocator.h"
#include "localisation/GnuGettextInstance.h"
#include "localisation/ResourceStrings.h"

#include <QFileInfo>

namespace GnuGettext {

namespace {
QString RunningProgramPath() {
    // Readable before any application object exists.
    const QString target = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    return target;
}
} // namespace

void StartRuntime(const QString& programFile) {
    if (DefaultTranslator)
        return;
    ProgramFilePath =
        programFile.isEmpty() ? RunningProgramPath() : QFileInfo(programFile).absoluteFilePath();
    CatalogueLocator = new TFileLocator(ProgramFilePath);
    CatalogueLocator->Analyze();
    ResourceDomainsLock = new std::shared_mutex;
    ResourceDomains = new QStringList{QStringLiteral("default")};
    ComponentDomainsLock = new std::shared_mutex;
    ComponentDomains = new QStringList{QStringLiteral("default")};
    DefaultTranslator = new TGnuGettextInstance(*CatalogueLocator);
    HookedObjectRegistry = new THookedObjects;
    ResetResourceTextFailure();
    RetranslatorRegistry = new std::vector<TTP_Retranslator*>;
    // Qt's own texts are routed once the application object exists
    // (TResourceStringRouting).
}

void StopRuntime() {
    if (!DefaultTranslator)
        return;
    delete DefaultTranslator;
    DefaultTranslator = nullptr;
    delete ResourceDomainsLock;
    ResourceDomainsLock = nullptr;
    delete ResourceDomains;
    ResourceDomains = nullptr;
    delete ComponentDomainsLock;
    ComponentDomainsLock = nullptr;
    delete ComponentDomains;
    ComponentDomains = nullptr;
    delete CatalogueLocator;
    CatalogueLocator = nullptr;
    delete HookedObjectRegistry;
    HookedObjectRegistry = nullptr;
    delete RetranslatorRegistry;
    RetranslatorRegistry = nullptr;
    ProgramFilePath.clear();
}

bool RuntimeStarted() {
    return DefaultTranslator != nullptr;
}

QString gettext(const QString& msgId) {
    return DefaultTranslator ? DefaultTranslator->gettext(msgId) : msgId;
}

QString dgettext(const QString& domain, const QString& msgId) {
    return DefaultTranslator ? DefaultTranslator->dgettext(domain, msgId) : msgId;
}

QString ngettext(const QString& singular, const QString& plural, qint32 number) {
    if (DefaultTranslator)
        return DefaultTranslator->ngettext(singular, plural, number);
    return GetPluralForm2EN(number) == 0 ? singular : plural;
}

QString dngettext(const QString& domain, const QString& singular, const QString& plural,
                  qint32 number) {
    if (DefaultTranslator)
        return DefaultTranslator->dngettext(domain, singular, plural, number);
    return GetPluralForm2EN(number) == 0 ? singular : plural;
}

void UseLanguage(const QString& languageCode) {
    if (DefaultTranslator)
        DefaultTranslator->UseLanguage(languageCode);
}

QString GetCurrentLanguage() {
    return DefaultTranslator ? DefaultTranslator->GetCurrentLanguage() : QString();
}

void TP_GlobalIgnoreClassProperty(const QMetaObject* ignClass, const QString& propertyName) {
    if (DefaultTranslator)
        DefaultTranslator->TP_GlobalIgnoreClassProperty(ignClass, propertyName);
}

} // namespace GnuGettext
