#pragma once

#include <QWidget>

class QMenu;
class QToolBar;
class QToolButton;
class QTreeWidget;
class QAction;
class TWebBrowser;

// The help pages: a fixed topic tree, the browser, and a history of visited
// topics of its own. Closing only hides it, so the history lasts the run.
class THelpForm : public QWidget {
    Q_OBJECT
public:
    explicit THelpForm(QWidget* parent = nullptr);

    // Opens "forms-help.html#{Line}" and records it in the history.
    void DoHelp(const QString& Line);

    void BackBtnClick();
    void ForwardBtnClick();
    void UpBtnClick();
    void ClearBtnClick();
    void MenuClick(QAction* entry);
    void TreeView1Click();
    void FormShow();

    TWebBrowser* WebBrowser1;
    QToolBar* ToolBar1;
    QTreeWidget* TreeView1;
    QToolButton* BackBtn;
    QToolButton* ForwardBtn;
    QMenu* PopupMenu1;
    QToolButton* DownBtn;
    QAction* ToolButton1;
    QToolButton* UpBtn;
    QToolButton* ClearBtn;
    int HistoryPos = 0;

    // The history entries, in order of creation.
    QList<QAction*> History() const;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void NavigateEntry(int index, int flags);
    bool FShownOnce = false;
};

// Topic text to anchor name: A to Z lower-cased, spaces to "_".
QString ConvertNameToTag(const QString& Name);
QString StripAmpersands(const QString& Text);

extern THelpForm* HelpForm;
