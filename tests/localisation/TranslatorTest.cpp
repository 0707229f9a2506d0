#include "LocalisationTestSupport.h"

#include "common/FakePlatform.h"
#include "localisation/FileLocator.h"
#include "localisation/GnuGettextErrors.h"
#include "localisation/GnuGettextInstance.h"
#include "localisation/MoFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <memory>

using namespace GnuGettext;
using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;

namespace {

// A program folder with catalogues below locale/, a locator over it and its translator.
class TranslatorTest : public ::testing::Test {
protected:
    QTemporaryDir Dir;
    ScopedFakePlatform Platform;
    LogCapture Log;
    std::unique_ptr<TFileLocator> Locator;
    std::unique_ptr<TGnuGettextInstance> Translator;

    QString Root() const { return QDir(Dir.path()).absolutePath() + QLatin1Char('/'); }
    QString CataloguePath(const QString& code,
                          const QString& domain = QStringLiteral("default")) const {
        return Root() + QStringLiteral("locale/") + code + QStringLiteral("/LC_MESSAGES/") +
               domain + QStringLiteral(".mo");
    }
    void Put(const QString& code, const QByteArray& mo,
             const QString& domain = QStringLiteral("default")) {
        ASSERT_FALSE(mo.isEmpty());
        WriteFile(CataloguePath(code, domain), mo);
    }
    void Start(const QString& language) {
        Translator.reset();
        Locator = std::make_unique<TFileLocator>(Root() + QStringLiteral("designer"));
        Locator->Analyze();
        Translator = std::make_unique<TGnuGettextInstance>(*Locator);
        Translator->UseLanguage(language);
        Log.Lines.clear();
    }
    void TearDown() override {
        Translator.reset();
        if (Locator) {
            EXPECT_EQ(Locator->OpenCatalogues(), 0);
        }
    }
    QString T(const QString& msgId) { return Translator->gettext(msgId); }
};

struct RecordingListener : IGnuGettextInstanceWhenNewLanguageListener {
    RecordingListener(QStringList& calls, QString name) : Calls(calls), Name(std::move(name)) {}
    void LanguageChanged(const QString& code) override { Calls << Name + QLatin1Char(':') + code; }
    QStringList& Calls;
    QString Name;
};

} // namespace

TEST_F(TranslatorTest, RegionalCodeFallsBackToTheLanguageWithBothLogLines) {
    Put(QStringLiteral("de"), CompileCatalogue(GermanPo()));
    Start(QStringLiteral("de_AT"));
    EXPECT_EQ(T(QStringLiteral("Open")), QStringLiteral("Öffnen"));
    EXPECT_THAT(
        Log.Lines,
        ElementsAre(QStringLiteral("DEBUG3: Domain default: File does not exist, neither "
                                   "embedded or in file system: ") +
                        CataloguePath(QStringLiteral("de_AT")),
                    QStringLiteral("DEBUG3: Domain default will attempt to use this file: ") +
                        CataloguePath(QStringLiteral("de")),
                    QStringLiteral("DEBUG3: Domain default now accesses the file.")));
    // Once open, lookups log nothing more.
    Log.Lines.clear();
    EXPECT_EQ(T(QStringLiteral("Open file")), QStringLiteral("Datei öffnen"));
    EXPECT_TRUE(Log.Lines.isEmpty());

    // With a catalogue of the whole code, that one is used and there is no fallback.
    Put(QStringLiteral("de_AT"),
        CompileCatalogue(PoHeader() + "msgid \"Open\"\nmsgstr \"Aufmachen\"\n"));
    Translator->UseLanguage(QStringLiteral("de_AT"));
    EXPECT_EQ(T(QStringLiteral("Open")), QStringLiteral("Aufmachen"));
    EXPECT_THAT(Log.Lines,
                ElementsAre(QStringLiteral("DEBUG3: Domain default will attempt to use this file "
                                           "that was found on the file system: ") +
                                CataloguePath(QStringLiteral("de_AT")),
                            QStringLiteral("DEBUG3: Domain default now accesses the file.")));
}

TEST_F(TranslatorTest, CatalogueSearchByLanguageCode) {
    Put(QStringLiteral("de"), CompileCatalogue(GermanPo()));
    Put(QStringLiteral("pt"), CompileCatalogue(PoHeader() + "msgid \"Open\"\nmsgstr \"Abrir\"\n"));
    Put(QStringLiteral("fr_CA"),
        CompileCatalogue(PoHeader() + "msgid \"Open\"\nmsgstr \"Ouvrir\"\n"));
    struct Case {
        const char* Language;
        const char* Expected;
        const char* Tried; // the code whose file is used; empty: none found
    };
    const Case cases[] = {
        {"de", "Öffnen", "de"},
        {"de_DE", "Öffnen", "de"},
        {"de_CH.UTF-8", "Öffnen", "de"},
        {"pt_BR.UTF-8", "Abrir", "pt"},
        {"fr_CA", "Ouvrir", "fr_CA"},
        {"fr_FR", "Open", ""},
        {"fr", "Open", ""},
        {"C", "Open", ""},
    };
    Start(QStringLiteral("en"));
    for (const auto& c : cases) {
        Translator->UseLanguage(QString::fromUtf8(c.Language));
        Log.Lines.clear();
        EXPECT_EQ(T(QStringLiteral("Open")), QString::fromUtf8(c.Expected)) << c.Language;
        const QString tried = QString::fromUtf8(c.Tried);
        if (!tried.isEmpty()) {
            EXPECT_EQ(Log.Lines.last(),
                      QStringLiteral("DEBUG3: Domain default now accesses the file."));
            EXPECT_EQ(Log.Lines.filter(CataloguePath(tried)).size(), 1) << c.Language;
        } else {
            const QString fallback = CataloguePath(QString::fromUtf8(c.Language).left(2));
            EXPECT_EQ(Log.Lines.last(),
                      QStringLiteral("ERROR: Domain default failed to locate the file: ") +
                          fallback)
                << c.Language;
            // The failed search is not repeated for the same binding and language...
            Log.Lines.clear();
            EXPECT_EQ(T(QStringLiteral("Open file")), QStringLiteral("Open file"));
            EXPECT_TRUE(Log.Lines.isEmpty()) << c.Language;
            EXPECT_TRUE(Translator->FindDomain(QStringLiteral("default"))->OpenHasFailedBefore());
        }
    }
    // ...but a new binding searches again.
    Translator->bindtextdomain(QStringLiteral("default"), Root() + QStringLiteral("locale"));
    Log.Lines.clear();
    T(QStringLiteral("Open"));
    EXPECT_FALSE(Log.Lines.isEmpty());

    // A domain bound to one file says so.
    const QString file = CataloguePath(QStringLiteral("de"));
    Translator->bindtextdomainToFile(QStringLiteral("single"), file);
    Log.Lines.clear();
    EXPECT_EQ(Translator->dgettext(QStringLiteral("single"), QStringLiteral("Open")),
              QStringLiteral("Öffnen"));
    EXPECT_THAT(
        Log.Lines,
        ElementsAre(QStringLiteral("DEBUG3: Domain single is bound to specific file ") + file,
                    QStringLiteral("DEBUG3: Domain single now accesses the file.")));
}

TEST_F(TranslatorTest, BigEndianCatalogueTranslatesLikeItsTwinAndIsLogged) {
    Put(QStringLiteral("pl"), CompileCatalogue(PolishPo(), Endian::Little));
    Put(QStringLiteral("pl"), CompileCatalogue(PolishPo(), Endian::Big), QStringLiteral("big"));
    Start(QStringLiteral("pl"));
    for (qint32 n : {0, 1, 2, 5, 12, 22, -22, 1000001}) {
        EXPECT_EQ(Translator->dngettext(QStringLiteral("big"), QStringLiteral("file"),
                                        QStringLiteral("files"), n),
                  Translator->ngettext(QStringLiteral("file"), QStringLiteral("files"), n))
            << n;
    }
    EXPECT_EQ(Translator->dgettext(QStringLiteral("big"), QStringLiteral("Open")),
              T(QStringLiteral("Open")));
    EXPECT_EQ(Log.Lines.filter(QStringLiteral("swapped")),
              QStringList{QStringLiteral(
                  "ERROR: .mo file is swapped (comes from another CPU architecture)")});
}

TEST_F(TranslatorTest, CatalogueWithoutUtf8CharsetTurnsTheDomainOff) {
    struct Case {
        const char* What;
        QString Po;
        bool Refused;
    };
    const Case cases[] = {
        {"latin-1", PoHeader(QStringLiteral("ISO-8859-1")) + "msgid \"Open\"\nmsgstr \"Ouvrir\"\n",
         true},
        {"no header", QStringLiteral("msgid \"Open\"\nmsgstr \"Ouvrir\"\n"), true},
        {"lower case utf-8",
         PoHeader(QStringLiteral("utf-8")) + "msgid \"Open\"\nmsgstr \"Ouvrir\"\n", false},
    };
    for (const auto& c : cases) {
        Platform.Fake.Boxes.clear();
        Put(QStringLiteral("fr"), CompileCatalogue(c.Po));
        Put(QStringLiteral("pl"), CompileCatalogue(PolishPo()));
        Start(QStringLiteral("fr"));
        const QString text =
            QStringLiteral("The translation for the language code fr (in %1) does not "
                           "have charset=utf-8 in its Content-Type. Translations are "
                           "turned off.")
                .arg(CataloguePath(QStringLiteral("fr")));
        if (!c.Refused) {
            EXPECT_EQ(T(QStringLiteral("Open")), QStringLiteral("Ouvrir")) << c.What;
            EXPECT_TRUE(Platform.Fake.Boxes.empty()) << c.What;
            continue;
        }
        EXPECT_EQ(T(QStringLiteral("Open")), QStringLiteral("Open")) << c.What;
        ASSERT_EQ(Platform.Fake.Boxes.size(), 1u) << c.What;
        EXPECT_EQ(Platform.Fake.Boxes[0].Caption, QStringLiteral("Localization problem"));
        EXPECT_EQ(Platform.Fake.Boxes[0].Text, text);
        EXPECT_EQ(Platform.Fake.Boxes[0].Buttons, int(BtnOk));
        EXPECT_TRUE(Log.Lines.contains(QStringLiteral("ERROR: ") + text)) << c.What;
        EXPECT_EQ(Locator->OpenCatalogues(), 0) << "the refused catalogue is released";

        // Off for the rest of the run: texts come back unchanged (line breaks
        // still normalised), no second box, not even after a language change.
        EXPECT_EQ(T(QStringLiteral("a\nb")), QStringLiteral("a\r\nb"));
        Translator->UseLanguage(QStringLiteral("pl"));
        EXPECT_EQ(T(QStringLiteral("Open")), QStringLiteral("Open")) << c.What;
        EXPECT_EQ(Translator->GetTranslationProperty(QStringLiteral("Content-Type")), QString());
        EXPECT_EQ(Platform.Fake.Boxes.size(), 1u);
        // Another domain is not affected.
        Translator->bindtextdomainToFile(QStringLiteral("other"),
                                         CataloguePath(QStringLiteral("pl")));
        EXPECT_EQ(Translator->dgettext(QStringLiteral("other"), QStringLiteral("Open")),
                  QStringLiteral("Otwórz"));
    }
}

TEST_F(TranslatorTest, PolishCatalogueChoosesAmongThreeForms) {
    Put(QStringLiteral("pl"), CompileCatalogue(PolishPo()));
    // The same language with a catalogue that gives only two forms.
    Put(QStringLiteral("pl"),
        CompileCatalogue(
            PoHeader() +
            "msgid \"dog\"\nmsgid_plural \"dogs\"\nmsgstr[0] \"pies\"\nmsgstr[1] \"psy\"\n"),
        QStringLiteral("short"));
    Start(QStringLiteral("pl_PL"));
    struct Case {
        qint32 N;
        const char* Form;
    };
    const Case cases[] = {{1, "plik"},    {2, "pliki"},    {4, "pliki"},    {5, "plików"},
                          {12, "plików"}, {22, "pliki"},   {-22, "pliki"},  {0, "plików"},
                          {-1, "plik"},   {112, "plików"}, {1024, "pliki"}, {111, "plików"}};
    for (const auto& c : cases) {
        EXPECT_EQ(Translator->ngettext(QStringLiteral("file"), QStringLiteral("files"), c.N),
                  QString::fromUtf8(c.Form))
            << c.N;
        EXPECT_EQ(Translator->dngettext(QStringLiteral("DEFAULT"), QStringLiteral("file"),
                                        QStringLiteral("files"), c.N),
                  QString::fromUtf8(c.Form))
            << c.N;
    }
    // The whole entry, forms separated by NUL, is what the catalogue holds.
    EXPECT_EQ(T(QStringLiteral("file") + QChar(0) + QStringLiteral("files")),
              QStringLiteral("plik") + QChar(0) + QStringLiteral("pliki") + QChar(0) +
                  QStringLiteral("plików"));
    // Fewer forms than the rule's index: the last form.
    const QString sh = QStringLiteral("short");
    EXPECT_EQ(Translator->dngettext(sh, QStringLiteral("dog"), QStringLiteral("dogs"), 1),
              QStringLiteral("pies"));
    EXPECT_EQ(Translator->dngettext(sh, QStringLiteral("dog"), QStringLiteral("dogs"), 3),
              QStringLiteral("psy"));
    EXPECT_EQ(Translator->dngettext(sh, QStringLiteral("dog"), QStringLiteral("dogs"), 5),
              QStringLiteral("psy"));
    // Untranslated pairs follow the first rule, whatever the language, with |n|.
    EXPECT_EQ(Translator->ngettext(QStringLiteral("cat"), QStringLiteral("cats"), 5),
              QStringLiteral("cats"));
    EXPECT_EQ(Translator->ngettext(QStringLiteral("cat"), QStringLiteral("cats"), 1),
              QStringLiteral("cat"));
    EXPECT_EQ(Translator->ngettext(QStringLiteral("cat"), QStringLiteral("cats"), -1),
              QStringLiteral("cat"));
    EXPECT_EQ(Translator->ngettext(QStringLiteral("cat"), QStringLiteral("cats"), -2),
              QStringLiteral("cats"));

    // An untranslated pair with a line break never equals its normalised
    // result, so the language's rule picks the form: French takes 0 for n = 0.
    Translator->UseLanguage(QStringLiteral("fr"));
    EXPECT_EQ(Translator->ngettext(QStringLiteral("one\nfile"), QStringLiteral("some\nfiles"), 0),
              QStringLiteral("one\r\nfile"));
    EXPECT_EQ(Translator->ngettext(QStringLiteral("file"), QStringLiteral("files"), 0),
              QStringLiteral("files"));
}

TEST_F(TranslatorTest, LookupsNormaliseLineBreaks) {
    Put(QStringLiteral("de"),
        CompileCatalogue(GermanPo() +
                         QStringLiteral("\nmsgid \"Smile 😀 ä\"\nmsgstr \"Lächeln 😀\"\n\n"
                                        "msgid \"%1\\n\"\nmsgstr \"lang\\n\"\n")
                             .arg(QString(300, QChar(0xe4)))));
    Start(QStringLiteral("de"));
    struct Case {
        QString In;
        QString Out;
    };
    const Case cases[] = {
        {QStringLiteral("Line one\nLine two"), QStringLiteral("Zeile eins\r\nZeile zwei")},
        {QStringLiteral("Line one\r\nLine two"), QStringLiteral("Zeile eins\r\nZeile zwei")},
        {QStringLiteral("Line one\rLine two"), QStringLiteral("Line oneLine two")},
        {QStringLiteral("a\nb"), QStringLiteral("a\r\nb")},
        {QStringLiteral("\nx\n"), QStringLiteral("\r\nx\r\n")},
        {QStringLiteral("a\n\n\r\nb"), QStringLiteral("a\r\n\r\n\r\nb")},
        {QStringLiteral("a\r"), QStringLiteral("a")},
        {QStringLiteral("Smile 😀 ä"), QStringLiteral("Lächeln 😀")},
        {QString(300, QChar(0xe4)) + QStringLiteral("\r\n"), QStringLiteral("lang\r\n")},
        {QString(300, QChar(0xe4)) + QChar(0xe4), QString(301, QChar(0xe4))},
    };
    for (const auto& c : cases)
        EXPECT_EQ(T(c.In), c.Out) << c.In.toStdString();

    // The empty text is the header, with CRLF line breaks.
    const QString header = T(QString());
    EXPECT_TRUE(header.contains(QStringLiteral("Content-Type: text/plain; charset=UTF-8\r\n")));
    EXPECT_EQ(header.count(QLatin1Char('\n')), header.count(QStringLiteral("\r\n")));
    EXPECT_EQ(Translator->GetTranslatorNameAndEmail(),
              QStringLiteral("Anna Berger <anna@example.org>"));
    EXPECT_EQ(Translator->GetTranslationProperty(QStringLiteral("content-TYPE")),
              QStringLiteral("text/plain; charset=UTF-8"));
    EXPECT_EQ(Translator->GetTranslationProperty(QStringLiteral("X-Nothing")), QString());

    // Without a catalogue the empty text stays empty, others only get their line breaks.
    Translator->UseLanguage(QStringLiteral("sv"));
    EXPECT_EQ(T(QString()), QString());
    EXPECT_EQ(T(QStringLiteral("a\nb")), QStringLiteral("a\r\nb"));
    EXPECT_EQ(Translator->GetTranslatorNameAndEmail(), QString());

    // Switched off, the translator hands texts back untouched.
    Translator->UseLanguage(QStringLiteral("de"));
    Translator->Enabled = false;
    EXPECT_EQ(T(QStringLiteral("a\nb")), QStringLiteral("a\nb"));
    EXPECT_EQ(T(QStringLiteral("Open")), QStringLiteral("Open"));
    EXPECT_EQ(Locator->OpenCatalogues(), 0) << "no catalogue is touched while off";
}

TEST_F(TranslatorTest, UseLanguageTakesLangCutAtTheEncodingOrTheSystemCode) {
    Put(QStringLiteral("pt"), CompileCatalogue(PoHeader() + "msgid \"Open\"\nmsgstr \"Abrir\"\n"));
    const QByteArray ptBr("pt_BR.UTF-8");
    {
        EnvGuard lang("LANG", &ptBr);
        Start(QString());
        EXPECT_EQ(Translator->GetCurrentLanguage(), QStringLiteral("pt_BR"));
        EXPECT_EQ(Translator->CurrentPluralRule()(0), 0) << "pt_BR takes the French rule";
        EXPECT_EQ(Translator->FindDomain(QStringLiteral("default"))->curlang,
                  QStringLiteral("pt_BR"));
        EXPECT_EQ(T(QStringLiteral("Open")), QStringLiteral("Abrir"));

        // A code from the caller is taken whole.
        Translator->UseLanguage(QStringLiteral("pt_BR.UTF-8"));
        EXPECT_EQ(Translator->GetCurrentLanguage(), QStringLiteral("pt_BR.UTF-8"));
        EXPECT_EQ(Translator->CurrentPluralRule()(0), 1) << "only the whole pt_BR is French";
        EXPECT_EQ(T(QStringLiteral("Open")), QStringLiteral("Abrir"));
        EXPECT_TRUE(Log.Lines.contains(
            QStringLiteral(
                "DEBUG3: Domain default: File does not exist, neither embedded or in file "
                "system: ") +
            CataloguePath(QStringLiteral("pt_BR.UTF-8"))));
    }
    const QByteArray withModifier("de_DE.ISO-8859-15@euro");
    {
        EnvGuard lang("LANG", &withModifier);
        Translator->UseLanguage(QString());
        EXPECT_EQ(Translator->GetCurrentLanguage(), QStringLiteral("de_DE"));
    }
    const QByteArray empty;
    for (const QByteArray* value : {static_cast<const QByteArray*>(nullptr), &empty}) {
        EnvGuard lang("LANG", value);
        Translator->UseLanguage(QString());
        EXPECT_EQ(Translator->GetCurrentLanguage(), SystemLanguageCode());
        EXPECT_FALSE(Translator->GetCurrentLanguage().isEmpty());
        EXPECT_FALSE(Translator->GetCurrentLanguage().contains(QLatin1Char('.')));
    }
}

TEST_F(TranslatorTest, LanguageChangeReachesEveryDomainAndListenerInOrder) {
    Start(QStringLiteral("en"));
    QStringList calls;
    auto first = std::make_shared<RecordingListener>(calls, QStringLiteral("first"));
    auto second = std::make_shared<RecordingListener>(calls, QStringLiteral("second"));
    Translator->RegisterWhenNewLanguageListener(first);
    Translator->RegisterWhenNewLanguageListener(second);
    Translator->bindtextdomain(QStringLiteral("help"), Root() + QStringLiteral("help"));
    Translator->UseLanguage(QStringLiteral("cs"));
    Translator->UseLanguage(QStringLiteral("sl"));
    Translator->UnregisterWhenNewLanguageListener(first);
    Translator->UseLanguage(QStringLiteral("lt"));
    EXPECT_THAT(calls, ElementsAre(QStringLiteral("first:cs"), QStringLiteral("second:cs"),
                                   QStringLiteral("first:sl"), QStringLiteral("second:sl"),
                                   QStringLiteral("second:lt")));
    EXPECT_EQ(Translator->FindDomain(QStringLiteral("help"))->curlang, QStringLiteral("lt"));
    EXPECT_EQ(Translator->FindDomain(QStringLiteral("help"))->vDirectory,
              Root() + QStringLiteral("help/"));
    EXPECT_EQ(Translator->FindDomain(QStringLiteral("Default"))->curlang, QStringLiteral("lt"));
    // A domain made on demand starts in the current language below the default folder.
    Translator->dgettext(QStringLiteral("fresh"), QStringLiteral("x"));
    EXPECT_EQ(Translator->FindDomain(QStringLiteral("fresh"))->curlang, QStringLiteral("lt"));
    EXPECT_EQ(Translator->FindDomain(QStringLiteral("fresh"))->vDirectory,
              Root() + QStringLiteral("locale/"));

    // The rule of each language, by its first two letters.
    struct Rule {
        const char* Code;
        qint32 N;
        int Index;
    };
    const Rule rules[] = {
        {"en", 1, 0},   {"de_CH", 0, 1}, {"xx", 2, 1},   {"hu", 1, 0},   {"ja", 7, 0},
        {"fr", 1, 0},   {"FR_be", 2, 1}, {"fa", 0, 0},   {"pt", 0, 1},   {"PT_br", 0, 0},
        {"lv", 21, 0},  {"lv", 11, 1},   {"lv", 0, 2},   {"ga", 2, 1},   {"ga", 3, 2},
        {"lt", 21, 0},  {"lt", 22, 1},   {"lt", 12, 2},  {"lt", 10, 2},  {"ru", 101, 0},
        {"uk", 24, 1},  {"hr", 14, 2},   {"cs", 4, 1},   {"sk", 5, 2},   {"pl", 1, 0},
        {"pl", 23, 1},  {"pl", 13, 2},   {"sl", 101, 0}, {"sl", 202, 1}, {"sl", 3, 2},
        {"sl", 104, 2}, {"sl", 5, 3},    {"ru", -21, 0},
    };
    for (const auto& r : rules) {
        Translator->UseLanguage(QString::fromLatin1(r.Code));
        EXPECT_EQ(Translator->CurrentPluralRule()(r.N), r.Index) << r.Code << " " << r.N;
    }
}

TEST_F(TranslatorTest, CorruptCatalogueRaisesAndTheNextLookupTriesAgain) {
    Put(QStringLiteral("de"), QByteArray("\xde\x12\x04\x95 but nothing else follows"));
    Start(QStringLiteral("de"));
    try {
        T(QStringLiteral("Open"));
        ADD_FAILURE() << "a corrupt catalogue was used";
    } catch (const EGGIOError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("This file is not a valid GNU gettext mo file: ") +
                                   CataloguePath(QStringLiteral("de")));
    }
    TDomain* domain = Translator->FindDomain(QStringLiteral("default"));
    EXPECT_EQ(domain->Catalogue(), nullptr);
    EXPECT_FALSE(domain->OpenHasFailedBefore());
    EXPECT_EQ(Locator->OpenCatalogues(), 0);
    EXPECT_THROW(T(QStringLiteral("Open")), EGGIOError);

    Put(QStringLiteral("de"), CompileCatalogue(GermanPo()));
    EXPECT_EQ(T(QStringLiteral("Open")), QStringLiteral("Öffnen"));
}

TEST_F(TranslatorTest, LanguagesWithCatalogues) {
    const QByteArray de = CompileCatalogue(GermanPo());
    Put(QStringLiteral("de"), de);
    Put(QStringLiteral("DE_at"), de);
    Put(QStringLiteral("sv"), de, QStringLiteral("other"));
    QDir().mkpath(Root() + QStringLiteral("locale/fr/LC_MESSAGES"));
    WriteFile(Root() + QStringLiteral("designer"),
              BuildEmbedded(QByteArray(300, 'p'), {{"locale/pl/LC_MESSAGES/default.mo", de},
                                                   {"locale/pt_br/LC_MESSAGES/default.mo", de},
                                                   {"locale/sv/LC_MESSAGES/other.mo", de},
                                                   {"help/nl/LC_MESSAGES/default.mo", de}}));
    Start(QStringLiteral("de"));
    QStringList list{QStringLiteral("stale")};
    Translator->GetListOfLanguages(QStringLiteral("default"), list);
    EXPECT_THAT(list, UnorderedElementsAre(QStringLiteral("de"), QStringLiteral("de_at"),
                                           QStringLiteral("pl"), QStringLiteral("pt_BR")));
    Translator->GetListOfLanguages(QStringLiteral("other"), list);
    EXPECT_THAT(list, ElementsAre(QStringLiteral("sv")));

    // The embedded Polish catalogue is used like a file beside the program.
    Translator->UseLanguage(QStringLiteral("pl"));
    EXPECT_EQ(T(QStringLiteral("Open")), QStringLiteral("Öffnen"));
    EXPECT_EQ(Translator->FindDomain(QStringLiteral("default"))->Catalogue()->FileName(),
              Root() + QStringLiteral("designer"));
}

// The translator remembers each domain's decoded texts while its catalogue is
// open; none of these may outlive the catalogue they came from.
TEST_F(TranslatorTest, RememberedTextsFollowTheLanguageAndTheBinding) {
    Put(QStringLiteral("de"), CompileCatalogue(GermanPo()));
    Put(QStringLiteral("pl"), CompileCatalogue(PolishPo()));
    const QString other = Root() + QStringLiteral("other/");
    WriteFile(other + QStringLiteral("de/LC_MESSAGES/default.mo"),
              CompileCatalogue(PoHeader() + "msgid \"Open\"\nmsgstr \"Aufmachen\"\n"));
    const QString single = Root() + QStringLiteral("single.mo");
    WriteFile(single, CompileCatalogue(PoHeader() + "msgid \"Open\"\nmsgstr \"Auf\"\n"));
    Start(QStringLiteral("de"));
    const QString open = QStringLiteral("Open");
    TDomain* domain = Translator->FindDomain(QStringLiteral("default"));
    ASSERT_NE(domain, nullptr);

    // Asked twice, the second answer comes from what the domain remembers.
    EXPECT_EQ(T(open), QStringLiteral("Öffnen"));
    EXPECT_EQ(domain->RememberedCount(), 1);
    EXPECT_EQ(T(open), QStringLiteral("Öffnen"));

    struct Step {
        const char* What;
        std::function<void()> Change;
        QString Expected;
    };
    const Step steps[] = {
        {"another language", [&] { Translator->UseLanguage(QStringLiteral("pl")); },
         QStringLiteral("Otwórz")},
        {"a language without a catalogue", [&] { Translator->UseLanguage(QStringLiteral("sv")); },
         open},
        {"the first language again", [&] { Translator->UseLanguage(QStringLiteral("de")); },
         QStringLiteral("Öffnen")},
        {"another folder", [&] { Translator->bindtextdomain(QStringLiteral("default"), other); },
         QStringLiteral("Aufmachen")},
        {"one file", [&] { Translator->bindtextdomainToFile(QStringLiteral("default"), single); },
         QStringLiteral("Auf")},
        {"the first folder again",
         [&] { Translator->bindtextdomain(QStringLiteral("default"), Root() + "locale"); },
         QStringLiteral("Öffnen")},
    };
    for (const auto& s : steps) {
        s.Change();
        // Another message first, so that the catalogue is open again when Open is asked.
        EXPECT_EQ(T(QStringLiteral("Nowhere")), QStringLiteral("Nowhere")) << s.What;
        EXPECT_EQ(T(open), s.Expected) << s.What;
        EXPECT_EQ(T(open), s.Expected) << s.What << ", asked again";
    }

    // Switched off, the translator hands back even a remembered text untouched.
    Translator->Enabled = false;
    EXPECT_EQ(T(open), open);
    Translator->Enabled = true;
    EXPECT_EQ(T(open), QStringLiteral("Öffnen"));
}

TEST_F(TranslatorTest, ACatalogueChangedOnDiskIsReadWhenItIsOpenedAgain) {
    const QString path = CataloguePath(QStringLiteral("de"));
    Put(QStringLiteral("de"), CompileCatalogue(GermanPo()));
    Start(QStringLiteral("de"));
    EXPECT_EQ(T(QStringLiteral("Open")), QStringLiteral("Öffnen"));

    // Replaced (a new file under the same name) while open: the open catalogue
    // keeps answering, remembered and searched texts alike, from its own bytes.
    const QString fresh = path + QStringLiteral(".new");
    WriteFile(fresh, CompileCatalogue(PoHeader() + "msgid \"Open\"\nmsgstr \"Auf\"\n\n"
                                                   "msgid \"Open file\"\nmsgstr \"Datei auf\"\n"));
    ASSERT_EQ(
        std::rename(QFile::encodeName(fresh).constData(), QFile::encodeName(path).constData()), 0);
    EXPECT_EQ(T(QStringLiteral("Open")), QStringLiteral("Öffnen"));
    EXPECT_EQ(T(QStringLiteral("Open file")), QStringLiteral("Datei öffnen"));

    // Opened again, the new catalogue answers, not a text remembered from the old one.
    Translator->UseLanguage(QStringLiteral("de"));
    EXPECT_EQ(T(QStringLiteral("Open file")), QStringLiteral("Datei auf"));
    EXPECT_EQ(T(QStringLiteral("Open")), QStringLiteral("Auf"));

    // Rewritten in place while no catalogue is open: read when it is next needed.
    Translator->UseLanguage(QStringLiteral("sv"));
    EXPECT_EQ(Locator->OpenCatalogues(), 0);
    Put(QStringLiteral("de"), CompileCatalogue(PoHeader() + "msgid \"Open\"\nmsgstr \"Offen\"\n"));
    Translator->UseLanguage(QStringLiteral("de"));
    EXPECT_EQ(T(QStringLiteral("Open")), QStringLiteral("Offen"));
    EXPECT_EQ(T(QStringLiteral("Open file")), QStringLiteral("Open file"));
}

TEST_F(TranslatorTest, RememberedTextsKeepPluralFormsAndLineBreaks) {
    Put(QStringLiteral("pl"),
        CompileCatalogue(PolishPo() + "\nmsgid \"a\\nb\"\nmsgstr \"x\\ny\"\n"));
    Start(QStringLiteral("pl"));
    const QString file = QStringLiteral("file"), files = QStringLiteral("files");
    // Each count picks its own form from the one remembered entry.
    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(Translator->ngettext(file, files, 1), QStringLiteral("plik")) << round;
        EXPECT_EQ(Translator->ngettext(file, files, 3), QStringLiteral("pliki")) << round;
        EXPECT_EQ(Translator->ngettext(file, files, 5), QStringLiteral("plików")) << round;
        // Untranslated pairs keep the first rule, whatever is remembered.
        EXPECT_EQ(Translator->ngettext(QStringLiteral("cat"), QStringLiteral("cats"), 5),
                  QStringLiteral("cats"))
            << round;
        EXPECT_EQ(Translator->ngettext(QStringLiteral("cat"), QStringLiteral("cats"), 1),
                  QStringLiteral("cat"))
            << round;
        // Line breaks are restored in what is remembered, for each way of writing the key.
        EXPECT_EQ(T(QStringLiteral("a\nb")), QStringLiteral("x\r\ny")) << round;
        EXPECT_EQ(T(QStringLiteral("a\r\nb")), QStringLiteral("x\r\ny")) << round;
        EXPECT_EQ(T(QStringLiteral("q\nr")), QStringLiteral("q\r\nr")) << round;
        EXPECT_EQ(T(QStringLiteral("q\rr")), QStringLiteral("qr")) << round;
    }
    // The language's rule changes with the language, and so does the remembered entry.
    Put(QStringLiteral("de"), CompileCatalogue(GermanPo()));
    Translator->UseLanguage(QStringLiteral("de"));
    EXPECT_EQ(Translator->ngettext(file, files, 5), QStringLiteral("Dateien"));
    EXPECT_EQ(Translator->ngettext(file, files, 1), QStringLiteral("Datei"));
}

TEST_F(TranslatorTest, TextsMadeAtRunTimeStayBoundedWithoutChangingAnswers) {
    Put(QStringLiteral("de"), CompileCatalogue(GermanPo()));
    Start(QStringLiteral("de"));
    TDomain* domain = Translator->FindDomain(QStringLiteral("default"));
    ASSERT_NE(domain, nullptr);
    // Well past the bound, translated messages asked between the made ones.
    const qsizetype total = TDomain::MaxRemembered * 2 + 100;
    qsizetype wrong = 0, mostRemembered = 0;
    for (qsizetype i = 0; i < total; ++i) {
        const QString made = QStringLiteral("Record %1\nof the run").arg(i);
        if (T(made) != QStringLiteral("Record %1\r\nof the run").arg(i))
            ++wrong;
        if (i % 997 == 0 && T(QStringLiteral("Open file")) != QStringLiteral("Datei öffnen"))
            ++wrong;
        mostRemembered = std::max(mostRemembered, domain->RememberedCount());
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(mostRemembered, TDomain::MaxRemembered);
    EXPECT_LT(domain->RememberedCount(), TDomain::MaxRemembered);
    EXPECT_EQ(T(QStringLiteral("Open")), QStringLiteral("Öffnen"));
    EXPECT_EQ(T(QStringLiteral("Record 5\nof the run")), QStringLiteral("Record 5\r\nof the run"));
}
