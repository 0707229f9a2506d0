// Window texts translated in place: the walk over a component, its ignore
// settings, markers, retranslation and the tracking of destroyed elements.
#include "LocalisationTestSupport.h"
#include "WalkTestObjects.h"

#include "common/FakePlatform.h"
#include "localisation/FileLocator.h"
#include "localisation/GnuGettextErrors.h"
#include "localisation/GnuGettextInstance.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QToolButton>
#include <QTreeWidget>
#include <functional>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <memory>

using namespace GnuGettext;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

const QString LongGerman = QString(3000, QLatin1Char('x')) + QStringLiteral(" Ende");

QString GermanWindowPo() {
    return PoHeader() +
           QStringLiteral("msgid \"Caption\"\nmsgstr \"Beschriftung\"\n\n"
                          "msgid \"Alpha\"\nmsgstr \"Alfa\"\n\n"
                          "msgid \"Alfa\"\nmsgstr \"Alfa zweimal\"\n\n"
                          "msgid \"Beta\"\nmsgstr \"Beta-de\"\n\n"
                          "msgid \"Hint\"\nmsgstr \"Hinweis\"\n\n"
                          "msgid \"Two\\nlines\"\nmsgstr \"Zwei\\nZeilen\\nund mehr\"\n\n"
                          "msgid \"Long\"\nmsgstr \"%1\"\n")
               .arg(LongGerman);
}

QString FrenchWindowPo() {
    return PoHeader(QStringLiteral("UTF-8"), QStringLiteral("nplurals=2; plural=(n > 1);")) +
           QStringLiteral("msgid \"Caption\"\nmsgstr \"Légende\"\n\n"
                          "msgid \"Alpha\"\nmsgstr \"Alpha-fr\"\n\n"
                          "msgid \"Untranslated in German\"\nmsgstr \"Traduit\"\n");
}

// A translator over a program folder of its own, with the registries of the
// runtime when it is not running.
class WalkTest : public ::testing::Test {
protected:
    QTemporaryDir Dir;
    ScopedFakePlatform Platform;
    LogCapture Log;
    std::unique_ptr<TFileLocator> Locator;
    std::unique_ptr<TGnuGettextInstance> T;
    bool OwnRegistries = false;

    void SetUp() override {
        if (!RetranslatorRegistry) {
            OwnRegistries = true;
            RetranslatorRegistry = new std::vector<TTP_Retranslator*>;
            HookedObjectRegistry = new THookedObjects;
        }
        Put(QStringLiteral("de"), CompileCatalogue(GermanWindowPo()));
        Put(QStringLiteral("fr"), CompileCatalogue(FrenchWindowPo()));
        Locator = std::make_unique<TFileLocator>(Root() + QStringLiteral("designer"));
        Locator->Analyze();
        T = std::make_unique<TGnuGettextInstance>(*Locator);
        T->UseLanguage(QStringLiteral("de"));
    }
    void TearDown() override {
        T.reset();
        if (OwnRegistries) {
            delete HookedObjectRegistry;
            HookedObjectRegistry = nullptr;
            delete RetranslatorRegistry;
            RetranslatorRegistry = nullptr;
        }
    }
    QString Root() const { return QDir(Dir.path()).absolutePath() + QLatin1Char('/'); }
    void Put(const QString& code, const QByteArray& mo) {
        ASSERT_FALSE(mo.isEmpty());
        WriteFile(Root() + QStringLiteral("locale/") + code +
                      QStringLiteral("/LC_MESSAGES/default.mo"),
                  mo);
    }
    QStringList Errors() const { return Log.Lines.filter(QRegularExpression("^ERROR: ")); }
};

// A small window with one element of each kind the walk knows.
struct SampleWindow {
    QWidget Root;
    QPushButton* Button1;
    QLabel* Label1;
    QLabel* Label2;
    QLineEdit* Edit1;
    QComboBox* Combo1;
    QListWidget* List1;
    QTextBrowser* Browser1;
    QTreeWidget* Tree1;
    QAction* Action1;
    QToolButton* ToolButton1;
    QLabel* Inner1;

    SampleWindow() {
        Root.setWindowTitle(QStringLiteral("Caption"));
        Button1 = new QPushButton(QStringLiteral("Alpha"), &Root);
        Button1->setObjectName(QStringLiteral("Button1"));
        Button1->setToolTip(QStringLiteral("Hint"));
        Inner1 = new QLabel(QStringLiteral("Beta"), Button1);
        Label1 = new QLabel(QStringLiteral("Two\nlines"), &Root);
        Label2 = new QLabel(QStringLiteral("Untranslated in German"), &Root);
        Edit1 = new QLineEdit(QStringLiteral("Alpha"), &Root);
        Edit1->setPlaceholderText(QStringLiteral("Hint"));
        Combo1 = new QComboBox(&Root);
        Combo1->addItem(QStringLiteral("Alpha"), 7);
        Combo1->addItem(QStringLiteral("Beta"), 8);
        Combo1->setCurrentIndex(1);
        List1 = new QListWidget(&Root);
        for (const char* t : {"Alpha", "", "Beta"}) {
            auto* item = new QListWidgetItem(QString::fromLatin1(t), List1);
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(Qt::Checked);
            item->setData(Qt::UserRole, QString::fromLatin1(t) + QStringLiteral("-data"));
        }
        Browser1 = new QTextBrowser(&Root);
        Browser1->setHtml(QStringLiteral("<p>Alpha</p>"));
        Tree1 = new QTreeWidget(&Root);
        new QTreeWidgetItem(Tree1, QStringList{QStringLiteral("Alpha")});
        Action1 = new QAction(QStringLiteral("Alpha"), &Root);
        Action1->setToolTip(QStringLiteral("Hint"));
        ToolButton1 = new QToolButton(&Root);
        // The button shows its action's texts; the walk leaves the button itself alone.
        ToolButton1->setDefaultAction(Action1);
    }

    // Every text a person could see, in a fixed order.
    QStringList Texts() const {
        QStringList t{
            Root.windowTitle(),     Button1->text(),          Button1->toolTip(),
            Inner1->text(),         Label1->text(),           Label2->text(),
            Edit1->text(),          Edit1->placeholderText(), Combo1->itemText(0),
            Combo1->itemText(1),    List1->item(0)->text(),   List1->item(1)->text(),
            List1->item(2)->text(), Browser1->toPlainText(),  Tree1->topLevelItem(0)->text(0),
            Action1->text(),        Action1->toolTip(),       ToolButton1->text()};
        return t;
    }
};

} // namespace

TEST_F(WalkTest, TranslatesEveryKindOfTextAndRestoresTheOriginalsAfterASwitchBack) {
    SampleWindow w;
    const QStringList english = w.Texts();
    T->TranslateComponent(&w.Root, QString());

    EXPECT_EQ(w.Root.windowTitle(), QStringLiteral("Beschriftung"));
    EXPECT_EQ(w.Button1->text(), QStringLiteral("Alfa"));
    EXPECT_EQ(w.Button1->toolTip(), QStringLiteral("Hinweis"));
    EXPECT_EQ(w.Inner1->text(), QStringLiteral("Beta-de")); // owned by an owned component
    // Window texts keep LF line breaks; nothing is cut off.
    EXPECT_EQ(w.Label1->text(), QStringLiteral("Zwei\nZeilen\nund mehr"));
    EXPECT_EQ(w.Label2->text(), QStringLiteral("Untranslated in German"));
    // What the user typed stays; the hint beside it is translated.
    EXPECT_EQ(w.Edit1->text(), QStringLiteral("Alpha"));
    EXPECT_EQ(w.Edit1->placeholderText(), QStringLiteral("Hinweis"));
    // Item texts change; item data, check states and the current item stay.
    EXPECT_EQ(w.Combo1->itemText(0), QStringLiteral("Alfa"));
    EXPECT_EQ(w.Combo1->itemText(1), QStringLiteral("Beta-de"));
    EXPECT_EQ(w.Combo1->itemData(0).toInt(), 7);
    EXPECT_EQ(w.Combo1->currentIndex(), 1);
    EXPECT_EQ(w.List1->item(0)->text(), QStringLiteral("Alfa"));
    EXPECT_EQ(w.List1->item(1)->text(), QString());
    EXPECT_EQ(w.List1->item(2)->checkState(), Qt::Checked);
    EXPECT_EQ(w.List1->item(2)->data(Qt::UserRole).toString(), QStringLiteral("Beta-data"));
    // Document content and tree nodes are not window texts.
    EXPECT_EQ(w.Browser1->toPlainText(), QStringLiteral("Alpha"));
    EXPECT_EQ(w.Tree1->topLevelItem(0)->text(0), QStringLiteral("Alpha"));
    // The action is translated where it is owned; the button shows it.
    EXPECT_EQ(w.Action1->text(), QStringLiteral("Alfa"));
    EXPECT_EQ(w.Action1->toolTip(), QStringLiteral("Hinweis"));
    EXPECT_EQ(w.ToolButton1->text(), QStringLiteral("Alfa"));
    EXPECT_TRUE(Errors().isEmpty()) << Errors().join(u'\n').toStdString();

    TGnuGettextComponentMarker* marker = FindMarker(&w.Root);
    ASSERT_NE(marker, nullptr);
    EXPECT_EQ(marker->LastLanguage, QStringLiteral("de"));

    // Into French: "Untranslated in German" had no German text but was remembered.
    T->UseLanguage(QStringLiteral("fr"));
    T->RetranslateComponent(&w.Root, QString());
    EXPECT_EQ(w.Root.windowTitle(), QStringLiteral("Légende"));
    EXPECT_EQ(w.Button1->text(), QStringLiteral("Alpha-fr"));
    EXPECT_EQ(w.Label2->text(), QStringLiteral("Traduit"));
    EXPECT_EQ(w.Combo1->itemText(0), QStringLiteral("Alpha-fr"));
    EXPECT_EQ(marker->LastLanguage, QStringLiteral("fr"));

    // Back to a language without a catalogue: every original text returns.
    T->UseLanguage(QStringLiteral("en"));
    T->RetranslateComponent(&w.Root, QString());
    EXPECT_EQ(w.Texts(), english);
    EXPECT_EQ(w.Combo1->currentIndex(), 1);
    EXPECT_EQ(w.List1->item(0)->checkState(), Qt::Checked);
}

TEST_F(WalkTest, EnglishRunWritesNothingAndASecondTranslationInAnotherLanguageIsRefused) {
    T->UseLanguage(QStringLiteral("en"));
    TTextHolder root;
    root.setObjectName(QStringLiteral("Root"));
    root.SetCaption(QStringLiteral("Caption"));
    auto* child = new TTextHolder(&root);
    child->SetCaption(QStringLiteral("Alpha"));
    root.Writes.clear();
    child->Writes.clear();
    T->TranslateComponent(&root, QString());
    EXPECT_TRUE(root.Writes.isEmpty());
    EXPECT_TRUE(child->Writes.isEmpty());
    ASSERT_NE(FindMarker(&root), nullptr);

    // The same component again in another language: the "Error" box, nothing translated.
    T->UseLanguage(QStringLiteral("de"));
    T->TranslateComponent(&root, QString());
    ASSERT_EQ(Platform.Fake.Boxes.size(), 1u);
    EXPECT_EQ(Platform.Fake.Boxes[0].Caption, QStringLiteral("Error"));
    EXPECT_THAT(Platform.Fake.Boxes[0].Text.toStdString(),
                HasSubstr("replace a call to TranslateComponent with a call to "
                          "RetranslateComponent()"));
    EXPECT_EQ(root.Caption(), QStringLiteral("Caption"));
    EXPECT_EQ(FindMarker(&root)->LastLanguage, QStringLiteral("de"));
    // Same language once more: nothing happens at all.
    T->TranslateComponent(&root, QString());
    EXPECT_EQ(Platform.Fake.Boxes.size(), 1u);
    EXPECT_TRUE(root.Writes.isEmpty());
}

TEST_F(WalkTest, IgnoreSettingsApplyToTheNextWalkOnly) {
    const std::vector<std::pair<const char*, std::function<void(TGnuGettextInstance&, QObject*)>>>
        settings{
            {"component Button1",
             [](TGnuGettextInstance& t, QObject* root) {
                 t.TP_Ignore(root, QStringLiteral("Button1"));
             }},
            {"root property .windowTitle",
             [](TGnuGettextInstance& t, QObject* root) {
                 t.TP_Ignore(root, QStringLiteral(".windowTitle"));
             }},
            {"class QPushButton",
             [](TGnuGettextInstance& t, QObject*) {
                 t.TP_IgnoreClass(&QPushButton::staticMetaObject);
             }},
            {"class property QAbstractButton.toolTip",
             [](TGnuGettextInstance& t, QObject*) {
                 t.TP_IgnoreClassProperty(&QAbstractButton::staticMetaObject,
                                          QStringLiteral("TOOLTIP"));
             }},
        };
    // Title, button text, button hint, the label the button owns.
    const std::vector<QStringList> expected{
        {"Beschriftung", "Alpha", "Hint", "Beta"},
        {"Caption", "Alfa", "Hinweis", "Beta-de"},
        {"Beschriftung", "Alpha", "Hint", "Beta"},
        {"Beschriftung", "Alfa", "Hint", "Beta-de"},
    };
    for (size_t i = 0; i < settings.size(); ++i) {
        SCOPED_TRACE(settings[i].first);
        SampleWindow w;
        settings[i].second(*T, &w.Root);
        T->TranslateComponent(&w.Root, QString());
        EXPECT_EQ((QStringList{w.Root.windowTitle(), w.Button1->text(), w.Button1->toolTip(),
                               w.Inner1->text()}),
                  expected[i]);
        EXPECT_EQ(w.Label1->text(), QStringLiteral("Zwei\nZeilen\nund mehr"));
        EXPECT_TRUE(T->TP_IgnoreListKeys().isEmpty());
        EXPECT_TRUE(T->TP_ClassHandlingList().empty());
        // The settings are gone: the next window is translated whole.
        SampleWindow next;
        T->TranslateComponent(&next.Root, QString());
        EXPECT_EQ((QStringList{next.Root.windowTitle(), next.Button1->text(),
                               next.Button1->toolTip(), next.Inner1->text()}),
                  (QStringList{"Beschriftung", "Alfa", "Hinweis", "Beta-de"}));
    }
    EXPECT_THAT(Log.Lines, ::testing::Contains(QStringLiteral(
                               "DEBUG4: On object with class name QWidget, ignore is set on "
                               ".WINDOWTITLE")));
}

TEST_F(WalkTest, AnObjectReachedTwiceIsTranslatedOnce) {
    TTextHolder root;
    auto* shared = new TTextHolder(&root);
    shared->SetCaption(QStringLiteral("Alpha"));
    // Reached through two properties and as an owned component: "Alpha" becomes
    // "Alfa"; a second pass would make it "Alfa zweimal".
    root.SetFirst(shared);
    root.SetSecond(shared);
    shared->Writes.clear();
    T->TranslateComponent(&root, QString());
    EXPECT_EQ(shared->Caption(), QStringLiteral("Alfa"));
    EXPECT_THAT(shared->Writes, ElementsAre(QStringLiteral("Alfa")));
}

TEST_F(WalkTest, DestroyedElementLeavesEveryRetranslator) {
    SampleWindow w;
    T->TranslateComponent(&w.Root, QString());
    TTP_Retranslator* r = FindMarker(&w.Root)->Retranslator.get();
    auto refersTo = [r](const QObject* o) {
        return std::any_of(r->list.begin(), r->list.end(),
                           [o](const TTP_RetranslatorItem& i) { return i.obj == o; });
    };
    ASSERT_TRUE(refersTo(w.Label1));
    ASSERT_TRUE(HookedObjectRegistry->Contains(w.Label1));
    const QObject* gone = w.Label1;
    delete w.Label1;
    EXPECT_FALSE(refersTo(gone));
    EXPECT_FALSE(HookedObjectRegistry->Contains(gone));
    // Retranslating the rest still works (and touches no freed memory).
    T->UseLanguage(QStringLiteral("fr"));
    T->RetranslateComponent(&w.Root, QString());
    EXPECT_EQ(w.Button1->text(), QStringLiteral("Alpha-fr"));
    // The window's own end takes its marker and retranslator along.
    const qsizetype before = qsizetype(RetranslatorRegistry->size());
    {
        SampleWindow other;
        T->TranslateComponent(&other.Root, QString());
        EXPECT_EQ(qsizetype(RetranslatorRegistry->size()), before + 1);
    }
    EXPECT_EQ(qsizetype(RetranslatorRegistry->size()), before);
}

TEST_F(WalkTest, PropertyThatCannotBeWrittenEndsTheWalkWithOneLoggedError) {
    TTextHolder root;
    root.SetCaption(QStringLiteral("Caption"));
    auto* refusing = new TRefusingHolder(&root);
    refusing->setObjectName(QStringLiteral("Refusing1"));
    auto* laterHolder = new TTextHolder(&root);
    laterHolder->SetCaption(QStringLiteral("Alpha"));
    T->TranslateComponent(&root, QString());
    EXPECT_THAT(Errors(),
                ElementsAre(QStringLiteral(
                    "ERROR: GnuGettextInstance.TranslateComponent.TranslateProperties: Property "
                    "cannot be translated.\r\nAdd TP_GlobalIgnoreClassProperty(TRefusingHolder,"
                    "'Caption') to your source code or use\r\nTP_Ignore (self,'.Caption') to "
                    "prevent this message.\r\nReason: refused")));
    EXPECT_EQ(root.Caption(), QStringLiteral("Beschriftung"));  // before the failure
    EXPECT_EQ(laterHolder->Caption(), QStringLiteral("Alpha")); // after it: left as it was
    EXPECT_NE(FindMarker(&root), nullptr);

    // Ignored for the run, the same window translates completely.
    T->TP_GlobalIgnoreClassProperty(&TRefusingHolder::staticMetaObject, QStringLiteral("caption"));
    TTextHolder again;
    new TRefusingHolder(&again);
    auto* afterIt = new TTextHolder(&again);
    afterIt->SetCaption(QStringLiteral("Alpha"));
    Log.Lines.clear();
    T->TranslateComponent(&again, QString());
    EXPECT_TRUE(Errors().isEmpty());
    EXPECT_EQ(afterIt->Caption(), QStringLiteral("Alfa"));
}

TEST_F(WalkTest, SettingsMisuseRaisesTheProgrammingErrorsAndKeepsDerivedClassesFirst) {
    auto message = [](const std::function<void()>& f) {
        try {
            f();
        } catch (const EGGProgrammingError& e) {
            return ExceptionMessage(e);
        }
        return QStringLiteral("(nothing raised)");
    };
    const QMetaObject* label = &QLabel::staticMetaObject;
    const QMetaObject* frame = &QFrame::staticMetaObject;
    EXPECT_TRUE(T->TP_TryGlobalIgnoreClass(frame));
    EXPECT_FALSE(T->TP_TryGlobalIgnoreClass(frame));
    EXPECT_EQ(message([&] { T->TP_GlobalIgnoreClass(frame); }),
              QStringLiteral("You cannot add a class to the ignore list that is already on that "
                             "list: QFrame. You should keep all TP_Global functions in one place "
                             "in your source code."));
    // A descendant goes before its ancestor, whatever the order of the calls.
    T->TP_GlobalHandleClass(label, [](QObject*) {});
    const auto& global = T->TP_GlobalClassHandling();
    const auto pos = [&](const QMetaObject* c) {
        return std::find_if(global.begin(), global.end(),
                            [c](const TClassMode& m) { return m.HClass == c; }) -
               global.begin();
    };
    EXPECT_LT(pos(label), pos(frame));
    EXPECT_LT(pos(frame), pos(&QWidget::staticMetaObject));
    EXPECT_LT(pos(&QWidget::staticMetaObject), pos(&QObject::staticMetaObject));
    EXPECT_EQ(
        message([&] { T->TP_GlobalIgnoreClassProperty(label, QStringLiteral("text")); }),
        QStringLiteral("You cannot ignore a class property for a class that has a handler set."));
    EXPECT_EQ(message([&] { T->TP_GlobalHandleClass(frame, [](QObject*) {}); }),
              QStringLiteral("You cannot set a handler for a class that has already been assigned "
                             "otherwise."));
    // Turning a whole-class entry into a property entry.
    T->TP_GlobalIgnoreClassProperty(frame, QStringLiteral("toolTip"));
    EXPECT_EQ(global[size_t(pos(frame))].PropertiesToIgnore, QStringList{"TOOLTIP"});

    T->TP_IgnoreClass(label);
    EXPECT_EQ(
        message([&] { T->TP_IgnoreClass(label); }),
        QStringLiteral("You cannot add a class to the ignore list that is already on that list: "
                       "QLabel."));
    T->TP_IgnoreClassProperty(frame, QStringLiteral("text"));
    EXPECT_EQ(message([&] { T->TP_IgnoreClassProperty(frame, QStringLiteral("Text")); }),
              QStringLiteral("String list does not allow duplicates"));
    EXPECT_EQ(T->TP_ClassHandlingList().front().HClass, label);

    EXPECT_EQ(message([&] { T->TP_Remember(nullptr, QStringLiteral("x"), QStringLiteral("y")); }),
              QStringLiteral("You can only call TP_Remember when doing the initial translation "
                             "(TP_Retranslator is not set)."));
    QWidget never;
    EXPECT_EQ(message([&] { T->RetranslateComponent(&never, QString()); }),
              QStringLiteral("Retranslate was called on an object that has not been translated "
                             "before. Please use TranslateComponent() before "
                             "RetranslateComponent()."));
}

TEST_F(WalkTest, HandlerTakesItsClassAndTP_RememberMakesItsTextsRetranslatable) {
    QStringList handled;
    T->TP_GlobalHandleClass(&TRefusingHolder::staticMetaObject, [&](QObject* o) {
        handled << o->objectName();
        T->TP_Remember(o, QStringLiteral("Note"), QStringLiteral("Alpha"));
    });
    TTextHolder root;
    auto* special = new TRefusingHolder(&root);
    special->setObjectName(QStringLiteral("Special1"));
    T->TranslateComponent(&root, QString());
    EXPECT_EQ(handled, QStringList{"Special1"});
    EXPECT_TRUE(Errors().isEmpty());
    const auto& items = FindMarker(&root)->Retranslator->list;
    EXPECT_TRUE(std::any_of(items.begin(), items.end(), [special](const TTP_RetranslatorItem& i) {
        return i.obj == special && i.Propname == QLatin1String("Note");
    }));
    T->UseLanguage(QStringLiteral("fr"));
    T->RetranslateComponent(&root, QString());
    EXPECT_EQ(special->Note(), QStringLiteral("Alpha-fr"));
}

TEST_F(WalkTest, LongTextsLineBreaksAndEmptyValuesAreHandledWhole) {
    TTextHolder root;
    root.SetCaption(QStringLiteral("Long"));
    auto* empty = new TTextHolder(&root);
    empty->SetCaption(QString());
    empty->Writes.clear();
    T->TranslateComponent(&root, QString());
    EXPECT_EQ(root.Caption(), LongGerman);
    // A writable empty text is neither remembered nor written.
    EXPECT_TRUE(empty->Writes.isEmpty());
    const auto& items = FindMarker(&root)->Retranslator->list;
    EXPECT_TRUE(std::none_of(items.begin(), items.end(),
                             [empty](const TTP_RetranslatorItem& i) { return i.obj == empty; }));
}

// A catalogue that translates a text into the empty string, built by hand
// (msgfmt leaves such entries out).
TEST_F(WalkTest, EmptyTranslationIsNoTranslation) {
    Put(QStringLiteral("xx"), BuildMo({{"", "Content-Type: text/plain; charset=UTF-8\n"},
                                       {"Alpha", ""},
                                       {"Caption", "Titel"}}));
    T->UseLanguage(QStringLiteral("xx"));
    EXPECT_EQ(T->gettext(QStringLiteral("Alpha")), QStringLiteral("Alpha"));
    TTextHolder root;
    root.SetCaption(QStringLiteral("Caption"));
    auto* child = new TTextHolder(&root);
    child->SetCaption(QStringLiteral("Alpha"));
    child->Writes.clear();
    T->TranslateComponent(&root, QString());
    EXPECT_EQ(root.Caption(), QStringLiteral("Titel"));
    EXPECT_EQ(child->Caption(), QStringLiteral("Alpha"));
    EXPECT_TRUE(child->Writes.isEmpty());
}

TEST_F(WalkTest, LabelsPlacedByHandShowTheirWholeTranslation) {
    QWidget dialog;
    dialog.setFixedSize(297, 159);
    auto* fits = new QLabel(QStringLiteral("Caption"), &dialog);
    fits->move(17, 8);
    fits->adjustSize();
    // As wide as its window: it cannot grow, so it wraps.
    auto* strip = new QLabel(QStringLiteral("Long"), &dialog);
    strip->setGeometry(0, 120, 297, 33);
    T->TranslateComponent(&dialog, QString());
    EXPECT_EQ(fits->text(), QStringLiteral("Beschriftung"));
    EXPECT_GE(fits->width(), fits->sizeHint().width());
    EXPECT_FALSE(fits->wordWrap());
    EXPECT_EQ(strip->text(), LongGerman);
    EXPECT_TRUE(strip->wordWrap());
    EXPECT_EQ(strip->width(), 297);
}
