#include "editor/MainFormU.h"

#include "catalogue/CatalogueFiles.h"
#include "catalogue/CountryU.h"
#include "editor/CheckListBox.h"
#include "editor/FieldFilter.h"
#include "editor/Folders.h"
#include "editor/FormImage.h"
#include "editor/ImageControl.h"
#include "editor/LayoutFile.h"
#include "editor/MouseCoordsWindow.h"
#include "editor/OverlayGeometry.h"
#include "editor/WindowFit.h"
#include "localisation/GNUGetTextU.h"
#include "localisation/LanguageU.h"
#include "localisation/Translate.h"
#include "platform/Platform.h"
#include "support/DebugLog.h"
#include "support/DebugU.h"
#include "support/DesignerStyle.h"
#include "support/GeneralError.h"
#include "support/HelpU.h"
#include "support/Termination.h"
#include "support/Version.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>
#include <QUndoStack>

#include <algorithm>
#include <utility>

TMainForm* MainForm = nullptr;

namespace {

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

// What the overlay reads from the main window.
class MainFormOverlayHost : public MouseCoordsHost {
public:
    explicit MainFormOverlayHost(TMainForm* form) : F(form) {}
    bool BoxInProgress() const override { return F->BoxInProgress; }
    const QImage& Picture() const override { return F->Image1->Picture; }
    void DrawOverPicture(QPainter& p, const QRect& area) const override {
        F->Image1->PaintEntries(p, area);
    }
    QPoint Image1Pos() const override { return F->Image1->pos(); }
    QPoint ScrollBox1Pos() const override { return F->ScrollBox1->mapTo(F, QPoint(0, 0)); }
    int ScrollBox1Border() const override { return F->ScrollBox1->frameWidth(); }
    QSize ClientSize() const override { return F->size(); }
    int FontSize() const override { return FormFontSize; }

private:
    TMainForm* F;
};

// Keys are written in "Tahoma" at FormFontSize.
QFont PictureFont() {
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(KeyPixelSize(FormFontSize));
    return font;
}

// Shows the wait pointer for as long as it lives.
class WaitPointer {
public:
    WaitPointer() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitPointer() { QGuiApplication::restoreOverrideCursor(); }
    WaitPointer(const WaitPointer&) = delete;
    WaitPointer& operator=(const WaitPointer&) = delete;
};

// Images from this many pixels on take long enough to decode to show the wait pointer.
constexpr qint64 LargeImagePixels = 4'000'000;

} // namespace

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent) {
    MainForm = this;
    setObjectName(QStringLiteral("MainForm"));
    Document = new LayoutDocument(this);
    QFont f(QStringLiteral("Tahoma"), 8);
    setFont(f);
    BuildControls();
    FormCreate();
}

TMainForm::~TMainForm() {
    // The controls die after this body, and a dying list still reports its
    // selection cleared: nothing they send may reach a half-destroyed window.
    for (QObject* child : findChildren<QObject*>())
        child->disconnect(this);
    Document->UndoStack()->disconnect(this); // held by the document, not a child
    SetPlacementPointer(false);
    // The overlay reads the window through FOverlayHost: it goes first.
    delete MouseCoordsWindow;
    MouseCoordsWindow = nullptr;
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

    LoadBtn = TextButton(ToolBar1, "LoadBtn", N_("Load Image"),
                         N_("Load the .PNG and .CFG files from disk"));
    Separator(ToolBar1, 1);
    Panel2 = LabelPanel(ToolBar1, "Panel2", N_("X"), 19);
    XEdit = EditBox(ToolBar1, "XEdit", 51, true);
    Panel3 = LabelPanel(ToolBar1, "Panel3", N_("Y"), 18);
    YEdit = EditBox(ToolBar1, "YEdit", 51, true);
    Separator(ToolBar1, 2);
    UndoBtn = TextButton(ToolBar1, "UndoBtn", N_("Undo"), N_("UNDO the LAST change only"));
    RedoBtn = TextButton(ToolBar1, "RedoBtn", N_("Redo"), N_("REDO the change undone last"));
    Separator(ToolBar1, 3);
    SaveBtn = TextButton(ToolBar1, "SaveBtn", N_("Save Config"), N_("Save the .CFG file to disk"));
    ClearBtn = TextButton(ToolBar1, "ClearBtn", N_("Clear Config"),
                          N_("Clear the .CFG file and start again"));
    EditConfigBtn = TextButton(ToolBar1, "EditConfigBtn", N_("Edit Config"),
                               N_("Manually EDIT the .CFG file on disk"));
    CountryBtn = TextButton(ToolBar1, "CountryBtn", N_("Country"), nullptr);
    Separator(ToolBar1, 4);
    ToolButton5 = TextButton(ToolBar1, "ToolButton5", N_("&Help"),
                             N_("Click for full Help on using this program."));
    Separator(ToolBar1, 5);
    const char* filterHint = N_("Enter filter text to search only the entries valid for this Form");
    Panel4 = LabelPanel(ToolBar1, "Panel4", N_("Filter>"), 48);
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
    ToolButton7 = TextButton(ToolBar1, "ToolButton7", N_("Debug"), N_("Open the Debug window"));

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
    Image1->SetDocument(Document);
    ScrollBox1->setWidget(Image1);

    CheckListBox1 = new TCheckListBox(client);
    CheckListBox1->setObjectName(QStringLiteral("CheckListBox1"));
    CheckListBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    Panel1 =
        new QLabel(QStringLiteral(N_(
                       "CLICK ONCE on item from right-hand list, release, then LEFT-Click to "
                       "enter single Item, or RIGHT-Click to draw a BOX for muliti-line items.")),
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
    connect(RedoBtn, &QToolButton::clicked, this, Guarded([this](bool) { RedoBtnClick(); }));
    UndoAction = new QAction(this);
    UndoAction->setObjectName(QStringLiteral("UndoAction"));
    UndoAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    RedoAction = new QAction(this);
    RedoAction->setObjectName(QStringLiteral("RedoAction"));
    RedoAction->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    addAction(UndoAction);
    addAction(RedoAction);
    connect(UndoAction, &QAction::triggered, this, Guarded([this](bool) { UndoBtnClick(); }));
    connect(RedoAction, &QAction::triggered, this, Guarded([this](bool) { RedoBtnClick(); }));
    // Undo and redo are offered exactly when the history has a step for them.
    QUndoStack* stack = Document->UndoStack();
    UndoBtn->setEnabled(false);
    RedoBtn->setEnabled(false);
    UndoAction->setEnabled(false);
    RedoAction->setEnabled(false);
    connect(stack, &QUndoStack::canUndoChanged, UndoBtn, &QWidget::setEnabled);
    connect(stack, &QUndoStack::canUndoChanged, UndoAction, &QAction::setEnabled);
    connect(stack, &QUndoStack::canRedoChanged, RedoBtn, &QWidget::setEnabled);
    connect(stack, &QUndoStack::canRedoChanged, RedoAction, &QAction::setEnabled);
    connect(Document, &LayoutDocument::EntryInserted, this, [this](int index) {
        const QString key = KeyOfLine(Document->ConfigList().at(index));
        const int i = FindFieldIndex(CheckListBox1->Items(), key);
        if (i >= 0)
            CheckListBox1->SetChecked(i, true);
    });
    // A re-placed key's line goes before its new one comes: whether its key
    // is still used is known once the whole step is done.
    connect(Document, &LayoutDocument::EntryRemoved, this,
            [this](int, const QString& line) { FRemovedKeys << KeyOfLine(line); });
    connect(stack, &QUndoStack::indexChanged, this, [this] { UntickRemovedKeys(); });
    connect(Document, &LayoutDocument::DocumentReset, this, [this] { FRemovedKeys.clear(); });
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
    // A click, and any other change of the selected item (arrow keys, Home,
    // End, typing), chooses the item's key.
    connect(CheckListBox1, &QListView::clicked, this,
            Guarded([this](const QModelIndex&) { CheckListBox1Click(); }));
    connect(CheckListBox1->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            Guarded([this] { CheckListBox1Click(); }));
    connect(CheckFileTimer, &QTimer::timeout, this, Guarded([this] { CheckFileTimerTimer(); }));
    connect(Image1, &TImageControl::MouseEnter, this, Guarded([this] { RouteImage1Enter(); }));
    connect(Image1, &TImageControl::MouseLeave, this, Guarded([this] { RouteImage1Leave(); }));
    connect(Image1, &TImageControl::MouseDown, this,
            Guarded([this](QMouseEvent* e) { RouteImage1Down(e); }));
    connect(Image1, &TImageControl::MouseMove, this,
            Guarded([this](QMouseEvent* e) { RouteImage1Move(e); }));
    connect(Image1, &TImageControl::MouseUp, this,
            Guarded([this](QMouseEvent* e) { RouteImage1Up(e); }));
}

// ---- Lifecycle ------------------------------------------------------------

void TMainForm::FormCreate() {
    GetDocDirectories();
    DebugLogFilename = FormsFolder + QStringLiteral("FormDesigner-debug.txt");
    DebugLog(QStringLiteral("FormCreate..."), 3);
    if (!FormCatalogue)
        FormCatalogue = std::make_unique<TDralFormList>();
    PascalList.clear();
    FOverlayHost = std::make_unique<MainFormOverlayHost>(this);
    MouseCoordsWindow = new TMouseCoordsWindow(this, FOverlayHost.get());
    MouseCoordsWindow->setObjectName(QStringLiteral("MouseCoordsWindow"));
    MouseCoordsWindow->move(50, 50);
    MouseCoordsWindow->hide();
    MouseCoordsWindow->raise();
    setWindowTitle(QStringLiteral(KFD_CAPTION));
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
    EnableHintTimings();
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
    FitToolBarToTexts();

    if (!LoadCatalogues(ShowCountryDialog))
        return;

    SaveBtn->setEnabled(false);
    LoadMasterFile();
}

// Translated captions can make the toolbar wider than the design width; the
// window then grows, within the screen, so that no control ends up in the
// toolbar's overflow menu where a user would not look for it.
void TMainForm::FitToolBarToTexts() {
    const int missing = ToolBar1->sizeHint().width() - ToolBar1->width();
    if (missing <= 0)
        return;
    QRect room = geometry().adjusted(0, 0, missing, 0);
    if (const QScreen* s = screen()) {
        const QRect available = s->availableGeometry();
        const int frame = frameGeometry().width() - geometry().width();
        room.setWidth(std::max(width(), std::min(room.width(), available.width() - frame)));
        if (room.right() > available.right())
            room.moveLeft(std::max(available.left(), available.right() - room.width() + 1));
    }
    setGeometry(room);
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
        CheckListBox1->SetItems(PascalList);
        return true;
    } catch (const std::exception& e) {
        PlainBox(QStringLiteral(N_("Error reading Master file: ")) + ExceptionMessage(e));
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
    // The program ends with the main window, whatever other window is open
    // (debug, help, notice): with none of them left showing, the event loop
    // ends once this window has closed, and the windows are then released in
    // their order.
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != this && w->isVisible())
            w->hide();
}

void TMainForm::FormClose() {
    SaveChangesFirst();
    CheckFileTimer->stop();
}

bool TMainForm::SaveChangesFirst() {
    if (!ConfigHasChanged())
        return true;
    CurrentPlatform().Beep(BeepQuestion);
    if (!ConfirmBox(QStringLiteral(N_("Config has changed. Save?")), BtnNo))
        return true;
    SaveConfig();
    return !ConfigHasChanged();
}

void TMainForm::FormDestroy() {
    try {
        CustomAliasIni.reset();
        KestrovaAliasIni.reset();
        PNG = QImage();
        PascalList.clear();
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

// ---- Loading and display ------------------------------------------------------

void TMainForm::LoadBtnClick() {
    const QString folder = FormsFolder + CurrentCountry + u'/';
    // Emptying a non-empty filter refills the whole list (FilterEditChange).
    FilterEdit->clear();
    const QString chosen = CurrentPlatform().OpenPictureFile(
        folder, QString(),
        // TRANSLATORS: keep "(*.png)|*.PNG": the dialog reads its file pattern from it.
        QStringLiteral(N_("PNG files (*.png)|*.PNG")));
    if (chosen.isEmpty())
        return;
    const QString alias = AliasNameOf(chosen);
    DebugLog(QStringLiteral("ConfigName=") + alias, 3);
    LoadFilesFrom(chosen, alias, true);
}

void TMainForm::LoadFiles() {
    LoadFilesFrom(ImageFilename, AliasName, false);
}

bool TMainForm::LoadFilesFrom(const QString& imagePath, const QString& aliasName, bool askToSave) {
    QImage image;
    try {
        std::unique_ptr<WaitPointer> wait;
        image = ReadFormImageFile(imagePath, [&wait](QSize size) {
            if (qint64(size.width()) * size.height() >= LargeImagePixels)
                wait = std::make_unique<WaitPointer>();
        });
    } catch (const std::exception& e) {
        // The previous form stays whole, its names included: a later save
        // must not file the old layout under the new image's name.
        PlainBox(QStringLiteral(N_("Error reading PNG file: ")) + ExceptionMessage(e));
        return false;
    }
    // The picture is built before anything of the window changes: when it
    // cannot be (no memory for a large scan), the previous form stays whole,
    // its names, layout, ticks, picture and undo history included.
    QImage picture;
    try {
        // The old picture's memory is drawn over when nothing else holds it
        // and it has the new image's very size (a reload of the same form),
        // but never while the form may yet stay (its placements unsaved).
        if (Image1->Picture.size() == image.size() && !(askToSave && ConfigHasChanged())) {
            PNG = QImage(); // it shares the picture's pixels
            if (Image1->Picture.isDetached())
                picture = std::move(Image1->Picture);
        }
        FormPictureInto(picture, image);
    } catch (const std::exception& e) {
        if (Image1->Picture.isNull() && picture.size() == image.size())
            Image1->Picture = std::move(picture);
        PNG = Image1->Picture;
        PlainBox(QStringLiteral(N_("Error reading PNG file: ")) + ExceptionMessage(e));
        return false;
    }
    // Another form's layout replaces this one: its unsaved placements are not
    // dropped without asking, and stay, with the whole form, when they could
    // not be saved. An image that cannot be read replaces nothing and asks
    // nothing.
    if (askToSave && !SaveChangesFirst())
        return false;
    ImageFilename = imagePath;
    AliasName = aliasName;
    // The picture is the only copy of the image kept: nothing is drawn into
    // it, so the two share their pixels.
    image = QImage();
    PNG = QImage();

    try {
        Image1->Picture = QImage(); // the old picture goes
    } catch (const std::exception& e) {
        DebugLog(QStringLiteral("FreeImage: ") + ExceptionMessage(e), 0);
    }

    ScrollBox1->horizontalScrollBar()->setValue(0);
    ScrollBox1->verticalScrollBar()->setValue(0);
    Image1->move(0, 0);
    Image1->setFixedSize(picture.size());
    FitWindowToScreen(picture.size());

    Image1->Picture = std::move(picture);
    PNG = Image1->Picture;
    Image1->SetKeyFont(PictureFont());
    Image1->update();

    CheckListBox1->SetItems(PascalList);

    SaveBtn->setEnabled(true);
    const QString cfgFilename =
        FormsFolder + CurrentCountry + u'/' + AliasName + QStringLiteral(".cfg");

    // A new history: steps of another form, or of the layout before a
    // reload, must never come back.
    bool read = false;
    try {
        read = Document->Load(cfgFilename);
    } catch (const std::exception& e) {
        EditConfigBtn->setEnabled(true);
        PlainBox(QStringLiteral(N_("Error loding Config file: ")) + ExceptionMessage(e));
        return true;
    }
    EditConfigBtn->setEnabled(read);
    if (read) {
        TickEntries();
        try {
            FileTimes times;
            if (!CurrentPlatform().GetFileTimes(cfgFilename, times))
                DebugLog(QStringLiteral("GetFiletimes failed"), 0);
            LastFileTime = times.LastWrite;
        } catch (const std::exception& e) {
            DebugLog(QStringLiteral("LoadFiles: GetFiletimes: ") + ExceptionMessage(e), 0);
        }
    }
    CheckFileTimer->start();
    return true;
}

void TMainForm::TickEntries() {
    // Without a walk of the whole list per layout line.
    const QHash<QString, int> first = FieldIndexes(CheckListBox1->Items());
    for (const QString& line : ConfigList()) {
        const auto it = first.constFind(KeyOfLine(line));
        if (it != first.constEnd())
            CheckListBox1->SetChecked(it.value(), true);
    }
}

void TMainForm::UntickRemovedKeys() {
    // A key whose last line went (its placement undone) is no longer used.
    const QStringList keys = std::exchange(FRemovedKeys, {});
    for (const QString& key : keys) {
        if (Document->FindConfigEntry(key) >= 0)
            continue;
        const int i = FindFieldIndex(CheckListBox1->Items(), key);
        if (i >= 0)
            CheckListBox1->SetChecked(i, false);
    }
}

void TMainForm::FitWindowToScreen(QSize imageSize) {
    const WindowFit fit =
        FitMainWindow(CurrentPlatform().PrimaryScreenSize(), imageSize.width(), x());
    // The fitting rules give the outer size; the frame (if any) is taken off.
    const QSize frame = frameGeometry().size() - size();
    move(fit.Left, fit.Top);
    resize(std::max(1, fit.Width - frame.width()), std::max(1, fit.Height - frame.height()));

    // ScrollBox1's client width excludes its border and a vertical scroll
    // bar, which a form taller than the area always has.
    const int border = 2 * ScrollBox1->frameWidth();
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, ScrollBox1);
    const int areaHeight = std::max(0, centralWidget()->height() - InstructionStripHeight);
    const bool horizontal = imageSize.width() > fit.ScrollClientWidth;
    const bool vertical = imageSize.height() > areaHeight - border - (horizontal ? bar : 0);
    ScrollBox1->resize(fit.ScrollClientWidth + border + (vertical ? bar : 0), areaHeight);
    FormResize();
}

// ---- Placement ------------------------------------------------------------------

void TMainForm::CheckListBox1Click() {
    const int i = CheckListBox1->ItemIndex();
    if (i < 0)
        return;
    const QString text = CheckListBox1->Item(i);
    CheckListBox1->SetChecked(i, true);
    CurrentText = KeyOfLine(text);
}

void TMainForm::SetPlacementPointer(bool sizeAll) {
    if (sizeAll) {
        if (FSizeAllPointer)
            QGuiApplication::changeOverrideCursor(Qt::SizeAllCursor);
        else
            QGuiApplication::setOverrideCursor(Qt::SizeAllCursor);
        FSizeAllPointer = true;
    } else if (FSizeAllPointer) {
        QGuiApplication::restoreOverrideCursor();
        FSizeAllPointer = false;
    }
}

void TMainForm::Image1MouseEnter() {
    const bool chosen = !CurrentText.isEmpty();
    SetPlacementPointer(chosen);
    if (chosen) {
        MouseCoordsWindow->show();
        MouseCoordsWindow->raise();
    } else {
        MouseCoordsWindow->hide();
    }
}

void TMainForm::Image1MouseLeave() {
    SetPlacementPointer(false);
    MouseCoordsWindow->hide();
}

QPoint TMainForm::ClientPos(const QMouseEvent* event) const {
    return Image1->mapTo(ScrollBox1->viewport(), event->position().toPoint());
}

bool TMainForm::OverImage(const QMouseEvent* event) const {
    return Image1->rect().contains(event->position().toPoint()) &&
           ScrollBox1->viewport()->rect().contains(ClientPos(event));
}

void TMainForm::ShowCoordinates(QPoint client) {
    XEdit->setText(QString::number(client.x()));
    YEdit->setText(QString::number(client.y()));
}

void TMainForm::Image1MouseMove(QMouseEvent* event) {
    MousePos = ClientPos(event);
    if (BoxInProgress) {
        BoxEnd = MousePos;
        MouseCoordsWindow->Render(BoxStart.x(), BoxStart.y(), BoxEnd.x() - BoxStart.x(),
                                  BoxEnd.y() - BoxStart.y(), CurrentText);
    } else {
        MouseCoordsWindow->Render(MousePos.x(), MousePos.y(), -1, -1, CurrentText);
    }
    ShowCoordinates(MousePos);
}

void TMainForm::ScrollBox1MouseMove(QMouseEvent* event) {
    // Events of the area itself are already in its client coordinates.
    ShowCoordinates(event->position().toPoint());
}

void TMainForm::Image1MouseDown(QMouseEvent* event) {
    // Image coordinates: the image control sits at minus the scroll positions.
    FixMousePos = event->position().toPoint();
    if (event->button() == Qt::RightButton) {
        BoxStart = ClientPos(event);
        BoxEnd = MousePos;
        BoxInProgress = true;
    } else {
        BoxInProgress = false;
    }
}

void TMainForm::Image1MouseUp(QMouseEvent* event) {
    if (CurrentText.isEmpty())
        return;
    const int x = FixMousePos.x() + KeyOffsetX;
    const int y = FixMousePos.y() + KeyOffsetY;
    // The key's size follows FormFontSize as it is now.
    Image1->SetKeyFont(PictureFont());
    const QString key = CurrentText;
    const bool box = BoxInProgress;
    CurrentText.clear();
    BoxInProgress = false;
    BoxEnd = QPoint(0, 0);
    SetPlacementPointer(false);
    MouseCoordsWindow->hide();

    if (box) {
        const QPoint end = event->position().toPoint();
        if (!Document->PlaceBox(key, x, y, end.x() - x, end.y() - y)) {
            DebugLog(QStringLiteral("ERROR: Invalid With or Height"), 3);
            CurrentPlatform().Beep(BeepError);
        }
    } else {
        Document->PlacePoint(key, x, y);
    }
}

bool TMainForm::CanUndo() const {
    return Document->UndoStack()->canUndo();
}

bool TMainForm::CanRedo() const {
    return Document->UndoStack()->canRedo();
}

void TMainForm::UndoBtnClick() {
    Document->UndoStack()->undo();
}

void TMainForm::RedoBtnClick() {
    Document->UndoStack()->redo();
}

// ---- Routing of the image's pointer events ----------------------------------------

void TMainForm::RouteImage1Enter() {
    if (FPointerOverImage)
        return;
    FPointerOverImage = true;
    Image1MouseEnter();
}

void TMainForm::RouteImage1Leave() {
    if (!FPointerOverImage)
        return;
    FPointerOverImage = false;
    Image1MouseLeave();
}

void TMainForm::RouteImage1Down(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        FLeftCapture = true;
    RouteImage1Enter();
    Image1MouseDown(event);
}

void TMainForm::RouteImage1Move(QMouseEvent* event) {
    // Qt keeps sending moves to the image while any button is held; only the
    // left button's capture lets them count away from the image.
    const bool over = OverImage(event);
    if (over)
        RouteImage1Enter();
    else
        RouteImage1Leave();
    if (over || FLeftCapture)
        Image1MouseMove(event);
    else if (ScrollBox1->viewport()->rect().contains(ClientPos(event)))
        ShowCoordinates(ClientPos(event)); // over the area beside the image
}

void TMainForm::RouteImage1Up(QMouseEvent* event) {
    const bool captured = event->button() == Qt::LeftButton && FLeftCapture;
    if (event->button() == Qt::LeftButton)
        FLeftCapture = false;
    const bool over = OverImage(event);
    if (captured || over)
        Image1MouseUp(event);
    if (!over)
        RouteImage1Leave();
}

// ---- Filter ---------------------------------------------------------------------

void TMainForm::FilterEditChange() {
    const QString filter = FilterEdit->text();
    CheckListBox1->SetItems(filter.isEmpty() ? PascalList : FilterFieldLines(PascalList, filter));
}
