// Qt asks for its texts on any thread: lookups from several threads at once,
// through the runtime and through the translator on the application, while
// the language changes underneath them. Built once more with ThreadSanitizer
// by the test command.
#include "LocalisationTestSupport.h"

#include "common/FakePlatform.h"
#include "localisation/GNUGetTextU.h"
#include "localisation/GnuGettextInstance.h"
#include "localisation/ResourceStrings.h"

#include <QCoreApplication>
#include <QDir>
#include <QThread>
#include <atomic>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

using namespace GnuGettext;

TEST(ConcurrentLookup, ThreadsLookUpWhileTheLanguageChanges) {
    QTemporaryDir dir;
    ScopedFakePlatform platform;
    const QString root = QDir(dir.path()).absolutePath() + QLatin1Char('/');
    const std::pair<const char*, const char*> languages[] = {{"de", "Öffnen"}, {"fr", "Ouvrir"}};
    // Built here, not by msgfmt: no child process in a test run under ThreadSanitizer.
    for (const auto& [code, open] : languages)
        WriteFile(root + QStringLiteral("locale/%1/LC_MESSAGES/default.mo").arg(code),
                  BuildMo({{"", "Content-Type: text/plain; charset=UTF-8\n"},
                           {"Open", open},
                           {"&Yes", QByteArray("&") + open}}));
    StartRuntime(root + QStringLiteral("designer"));
    UseLanguage(QStringLiteral("de"));

    const QStringList allowed{"Open", "Öffnen", "Ouvrir"};
    const QStringList allowedYes{"&Yes", "&Öffnen", "&Ouvrir"};
    std::atomic<bool> stop{false};
    std::atomic<int> wrong{0};
    std::atomic<int> lookups{0};
    std::vector<std::thread> threads;
    for (int n = 0; n < 4; ++n) {
        threads.emplace_back([&, n] {
            TResourceStringTranslator qtTexts;
            while (!stop) {
                QString a = n % 2 ? GnuGettext::gettext(QStringLiteral("Open"))
                                  : TranslateResourceText(QStringLiteral("Open"));
                QString b = qtTexts.translate("QPlatformTheme", "&Yes");
                if (b.isNull())
                    b = QStringLiteral("&Yes");
                // A text made at run time takes the slow path every time.
                const QString fresh = QStringLiteral("Fresh %1").arg(lookups.fetch_add(1));
                if (!allowed.contains(a) || !allowedYes.contains(b) ||
                    GnuGettext::dgettext(QStringLiteral("default"), fresh) != fresh)
                    ++wrong;
            }
        });
    }
    const char* codes[] = {"de", "fr", "en", "de_AT", "fr"};
    for (int i = 0; i < 200; ++i)
        UseLanguage(QString::fromLatin1(codes[i % 5]));
    // Every thread gets to look texts up at least a little.
    while (lookups < 400)
        std::this_thread::yield();
    stop = true;
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(wrong.load(), 0);
    UseLanguage(QStringLiteral("fr"));
    EXPECT_EQ(GnuGettext::gettext(QStringLiteral("Open")), QStringLiteral("Ouvrir"));
    StopRuntime();
}

namespace {
// Notes the thread each box is shown on, and looks a text up from inside the
// box, as its own buttons do.
class BoxPlatform : public FakePlatform {
public:
    BoxButton MessageBox(BoxKind kind, const QString& caption, const QString& text, int buttons,
                         BoxButton defaultButton) override {
        ShownOn = QThread::currentThread();
        InsideTheBox = GnuGettext::gettext(QStringLiteral("Open"));
        return FakePlatform::MessageBox(kind, caption, text, buttons, defaultButton);
    }
    QThread* ShownOn = nullptr;
    QString InsideTheBox;
};
} // namespace

TEST(ConcurrentLookup, CharsetRefusalMetOnAnotherThreadIsShownOnTheUserInterfaceThread) {
    QTemporaryDir dir;
    BoxPlatform platform;
    SetPlatform(&platform);
    const QString root = QDir(dir.path()).absolutePath() + QLatin1Char('/');
    WriteFile(root + QStringLiteral("locale/de/LC_MESSAGES/default.mo"),
              BuildMo({{"", "Content-Type: text/plain; charset=ISO-8859-1\n"}, {"Open", "Offen"}}));
    StartRuntime(root + QStringLiteral("designer"));
    UseLanguage(QStringLiteral("de"));

    QString fromWorker;
    std::thread worker([&] { fromWorker = TranslateResourceText(QStringLiteral("Open")); });
    worker.join();
    EXPECT_EQ(fromWorker, QStringLiteral("Open")); // translations are off
    EXPECT_TRUE(platform.Boxes.empty());           // no box on that thread
    QCoreApplication::processEvents();
    EXPECT_THAT(platform.BoxTexts(), ::testing::ElementsAre(::testing::Truly([](const QString& t) {
                    return t.startsWith(QLatin1String("The translation for the language code de"));
                })));
    EXPECT_EQ(platform.ShownOn, QCoreApplication::instance()->thread());
    // The domain was off before the box: the box's own lookups pass straight through.
    EXPECT_EQ(platform.InsideTheBox, QStringLiteral("Open"));
    StopRuntime();
    SetPlatform(nullptr);
}
