#include "editor/MainFormU.h"

#include "catalogue/CatalogueFiles.h"
#include "catalogue/CountryU.h"
#include "editor/Folders.h"
#include "editor/ImageControl.h"
#include "editor/LayoutFile.h"
#include "localisation/GNUGetTextU.h"
#include "localisation/LanguageU.h"
#include "platform/Platform.h"
#include "support/DebugLog.h"
#include "support/DebugU.h"
#include "support/GeneralError.h"
#include "support/HelpU.h"
#include "support/Termination.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QProxyStyle>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>

TMainForm* MainForm = nullptr;

namespace {

// Hint timings: 50 ms before a hint appears, 25 ms when moving between
// hinted controls.
class HintStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_ToolTip_WakeUpDelay)
            return 50;
        if (hint == SH_ToolTip_FallAsleepDelay)
            return 25;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

QToolButton* TextButton(QToolBar* bar, const char* name, const char* caption, const char* hint) {
    auto* b = new QToolButton(bar);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(QString::fromLatin1(caption));
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    if (hint)
        b->setToolTip(QString::fromLatin1(hint));
    b->setFixedHeight(ToolBarHeight);
    bar->addWidget(b);
    return b;
}

QLabel* LabelPanel(QToolBar* bar, const char* name, const char* caption, int width) {
    auto* l = new QLabel(QString::fromLatin1(caption), bar);
    l->setObjectName(QString::fromLatin1(name));
    l->setFixedSize(width, ToolBarHeight);
    l->setAlignment(Qt::AlignCenter);
    bar->addWidget(l);
    return l;
}

QLineEdit* EditBox(QToolBar* bar, const char* name, int width, bool readOnly) {
    auto* e = new QLineEdit(bar);
    e->setObjectName(QString::fromLatin1(name));
    e->setFixedSize(width, ToolBarHeight);
    e->setReadOnly(readOnly);
    bar->addWidget(e);
    return e;
}

void Separator(QToolBar* bar, int n) {
    bar->addSeparator()->setObjectName(QStringLiteral("ToolButton_sep%1").arg(n));
}

} // namespace

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent) {
    MainForm = this;
    setObjectName(QStringLiteral("MainForm"));
    QFont f(QStringLiteral("Tahoma"), 8);
    setFont(f);
    BuildControls();
    FormCreate();
}

TMainForm::~TMainForm() {
    FormDestroy();
    if (MainForm == this)
        MainForm = nullptr;
}

void TMainForm::BuildControls() {
    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->setFixedHeight(ToolBarHeight);
    ToolBar1->setContentsMargins(0, 0, 0, 0);
    ToolBar1->layout()->setContentsMargins(0, 0, 0, 0);
    ToolBar1->layout()->setSpacing(0);
    ToolBar1->setContextMenuPolicy(Qt::PreventContextMenu);
    addToolBar(Qt::TopToolBarArea, ToolBar1);

    LoadBtn =
        TextButton(ToolBar1, "LoadBtn", "Load Image", "Load the .PNG and .CFG files from disk");
    Separator(ToolBar1, 1);
    Panel2 = LabelPanel(ToolBar1, "Panel2", "X", 19);
    XEdit = EditBox(ToolBar1, "XEdit", 51, true);
    Panel3 = LabelPanel(ToolBar1, "Panel3", "Y", 18);
    YEdit = EditBox(ToolBar1, "YEdit", 51, true);
    Separator(ToolBar1, 2);
    UndoBtn = TextButton(ToolBar1, "UndoBtn", "Undo", "UNDO the LAST change only");
    Separator(ToolBar1, 3);
    SaveBtn = TextButton(ToolBar1, "SaveBtn", "Save Config", "Save the .CFG file to disk");
    ClearBtn =
        TextButton(ToolBar1, "ClearBtn", "Clear Config", "Clear the .CFG file and start again");
    EditConfigBtn =
        TextButton(ToolBar1, "EditConfigBtn", "Edit Config", "Manually EDIT the .CFG file on disk");
    CountryBtn = TextButton(ToolBar1, "CountryBtn", "Country", nullptr);
    Separator(ToolBar1, 4);
    ToolButton5 =
        TextButton(ToolBar1, "ToolButton5", "&Help", "Click for full Help on using this program.");
    Separator(ToolBar1, 5);
    const char* filterHint = "Enter filter text to search only the entries valid for this Form";
    Panel4 = LabelPanel(ToolBar1, "Panel4", "Filter>", 48);
    Panel4->setToolTip(QString::fromLatin1(filterHint));
    {
        QFont bold = Panel4->font();
        bold.setBold(true);
        Panel4->setFont(bold);
        QPalette p = Panel4->palette();
        p.setColor(QPalette::WindowText, QColor(0, 102, 204)); // the hot-track colour
        Panel4->setPalette(p);
    }
    FilterEdit = EditBox(ToolBar1, "FilterEdit", 121, false);
    FilterEdit->setToolTip(QString::fromLatin1(filterHint));
    Separator(ToolBar1, 6);
    ToolButton7 = TextButton(ToolBar1, "ToolButton7", "Debug", "Open the Debug window");

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("ClientArea"));
    setCentralWidget(client);

    ScrollBox1 = new QScrollArea(client);
    ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
    ScrollBox1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    ScrollBox1->setLineWidth(ScrollBoxBorder);
    ScrollBox1->setWidgetResizable(false);
    ScrollBox1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ScrollBox1->horizontalScrollBar()->setTracking(true);
    ScrollBox1->verticalScrollBar()->setTracking(true);
    ScrollBox1->viewport()->setMouseTracking(true);
    ScrollBox1->viewport()->installEventFilter(this);
    Image1 = new TImageControl;
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setFixedSize(0, 0);
    ScrollBox1->setWidget(Image1);

    CheckListBox1 = new QListWidget(client);
    CheckListBox1->setObjectName(QStringLiteral("CheckListBox1"));
    CheckListBox1->setUniformItemSizes(true);
    CheckListBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    Panel1 = new QLabel(
        QStringLiteral("CLICK ONCE on item from right-hand list, release, then LEFT-Click to "
                       "enter single Item, or RIGHT-Click to draw a BOX for muliti-line items."),
        client);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setAlignment(Qt::AlignCenter);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    {
        QFont bold = Panel1->font();
        bold.setBold(true);
        Panel1->setFont(bold);
        QPalette p = Panel1->palette();
        p.setColor(QPalette::WindowText, Qt::blue);
        Panel1->setPalette(p);
    }

    CheckFileTimer = new QTimer(this);
    CheckFileTimer->setObjectName(QStringLiteral("CheckFileTimer"));
    CheckFileTimer->setInterval(1000);

    // The design size of the client area: 1008 x 521, below it the toolbar.
    ScrollBox1->setGeometry(0, 0, 512, 521 - ToolBarHeight - InstructionStripHeight);
    resize(1008, 521);

    connect(LoadBtn, &QToolButton::clicked, this, Guarded([this](bool) { LoadBtnClick(); }));
    connect(UndoBtn, &QToolButton::clicked, this, Guarded([this](bool) { UndoBtnClick(); }));
    connect(SaveBtn, &QToolButton::clicked, this, Guarded([this](bool) { SaveBtnClick(); }));
    connect(ClearBtn, &QToolButton::clicked, this, Guarded([this](bool) { ClearBtnClick(); }));
    connect(EditConfigBtn, &QToolButton::clicked, this,
            Guarded([this](bool) { EditConfigBtnClick(); }));
    connect(CountryBtn, &QToolButton::clicked, this, Guarded([this](bool) { CountryBtnClick(); }));
    connect(ToolButton5, &QToolButton::clicked, this,
            Guarded([this](bool) { ToolButton5Click(); }));
    connect(ToolButton7, &QToolButton::clicked, this,
            Guarded([this](bool) { ToolButton7Click(); }));
    connect(FilterEdit, &QLineEdit::textChanged, this,
            Guarded([this](const QString&) { FilterEditChange(); }));
    connect(CheckListBox1, &QListWidget::itemClicked, this,
            Guarded([this](QListWidgetItem*) { CheckListBox1Click(); }));
    connect(CheckFileTimer, &QTimer::timeout, this, Guarded([this] { CheckFileTimerTimer(); }));
    connect(Image1, &TImageControl::MouseEnter, this, Guarded([this] { Image1MouseEnter(); }));
    connect(Image1, &TImageControl::MouseLeave, this, Guarded([this] { Image1MouseLeave(); }));
    connect(Image1, &TImageControl::MouseDown, this,
            Guarded([this](QMouseEvent* e) { Image1MouseDown(e); }));
    connect(Image1, &TImageControl::MouseMove, this,
            Guarded([this](QMouseEvent* e) { Image1MouseMove(e); }));
    connect(Image1, &TImageControl::MouseUp, this,
            Guarded([this](QMouseEvent* e) { Image1MouseUp(e); }));
}

// ---- Lifecycle ------------------------------------------------------------

void TMainForm::FormCreate() {
    GetDocDirectories();
    DebugLogFilename = FormsFolder + QStringLiteral("FormDesigner-debug.txt");
    DebugLog(QStringLiteral("FormCreate..."), 3);
    if (!FormCatalogue)
        FormCatalogue = std::make_unique<TDralFormList>();
    PascalList.clear();
    ConfigList.clear();
    ABitMap = QImage();
    setWindowTitle(QStringLiteral("Kestrova Form Designer v2.2"));
}

void TMainForm::GetDocDirectories() {
    ::GetDocDirectories();
}

void TMainForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TMainForm::FormShow() {
    DebugLog(QStringLiteral("MainForm.FormShow..."), 3);
    if (FInitDone)
        return;
    FInitDone = true;
    try {
        Init();
    } catch (const std::exception& e) {
        // The rest of the start-up is skipped; the program runs on.
        ShowGeneralError(ExceptionMessage(e));
    }
}

void TMainForm::Init() {
    QApplication::setStyle(new HintStyle);
    {
        QPalette tip = QToolTip::palette();
        tip.setColor(QPalette::ToolTipBase, QColor(0, 255, 0));
        tip.setColor(QPalette::ToolTipText, Qt::black);
        QToolTip::setPalette(tip);
        for (QWidget* w : findChildren<QWidget*>())
            if (!w->toolTip().isEmpty())
                w->setToolTipDuration(5000);
    }

    DeleteOldversion();

    OpenCatalogueFiles();

    LoadKestrovaInifile();
    DebugLog(QStringLiteral("Using language ") + CurrentLanguage, 4);
    GnuGettext::UseLanguage(CurrentLanguage);
    LoadLanguage();

    if (!LoadCatalogues(ShowCountryDialog))
        return;

    SaveBtn->setEnabled(false);
    LoadMasterFile();
}

void TMainForm::DeleteOldversion() {
    try {
        for (const char* name : {"FormAliases.ini", "FormDesigner.exe"}) {
            const QString path = FormsFolder + QString::fromLatin1(name);
            if (QFile::exists(path))
                QFile::remove(path);
        }
    } catch (const std::exception& e) {
        DebugLog(QStringLiteral("DeleteOldversion: ") + ExceptionMessage(e), 0);
    }
}

bool TMainForm::LoadMasterFile() {
    try {
        PascalList.clear();
        PascalList = ReadTextLines(FormsFolder + QStringLiteral("master.txt"));
        DebugLog(QStringLiteral("Master file loaded: %1 entries").arg(PascalList.size()), 3);
        CheckListBox1->clear();
        for (const QString& line : PascalList) {
            auto* item = new QListWidgetItem(line, CheckListBox1);
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(Qt::Unchecked);
        }
        return true;
    } catch (const std::exception& e) {
        PlainBox(QStringLiteral("Error reading Master file: ") + ExceptionMessage(e));
        RequestTermination();
        return false;
    }
}

void TMainForm::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    FormResize();
}

void TMainForm::FormResize() {
    // The scroll area keeps its width; the field list takes the rest.
    QWidget* client = centralWidget();
    if (!client)
        return;
    const int w = client->width();
    const int h = client->height();
    const int listHeight = std::max(0, h - InstructionStripHeight);
    ScrollBox1->setGeometry(0, 0, ScrollBox1->width(), listHeight);
    CheckListBox1->setGeometry(ScrollBox1->width(), 0, std::max(0, w - ScrollBox1->width()),
                               listHeight);
    Panel1->setGeometry(0, listHeight, w, InstructionStripHeight);
}

void TMainForm::closeEvent(QCloseEvent* event) {
    FormClose();
    event->accept(); // closing cannot be cancelled
}

void TMainForm::FormClose() {
    if (ConfigHasChanged) {
        CurrentPlatform().Beep(BeepQuestion);
        if (ConfirmBox(QStringLiteral("Config has changed. Save?"), BtnNo))
            SaveConfig();
    }
    CheckFileTimer->stop();
}

void TMainForm::FormDestroy() {
    try {
        CustomAliasIni.reset();
        KestrovaAliasIni.reset();
        PNG = QImage();
        PascalList.clear();
        ConfigList.clear();
        ABitMap = QImage();
    } catch (const std::exception& e) {
        DebugLog(QStringLiteral("MainForm.FormDestroy: ") + ExceptionMessage(e), 0);
    }
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ScrollBox1->viewport() && event->type() == QEvent::MouseMove) {
        try {
            ScrollBox1MouseMove(static_cast<QMouseEvent*>(event));
        } catch (const std::exception& e) {
            ShowGeneralError(ExceptionMessage(e));
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---- Catalogue and settings -------------------------------------------------

void TMainForm::LoadKestrovaInifile() {
    ::LoadKestrovaInifile();
}
void TMainForm::LoadCustomAliasInifile() {
    ::LoadCustomAliasInifile(ShowCountryDialog);
}
void TMainForm::LoadKestrovaAliasInifile() {
    ::LoadKestrovaAliasInifile(ShowCountryDialog);
}
void TMainForm::SaveCountry() {
    ::SaveCountry();
}
void TMainForm::SaveCustomAliasInifile() {
    ::SaveCustomAliasInifile();
}

// ---- Toolbar ----------------------------------------------------------------

void TMainForm::CountryBtnClick() {
    ShowCountryDialog();
}

void TMainForm::ToolButton5Click() {
    if (HelpForm)
        HelpForm->DoHelp(QString());
}

void TMainForm::ToolButton7Click() {
    if (!DebugForm)
        return;
    DebugForm->show();
    DebugForm->raise();
    DebugForm->activateWindow();
}

// ---- Built with the editor and the saving parts ------------------------------

void TMainForm::LoadBtnClick() {}
void TMainForm::LoadFiles() {}
void TMainForm::DrawConfigEntries() {}
void TMainForm::CheckListBox1Click() {}
void TMainForm::Image1MouseEnter() {}
void TMainForm::Image1MouseLeave() {}
void TMainForm::Image1MouseDown(QMouseEvent*) {}
void TMainForm::Image1MouseMove(QMouseEvent*) {}
void TMainForm::Image1MouseUp(QMouseEvent*) {}
void TMainForm::ScrollBox1MouseMove(QMouseEvent*) {}
void TMainForm::UndoBtnClick() {}
void TMainForm::FilterEditChange() {}
