// The translation of window texts in place: a walk over a component and
// everything it reaches, replacing each text by its translation.
//
// What the walk's terms mean on Qt's meta-object system:
// - component: a QObject; its published properties are its QMetaObject
//   properties (inherited ones included); class ancestry is
//   QMetaObject::inherits.
// - string property: a QString property with a WRITE accessor; object
//   property: a property holding a QObject pointer.
// - owned components: the QObject children, in order; the marker is looked up
//   among the direct children only.
// - string lists: QStringList properties, and the item texts of list widgets
//   and combo boxes (written with the widget's signals blocked, so check
//   states, item data and the current item stay). A tree widget's node texts
//   are not a string list: the help window's topics name its page anchors.
// - an element linked to an action: a tool button whose defaultAction is set;
//   the action is translated where it is owned.
// - a write that Qt refuses is an EGGComponentError.
// Texts that are not user texts, or that a write would reset, are ignored for
// the whole run from the moment a translator exists (WidgetDefaults below).
#include "localisation/GNUGetTextU.h"
#include "localisation/GnuGettextErrors.h"
#include "localisation/GnuGettextInstance.h"
#include "platform/Platform.h"
#include "support/DebugLog.h"
#include "support/Exception.h"

#include <QComboBox>
#include <QDateTimeEdit>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMetaProperty>
#include <QPlainTextEdit>
#include <QSet>
#include <QSignalBlocker>
#include <QTextBrowser>
#include <QTextEdit>
#include <QToolButton>
#include <deque>

namespace GnuGettext {

namespace {

void WidgetDefaults(TGnuGettextInstance& t) {
    t.TP_GlobalIgnoreClassProperty(&QWidget::staticMetaObject, QStringLiteral("styleSheet"));
    t.TP_GlobalIgnoreClassProperty(&QWidget::staticMetaObject, QStringLiteral("windowFilePath"));
    // The help page and any other document content must survive translation.
    for (const char* p : {"html", "markdown", "plainText", "documentTitle"})
        t.TP_GlobalIgnoreClassProperty(&QTextEdit::staticMetaObject, QString::fromLatin1(p));
    for (const char* p : {"plainText", "documentTitle"})
        t.TP_GlobalIgnoreClassProperty(&QPlainTextEdit::staticMetaObject, QString::fromLatin1(p));
    t.TP_GlobalIgnoreClassProperty(&QTextBrowser::staticMetaObject, QStringLiteral("searchPaths"));
    // What the user typed, and the mask that shapes it.
    t.TP_GlobalIgnoreClassProperty(&QLineEdit::staticMetaObject, QStringLiteral("text"));
    t.TP_GlobalIgnoreClassProperty(&QLineEdit::staticMetaObject, QStringLiteral("inputMask"));
    t.TP_GlobalIgnoreClassProperty(&QComboBox::staticMetaObject, QStringLiteral("currentText"));
    t.TP_GlobalIgnoreClassProperty(&QDateTimeEdit::staticMetaObject,
                                   QStringLiteral("displayFormat"));
}

// Every translator made while this part of the program is linked in gets the
// widget defaults.
[[maybe_unused]] const bool WidgetDefaultsHooked = (ComponentDefaultsHook = &WidgetDefaults, true);

void SetItemTexts(QObject* obj, const QStringList& texts);
// Retranslation writes item texts of lists through the same function.
[[maybe_unused]] const bool ItemTextsHooked = (ItemTextsWriter = &SetItemTexts, true);

using TWorkList = std::deque<std::pair<QString, QObject*>>;

// Item texts of a list widget or a combo box; false for other objects.
bool ItemTexts(const QObject* obj, QStringList& texts) {
    if (const auto* list = qobject_cast<const QListWidget*>(obj)) {
        for (int i = 0; i < list->count(); ++i)
            texts << list->item(i)->text();
        return true;
    }
    if (const auto* combo = qobject_cast<const QComboBox*>(obj)) {
        for (int i = 0; i < combo->count(); ++i)
            texts << combo->itemText(i);
        return true;
    }
    return false;
}

// Writes the texts that differ, keeping everything else of each item.
void SetItemTexts(QObject* obj, const QStringList& texts) {
    const QSignalBlocker blocker(obj);
    if (auto* list = qobject_cast<QListWidget*>(obj)) {
        for (int i = 0; i < list->count() && i < texts.size(); ++i)
            if (list->item(i)->text() != texts[i])
                list->item(i)->setText(texts[i]);
    } else if (auto* combo = qobject_cast<QComboBox*>(obj)) {
        for (int i = 0; i < combo->count() && i < texts.size(); ++i)
            if (combo->itemText(i) != texts[i])
                combo->setItemText(i, texts[i]);
    }
}

// The lines of a string list, each non-empty one translated.
QStringList TranslateStringList(TGnuGettextInstance& t, const QString& domain,
                                const QStringList& lines) {
    QStringList copy = lines;
    for (QString& line : copy)
        if (!line.isEmpty())
            line = t.ComponentTextOf(domain, line);
    return copy;
}

// A property the walk may translate or follow: a text, a list of texts or an
// object.
struct TCandidate {
    QMetaProperty Property;
    QString Name;
    QString Upper;
    int Type;
    bool Object;
};

// The candidates of a class, base classes' first, found once per class: most
// properties of a widget are neither texts nor objects.
const std::vector<TCandidate>&
CandidatesOf(const QMetaObject* mo, QHash<const QMetaObject*, std::vector<TCandidate>>& cache) {
    auto it = cache.find(mo);
    if (it != cache.end())
        return it.value();
    std::vector<const QMetaObject*> chain;
    for (const QMetaObject* m = mo; m; m = m->superClass())
        chain.push_back(m);
    std::vector<TCandidate> list;
    for (auto c = chain.rbegin(); c != chain.rend(); ++c) {
        const QMetaObject* m = *c;
        // Asked of the class that declares it, a property is found without a search.
        for (int i = m->propertyOffset(); i < m->propertyCount(); ++i) {
            const QMetaProperty p = m->property(i);
            const int type = p.metaType().id();
            const bool object = p.metaType().flags() & QMetaType::PointerToQObject;
            if (type != QMetaType::QString && type != QMetaType::QStringList && !object)
                continue;
            if (!p.isReadable() || (!object && !p.isWritable()))
                continue;
            const QString name = QString::fromLatin1(p.name());
            list.push_back(TCandidate{p, name, name.toUpper(), type, object});
        }
    }
    return cache.insert(mo, std::move(list)).value();
}

// The action whose texts Obj shows: a tool button's default action, or an
// action held in an object property.
QObject* LinkedAction(QObject* obj, const std::vector<TCandidate>& candidates) {
    if (const auto* button = qobject_cast<QToolButton*>(obj))
        if (QAction* a = button->defaultAction())
            return a;
    for (const TCandidate& c : candidates)
        if (c.Object)
            if (auto* a = qobject_cast<QAction*>(c.Property.read(obj).value<QObject*>()))
                return a;
    return nullptr;
}

// A label was sized to its English text. A translation that is wider grows a
// label placed by hand while it stays inside its parent; otherwise it wraps.
void FitToText(QObject* obj) {
    auto* label = qobject_cast<QLabel*>(obj);
    if (!label || label->wordWrap())
        return;
    const QSize hint = label->sizeHint();
    if (hint.width() <= label->width())
        return;
    const QWidget* parent = label->parentWidget();
    if (parent && !parent->layout() && label->x() + hint.width() <= parent->width()) {
        label->resize(hint.width(), std::max(hint.height(), label->height()));
        return;
    }
    label->setWordWrap(true);
}

EGGComponentError ComponentError(const QMetaObject* mo, const QString& name,
                                 const std::exception& e) {
    return EGGComponentError(
        QStringLiteral("Property cannot be translated.\r\nAdd "
                       "TP_GlobalIgnoreClassProperty(%1,'%2') to your source code or use\r\n"
                       "TP_Ignore (self,'.%2') to prevent this message.\r\nReason: %3")
            .arg(QString::fromLatin1(mo->className()), name, ExceptionMessage(e)));
}

bool HasMarkerNamedChild(const QObject* obj) {
    for (const QObject* child : obj->children())
        if (child->objectName() == QLatin1String("GNUgettextMarker"))
            return true;
    return false;
}

// One property of Obj, read before any was written (Old): a text is
// remembered, translated and written when it changes; an object is queued.
void TranslateOneProperty(TGnuGettextInstance& t, QObject* obj, const QMetaProperty& p,
                          const QString& name, const QVariant& old, const QString& domain,
                          TWorkList& work) {
    TTP_Retranslator* retranslator = t.CurrentRetranslator();
    try {
        const int type = p.metaType().id();
        if (type == QMetaType::QString) {
            const QString value = old.toString();
            if (value.isEmpty())
                return;
            if (retranslator)
                retranslator->Remember(obj, name, value);
            const QString translated = t.ComponentTextOf(domain, value);
            if (translated == value)
                return;
            if (!p.write(obj, translated))
                throw EGGComponentError(QStringLiteral("The property refused the text."));
            FitToText(obj);
        } else if (type == QMetaType::QStringList) {
            const QStringList lines = old.toStringList();
            if (lines.isEmpty())
                return;
            if (retranslator)
                retranslator->RememberLines(obj, name, lines);
            const QStringList translated = TranslateStringList(t, domain, lines);
            if (translated != lines && !p.write(obj, translated))
                throw EGGComponentError(QStringLiteral("The property refused the text."));
        } else {
            QObject* child = old.value<QObject*>();
            if (child && !FindMarker(child))
                work.emplace_back(QString(), child);
        }
    } catch (const std::exception& e) {
        throw ComponentError(obj->metaObject(), name, e);
    }
}

} // namespace

void TGnuGettextInstance::TranslateProperties(QObject* AnObject, QString TextDomain) {
    if (TextDomain.isEmpty())
        TextDomain = getcurrenttextdomain();
    if (TP_Retranslator)
        TP_Retranslator->TextDomain = TextDomain;

    TWorkList work{{QString(), AnObject}};
    QSet<const QObject*> visited;
    // Classes keep their properties for the whole run; walks run on the
    // user-interface thread only.
    static QHash<const QMetaObject*, std::vector<TCandidate>> candidatesByClass;
    while (!work.empty()) {
        const auto [prefix, obj] = work.front();
        work.pop_front();
        if (!obj || visited.contains(obj))
            continue;
        visited.insert(obj);
        const QMetaObject* mo = obj->metaObject();

        // Class handling: the next walk's settings first, then the run-wide ones.
        const TClassMode* mode = nullptr;
        QStringList ignored;
        auto scan = [&](const std::vector<TClassMode>& list) {
            for (const TClassMode& m : list) {
                if (!mo->inherits(m.HClass))
                    continue;
                if (m.PropertiesToIgnore.isEmpty()) {
                    mode = &m;
                    return;
                }
                ignored += m.PropertiesToIgnore;
            }
        };
        scan(TP_ClassHandling);
        if (!mode)
            scan(FTP_GlobalClassHandling);
        if (mode) {
            if (mode->SpecialHandler)
                mode->SpecialHandler(obj);
            continue;
        }

        const std::vector<TCandidate>& candidates = CandidatesOf(mo, candidatesByClass);
        if (QObject* action = LinkedAction(obj, candidates)) {
            const QMetaObject* amo = action->metaObject();
            const bool actionIgnored =
                std::any_of(FTP_GlobalClassHandling.begin(), FTP_GlobalClassHandling.end(),
                            [amo](const TClassMode& m) {
                                return amo->inherits(m.HClass) && m.PropertiesToIgnore.isEmpty();
                            }) ||
                std::any_of(TP_ClassHandling.begin(), TP_ClassHandling.end(),
                            [amo](const TClassMode& m) { return amo->inherits(m.HClass); });
            if (!actionIgnored)
                continue;
        }

        // Every value is read before any is written: some texts follow
        // others until set (an action's icon text and tool tip follow its
        // text), and each must be remembered and translated as it was.
        struct Value {
            QMetaProperty Property;
            QString Name;
            QVariant Old;
        };
        std::vector<Value> values;
        for (const TCandidate& c : candidates) {
            if (ignored.contains(c.Upper, Qt::CaseInsensitive) ||
                (!TP_IgnoreList.isEmpty() &&
                 TP_IgnoreList.contains(prefix + QLatin1Char('.') + c.Upper)))
                continue;
            const QMetaProperty& p = c.Property;
            const QString& name = c.Name;
            QVariant old;
            try {
                old = p.read(obj);
            } catch (const std::exception& e) {
                throw ComponentError(mo, name, e);
            }
            values.push_back(Value{p, name, old});
        }
        for (const Value& v : values)
            TranslateOneProperty(*this, obj, v.Property, v.Name, v.Old, TextDomain, work);

        QStringList lines;
        if (ItemTexts(obj, lines) && !lines.isEmpty()) {
            if (TP_Retranslator)
                TP_Retranslator->RememberLines(obj, QStringLiteral("Text"), lines);
            const QStringList translated = TranslateStringList(*this, TextDomain, lines);
            if (translated != lines)
                SetItemTexts(obj, translated);
        }

        for (QObject* child : obj->children()) {
            const QString name = child->objectName().toUpper();
            if ((!name.isEmpty() && TP_IgnoreList.contains(name)) || FindMarker(child))
                continue;
            work.emplace_back(name, child);
        }
    }
    TP_ClassHandling.clear();
    TP_IgnoreList.clear();
    TP_Retranslator = nullptr;
}

void TGnuGettextInstance::TranslateComponent(QObject* AnObject, const QString& TextDomain) {
    if (!AnObject)
        return;
    TGnuGettextComponentMarker* marker = nullptr;
    try {
        marker = FindMarker(AnObject);
    } catch (const std::exception& e) {
        DebugLog(QStringLiteral("GnuGettextInstance.TranslateComponent.FindComponent: ") +
                     ExceptionMessage(e),
                 0);
    }
    const QString language = GetCurrentLanguage();
    if (!marker) {
        auto fresh = std::make_unique<TGnuGettextComponentMarker>();
        fresh->Retranslator = std::make_unique<TTP_Retranslator>(this);
        TP_Retranslator = fresh->Retranslator.get();
        try {
            TranslateProperties(AnObject, TextDomain);
        } catch (const std::exception& e) {
            DebugLog(QStringLiteral("GnuGettextInstance.TranslateComponent.TranslateProperties: ") +
                         ExceptionMessage(e),
                     0);
        }
        // Another child already carries the marker's name: refused, as a
        // second component of one name would be.
        if (HasMarkerNamedChild(AnObject))
            throw EGGComponentError(
                QStringLiteral("A component named GNUgettextMarker already exists."));
        // Added after the walk, so the walk does not see it.
        fresh->setParent(AnObject);
        marker = fresh.release();
    } else if (marker->LastLanguage != language) {
        CurrentPlatform().MessageBox(
            BoxKind::Plain, QStringLiteral("Error"),
            QStringLiteral("This application tried to switch the language, but in an incorrect "
                           "way. The programmer needs to replace a call to TranslateComponent "
                           "with a call to RetranslateComponent(). The programmer should see the "
                           "change log of the translation runtime for more information."),
            BtnOk, BtnOk);
    }
    marker->LastLanguage = language;
}

void TGnuGettextInstance::RetranslateComponent(QObject* AnObject, const QString&) {
    TGnuGettextComponentMarker* marker = FindMarker(AnObject);
    if (!marker)
        throw EGGProgrammingError(QStringLiteral(
            "Retranslate was called on an object that has not been translated before. Please use "
            "TranslateComponent() before RetranslateComponent()."));
    const QString language = GetCurrentLanguage();
    if (marker->LastLanguage != language && marker->Retranslator)
        marker->Retranslator->Execute();
    marker->LastLanguage = language;
}

void TranslateComponent(QObject* component, const QString& textDomain) {
    if (DefaultTranslator)
        DefaultTranslator->TranslateComponent(component, textDomain);
}

} // namespace GnuGettext
