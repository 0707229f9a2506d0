#include "localisation/GnuGettextInstance.h"

#include "localisation/FileLocator.h"
#include "localisation/GnuGettextErrors.h"
#include "localisation/MoFile.h"
#include "platform/Platform.h"
#include "support/DebugLog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QMetaObject>
#include <QMetaProperty>
#include <QThread>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace GnuGettext {

QString ProgramFilePath;
TFileLocator* CatalogueLocator = nullptr;
QStringList* ResourceDomains = nullptr;
std::shared_mutex* ResourceDomainsLock = nullptr;
QStringList* ComponentDomains = nullptr;
std::shared_mutex* ComponentDomainsLock = nullptr;
TGnuGettextInstance* DefaultTranslator = nullptr;
std::vector<TTP_Retranslator*>* RetranslatorRegistry = nullptr;
THookedObjects* HookedObjectRegistry = nullptr;
void (*ComponentDefaultsHook)(TGnuGettextInstance&) = nullptr;
void (*ItemTextsWriter)(QObject*, const QStringList&) = nullptr;

// ---------------------------------------------------------------- threads

namespace {
// Depth of locked lookups on this thread: a lookup that Qt starts from inside
// one (a log line, a box) gets its text back unchanged instead of a deadlock.
thread_local int LookupDepth = 0;
// Charset refusals met inside a locked lookup, shown once the lock is released.
thread_local QStringList PendingRefusals;
// Depth of domain-list reads on this thread: a refusal box met inside one waits
// too, since the box's own buttons read that list again.
thread_local int DomainListDepth = 0;

struct TLookupScope {
    TLookupScope() { ++LookupDepth; }
    ~TLookupScope() { --LookupDepth; }
    TLookupScope(const TLookupScope&) = delete;
    TLookupScope& operator=(const TLookupScope&) = delete;
};

// Whether this thread is not the user-interface thread.
bool OnWorkerThread() {
    const QCoreApplication* app = QCoreApplication::instance();
    return app && QThread::currentThread() != app->thread();
}

// The debug log and its window belong to the user-interface thread; lines
// met on another thread are handed over to it.
void RuntimeLog(const QString& text, int level) {
    if (OnWorkerThread())
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [text, level] { DebugLog(text, level); },
            Qt::QueuedConnection);
    else
        DebugLog(text, level);
}

void ShowRefusal(const QString& text) {
    CurrentPlatform().MessageBox(BoxKind::Plain, QStringLiteral("Localization problem"), text,
                                 BtnOk, BtnOk);
}

// Shows the refusals of this thread's lookups; only the user-interface thread
// shows boxes, and only outside the lookup lock.
void FlushRefusals() {
    if (LookupDepth > 0 || DomainListDepth > 0 || PendingRefusals.isEmpty())
        return;
    const QStringList texts = std::exchange(PendingRefusals, QStringList());
    for (const QString& text : texts) {
        if (OnWorkerThread())
            QMetaObject::invokeMethod(
                QCoreApplication::instance(), [text] { ShowRefusal(text); }, Qt::QueuedConnection);
        else
            ShowRefusal(text);
    }
}

// Runs F under a shared lock of a domain list, then shows any refusal it met.
template <class F> auto DomainListLocked(std::shared_mutex& lock, F&& f) {
    struct Flush {
        ~Flush() {
            --DomainListDepth;
            FlushRefusals();
        }
    } flush;
    ++DomainListDepth;
    std::shared_lock<std::shared_mutex> guard(lock);
    return f();
}

// Runs F under the lookup lock, then shows any refusal it met.
template <class F> auto Locked(std::mutex& lock, F&& f) {
    struct Flush {
        ~Flush() { FlushRefusals(); }
    } flush;
    TLookupScope scope;
    std::lock_guard<std::mutex> guard(lock);
    return f();
}
} // namespace

// ---------------------------------------------------------------- plural rules

namespace {
// The absolute value; the integer minimum, which has none in 32 bits, counts as many.
quint32 Abs(qint32 n) {
    return n < 0 ? quint32(0) - quint32(n) : quint32(n);
}

int PluralNone(qint32) {
    return 0;
}
int PluralFrench(qint32 number) {
    return Abs(number) > 1 ? 1 : 0;
}
int PluralLatvian(qint32 number) {
    const quint32 n = Abs(number);
    return n % 10 == 1 && n % 100 != 11 ? 0 : n != 0 ? 1 : 2;
}
int PluralIrish(qint32 number) {
    const quint32 n = Abs(number);
    return n == 1 ? 0 : n == 2 ? 1 : 2;
}
int PluralLithuanian(qint32 number) {
    const quint32 n = Abs(number);
    if (n % 10 == 1 && n % 100 != 11)
        return 0;
    return n % 10 >= 2 && (n % 100 < 10 || n % 100 >= 20) ? 1 : 2;
}
int PluralRussian(qint32 number) {
    const quint32 n = Abs(number);
    if (n % 10 == 1 && n % 100 != 11)
        return 0;
    return n % 10 >= 2 && n % 10 <= 4 && (n % 100 < 10 || n % 100 >= 20) ? 1 : 2;
}
int PluralCzech(qint32 number) {
    const quint32 n = Abs(number);
    return n == 1 ? 0 : n >= 2 && n <= 4 ? 1 : 2;
}
int PluralPolish(qint32 number) {
    const quint32 n = Abs(number);
    if (n == 1)
        return 0;
    return n % 10 >= 2 && n % 10 <= 4 && (n % 100 < 10 || n % 100 >= 20) ? 1 : 2;
}
int PluralSlovenian(qint32 number) {
    const quint32 n = Abs(number) % 100;
    return n == 1 ? 0 : n == 2 ? 1 : n == 3 || n == 4 ? 2 : 3;
}
} // namespace

int GetPluralForm2EN(qint32 Number) {
    return Abs(Number) == 1 ? 0 : 1;
}

TGetPluralForm PluralRuleFor(const QString& languageCode) {
    if (languageCode.compare(QLatin1String("pt_br"), Qt::CaseInsensitive) == 0)
        return PluralFrench;
    const QString l = languageCode.left(2).toLower();
    if (l == u"hu" || l == u"ko" || l == u"zh" || l == u"ja" || l == u"tr")
        return PluralNone;
    if (l == u"fr" || l == u"fa")
        return PluralFrench;
    if (l == u"lv")
        return PluralLatvian;
    if (l == u"ga")
        return PluralIrish;
    if (l == u"lt")
        return PluralLithuanian;
    if (l == u"ru" || l == u"uk" || l == u"hr")
        return PluralRussian;
    if (l == u"cs" || l == u"sk")
        return PluralCzech;
    if (l == u"pl")
        return PluralPolish;
    if (l == u"sl")
        return PluralSlovenian;
    return GetPluralForm2EN;
}

QString SystemLanguageCode() {
    const QLocale locale = QLocale::system();
    QString language = QLocale::languageToCode(locale.language());
    const QString country = QLocale::territoryToCode(locale.territory());
    if (language.size() == 2 && country.size() == 2) {
        if (language.compare(QLatin1String("no"), Qt::CaseInsensitive) == 0)
            language = QStringLiteral("nb");
        return language + QLatin1Char('_') + country;
    }
    return QStringLiteral("C");
}

// ---------------------------------------------------------------- line breaks

namespace {
// MsgId as UTF-8 without CRs, into Out (at least 3 bytes per UTF-16 unit).
size_t EncodeKey(const QString& text, char* out) {
    const char16_t* s = reinterpret_cast<const char16_t*>(text.constData());
    const qsizetype n = text.size();
    char* o = out;
    for (qsizetype i = 0; i < n; ++i) {
#ifdef __SSE2__
        // Messages are mostly ASCII: eight units without CR or a high bit at a time.
        while (i + 8 <= n) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
            const __m128i ascii = _mm_cmpeq_epi16(_mm_and_si128(v, _mm_set1_epi16(short(0xFF80))),
                                                  _mm_setzero_si128());
            const __m128i cr = _mm_cmpeq_epi16(v, _mm_set1_epi16('\r'));
            if (_mm_movemask_epi8(_mm_andnot_si128(cr, ascii)) != 0xFFFF)
                break;
            _mm_storel_epi64(reinterpret_cast<__m128i*>(o), _mm_packus_epi16(v, v));
            o += 8;
            i += 8;
        }
        if (i == n)
            break;
#endif
        const char32_t c = s[i];
        if (c < 0x80) {
            if (c != '\r')
                *o++ = char(c);
        } else if (c < 0x800) {
            *o++ = char(0xC0 | (c >> 6));
            *o++ = char(0x80 | (c & 0x3F));
        } else if (c >= 0xD800 && c <= 0xDBFF && i + 1 < n && s[i + 1] >= 0xDC00 &&
                   s[i + 1] <= 0xDFFF) {
            const char32_t u = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
            *o++ = char(0xF0 | (u >> 18));
            *o++ = char(0x80 | ((u >> 12) & 0x3F));
            *o++ = char(0x80 | ((u >> 6) & 0x3F));
            *o++ = char(0x80 | (u & 0x3F));
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            // An unpaired surrogate cannot be encoded: the replacement character.
            *o++ = char(0xEF);
            *o++ = char(0xBF);
            *o++ = char(0xBD);
        } else {
            *o++ = char(0xE0 | (c >> 12));
            *o++ = char(0x80 | ((c >> 6) & 0x3F));
            *o++ = char(0x80 | (c & 0x3F));
        }
    }
    return size_t(o - out);
}

// Whether R holds an LF; inline, as translations are short and a library
// call costs more than the search.
bool HasLineFeed(std::string_view r) {
    size_t i = 0;
#ifdef __SSE2__
    for (; i + 16 <= r.size(); i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(r.data() + i));
        if (_mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_set1_epi8('\n'))))
            return true;
    }
#endif
    for (; i < r.size(); ++i)
        if (r[i] == '\n')
            return true;
    return false;
}

QString DecodeWithLineBreaks(std::string_view r) {
    if (!HasLineFeed(r))
        return QString::fromUtf8(r.data(), qsizetype(r.size()));
    std::string out;
    out.reserve(r.size() + 16);
    for (size_t i = 0; i < r.size(); ++i) {
        if (r[i] == '\n' && (i == 0 || r[i - 1] != '\r'))
            out += '\r';
        out += r[i];
    }
    return QString::fromUtf8(out.data(), qsizetype(out.size()));
}

bool IsBlankOrControl(QChar c) {
    return c.unicode() <= 0x20 || c.category() == QChar::Other_Control;
}

QString TrimBlanksAndControls(QStringView s) {
    qsizetype from = 0, to = s.size();
    while (from < to && IsBlankOrControl(s[from]))
        ++from;
    while (to > from && IsBlankOrControl(s[to - 1]))
        --to;
    return s.mid(from, to - from).toString();
}

QString WithDelimiter(const QString& folder) {
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}
} // namespace

QByteArray StripCarriageReturns(const QByteArray& text) {
    QByteArray out = text;
    out.replace('\r', QByteArray());
    return out;
}

QByteArray RestoreLineBreaks(const QByteArray& text) {
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
            out += '\r';
        out += text[i];
    }
    return out;
}

// ---------------------------------------------------------------- TDomain

TDomain::TDomain(TFileLocator& locator) : FLocator(locator) {}

TDomain::~TDomain() {
    ReleaseCatalogue();
}

void TDomain::SetLanguageCode(const QString& code) {
    ReleaseCatalogue();
    curlang = code;
}

void TDomain::SetFilename(const QString& fileName) {
    ReleaseCatalogue();
    vDirectory.clear();
    SpecificFilename = fileName;
}

void TDomain::AssignDirectory(const QString& directory) {
    vDirectory = WithDelimiter(directory);
    SpecificFilename.clear();
    ReleaseCatalogue();
}

bool TDomain::Exists(const QString& fileName) const {
    return FLocator.FileExists(fileName) || QFileInfo(fileName).isFile();
}

void TDomain::OpenCatalogue() {
    QString fileName;
    if (!SpecificFilename.isEmpty()) {
        fileName = SpecificFilename;
        RuntimeLog(QStringLiteral("Domain %1 is bound to specific file %2").arg(Domain, fileName),
                   3);
    } else {
        // The code becomes part of a path: one that could leave the catalogue
        // folder selects no catalogue at all.
        if (curlang.contains(QLatin1Char('/')) || curlang.contains(QLatin1Char('\\')) ||
            curlang.contains(QLatin1String(".."))) {
            RuntimeLog(QStringLiteral("Domain %1: the language code \"%2\" holds a path separator "
                                      "or \"..\"; no catalogue is used.")
                           .arg(Domain, curlang),
                       0);
            FOpenHasFailedBefore = true;
            return;
        }
        fileName =
            vDirectory + curlang + QStringLiteral("/LC_MESSAGES/") + Domain + QStringLiteral(".mo");
        if (FLocator.FileExists(fileName)) {
            RuntimeLog(QStringLiteral("Domain %1 will attempt to use this embedded file: %2")
                           .arg(Domain, fileName),
                       3);
        } else if (QFileInfo(fileName).isFile()) {
            RuntimeLog(
                QStringLiteral(
                    "Domain %1 will attempt to use this file that was found on the file system: %2")
                    .arg(Domain, fileName),
                3);
        } else {
            RuntimeLog(QStringLiteral(
                           "Domain %1: File does not exist, neither embedded or in file system: %2")
                           .arg(Domain, fileName),
                       3);
            fileName = vDirectory + curlang.left(2) + QStringLiteral("/LC_MESSAGES/") + Domain +
                       QStringLiteral(".mo");
            RuntimeLog(
                QStringLiteral("Domain %1 will attempt to use this file: %2").arg(Domain, fileName),
                3);
        }
    }
    if (!Exists(fileName)) {
        RuntimeLog(QStringLiteral("Domain %1 failed to locate the file: %2").arg(Domain, fileName),
                   0);
        FOpenHasFailedBefore = true;
        return;
    }
    RuntimeLog(QStringLiteral("Domain %1 now accesses the file.").arg(Domain), 3);
    mofile = FLocator.GetMoFile(fileName);
    if (mofile->doswap())
        RuntimeLog(QStringLiteral(".mo file is swapped (comes from another CPU architecture)"), 0);
    const QString contentType = GetTranslationProperty(QStringLiteral("Content-Type"));
    if (!contentType.toUpper().contains(QLatin1String("CHARSET=UTF-8"))) {
        ReleaseCatalogue();
        // Off before the box: its own buttons ask for Qt's texts again.
        Enabled = false;
        const QString text =
            QStringLiteral(
                "The translation for the language code %1 (in %2) does not have charset=utf-8 "
                "in its Content-Type. Translations are turned off.")
                .arg(curlang, fileName);
        RuntimeLog(text, 0);
        PendingRefusals << text;
        FlushRefusals();
    }
}

void TDomain::Remember(const QString& msgId, const QString& text) {
    if (!mofile || !Enabled)
        return;
    if (FRemembered.size() >= MaxRemembered)
        FRemembered.clear();
    FRemembered.insert(msgId, text);
}

void TDomain::ReleaseCatalogue() {
    FRemembered.clear();
    if (mofile) {
        FLocator.ReleaseMoFile(mofile);
        mofile = nullptr;
    }
    FOpenHasFailedBefore = false;
}

std::string_view TDomain::Lookup(std::string_view key) {
    if (!Enabled)
        return key;
    if (!mofile && !FOpenHasFailedBefore)
        OpenCatalogue();
    if (!mofile)
        return key;
    bool found = false;
    return mofile->Lookup(key, found);
}

QByteArray TDomain::gettext(const QByteArray& key) {
    const std::string_view r = Lookup(std::string_view(key.constData(), size_t(key.size())));
    if (r.data() == key.constData())
        return key;
    return QByteArray(r.data(), qsizetype(r.size()));
}

QString TDomain::GetTranslationProperty(const QString& propertyName) {
    const QString prefix = propertyName.toUpper() + QStringLiteral(": ");
    const QString header = QString::fromUtf8(gettext(QByteArray()));
    qsizetype start = 0;
    while (start < header.size()) {
        qsizetype end = start;
        while (end < header.size() && header[end] != u'\r' && header[end] != u'\n')
            ++end;
        const QStringView line = QStringView(header).mid(start, end - start);
        if (line.size() >= prefix.size() && line.left(prefix.size()).toString().toUpper() == prefix)
            return TrimBlanksAndControls(line.mid(prefix.size()));
        start = end;
        if (start < header.size() && header[start] == u'\r')
            ++start;
        if (start < header.size() && header[start] == u'\n')
            ++start;
    }
    return QString();
}

void TDomain::GetListOfLanguages(QStringList& list) {
    list.clear();
    // A domain bound to a single file has no language folders.
    if (vDirectory.isEmpty())
        return;
    const QString tail = QStringLiteral("/LC_MESSAGES/") + Domain + QStringLiteral(".mo");
    const QStringList folders =
        QDir(vDirectory).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    for (const QString& folder : folders) {
        if (QFileInfo(vDirectory + folder + tail).isFile()) {
            const QString code = folder.toLower();
            if (!list.contains(code))
                list << code;
        }
    }
    const QString dir = vDirectory.toUpper();
    const QString upperTail = tail.toUpper();
    for (const auto& [name, info] : FLocator.EmbeddedFiles()) {
        (void)info;
        const QString full = (FLocator.BaseDirectory() + name).toUpper();
        if (full.size() > dir.size() + upperTail.size() && full.startsWith(dir) &&
            full.endsWith(upperTail)) {
            const QString middle =
                full.mid(dir.size(), full.size() - dir.size() - upperTail.size()).toLower();
            const QString code = middle.left(3) + middle.mid(3).toUpper();
            if (!list.contains(code))
                list << code;
        }
    }
}

// ---------------------------------------------------------------- TGnuGettextInstance

namespace {
TFileLocator& RuntimeLocator() {
    if (!CatalogueLocator)
        throw EGGProgrammingError(QStringLiteral("The localisation runtime has not been started."));
    return *CatalogueLocator;
}
} // namespace

TGnuGettextInstance::TGnuGettextInstance() : TGnuGettextInstance(RuntimeLocator()) {}

TGnuGettextInstance::TGnuGettextInstance(TFileLocator& locator) : FLocator(locator) {
    TP_IgnoreList.sort();
    FDefaultDomainDirectory = FLocator.BaseDirectory() + QStringLiteral("locale");
    UseLanguage(QString());
    bindtextdomain(QStringLiteral("default"), FDefaultDomainDirectory);
    textdomain(QStringLiteral("default"));
    // A component's name is never a text to translate. (Qt has no counterpart
    // of a collection item's property name.)
    TP_GlobalIgnoreClassProperty(&QObject::staticMetaObject, QStringLiteral("objectName"));
    if (ComponentDefaultsHook)
        ComponentDefaultsHook(*this);
}

TGnuGettextInstance::~TGnuGettextInstance() {
    if (RetranslatorRegistry)
        for (TTP_Retranslator* r : *RetranslatorRegistry)
            if (r->Instance == this)
                r->Instance = nullptr;
    TP_IgnoreList.clear();
    TP_ClassHandling.clear();
    FTP_GlobalClassHandling.clear();
    domainlist.clear();
    fWhenNewLanguageListeners.clear();
}

namespace {
TDomain* FindIn(const std::vector<std::pair<QString, std::unique_ptr<TDomain>>>& list,
                const QString& Name) {
    for (const auto& [name, domain] : list)
        if (name == Name)
            return domain.get();
    for (const auto& [name, domain] : list)
        if (name.compare(Name, Qt::CaseInsensitive) == 0)
            return domain.get();
    return nullptr;
}

// Qt's and the windows' texts use LF alone: a translation keeps the line
// breaks of the text it replaces.
QString WithLineBreaksOf(const QString& original, QString translated) {
    if (!original.contains(QLatin1Char('\r')))
        translated.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return translated;
}
} // namespace

TDomain* TGnuGettextInstance::FindDomain(const QString& Name) const {
    std::lock_guard<std::mutex> guard(FLookupLock);
    return FindIn(domainlist, Name);
}

TDomain& TGnuGettextInstance::FindOrCreateDomain(const QString& Name) {
    if (TDomain* d = FindIn(domainlist, Name))
        return *d;
    auto domain = std::make_unique<TDomain>(FLocator);
    domain->Domain = Name;
    domain->AssignDirectory(FDefaultDomainDirectory);
    domain->SetLanguageCode(curlang);
    TDomain& result = *domain;
    domainlist.emplace_back(Name, std::move(domain));
    return result;
}

QString TGnuGettextInstance::gettext(const QString& MsgId) {
    return dgettext(getcurrenttextdomain(), MsgId);
}

QString TGnuGettextInstance::ngettext(const QString& Singular, const QString& Plural,
                                      qint32 Number) {
    return dngettext(getcurrenttextdomain(), Singular, Plural, Number);
}

QString TGnuGettextInstance::dgettext(const QString& Domain, const QString& MsgId) {
    if (!Enabled || LookupDepth > 0)
        return MsgId;
    return Locked(FLookupLock, [&] {
        TDomain& domain = FindOrCreateDomain(Domain);
        if (const QString* known = domain.Remembered(MsgId))
            return *known;
        constexpr qsizetype StackUnits = 256;
        char stack[StackUnits * 3];
        std::string heap;
        char* buffer = stack;
        if (MsgId.size() > StackUnits) {
            heap.resize(size_t(MsgId.size()) * 3);
            buffer = heap.data();
        }
        const size_t length = EncodeKey(MsgId, buffer);
        const std::string_view r = domain.Lookup(std::string_view(buffer, length));
        // An empty translation of a text is no translation.
        QString text = r.empty() && length > 0 ? DecodeWithLineBreaks({buffer, length})
                                               : DecodeWithLineBreaks(r);
        domain.Remember(MsgId, text);
        return text;
    });
}

QString TGnuGettextInstance::dngettext(const QString& Domain, const QString& Singular,
                                       const QString& Plural, qint32 Number) {
    const QString key = Singular + QChar(0) + Plural;
    const QString t = dgettext(Domain, key);
    const int index = t == key ? GetPluralForm2EN(Number) : CurrentPluralRule()(Number);
    const QStringList parts = t.split(QChar(0));
    return parts.value(index, parts.last());
}

TGetPluralForm TGnuGettextInstance::CurrentPluralRule() const {
    std::lock_guard<std::mutex> guard(FLookupLock);
    return curGetPluralForm;
}

QString TGnuGettextInstance::GetCurrentLanguage() const {
    std::lock_guard<std::mutex> guard(FLookupLock);
    return curlang;
}

QString TGnuGettextInstance::getcurrenttextdomain() const {
    std::lock_guard<std::mutex> guard(FLookupLock);
    return curmsgdomain;
}

void TGnuGettextInstance::NotifyLanguageListeners(const QString& LanguageCode) {
    // A copy, so that a listener may unregister itself.
    const auto listeners = fWhenNewLanguageListeners;
    for (const auto& l : listeners)
        l->LanguageChanged(LanguageCode);
}

void TGnuGettextInstance::AfterTextDomainChange(const QString&) {}

void TGnuGettextInstance::AfterDomainDirectoryChange(const QString&, const QString&) {}

void TGnuGettextInstance::textdomain(const QString& Domain) {
    {
        std::lock_guard<std::mutex> guard(FLookupLock);
        curmsgdomain = Domain;
    }
    AfterTextDomainChange(Domain);
}

void TGnuGettextInstance::bindtextdomain(const QString& Domain, const QString& Directory) {
    Locked(FLookupLock,
           [&] { FindOrCreateDomain(Domain).AssignDirectory(WithDelimiter(Directory)); });
    AfterDomainDirectoryChange(Domain, Directory);
}

void TGnuGettextInstance::bindtextdomainToFile(const QString& Domain, const QString& FileName) {
    Locked(FLookupLock, [&] { FindOrCreateDomain(Domain).SetFilename(FileName); });
}

void TGnuGettextInstance::UseLanguage(const QString& LanguageCode) {
    QString code = LanguageCode;
    if (code.isEmpty()) {
        code = qEnvironmentVariable("LANG");
        if (code.isEmpty())
            code = SystemLanguageCode();
        const qsizetype dot = code.indexOf(QLatin1Char('.'));
        if (dot >= 0)
            code = code.left(dot);
    }
    Locked(FLookupLock, [&] {
        curlang = code;
        for (auto& [name, domain] : domainlist) {
            (void)name;
            domain->SetLanguageCode(curlang);
        }
        curGetPluralForm = PluralRuleFor(curlang);
    });
    // Outside the lock: listeners may look texts up.
    NotifyLanguageListeners(code);
}

void TGnuGettextInstance::RegisterWhenNewLanguageListener(const TLanguageListenerRef& Listener) {
    fWhenNewLanguageListeners.push_back(Listener);
}

void TGnuGettextInstance::UnregisterWhenNewLanguageListener(const TLanguageListenerRef& Listener) {
    const auto it =
        std::find(fWhenNewLanguageListeners.begin(), fWhenNewLanguageListeners.end(), Listener);
    if (it != fWhenNewLanguageListeners.end())
        fWhenNewLanguageListeners.erase(it);
}

QString TGnuGettextInstance::GetTranslationProperty(const QString& PropertyName) {
    return Locked(FLookupLock, [&] {
        return FindOrCreateDomain(curmsgdomain).GetTranslationProperty(PropertyName);
    });
}

QString TGnuGettextInstance::GetTranslatorNameAndEmail() {
    return GetTranslationProperty(QStringLiteral("LAST-TRANSLATOR"));
}

void TGnuGettextInstance::GetListOfLanguages(const QString& Domain, QStringList& List) {
    Locked(FLookupLock, [&] { FindOrCreateDomain(Domain).GetListOfLanguages(List); });
}

QString TGnuGettextInstance::ComponentText(const QString& Domain, const QString& Value) {
    const QString t = Domain.isEmpty() ? ComponentGettext(*this, Value) : dgettext(Domain, Value);
    if (t.isEmpty())
        return Value;
    return WithLineBreaksOf(Value, t);
}

QString TGnuGettextInstance::ComponentTextOf(const QString& Domain, const QString& Value) {
    return ComponentText(Domain, Value);
}

QString ComponentGettext(TGnuGettextInstance& Instance, const QString& Text) {
    if (!ComponentDomainsLock || !ComponentDomains)
        return Instance.gettext(Text);
    return DomainListLocked(*ComponentDomainsLock, [&] {
        QString r = Text;
        for (const QString& domain : *ComponentDomains) {
            r = Instance.dgettext(domain, Text);
            if (r != Text)
                break;
        }
        return r;
    });
}

QString TranslateResourceText(const QString& Text) {
    if (Text.isEmpty() || !ResourceDomainsLock)
        return Text;
    return DomainListLocked(*ResourceDomainsLock, [&] {
        TGnuGettextInstance* instance = DefaultTranslator;
        QString r = Text;
        if (!instance || !ResourceDomains)
            return r;
        for (const QString& domain : *ResourceDomains) {
            r = instance->dgettext(domain, Text);
            if (r != Text)
                break;
        }
        return r;
    });
}

// ---------------------------------------------------------------- window-text settings

namespace {
using TClassList = std::vector<TClassMode>;

TClassList::iterator Matching(TClassList& list, const QMetaObject* cls) {
    return std::find_if(list.begin(), list.end(),
                        [cls](const TClassMode& m) { return m.HClass == cls; });
}

// The first entry for an ancestor of Cls: a new entry for Cls goes before it,
// so that a walk from the front meets the most derived class first.
TClassList::iterator FirstAncestor(TClassList& list, const QMetaObject* cls) {
    return std::find_if(list.begin(), list.end(), [cls](const TClassMode& m) {
        return m.HClass != cls && cls->inherits(m.HClass);
    });
}

void InsertMode(TClassList& list, TClassMode mode) {
    const auto at = FirstAncestor(list, mode.HClass);
    list.insert(at, std::move(mode));
}

void NeedClass(const QMetaObject* cls) {
    if (!cls)
        throw EGGProgrammingError(QStringLiteral("A class is needed here."));
}

void AddSorted(QStringList& list, const QString& name) {
    const auto pos =
        std::lower_bound(list.begin(), list.end(), name, [](const QString& a, const QString& b) {
            return a.compare(b, Qt::CaseInsensitive) < 0;
        });
    list.insert(pos, name);
}

bool ContainsName(const QStringList& list, const QString& name) {
    return list.contains(name, Qt::CaseInsensitive);
}

QString ClassName(const QMetaObject* cls) {
    return QString::fromLatin1(cls->className());
}
} // namespace

bool TGnuGettextInstance::TP_TryGlobalIgnoreClass(const QMetaObject* IgnClass) {
    NeedClass(IgnClass);
    if (Matching(FTP_GlobalClassHandling, IgnClass) != FTP_GlobalClassHandling.end())
        return false;
    InsertMode(FTP_GlobalClassHandling, TClassMode{IgnClass, {}, {}});
    return true;
}

void TGnuGettextInstance::TP_GlobalIgnoreClass(const QMetaObject* IgnClass) {
    if (!TP_TryGlobalIgnoreClass(IgnClass))
        throw EGGProgrammingError(
            QStringLiteral("You cannot add a class to the ignore list that is already on that "
                           "list: %1. You should keep all TP_Global functions in one place in "
                           "your source code.")
                .arg(ClassName(IgnClass)));
}

void TGnuGettextInstance::TP_GlobalIgnoreClassProperty(const QMetaObject* IgnClass,
                                                       const QString& PropertyName) {
    NeedClass(IgnClass);
    const QString name = PropertyName.toUpper();
    for (auto it = FTP_GlobalClassHandling.begin(); it != FTP_GlobalClassHandling.end(); ++it) {
        if (it->HClass == IgnClass) {
            if (it->SpecialHandler)
                throw EGGProgrammingError(QStringLiteral(
                    "You cannot ignore a class property for a class that has a handler set."));
            if (!ContainsName(it->PropertiesToIgnore, name))
                AddSorted(it->PropertiesToIgnore, name);
            return;
        }
        if (IgnClass->inherits(it->HClass)) {
            FTP_GlobalClassHandling.insert(it, TClassMode{IgnClass, {}, QStringList{name}});
            return;
        }
    }
    FTP_GlobalClassHandling.push_back(TClassMode{IgnClass, {}, QStringList{name}});
}

void TGnuGettextInstance::TP_GlobalHandleClass(const QMetaObject* HClass,
                                               const TTranslator& Handler) {
    NeedClass(HClass);
    if (Matching(FTP_GlobalClassHandling, HClass) != FTP_GlobalClassHandling.end())
        throw EGGProgrammingError(QStringLiteral(
            "You cannot set a handler for a class that has already been assigned otherwise."));
    InsertMode(FTP_GlobalClassHandling, TClassMode{HClass, Handler, {}});
}

void TGnuGettextInstance::TP_IgnoreClass(const QMetaObject* IgnClass) {
    NeedClass(IgnClass);
    if (Matching(TP_ClassHandling, IgnClass) != TP_ClassHandling.end())
        throw EGGProgrammingError(QStringLiteral("You cannot add a class to the ignore list that "
                                                 "is already on that list: %1.")
                                      .arg(ClassName(IgnClass)));
    InsertMode(TP_ClassHandling, TClassMode{IgnClass, {}, {}});
}

void TGnuGettextInstance::TP_IgnoreClassProperty(const QMetaObject* IgnClass,
                                                 const QString& PropertyName) {
    NeedClass(IgnClass);
    const QString name = PropertyName.toUpper();
    const auto it = Matching(TP_ClassHandling, IgnClass);
    if (it != TP_ClassHandling.end()) {
        if (it->SpecialHandler)
            throw EGGProgrammingError(QStringLiteral(
                "You cannot ignore a class property for a class that has a handler set."));
        if (ContainsName(it->PropertiesToIgnore, name))
            throw EGGProgrammingError(QStringLiteral("String list does not allow duplicates"));
        AddSorted(it->PropertiesToIgnore, name);
        return;
    }
    InsertMode(TP_ClassHandling, TClassMode{IgnClass, {}, QStringList{name}});
}

void TGnuGettextInstance::TP_Ignore(QObject* AnObject, const QString& Name) {
    const QString key = Name.toUpper();
    if (!TP_IgnoreList.contains(key)) {
        TP_IgnoreList << key;
        TP_IgnoreList.sort();
    }
    DebugLog(
        QStringLiteral("On object with class name %1, ignore is set on %2")
            .arg(AnObject ? QString::fromLatin1(AnObject->metaObject()->className()) : QString(),
                 key),
        4);
}

void TGnuGettextInstance::TP_Remember(QObject* AnObject, const QString& PropName,
                                      const QString& OldValue) {
    if (!TP_Retranslator)
        throw EGGProgrammingError(
            QStringLiteral("You can only call TP_Remember when doing the initial translation "
                           "(TP_Retranslator is not set)."));
    TP_Retranslator->Remember(AnObject, PropName, OldValue);
}

// ---------------------------------------------------------------- retranslation

TTP_Retranslator::TTP_Retranslator(TGnuGettextInstance* instance) : Instance(instance) {
    if (RetranslatorRegistry)
        RetranslatorRegistry->push_back(this);
}

TTP_Retranslator::~TTP_Retranslator() {
    if (RetranslatorRegistry)
        std::erase(*RetranslatorRegistry, this);
    // A walk that ended with an error leaves its retranslator current; it
    // must not be used once gone.
    if (Instance && Instance->TP_Retranslator == this)
        Instance->TP_Retranslator = nullptr;
}

void TTP_Retranslator::Remember(QObject* obj, const QString& PropName, const QString& OldValue) {
    list.push_back(TTP_RetranslatorItem{obj, PropName, OldValue, {}, false});
    if (HookedObjectRegistry)
        HookedObjectRegistry->Proxify(obj);
}

void TTP_Retranslator::RememberLines(QObject* obj, const QString& PropName,
                                     const QStringList& OldLines) {
    list.push_back(
        TTP_RetranslatorItem{obj, PropName, OldLines.join(QLatin1Char('\n')), OldLines, true});
    if (HookedObjectRegistry)
        HookedObjectRegistry->Proxify(obj);
}

void TTP_Retranslator::Forget(const QObject* obj) {
    std::erase_if(list, [obj](const TTP_RetranslatorItem& i) { return i.obj == obj; });
}

void TTP_Retranslator::Execute() {
    if (!Instance || FExecuting)
        return;
    FExecuting = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{FExecuting};
    const bool viaComponentDomains = TextDomain.isEmpty() || TextDomain == QLatin1String("default");
    auto translate = [&](const QString& text) {
        if (text.isEmpty())
            return text;
        return Instance->ComponentTextOf(viaComponentDomains ? QString() : TextDomain, text);
    };
    // A copy: a retranslated text may not remove items, but another
    // retranslator run from here may.
    const std::vector<TTP_RetranslatorItem> items = list;
    for (const TTP_RetranslatorItem& item : items) {
        if (TGnuGettextComponentMarker* m = FindMarker(item.obj);
            m && m->Retranslator && m->Retranslator.get() != this) {
            m->Retranslator->Execute();
            continue;
        }
        const QMetaObject* mo = item.obj->metaObject();
        const int index = mo->indexOfProperty(item.Propname.toLatin1().constData());
        if (item.IsStringList) {
            QStringList lines;
            for (const QString& line : item.OldLines)
                lines << translate(line);
            if (index >= 0)
                mo->property(index).write(item.obj, lines);
            else if (ItemTextsWriter)
                ItemTextsWriter(item.obj, lines);
        } else if (index >= 0) {
            // Written even when unchanged: back to an untranslated language
            // restores the original.
            mo->property(index).write(item.obj, translate(item.OldValue));
        }
    }
}

TGnuGettextComponentMarker::TGnuGettextComponentMarker() {
    setObjectName(QStringLiteral("GNUgettextMarker"));
}

TGnuGettextComponentMarker::~TGnuGettextComponentMarker() = default;

TGnuGettextComponentMarker* FindMarker(const QObject* component) {
    if (!component)
        return nullptr;
    for (QObject* child : component->children())
        if (child->objectName() == QLatin1String("GNUgettextMarker"))
            if (auto* marker = qobject_cast<TGnuGettextComponentMarker*>(child))
                return marker;
    return nullptr;
}

THookedObjects::~THookedObjects() {
    for (const QMetaObject::Connection& c : std::as_const(FObjects))
        QObject::disconnect(c);
}

void THookedObjects::Proxify(QObject* obj) {
    if (!obj || FObjects.contains(obj))
        return;
    // Emitted while the object is torn down; only its address is used.
    FObjects.insert(obj, QObject::connect(obj, &QObject::destroyed, [this, obj] {
                        if (RetranslatorRegistry)
                            for (TTP_Retranslator* r : *RetranslatorRegistry)
                                r->Forget(obj);
                        FObjects.remove(obj);
                    }));
}

void THookedObjects::Unproxify(QObject* obj) {
    const auto it = FObjects.find(obj);
    if (it == FObjects.end())
        return;
    QObject::disconnect(it.value());
    FObjects.erase(it);
}

} // namespace GnuGettext
