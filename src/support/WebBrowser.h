#pragma once

#include <QTextBrowser>

// The help window's browser: opens local HTML files at their #anchor and
// publishes the link under the pointer as StatusText (never translated).
class TWebBrowser : public QTextBrowser {
    Q_OBJECT
    Q_PROPERTY(QString StatusText READ StatusText WRITE SetStatusText)
public:
    enum NavigateFlags { navNoHistory = 2 };

    explicit TWebBrowser(QWidget* parent = nullptr);

    // Shows the local file named by url ("/path/page.html#anchor"). Raises
    // Exception when the file cannot be shown.
    void Navigate(const QString& url, int flags = 0);
    QString LocationURL() const { return FLocation; }

    QString StatusText() const { return FStatusText; }
    void SetStatusText(const QString& text) { FStatusText = text; }

private:
    QString FLocation;
    QString FStatusText;
};
