#pragma once

#include "editor/TextFile.h"

#include <QImage>
#include <QMainWindow>
#include <QPoint>
#include <QStringList>

class QLabel;
class QLineEdit;
class QListWidget;
class QScrollArea;
class QTimer;
class QToolBar;
class QToolButton;
class QMouseEvent;
class TImageControl;
class TMouseCoordsWindow;

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
    QListWidget* CheckListBox1;
    QLabel* Panel1;
    QTimer* CheckFileTimer;

    // Editing state.
    QString ImageFilename;
    QString AliasName;
    QString CFGFilename;
    QImage PNG;
    QImage ABitMap;
    QStringList PascalList;
    QStringList ConfigList;
    bool ConfigHasChanged = false;
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
    // Encoding of the layout file read last in this run; used for writing.
    TextEncoding ConfigEncoding = TextEncoding::Ansi;

    // Lifecycle.
    void FormCreate();
    void FormShow();
    void Init();
    void GetDocDirectories();
    void DeleteOldversion();
    bool LoadMasterFile();
    void FormResize();
    void FormClose();
    void FormDestroy();

    // Loading and display.
    void LoadBtnClick();
    void LoadFiles();
    void DrawConfigEntries();

    // Placement.
    void CheckListBox1Click();
    void Image1MouseEnter();
    void Image1MouseLeave();
    void Image1MouseDown(QMouseEvent* event);
    void Image1MouseMove(QMouseEvent* event);
    void Image1MouseUp(QMouseEvent* event);
    void ScrollBox1MouseMove(QMouseEvent* event);
    void UndoBtnClick();

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
};

extern TMainForm* MainForm;

// Height of the toolbar and of the instruction strip.
constexpr int ToolBarHeight = 19;
constexpr int InstructionStripHeight = 33;
// The scroll area's sunken border.
constexpr int ScrollBoxBorder = 2;
