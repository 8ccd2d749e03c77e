// The interface between the embedded browser and the web engine module. The
// engine lives in a separately built plugin that WebBrowser loads on first
// use, so the program starts without loading the web engine.
#pragma once

#include <QString>
#include <QtPlugin>

#include <functional>

class QUrl;
class QVariant;
class QWidget;

class WebViewFactory {
public:
    virtual ~WebViewFactory() = default;

    // A new web view as a child of `parent`. The view emits
    // loadFinished(bool) and titleChanged(QString) like a web engine view, and
    // loadFailed(QUrl) when a page cannot be reached (no connection, no such
    // host; not when a load is stopped or replaced).
    virtual QWidget* createView(QWidget* parent) = 0;

    // Starts loading `url` in a view made by createView; does not wait.
    virtual void load(QWidget* view, const QUrl& url) = 0;

    // The title of the page the view shows.
    virtual QString title(QWidget* view) const = 0;

    // The page's visible text, delivered later to `done` (for checks of
    // what was rendered).
    virtual void pageText(QWidget* view, const std::function<void(const QString&)>& done) = 0;

    // Shows `html` as a page whose relative addresses point below `baseUrl`;
    // does not wait. The engine takes pages of up to 2 MB this way.
    virtual void setHtml(QWidget* view, const QString& html, const QUrl& baseUrl) = 0;

    // Runs `script` in the page shown; its result is delivered later to `done`.
    virtual void runJavaScript(QWidget* view, const QString& script,
                               const std::function<void(const QVariant&)>& done) = 0;

    // Asks `follow` about every link the user follows in the view's page
    // (from the page's address to the link's); a link it refuses is not
    // loaded in the view.
    virtual void setLinkPolicy(QWidget* view,
                               std::function<bool(const QUrl& from, const QUrl& to)> follow) = 0;
};

#define QM_WEBVIEWFACTORY_IID "com.quillmere.WebViewFactory/3"
Q_DECLARE_INTERFACE(WebViewFactory, QM_WEBVIEWFACTORY_IID)
