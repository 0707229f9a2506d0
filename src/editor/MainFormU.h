#pragma once

#include "editor/LayoutDocument.h"
#include "editor/TextFile.h"

#include <QImage>
#include <QMainWindow>
#include <QPoint>
#include <QStringList>

#include <memory>

class QAction;
class QLabel;
class QLineEdit;
class QScrollArea;
class QTimer;
class QToolBar;
class QToolButton;
class QMouseEvent;
class TCheckListBox;
class TImageControl;
class TMouseCoordsWindow;
class MouseCoordsHost;

// The layout editor's main window: the toolbar, the scrolling image area, the
// field list and the instruction strip, with the editing state they share.
class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    // Controls, named as the translation walk and the tests know them.
    QToolBar* ToolBar1;
    QToolButton* LoadBtn;
    QLabel* Panel2;
    QLineEdit* XEdit;
    QLabel* Panel3;
    QLineEdit* YEdit;
    QToolButton* UndoBtn;
    QToolButton* RedoBtn;
    // Ctrl+Z, and Ctrl+Shift+Z or Ctrl+Y, anywhere in the window.
    QAction* UndoAction;
    QAction* RedoAction;
    QToolButton* SaveBtn;
    QToolButton* ClearBtn;
    QToolButton* EditConfigBtn;
    QToolButton* CountryBtn;
    QToolButton* ToolButton5;
    QLabel* Panel4;
    QLineEdit* FilterEdit;
    QToolButton* ToolButton7;
    QScrollArea* ScrollBox1;
    TImageControl* Image1;
    TCheckListBox* CheckListBox1;
    QLabel* Panel1;
    QTimer* CheckFileTimer;

    // The form's layout: its lines, file name, encoding and undo history.
    LayoutDocument* Document;

    // Editing state.
    QString ImageFilename;
    QString AliasName;
    // The form image as loaded; it shares its pixels with Image1->Picture.
    QImage PNG;
    QStringList PascalList;
    QString CurrentText;
    QPoint MousePos;
    QPoint FixMousePos;
    QPoint BoxStart;
    QPoint BoxEnd;
    bool BoxInProgress = false;
    bool EditInProgress = false;
    double CurrentFileTime = 0;
    double LastFileTime = 0;
    TMouseCoordsWindow* MouseCoordsWindow = nullptr;

    // The document's state under the names the window has always used.
    const QStringList& ConfigList() const { return Document->ConfigList(); }
    const QString& CFGFilename() const { return Document->CFGFilename(); }
    bool ConfigHasChanged() const { return Document->ConfigHasChanged(); }
    // Encoding of the layout file read last in this run; used for writing.
    TextEncoding ConfigEncoding() const { return Document->ConfigEncoding(); }

    // Lifecycle.
    void FormCreate();
    void FormShow();
    void Init();
    void FitToolBarToTexts();
    void GetDocDirectories();
    void DeleteOldversion();
    bool LoadMasterFile();
    void FormResize();
    void FormClose();
    void FormDestroy();

    // Loading and display.
    void LoadBtnClick();
    void LoadFiles();

    // Placement.
    void CheckListBox1Click();
    void Image1MouseEnter();
    void Image1MouseLeave();
    void Image1MouseDown(QMouseEvent* event);
    void Image1MouseMove(QMouseEvent* event);
    void Image1MouseUp(QMouseEvent* event);
    void ScrollBox1MouseMove(QMouseEvent* event);
    void UndoBtnClick();
    void RedoBtnClick();
    // Whether Undo has a step to take back.
    bool CanUndo() const;
    bool CanRedo() const;

    // Saving and watching.
    void SaveBtnClick();
    void SaveConfig();
    void SelectConfig();
    void ClearBtnClick();
    void EditConfigBtnClick();
    bool FileHasChanged();
    void CheckFileTimerTimer();

    // Filter and the other toolbar buttons.
    void FilterEditChange();
    void CountryBtnClick();
    void ToolButton5Click();
    void ToolButton7Click();

    // Catalogue and settings operations.
    void LoadKestrovaInifile();
    void LoadCustomAliasInifile();
    void LoadKestrovaAliasInifile();
    void SaveCountry();
    void SaveCustomAliasInifile();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    bool FInitDone = false;

    // The load sequence for an image; the window's image and form names
    // change only once the image has been read. False when it could not be.
    // With askToSave, unsaved placements are offered for saving first.
    bool LoadFilesFrom(const QString& imagePath, const QString& aliasName, bool askToSave);
    void FitWindowToScreen(QSize imageSize);
    // The field list's ticks for the document's keys.
    void TickEntries();
    void UntickRemovedKeys();
    // Whether unsaved placements may go: the close question, answered Yes
    // by saving. False when the save did not succeed.
    bool SaveChangesFirst();
    // The application-wide four-way arrows while a key is over the image.
    void SetPlacementPointer(bool sizeAll);
    void ShowCoordinates(QPoint client);
    // Pointer in ScrollBox1's client coordinates, and whether it is over the
    // visible part of the image.
    QPoint ClientPos(const QMouseEvent* event) const;
    bool OverImage(const QMouseEvent* event) const;
    // Routing of Image1's pointer events: only a left press captures the
    // pointer; otherwise moves and the release count only over the image.
    void RouteImage1Enter();
    void RouteImage1Leave();
    void RouteImage1Down(QMouseEvent* event);
    void RouteImage1Move(QMouseEvent* event);
    void RouteImage1Up(QMouseEvent* event);

    std::unique_ptr<MouseCoordsHost> FOverlayHost;
    // Keys whose lines the current step took out.
    QStringList FRemovedKeys;
    bool FLeftCapture = false;
    bool FPointerOverImage = false;
    bool FSizeAllPointer = false;
};

extern TMainForm* MainForm;

// Height of the toolbar and of the instruction strip.
constexpr int ToolBarHeight = 19;
constexpr int InstructionStripHeight = 33;
// The scroll area's sunken border.
constexpr int ScrollBoxBorder = 2;
