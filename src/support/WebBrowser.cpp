#include "support/WebBrowser.h"

#include "support/Exception.h"

#include <QFileInfo>
#include <QUrl>

TWebBrowser::TWebBrowser(QWidget* parent) : QTextBrowser(parent) {
    setOpenLinks(true);
    setOpenExternalLinks(false);
    connect(this, qOverload<const QUrl&>(&QTextBrowser::highlighted), this,
            [this](const QUrl& link) { FStatusText = link.toString(); });
}

void TWebBrowser::Navigate(const QString& url, int flags) {
    const qsizetype hash = url.indexOf(u'#');
    const QString path = hash < 0 ? url : url.left(hash);
    const QString anchor = hash < 0 ? QString() : url.mid(hash + 1);
    if (!QFileInfo(path).isFile())
        throw Exception(QStringLiteral("The page cannot be found: %1").arg(path));
    QUrl target = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
    if (!anchor.isEmpty())
        target.setFragment(anchor);
    setSource(target);
    if (flags & navNoHistory)
        clearHistory(); // the help window keeps its own history
    if (!anchor.isEmpty())
        scrollToAnchor(anchor);
    FLocation = url;
}
