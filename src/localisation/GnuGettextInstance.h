#pragma once

#include <QHash>
#include <QMetaObject>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string_view>
#include <utility>
#include <vector>

namespace GnuGettext {

class TFileLocator;
class TMoFile;
class TGnuGettextInstance;

// From a count to the index of its plural form (0 for the first form).
using TGetPluralForm = int (*)(qint32 Number);
// The rule of a language code, chosen by its first two letters (pt_BR by the whole code).
TGetPluralForm PluralRuleFor(const QString& languageCode);
// The rule of English and German, and of every language without one of its own.
int GetPluralForm2EN(qint32 Number);

// The user's language and country from the platform locale ("de_DE"), else "C".
QString SystemLanguageCode();

// CRs removed, and a CR put before every LF that lacks one: the line-break
// rules of every text that passes the service.
QByteArray StripCarriageReturns(const QByteArray& text);
QByteArray RestoreLineBreaks(const QByteArray& text);

class IGnuGettextInstanceWhenNewLanguageListener {
public:
    virtual ~IGnuGettextInstanceWhenNewLanguageListener() = default;
    virtual void LanguageChanged(const QString& languageCode) = 0;
};
using TLanguageListenerRef = std::shared_ptr<IGnuGettextInstanceWhenNewLanguageListener>;

// Window-text translation settings for one class and its descendants.
using TTranslator = std::function<void(QObject*)>;
struct TClassMode {
    const QMetaObject* HClass = nullptr;
    TTranslator SpecialHandler;
    QStringList PropertiesToIgnore; // upper case, sorted; empty (and no handler): whole class
};

class TExecutable {
public:
    virtual ~TExecutable() = default;
    virtual void Execute() = 0;
};

// One remembered text: the value a property (or the item texts of a list,
// Propname "Text") had before the first translation.
struct TTP_RetranslatorItem {
    QObject* obj = nullptr;
    QString Propname;
    QString OldValue;
    // The lines of a string list (Propname "Text" or a QStringList property).
    QStringList OldLines;
    bool IsStringList = false;
};

// The original texts of one translated component, to translate it again into
// another language. Registered in RetranslatorRegistry while alive.
class TTP_Retranslator : public TExecutable {
public:
    explicit TTP_Retranslator(TGnuGettextInstance* instance);
    ~TTP_Retranslator() override;
    TTP_Retranslator(const TTP_Retranslator&) = delete;
    TTP_Retranslator& operator=(const TTP_Retranslator&) = delete;

    QString TextDomain;
    TGnuGettextInstance* Instance;
    std::vector<TTP_RetranslatorItem> list;

    void Remember(QObject* obj, const QString& PropName, const QString& OldValue);
    void RememberLines(QObject* obj, const QString& PropName, const QStringList& OldLines);
    void Execute() override;
    // Drops every item of Obj (it is being destroyed).
    void Forget(const QObject* obj);

private:
    bool FExecuting = false; // two markers naming each other run once
};

// The hidden child that marks a translated component: the language it was
// translated into and its original texts.
class TGnuGettextComponentMarker : public QObject {
    Q_OBJECT
public:
    TGnuGettextComponentMarker();
    ~TGnuGettextComponentMarker() override;
    QString LastLanguage;
    std::unique_ptr<TTP_Retranslator> Retranslator;
};

// The marker among Component's direct children, or null.
TGnuGettextComponentMarker* FindMarker(const QObject* component);

// Objects with remembered texts: when one is destroyed, its items leave every
// retranslator (QObject::destroyed is emitted before the children go).
class THookedObjects {
public:
    THookedObjects() = default;
    ~THookedObjects(); // detaches every object still registered
    THookedObjects(const THookedObjects&) = delete;
    THookedObjects& operator=(const THookedObjects&) = delete;
    void Proxify(QObject* obj);
    void Unproxify(QObject* obj);
    bool Contains(const QObject* obj) const { return FObjects.contains(obj); }
    qsizetype Count() const { return FObjects.size(); }

private:
    QHash<const QObject*, QMetaObject::Connection> FObjects;
};

// One text domain, bound to a folder of catalogues or to one catalogue file.
class TDomain {
public:
    explicit TDomain(TFileLocator& locator);
    ~TDomain();
    TDomain(const TDomain&) = delete;
    TDomain& operator=(const TDomain&) = delete;

    QString Domain;
    QString vDirectory;       // with a trailing delimiter; empty while bound to a file
    QString SpecificFilename; // empty while bound to a folder
    QString curlang;
    // Cleared for the rest of the run when the catalogue does not declare UTF-8.
    bool Enabled = true;

    void SetLanguageCode(const QString& code);
    void SetFilename(const QString& fileName);
    void AssignDirectory(const QString& directory);

    // UTF-8 key in, UTF-8 translation (or the key) out. May raise EGGIOError.
    QByteArray gettext(const QByteArray& key);
    // The same without copying; the view lives until the binding or language changes.
    std::string_view Lookup(std::string_view key);

    QString GetTranslationProperty(const QString& propertyName);
    void GetListOfLanguages(QStringList& list);

    TMoFile* Catalogue() const { return mofile; }
    bool OpenHasFailedBefore() const { return FOpenHasFailedBefore; }

    // The text a message already gave with the catalogue now open, or null.
    const QString* Remembered(const QString& msgId) const {
        if (!mofile || !Enabled || FRemembered.isEmpty())
            return nullptr;
        const auto it = FRemembered.constFind(msgId);
        return it == FRemembered.cend() ? nullptr : &it.value();
    }
    // Keeps Text as what MsgId gives, while a catalogue is open.
    void Remember(const QString& msgId, const QString& text);
    // Texts remembered at most; the whole set is emptied when it is full, for
    // programs that translate texts made at run time.
    static constexpr qsizetype MaxRemembered = 16384;
    qsizetype RememberedCount() const { return FRemembered.size(); }

private:
    void OpenCatalogue();
    void ReleaseCatalogue();
    bool Exists(const QString& fileName) const;

    TFileLocator& FLocator;
    TMoFile* mofile = nullptr;
    bool FOpenHasFailedBefore = false;
    // Decoded texts by message for the open catalogue; emptied with it. The
    // same messages are asked for again and again (menus, dialogs), and a
    // hash lookup is cheaper than the search and the UTF-8 round trip.
    QHash<QString, QString> FRemembered;
};

// The translator: named domains, the current language and its plural rule.
class TGnuGettextInstance {
public:
    // Over the runtime's CatalogueLocator (raises EGGProgrammingError before start-up).
    TGnuGettextInstance();
    explicit TGnuGettextInstance(TFileLocator& locator);
    virtual ~TGnuGettextInstance();
    TGnuGettextInstance(const TGnuGettextInstance&) = delete;
    TGnuGettextInstance& operator=(const TGnuGettextInstance&) = delete;

    // While false, every lookup returns its text unchanged.
    std::atomic<bool> Enabled{true};

    virtual QString gettext(const QString& MsgId);
    virtual QString ngettext(const QString& Singular, const QString& Plural, qint32 Number);
    virtual QString dgettext(const QString& Domain, const QString& MsgId);
    virtual QString dngettext(const QString& Domain, const QString& Singular, const QString& Plural,
                              qint32 Number);
    virtual void NotifyLanguageListeners(const QString& LanguageCode);
    virtual void AfterTextDomainChange(const QString& Domain);
    virtual void AfterDomainDirectoryChange(const QString& Domain, const QString& Directory);

    // The same as the forms without the suffix; extraction tools skip them.
    QString gettext_NoExtract(const QString& MsgId) { return gettext(MsgId); }
    QString dgettext_NoExtract(const QString& Domain, const QString& MsgId) {
        return dgettext(Domain, MsgId);
    }
    QString ngettext_NoExtract(const QString& Singular, const QString& Plural, qint32 Number) {
        return ngettext(Singular, Plural, Number);
    }
    QString dngettext_NoExtract(const QString& Domain, const QString& Singular,
                                const QString& Plural, qint32 Number) {
        return dngettext(Domain, Singular, Plural, Number);
    }
    // Only marks a text for extraction.
    QString gettext_NoOp(const QString& MsgId) { return MsgId; }

    void textdomain(const QString& Domain);
    QString getcurrenttextdomain() const;
    void bindtextdomain(const QString& Domain, const QString& Directory);
    void bindtextdomainToFile(const QString& Domain, const QString& FileName);
    void UseLanguage(const QString& LanguageCode);
    QString GetCurrentLanguage() const;
    void RegisterWhenNewLanguageListener(const TLanguageListenerRef& Listener);
    void UnregisterWhenNewLanguageListener(const TLanguageListenerRef& Listener);
    QString GetTranslationProperty(const QString& PropertyName);
    QString GetTranslatorNameAndEmail();
    void GetListOfLanguages(const QString& Domain, QStringList& List);
    // The runtime has no log file of its own: its lines go to the program's debug log.
    void DebugLogToFile(const QString&, bool) {}
    void DebugLogPause(bool) {}

    // Window-text translation. The walk (TranslateComponent, RetranslateComponent,
    // TranslateProperties, TranslateOneProperty, TranslateStringList) is defined in
    // TranslationWalk.cpp in the window layer, as it knows Qt's widgets; the settings live here.
    void TranslateComponent(QObject* AnObject, const QString& TextDomain);
    void RetranslateComponent(QObject* AnObject, const QString& TextDomain);
    void TranslateProperties(QObject* AnObject, QString TextDomain);
    // Run-wide settings.
    void TP_GlobalIgnoreClass(const QMetaObject* IgnClass);
    bool TP_TryGlobalIgnoreClass(const QMetaObject* IgnClass);
    void TP_GlobalIgnoreClassProperty(const QMetaObject* IgnClass, const QString& PropertyName);
    void TP_GlobalHandleClass(const QMetaObject* HClass, const TTranslator& Handler);
    // Settings for the next traversal only.
    void TP_IgnoreClass(const QMetaObject* IgnClass);
    void TP_IgnoreClassProperty(const QMetaObject* IgnClass, const QString& PropertyName);
    void TP_Ignore(QObject* AnObject, const QString& Name);
    void TP_Remember(QObject* AnObject, const QString& PropName, const QString& OldValue);

    const std::vector<TClassMode>& TP_GlobalClassHandling() const {
        return FTP_GlobalClassHandling;
    }
    const std::vector<TClassMode>& TP_ClassHandlingList() const { return TP_ClassHandling; }
    const QStringList& TP_IgnoreListKeys() const { return TP_IgnoreList; }
    TTP_Retranslator* CurrentRetranslator() const { return TP_Retranslator; }
    // A window text's translation through Domain (ComponentDomains when
    // empty), with the text's own line breaks; Value when there is none.
    QString ComponentTextOf(const QString& Domain, const QString& Value);

    TGetPluralForm CurrentPluralRule() const;
    QString DefaultDomainDirectory() const { return FDefaultDomainDirectory; }
    // The domain registered under Name (ignoring case), or null.
    TDomain* FindDomain(const QString& Name) const;

private:
    friend class TTP_Retranslator;
    TDomain& FindOrCreateDomain(const QString& Name);
    // The translation of a window text: through Domain, or ComponentDomains when empty.
    QString ComponentText(const QString& Domain, const QString& Value);

    TFileLocator& FLocator;
    // Guards the domain list, every domain's state (catalogue, remembered
    // texts), the current language, plural rule and domain: Qt asks for its
    // own texts on any thread.
    mutable std::mutex FLookupLock;
    QString curlang;
    TGetPluralForm curGetPluralForm = GetPluralForm2EN;
    QString curmsgdomain = QStringLiteral("default");
    QString FDefaultDomainDirectory;
    std::vector<std::pair<QString, std::unique_ptr<TDomain>>> domainlist;
    std::vector<TLanguageListenerRef> fWhenNewLanguageListeners;
    // State of window-text translation.
    QStringList TP_IgnoreList;
    std::vector<TClassMode> TP_ClassHandling;
    std::vector<TClassMode> FTP_GlobalClassHandling;
    TTP_Retranslator* TP_Retranslator = nullptr;
};

// The text looked up through ResourceDomains (Qt's own texts); Text itself
// when no domain translates it, or once the runtime is shut down.
QString TranslateResourceText(const QString& Text);
// A window text looked up through ComponentDomains by Instance.
QString ComponentGettext(TGnuGettextInstance& Instance, const QString& Text);

// Registry of live retranslators, and of objects with remembered texts.
extern std::vector<TTP_Retranslator*>* RetranslatorRegistry;
extern THookedObjects* HookedObjectRegistry;
// Run by every new translator after its own defaults: the window layer adds
// the run-wide ignores of Qt's widget classes here (TranslationWalk.cpp).
extern void (*ComponentDefaultsHook)(TGnuGettextInstance&);
// Writes the item texts of a list or combo box (set by the window layer).
extern void (*ItemTextsWriter)(QObject*, const QStringList&);

// The runtime's process-wide objects, alive between StartRuntime and StopRuntime.
extern QString ProgramFilePath;
extern TFileLocator* CatalogueLocator;
extern QStringList* ResourceDomains;
extern std::shared_mutex* ResourceDomainsLock;
extern QStringList* ComponentDomains;
extern std::shared_mutex* ComponentDomainsLock;
extern TGnuGettextInstance* DefaultTranslator;

} // namespace GnuGettext
