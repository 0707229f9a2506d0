#include "localisation/GnuGettextInstance.h"

#include "localisation/FileLocator.h"
#include "localisation/GnuGettextErrors.h"
#include "localisation/MoFile.h"
#include "platform/Platform.h"
#include "support/DebugLog.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QMetaObject>
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
        DebugLog(QStringLiteral("Domain %1 is bound to specific file %2").arg(Domain, fileName), 3);
    } else {
        fileName =
            vDirectory + curlang + QStringLiteral("/LC_MESSAGES/") + Domain + QStringLiteral(".mo");
        if (FLocator.FileExists(fileName)) {
            DebugLog(QStringLiteral("Domain %1 will attempt to use this embedded file: %2")
                         .arg(Domain, fileName),
                     3);
        } else if (QFileInfo(fileName).isFile()) {
            DebugLog(
                QStringLiteral(
                    "Domain %1 will attempt to use this file that was found on the file system: %2")
                    .arg(Domain, fileName),
                3);
        } else {
            DebugLog(QStringLiteral(
                         "Domain %1: File does not exist, neither embedded or in file system: %2")
                         .arg(Domain, fileName),
                     3);
            fileName = vDirectory + curlang.left(2) + QStringLiteral("/LC_MESSAGES/") + Domain +
                       QStringLiteral(".mo");
            DebugLog(
                QStringLiteral("Domain %1 will attempt to use this file: %2").arg(Domain, fileName),
                3);
        }
    }
    if (!Exists(fileName)) {
        DebugLog(QStringLiteral("Domain %1 failed to locate the file: %2").arg(Domain, fileName),
                 0);
        FOpenHasFailedBefore = true;
        return;
    }
    DebugLog(QStringLiteral("Domain %1 now accesses the file.").arg(Domain), 3);
    mofile = FLocator.GetMoFile(fileName);
    if (mofile->doswap())
        DebugLog(QStringLiteral(".mo file is swapped (comes from another CPU architecture)"), 0);
    const QString contentType = GetTranslationProperty(QStringLiteral("Content-Type"));
    if (!contentType.toUpper().contains(QLatin1String("CHARSET=UTF-8"))) {
        ReleaseCatalogue();
        const QString text =
            QStringLiteral(
                "The translation for the language code %1 (in %2) does not have charset=utf-8 "
                "in its Content-Type. Translations are turned off.")
                .arg(curlang, fileName);
        DebugLog(text, 0);
        CurrentPlatform().MessageBox(BoxKind::Plain, QStringLiteral("Localization problem"), text,
                                     BtnOk, BtnOk);
        Enabled = false;
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
}

TGnuGettextInstance::~TGnuGettextInstance() {
    TP_IgnoreList.clear();
    TP_ClassHandling.clear();
    FTP_GlobalClassHandling.clear();
    domainlist.clear();
    fWhenNewLanguageListeners.clear();
}

TDomain* TGnuGettextInstance::FindDomain(const QString& Name) const {
    for (const auto& [name, domain] : domainlist)
        if (name == Name)
            return domain.get();
    for (const auto& [name, domain] : domainlist)
        if (name.compare(Name, Qt::CaseInsensitive) == 0)
            return domain.get();
    return nullptr;
}

TDomain& TGnuGettextInstance::FindOrCreateDomain(const QString& Name) {
    if (TDomain* d = FindDomain(Name))
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
    return dgettext(curmsgdomain, MsgId);
}

QString TGnuGettextInstance::ngettext(const QString& Singular, const QString& Plural,
                                      qint32 Number) {
    return dngettext(curmsgdomain, Singular, Plural, Number);
}

QString TGnuGettextInstance::dgettext(const QString& Domain, const QString& MsgId) {
    if (!Enabled)
        return MsgId;
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
    QString text = DecodeWithLineBreaks(domain.Lookup(std::string_view(buffer, length)));
    domain.Remember(MsgId, text);
    return text;
}

QString TGnuGettextInstance::dngettext(const QString& Domain, const QString& Singular,
                                       const QString& Plural, qint32 Number) {
    const QString key = Singular + QChar(0) + Plural;
    const QString t = dgettext(Domain, key);
    const int index = t == key ? GetPluralForm2EN(Number) : curGetPluralForm(Number);
    const QStringList parts = t.split(QChar(0));
    return parts.value(index, parts.last());
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
    curmsgdomain = Domain;
    AfterTextDomainChange(Domain);
}

void TGnuGettextInstance::bindtextdomain(const QString& Domain, const QString& Directory) {
    FindOrCreateDomain(Domain).AssignDirectory(WithDelimiter(Directory));
    AfterDomainDirectoryChange(Domain, Directory);
}

void TGnuGettextInstance::bindtextdomainToFile(const QString& Domain, const QString& FileName) {
    FindOrCreateDomain(Domain).SetFilename(FileName);
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
    curlang = code;
    for (auto& [name, domain] : domainlist) {
        (void)name;
        domain->SetLanguageCode(curlang);
    }
    curGetPluralForm = PluralRuleFor(curlang);
    NotifyLanguageListeners(curlang);
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
    return FindOrCreateDomain(curmsgdomain).GetTranslationProperty(PropertyName);
}

QString TGnuGettextInstance::GetTranslatorNameAndEmail() {
    return GetTranslationProperty(QStringLiteral("LAST-TRANSLATOR"));
}

void TGnuGettextInstance::GetListOfLanguages(const QString& Domain, QStringList& List) {
    FindOrCreateDomain(Domain).GetListOfLanguages(List);
}

void TGnuGettextInstance::TP_GlobalIgnoreClassProperty(const QMetaObject* IgnClass,
                                                       const QString& PropertyName) {
    if (!IgnClass)
        throw EGGProgrammingError(QStringLiteral("TP_GlobalIgnoreClassProperty needs a class."));
    const QString name = PropertyName.toUpper();
    for (auto it = FTP_GlobalClassHandling.begin(); it != FTP_GlobalClassHandling.end(); ++it) {
        if (it->HClass == IgnClass) {
            if (it->SpecialHandler)
                throw EGGProgrammingError(QStringLiteral(
                    "You cannot ignore a class property for a class that has a handler set."));
            const auto pos =
                std::lower_bound(it->PropertiesToIgnore.begin(), it->PropertiesToIgnore.end(), name,
                                 [](const QString& a, const QString& b) {
                                     return a.compare(b, Qt::CaseInsensitive) < 0;
                                 });
            if (pos == it->PropertiesToIgnore.end() || pos->compare(name, Qt::CaseInsensitive) != 0)
                it->PropertiesToIgnore.insert(pos, name);
            return;
        }
        if (IgnClass->inherits(it->HClass)) {
            FTP_GlobalClassHandling.insert(it, TClassMode{IgnClass, {}, QStringList{name}});
            return;
        }
    }
    FTP_GlobalClassHandling.push_back(TClassMode{IgnClass, {}, QStringList{name}});
}

} // namespace GnuGettext
