#include "support/WebBrowser.h"

#include "localisation/Translate.h"

#include <QFile>
#include <QFileInfo>
#include <QTextDocument>
#include <QUrl>

namespace {

bool Readable(const QString& path) {
    QFile file(path);
    return QFileInfo(path).isFile() && file.open(QIODevice::ReadOnly);
}

// The page and the anchor of url. The folder may hold "#" as well, so the
// first "#" that ends the name of a readable file splits them; with none, the
// first "#" after the last "/" does.
std::pair<QString, QString> SplitAnchor(const QString& url) {
    for (qsizetype hash = url.indexOf(u'#'); hash >= 0; hash = url.indexOf(u'#', hash + 1))
        if (Readable(url.left(hash)))
            return {url.left(hash), url.mid(hash + 1)};
    if (Readable(url))
        return {url, QString()};
    const qsizetype hash = url.indexOf(u'#', url.lastIndexOf(u'/') + 1);
    if (hash < 0)
        return {url, QString()};
    return {url.left(hash), url.mid(hash + 1)};
}

} // namespace

TWebBrowser::TWebBrowser(QWidget* parent) : QTextBrowser(parent) {
    setOpenLinks(true);
    setOpenExternalLinks(false);
    connect(this, qOverload<const QUrl&>(&QTextBrowser::highlighted), this,
            [this](const QUrl& link) { FStatusText = link.toString(); });
}

QString TWebBrowser::NotFoundPage(const QString& path) {
    const QString title = _("Page not found").toHtmlEscaped();
    return QStringLiteral("<html><head><title>%1</title></head><body><h3>%1</h3><p>%2</p>"
                          "</body></html>")
        .arg(title, _("The file %1 was not found.").arg(path).toHtmlEscaped());
}

QVariant TWebBrowser::loadResource(int type, const QUrl& name) {
    if ((type == QTextDocument::HtmlResource || type == QTextDocument::UnknownResource) &&
        name.isLocalFile()) {
        FShowsNotFound = !Readable(name.toLocalFile());
        if (FShowsNotFound)
            return NotFoundPage(name.toLocalFile());
    }
    return QTextBrowser::loadResource(type, name);
}

void TWebBrowser::Navigate(const QString& url, int flags) {
    const auto [path, anchor] = SplitAnchor(url);
    // fromLocalFile keeps a "#" of the folder part of the path, not of the anchor.
    QUrl target = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
    if (!anchor.isEmpty())
        target.setFragment(anchor);
    const bool notFoundBefore = FShowsNotFound;
    setSource(target, QTextDocument::HtmlResource);
    // The same page again is not read again; one that was missing may be there now.
    if (notFoundBefore && FShowsNotFound && Readable(path))
        reload();
    if (flags & navNoHistory)
        clearHistory(); // the help window keeps its own history
    if (!anchor.isEmpty())
        scrollToAnchor(anchor);
    FLocation = url;
}
