#include "localisation/LanguageU.h"

#include "catalogue/CatalogueFiles.h"
#include "localisation/GNUGetTextU.h"
#include "support/DebugLog.h"
#include "support/Exception.h"

#include <QHash>
#include <QPointer>

namespace {

struct LanguageName {
    const char16_t* Code;
    const char16_t* Name;
};

// 184 two-letter codes and 9 code_REGION forms.
constexpr LanguageName LanguageNames[] = {
    {u"aa", u"Afar"},
    {u"ab", u"Abkhazian"},
    {u"ae", u"Avestan"},
    {u"af", u"Afrikaans"},
    {u"ak", u"Akan"},
    {u"am", u"Amharic"},
    {u"an", u"Aragonese"},
    {u"ar", u"Arabic"},
    {u"as", u"Assamese"},
    {u"av", u"Avaric"},
    {u"ay", u"Aymara"},
    {u"az", u"Azerbaijani"},
    {u"ba", u"Bashkir"},
    {u"be", u"Belarusian"},
    {u"bg", u"Bulgarian"},
    {u"bh", u"Bihari"},
    {u"bi", u"Bislama"},
    {u"bm", u"Bambara"},
    {u"bn", u"Bengali"},
    {u"bo", u"Tibetan"},
    {u"br", u"Breton"},
    {u"bs", u"Bosnian"},
    {u"ca", u"Catalan"},
    {u"ce", u"Chechen"},
    {u"ch", u"Chamorro"},
    {u"co", u"Corsican"},
    {u"cr", u"Cree"},
    {u"cs", u"Czech"},
    {u"cv", u"Chuvash"},
    {u"cy", u"Welsh"},
    {u"da", u"Danish"},
    {u"de", u"German"},
    {u"dv", u"Divehi"},
    {u"dz", u"Dzongkha"},
    {u"ee", u"Ewe"},
    {u"el", u"Greek"},
    {u"en", u"English"},
    {u"eo", u"Esperanto"},
    {u"es", u"Spanish"},
    {u"et", u"Estonian"},
    {u"eu", u"Basque"},
    {u"fa", u"Persian"},
    {u"ff", u"Fulah"},
    {u"fi", u"Finnish"},
    {u"fj", u"Fijian"},
    {u"fo", u"Faroese"},
    {u"fr", u"French"},
    {u"fy", u"Frisian"},
    {u"ga", u"Irish"},
    {u"gd", u"Gaelic"},
    {u"gl", u"Gallegan"},
    {u"gn", u"Guarani"},
    {u"gu", u"Gujarati"},
    {u"gv", u"Manx"},
    {u"ha", u"Hausa"},
    {u"he", u"Hebrew"},
    {u"hi", u"Hindi"},
    {u"ho", u"Hiri Motu"},
    {u"hr", u"Croatian"},
    {u"ht", u"Haitian"},
    {u"hu", u"Hungarian"},
    {u"hy", u"Armenian"},
    {u"hz", u"Herero"},
    {u"ia", u"Interlingua"},
    {u"id", u"Indonesian"},
    {u"ie", u"Interlingue"},
    {u"ig", u"Igbo"},
    {u"ii", u"Sichuan Yi"},
    {u"ik", u"Inupiaq"},
    {u"io", u"Ido"},
    {u"is", u"Icelandic"},
    {u"it", u"Italian"},
    {u"iu", u"Inuktitut"},
    {u"ja", u"Japanese"},
    {u"jv", u"Javanese"},
    {u"ka", u"Georgian"},
    {u"kg", u"Kongo"},
    {u"ki", u"Kikuyu"},
    {u"kj", u"Kuanyama"},
    {u"kk", u"Kazakh"},
    {u"kl", u"Greenlandic"},
    {u"km", u"Khmer"},
    {u"kn", u"Kannada"},
    {u"ko", u"Korean"},
    {u"kr", u"Kanuri"},
    {u"ks", u"Kashmiri"},
    {u"ku", u"Kurdish"},
    {u"kw", u"Cornish"},
    {u"kv", u"Komi"},
    {u"ky", u"Kirghiz"},
    {u"la", u"Latin"},
    {u"lb", u"Luxembourgish"},
    {u"lg", u"Ganda"},
    {u"li", u"Limburgan"},
    {u"ln", u"Lingala"},
    {u"lo", u"Lao"},
    {u"lt", u"Lithuanian"},
    {u"lu", u"Luba-Katanga"},
    {u"lv", u"Latvian"},
    {u"mg", u"Malagasy"},
    {u"mh", u"Marshallese"},
    {u"mi", u"Maori"},
    {u"mk", u"Macedonian"},
    {u"ml", u"Malayalam"},
    {u"mn", u"Mongolian"},
    {u"mo", u"Moldavian"},
    {u"mr", u"Marathi"},
    {u"ms", u"Malay"},
    {u"mt", u"Maltese"},
    {u"my", u"Burmese"},
    {u"na", u"Nauru"},
    {u"nb", u"Norwegian Bokmaal"},
    {u"nd", u"Ndebele, North"},
    {u"ne", u"Nepali"},
    {u"ng", u"Ndonga"},
    {u"nl", u"Dutch"},
    {u"nn", u"Norwegian Nynorsk"},
    {u"no", u"Norwegian"},
    {u"nr", u"Ndebele, South"},
    {u"nv", u"Navajo"},
    {u"ny", u"Chichewa"},
    {u"oc", u"Occitan"},
    {u"oj", u"Ojibwa"},
    {u"om", u"Oromo"},
    {u"or", u"Oriya"},
    {u"os", u"Ossetian"},
    {u"pa", u"Panjabi"},
    {u"pi", u"Pali"},
    {u"pl", u"Polish"},
    {u"ps", u"Pushto"},
    {u"pt", u"Portuguese"},
    {u"qu", u"Quechua"},
    {u"rm", u"Raeto-Romance"},
    {u"rn", u"Rundi"},
    {u"ro", u"Romanian"},
    {u"ru", u"Russian"},
    {u"rw", u"Kinyarwanda"},
    {u"sa", u"Sanskrit"},
    {u"sc", u"Sardinian"},
    {u"sd", u"Sindhi"},
    {u"se", u"Northern Sami"},
    {u"sg", u"Sango"},
    {u"si", u"Sinhalese"},
    {u"sk", u"Slovak"},
    {u"sl", u"Slovenian"},
    {u"sm", u"Samoan"},
    {u"sn", u"Shona"},
    {u"so", u"Somali"},
    {u"sq", u"Albanian"},
    {u"sr", u"Serbian"},
    {u"ss", u"Swati"},
    {u"st", u"Sotho, Southern"},
    {u"su", u"Sundanese"},
    {u"sv", u"Swedish"},
    {u"sw", u"Swahili"},
    {u"ta", u"Tamil"},
    {u"te", u"Telugu"},
    {u"tg", u"Tajik"},
    {u"th", u"Thai"},
    {u"ti", u"Tigrinya"},
    {u"tk", u"Turkmen"},
    {u"tl", u"Tagalog"},
    {u"tn", u"Tswana"},
    {u"to", u"Tonga"},
    {u"tr", u"Turkish"},
    {u"ts", u"Tsonga"},
    {u"tt", u"Tatar"},
    {u"tw", u"Twi"},
    {u"ty", u"Tahitian"},
    {u"ug", u"Uighur"},
    {u"uk", u"Ukrainian"},
    {u"ur", u"Urdu"},
    {u"uz", u"Uzbek"},
    {u"ve", u"Venda"},
    {u"vi", u"Vietnamese"},
    {u"vo", u"Volapuk"},
    {u"wa", u"Walloon"},
    {u"wo", u"Wolof"},
    {u"xh", u"Xhosa"},
    {u"yi", u"Yiddish"},
    {u"yo", u"Yoruba"},
    {u"za", u"Zhuang"},
    {u"zh", u"Chinese"},
    {u"zu", u"Zulu"},
    {u"de_AT", u"Austrian German"},
    {u"de_CH", u"Swiss German"},
    {u"en_AU", u"Australian English"},
    {u"en_CA", u"Canadian English"},
    {u"en_GB", u"British English"},
    {u"en_US", u"American English"},
    {u"fr_BE", u"Walloon"},
    {u"nl_BE", u"Flemish"},
    {u"pt_BR", u"Brazilian Portuguese"},
};

} // namespace

QString LanguageDisplayName(const QString& Code) {
    static const QHash<QString, QString> table = [] {
        QHash<QString, QString> t;
        for (const auto& n : LanguageNames)
            t.insert(QString::fromUtf16(n.Code), QString::fromUtf16(n.Name));
        return t;
    }();
    return table.value(Code, QStringLiteral("English"));
}

namespace {
// Guarded: a window destroyed before LoadLanguage runs is simply skipped.
QList<QPointer<QObject>>& LanguageWindows() {
    static QList<QPointer<QObject>> windows;
    return windows;
}
} // namespace

void SetLanguageWindows(const QList<QObject*>& Windows) {
    LanguageWindows().clear();
    for (QObject* w : Windows)
        LanguageWindows() << QPointer<QObject>(w);
}

void LoadLanguage() {
    const QString name = LanguageDisplayName(CurrentLanguage);
    DebugLog(QStringLiteral("Loading language: ") + name, 3);
    try {
        // The first error ends the sequence: the windows after it stay English.
        for (const QPointer<QObject>& w : std::as_const(LanguageWindows()))
            if (w)
                GnuGettext::TranslateComponent(w, QString());
    } catch (const std::exception& e) {
        DebugLog(QStringLiteral("LoadLanguage: ") + ExceptionMessage(e), 0);
    }
}
