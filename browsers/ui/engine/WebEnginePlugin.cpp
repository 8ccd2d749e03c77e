// The web engine module: makes Qt WebEngine views for WebBrowser. Built as a
// plugin so that only opening a browser window loads the engine.
#include "../WebViewFactory.h"

#include <QObject>
#include <QUrl>
#include <QVariant>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <functional>

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
        if (auto* v = qobject_cast<QWebEngineView*>(view))
            v->setHtml(html, baseUrl);
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
};

#include "WebEnginePlugin.moc"
