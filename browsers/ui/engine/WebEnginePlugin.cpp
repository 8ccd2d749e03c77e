// The web engine module: makes Qt WebEngine views for WebBrowser. Built as a
// plugin so that only opening a browser window loads the engine.
#include "../WebViewFactory.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QRegularExpression>
#include <QSet>
#include <QUrl>
#include <QVariant>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>
#include <QWebEngineUrlSchemeHandler>
#include <QWebEngineView>

#include <functional>

namespace {

// Pages whose scripts may read no local file (the live preview, made of what
// the user typed) are served under this scheme: the page from memory and,
// beside it, only its own pictures. The scheme has no access to
// file: addresses, so neither a script nor a frame of the page reaches them,
// and of the scheme's own addresses only the pictures the page's markup names.
const QByteArray kPrivateScheme = "qm-page";
const QString kPrivateHost = QStringLiteral("local");

bool isPicture(const QString& path) {
    static const QStringList kinds = {"png", "jpg", "jpeg", "gif", "webp", "svg", "bmp", "ico"};
    return kinds.contains(QFileInfo(path).suffix().toLower());
}

class PrivatePages : public QWebEngineUrlSchemeHandler {
public:
    using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;

    // The address under which `html` is shown, its relative addresses
    // pointing into `folder`.
    QUrl publish(QWidget* view, const QString& folder, const QByteArray& html) {
        const QString root = QDir(folder).canonicalPath();
        const QString page = (root.isEmpty() ? QStringLiteral("/") : root + '/') +
                             QStringLiteral(".qm-page-%1.html").arg(quintptr(view), 0, 16);
        QUrl url;
        url.setScheme(QString::fromLatin1(kPrivateScheme));
        url.setHost(kPrivateHost);
        url.setPath(page);
        pages_.insert(page, {html, picturesOf(url, html)});
        QObject::connect(view, &QObject::destroyed, this, [this, page] { pages_.remove(page); });
        return url;
    }

    void requestStarted(QWebEngineUrlRequestJob* job) override {
        const QString path = job->requestUrl().path();
        if (auto it = pages_.constFind(path); it != pages_.constEnd()) {
            auto* buffer = new QBuffer(job);
            buffer->setData(it->html);
            job->reply("text/html;charset=utf-8", buffer);
            return;
        }
        // A picture one of the pages shown refers to, and nothing else.
        const QString file = QFileInfo(path).canonicalFilePath();
        bool referred = false;
        for (const Page& p : pages_)
            referred = referred || (!file.isEmpty() && p.pictures.contains(file));
        if (!referred) {
            job->fail(QWebEngineUrlRequestJob::RequestDenied);
            return;
        }
        auto* data = new QFile(file, job);
        if (!data->open(QIODevice::ReadOnly)) {
            job->fail(QWebEngineUrlRequestJob::UrlNotFound);
            return;
        }
        const QString kind = QFileInfo(file).suffix().toLower();
        const QByteArray mime = kind == "svg"                     ? "image/svg+xml"
                                : kind == "jpg" || kind == "jpeg" ? "image/jpeg"
                                : kind == "ico"                   ? "image/x-icon"
                                                                  : "image/" + kind.toLatin1();
        job->reply(mime, data);
    }

private:
    // The local pictures the page's markup refers to (src, href and url()),
    // as their files' real paths.
    static QSet<QString> picturesOf(const QUrl& page, const QByteArray& html) {
        static const QRegularExpression reference(
            QStringLiteral("(?:src|href)\\s*=\\s*[\"']([^\"']+)[\"']|url\\(\\s*[\"']?([^\"')]+)"),
            QRegularExpression::CaseInsensitiveOption);
        QSet<QString> pictures;
        const QString text = QString::fromUtf8(html);
        for (auto it = reference.globalMatch(text); it.hasNext();) {
            const QRegularExpressionMatch m = it.next();
            const QString address = m.captured(1).isEmpty() ? m.captured(2) : m.captured(1);
            const QUrl target = page.resolved(QUrl(address.trimmed()));
            if (target.scheme() != page.scheme() || target.host() != page.host())
                continue;
            const QString file = QFileInfo(target.path()).canonicalFilePath();
            if (!file.isEmpty() && isPicture(file) && QFileInfo(file).isFile())
                pictures.insert(file);
        }
        return pictures;
    }

    struct Page {
        QByteArray html;
        QSet<QString> pictures;
    };
    QHash<QString, Page> pages_;
};

// Registered as the module loads, before the engine starts.
const bool schemeRegistered = [] {
    QWebEngineUrlScheme scheme(kPrivateScheme);
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Host);
    scheme.setFlags({});
    QWebEngineUrlScheme::registerScheme(scheme);
    return true;
}();

} // namespace

// A page that asks its link policy before it follows a link.
class PolicyPage : public QWebEnginePage {
public:
    using QWebEnginePage::QWebEnginePage;
    std::function<bool(const QUrl&, const QUrl&)> follow;

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override {
        if (follow && isMainFrame && type == NavigationTypeLinkClicked && !follow(this->url(), url))
            return false;
        return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
    }
};

// A view that also says when a page could not be reached (no connection, no
// such host), as opposed to a load that was stopped or replaced.
class EngineView : public QWebEngineView {
    Q_OBJECT
public:
    explicit EngineView(QWidget* parent) : QWebEngineView(parent) {
        auto* page = new PolicyPage(this);
        setPage(page);
        connect(page, &QWebEnginePage::loadingChanged, this,
                [this](const QWebEngineLoadingInfo& info) {
                    if (info.status() == QWebEngineLoadingInfo::LoadFailedStatus &&
                        (info.errorDomain() == QWebEngineLoadingInfo::ConnectionErrorDomain ||
                         info.errorDomain() == QWebEngineLoadingInfo::DnsErrorDomain))
                        emit loadFailed(info.url());
                });
    }

signals:
    void loadFailed(const QUrl& url);
};

class WebEnginePlugin : public QObject, public WebViewFactory {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QM_WEBVIEWFACTORY_IID)
    Q_INTERFACES(WebViewFactory)

public:
    QWidget* createView(QWidget* parent) override { return new EngineView(parent); }

    void load(QWidget* view, const QUrl& url) override {
        if (auto* v = qobject_cast<QWebEngineView*>(view))
            v->load(url);
    }

    QString title(QWidget* view) const override {
        auto* v = qobject_cast<QWebEngineView*>(view);
        return v ? v->title() : QString();
    }

    void pageText(QWidget* view, const std::function<void(const QString&)>& done) override {
        auto* v = qobject_cast<QWebEngineView*>(view);
        if (!v) {
            done(QString());
            return;
        }
        v->page()->toPlainText([done](const QString& text) { done(text); });
    }

    void setHtml(QWidget* view, const QString& html, const QUrl& baseUrl) override {
        auto* v = qobject_cast<QWebEngineView*>(view);
        if (!v)
            return;
        if (!v->property("qmPrivatePages").toBool()) {
            v->setHtml(html, baseUrl);
            return;
        }
        QWebEngineProfile* profile = v->page()->profile();
        auto* pages = const_cast<PrivatePages*>(
            static_cast<const PrivatePages*>(profile->urlSchemeHandler(kPrivateScheme)));
        if (!pages) {
            pages = new PrivatePages(profile);
            profile->installUrlSchemeHandler(kPrivateScheme, pages);
        }
        v->load(pages->publish(v, baseUrl.toLocalFile(), html.toUtf8()));
    }

    void runJavaScript(QWidget* view, const QString& script,
                       const std::function<void(const QVariant&)>& done) override {
        auto* v = qobject_cast<QWebEngineView*>(view);
        if (!v) {
            done(QVariant());
            return;
        }
        v->page()->runJavaScript(script, [done](const QVariant& result) { done(result); });
    }

    void setLinkPolicy(QWidget* view,
                       std::function<bool(const QUrl&, const QUrl&)> follow) override {
        auto* v = qobject_cast<QWebEngineView*>(view);
        if (auto* page = v ? dynamic_cast<PolicyPage*>(v->page()) : nullptr)
            page->follow = std::move(follow);
    }

    void denyScriptFileAccess(QWidget* view) override {
        if (auto* v = qobject_cast<QWebEngineView*>(view)) {
            v->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
            v->setProperty("qmPrivatePages", true);
        }
    }
};

#include "WebEnginePlugin.moc"
