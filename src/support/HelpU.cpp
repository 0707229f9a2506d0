#include "support/HelpU.h"

#include "editor/Folders.h"
#include "localisation/Translate.h"
#include "support/DebugLog.h"
#include "support/GeneralError.h"
#include "support/IconU.h"
#include "support/WebBrowser.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

THelpForm* HelpForm = nullptr;

QString ConvertNameToTag(const QString& Name) {
    if (Name.isEmpty())
        return {};
    QString result = Name;
    for (QChar& c : result) {
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + 32);
        else if (c == u' ')
            c = u'_';
    }
    DebugLog(QStringLiteral("ConvertNameToTag: Result=") + result, 3);
    return result;
}

QString StripAmpersands(const QString& Text) {
    QString out = Text;
    out.remove(u'&');
    return out;
}

namespace {
QToolButton* ImageButton(QToolBar* bar, const char* name, int image, const char* hint) {
    auto* b = new QToolButton(bar);
    b->setObjectName(QString::fromLatin1(name));
    b->setIcon(ICONForm ? ICONForm->Image(image) : QIcon());
    b->setToolTip(QString::fromLatin1(hint));
    b->setToolTipDuration(5000);
    b->setAutoRaise(true);
    bar->addWidget(b);
    return b;
}
} // namespace

THelpForm::THelpForm(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("HelpForm"));
    setWindowTitle(QStringLiteral(N_("Kestrova Help")));
    QFont f(QStringLiteral("Tahoma"));
    f.setPixelSize(11);
    setFont(f);
    setWindowIcon(style()->standardIcon(QStyle::SP_DialogHelpButton));

    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setFixedHeight(22);
    ToolBar1->setIconSize(QSize(16, 16));
    ToolButton1 = ToolBar1->addSeparator();
    ToolButton1->setObjectName(QStringLiteral("ToolButton1"));
    BackBtn = ImageButton(ToolBar1, "BackBtn", 72, N_("Select Previous page"));
    DownBtn = ImageButton(ToolBar1, "DownBtn", 63, N_("Select a page from the list"));
    ForwardBtn = ImageButton(ToolBar1, "ForwardBtn", 73, N_("Go forward one page"));
    UpBtn = ImageButton(ToolBar1, "UpBtn", 74, N_("Go to top of Help"));
    ClearBtn = ImageButton(ToolBar1, "ClearBtn", 75, N_("Clear History"));
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    DownBtn->setMenu(PopupMenu1);
    DownBtn->setPopupMode(QToolButton::InstantPopup);

    TreeView1 = new QTreeWidget(this);
    TreeView1->setObjectName(QStringLiteral("TreeView1"));
    TreeView1->setFixedWidth(210);
    TreeView1->setHeaderHidden(true);
    TreeView1->setRootIsDecorated(false);
    TreeView1->setIndentation(19);
    TreeView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TreeView1->setMouseTracking(true); // the node under the pointer is highlighted
    auto* main = new QTreeWidgetItem(TreeView1, QStringList{QStringLiteral("Main")});
    for (const char* topic : {"Selecting Country", "How it works", "Making PNG Forms",
                              "Compiling the Form", "Printing Forms"})
        new QTreeWidgetItem(main, QStringList{QString::fromLatin1(topic)});

    WebBrowser1 = new TWebBrowser(this);
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));

    auto* body = new QHBoxLayout;
    body->setContentsMargins(0, 0, 0, 0);
    body->setSpacing(0);
    body->addWidget(TreeView1);
    body->addWidget(WebBrowser1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(ToolBar1);
    layout->addLayout(body, 1);
    resize(850, 597);

    connect(BackBtn, &QToolButton::clicked, this, Guarded([this](bool) { BackBtnClick(); }));
    connect(ForwardBtn, &QToolButton::clicked, this, Guarded([this](bool) { ForwardBtnClick(); }));
    connect(UpBtn, &QToolButton::clicked, this, Guarded([this](bool) { UpBtnClick(); }));
    connect(ClearBtn, &QToolButton::clicked, this, Guarded([this](bool) { ClearBtnClick(); }));
    connect(PopupMenu1, &QMenu::triggered, this, Guarded([this](QAction* a) { MenuClick(a); }));
    // A click anywhere in the tree opens the selected node, also beside it.
    TreeView1->viewport()->installEventFilter(this);
    // Selecting a node expands it.
    connect(TreeView1, &QTreeWidget::currentItemChanged, this,
            [](QTreeWidgetItem* current, QTreeWidgetItem*) {
                if (current)
                    current->setExpanded(true);
            });
}

bool THelpForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == TreeView1->viewport() && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
        Guarded([this] { TreeView1Click(); })();
    return QWidget::eventFilter(watched, event);
}

QList<QAction*> THelpForm::History() const {
    return PopupMenu1->actions();
}

void THelpForm::DoHelp(const QString& Line) {
    DebugLog(QStringLiteral("DoHelp: Keyword=") + Line, 3);
    const int n = int(PopupMenu1->actions().size());
    QAction* entry = PopupMenu1->addAction(QStringLiteral("forms-help.html#") + Line);
    entry->setObjectName(QStringLiteral("Line%1").arg(n));
    HistoryPos = int(PopupMenu1->actions().size()) - 1;
    try {
        WebBrowser1->Navigate(HelpFolder + QStringLiteral("forms-help.html#") + Line,
                              TWebBrowser::navNoHistory);
        show();
        raise();
        activateWindow();
    } catch (const std::exception& e) {
        DebugLog(QStringLiteral("Opening WebBrowser: ") + ExceptionMessage(e), 3);
    }
}

void THelpForm::NavigateEntry(int index, int flags) {
    const QList<QAction*> entries = PopupMenu1->actions();
    if (index < 0 || index >= entries.size())
        return;
    WebBrowser1->Navigate(HelpFolder + StripAmpersands(entries[index]->text()), flags);
}

void THelpForm::BackBtnClick() {
    if (HistoryPos == 0)
        return;
    --HistoryPos;
    if (HistoryPos < PopupMenu1->actions().size())
        NavigateEntry(HistoryPos, 0);
}

void THelpForm::ForwardBtnClick() {
    if (HistoryPos < PopupMenu1->actions().size() - 1) {
        ++HistoryPos;
        NavigateEntry(HistoryPos, 0);
    }
}

void THelpForm::UpBtnClick() {
    HistoryPos = 0;
    WebBrowser1->Navigate(HelpFolder + QStringLiteral("kestrova-help.html#"));
}

void THelpForm::ClearBtnClick() {
    HistoryPos = 0;
    PopupMenu1->clear(); // deletes the entries it owns
}

void THelpForm::MenuClick(QAction* entry) {
    WebBrowser1->Navigate(HelpFolder + StripAmpersands(entry->text()), TWebBrowser::navNoHistory);
}

void THelpForm::TreeView1Click() {
    const QList<QTreeWidgetItem*> selected = TreeView1->selectedItems();
    if (selected.isEmpty())
        return;
    QTreeWidgetItem* node = selected.first();
    DoHelp(ConvertNameToTag(node->text(0)));
    TreeView1->expandAll();
}

void THelpForm::FormShow() {
    TreeView1->expandAll();
}

void THelpForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!FShownOnce) {
        FShownOnce = true;
        if (QScreen* s = QGuiApplication::primaryScreen())
            move(s->availableGeometry().center() - rect().center());
    }
    FormShow();
}
