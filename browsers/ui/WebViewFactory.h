// The interface between the embedded browser and the web engine module. The
// engine lives in a separately built plugin that WebBrowser loads on first
// use, so the program starts without loading the web engine.
#pragma once

#include <QString>
#include <QtPlugin>

#include <functional>

class QUrl;
class QWidget;

class WebViewFactory {
public:
    virtual ~WebViewFactory() = default;

    // A new web view as a child of `parent`. The view emits
    // loadFinished(bool) and titleChanged(QString) like a web engine view.
    virtual QWidget* createView(QWidget* parent) = 0;

    // Starts loading `url` in a view made by createView; does not wait.
    virtual void load(QWidget* view, const QUrl& url) = 0;

    // The title of the page the view shows.
    virtual QString title(QWidget* view) const = 0;

    // The page's visible text, delivered later to `done` (for checks of
    // what was rendered).
    virtual void pageText(QWidget* view, const std::function<void(const QString&)>& done) = 0;

    // Asks `follow` about every link the user follows in the view's page
    // (from the page's address to the link's); a link it refuses is not
    // loaded in the view.
    virtual void setLinkPolicy(QWidget* view,
                               std::function<bool(const QUrl& from, const QUrl& to)> follow) = 0;
};

#define QM_WEBVIEWFACTORY_IID "com.quillmere.WebViewFactory/2"
Q_DECLARE_INTERFACE(WebViewFactory, QM_WEBVIEWFACTORY_IID)
