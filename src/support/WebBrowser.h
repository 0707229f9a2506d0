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

    // Shows the local file named by url ("/path/page.html#anchor"), scrolled
    // to its anchor. Raises nothing: a page that cannot be read is replaced by
    // a short page naming the file, and a missing anchor leaves the page at
    // its top, as a browser does. A folder of the path may hold "#".
    void Navigate(const QString& url, int flags = 0);
    QString LocationURL() const { return FLocation; }

    QString StatusText() const { return FStatusText; }
    void SetStatusText(const QString& text) { FStatusText = text; }

    // The page shown in place of a local file that cannot be read.
    static QString NotFoundPage(const QString& path);

protected:
    // Links followed inside a page reach missing files through here too.
    QVariant loadResource(int type, const QUrl& name) override;

private:
    QString FLocation;
    QString FStatusText;
    bool FShowsNotFound = false;
};
