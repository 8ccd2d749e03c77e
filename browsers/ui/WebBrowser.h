// The embedded web browser of the program's windows: navigates to a web
// address, a local file path or "about:blank", and lets the user follow links.
//
// The web engine is a plugin, loaded when the first WebBrowser has been painted
// (so its window is on screen at once, and the engine loads after); later
// browsers get their view at once. Addresses asked for before the engine is
// there are loaded when it is. When the plugin cannot be loaded, or the
// program is built without it (where Qt has no web engine), the browser shows
// a local page (the program's own) as plain text under one line saying so,
// opens a web page in the user's browser with a line saying that, shows a
// plain message for anything else, and still records every address.
#pragma once

#include <QWidget>

#include <functional>
#include <memory>
#include <string>

class QLabel;
class QTemporaryDir;
class QTextBrowser;

class WebBrowser : public QWidget {
    Q_OBJECT
public:
    explicit WebBrowser(QWidget* parent = nullptr);
    ~WebBrowser() override;

    // Shows `address`: a web address, a local file path or "about:blank".
    // Does not wait for the page.
    void Navigate(const std::string& address);

    // The address last asked for through Navigate (empty before the first).
    const std::string& LastAddress() const { return lastAddress_; }

    // Whether pages are shown by the web engine (false: the plain message).
    bool HasEngine() const { return view_ != nullptr; }

    // Whether this program is built with the web engine module.
    static bool EngineBuilt();

    // The title of the page shown (empty without the engine).
    std::string Title() const;

    // The visible text of the page shown, delivered later to `done` (empty
    // without the engine).
    void PageText(const std::function<void(const std::string&)>& done);

    // Shows `html` as a page whose relative addresses point into the local
    // folder `baseFolder`; does not wait. Pages too large for the engine to
    // take directly go through a private temporary file.
    void SetHtml(const std::string& html, const std::string& baseFolder);

    // Runs `script` in the page shown and delivers its result as text to
    // `done` later (at once and empty without the engine).
    void RunJavaScript(const std::string& script,
                       const std::function<void(const std::string&)>& done);

    // From now on, a link the user follows from one of our own (local) pages
    // to the web opens in the user's browser, and this page stays.
    void OpenLinksLeadingOutInUserBrowser();

    // From now on scripts in the pages shown read no local files (a page's
    // own pictures still show): for pages made of what the user typed.
    void DenyScriptFileAccess();

    // Whether the engine is still to be loaded (after the first paint).
    bool EnginePending() const { return pending_; }

    // Tests that only check addresses keep the engine unloaded: browsers made
    // while it is off show the plain message. On by default.
    static void SetEngineEnabledForTesting(bool enabled);

    // The web address whose page could not be reached, while the offline
    // page stands in for it (empty otherwise).
    const std::string& OfflineAddress() const { return offlineAddress_; }

signals:
    // A page finished loading (ok: it loaded without error).
    void LoadFinished(bool ok);
    // A web page could not be reached; the offline page shows in its place.
    void OfflinePageShown(const std::string& address);

private slots:
    void pageFailed(const QUrl& url);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void attachEngine();
    void showWithoutEngine(const std::string& address);
    void applyLinkPolicy();

    std::string lastAddress_;
    std::string offlineAddress_;
    bool pending_ = false;
    bool scheduled_ = false;
    QWidget* view_ = nullptr;
    QWidget* placeholder_ = nullptr; // until the engine is loaded
    QLabel* message_ = nullptr;
    std::unique_ptr<QTemporaryDir> scratch_; // large pages given to SetHtml
    QTextBrowser* text_ = nullptr;
    // What was asked before the engine came (it loads after the first paint).
    bool linksOut_ = false;
    bool noFileAccess_ = false;
    bool htmlWaiting_ = false;
    std::string waitingHtml_, waitingBase_;
};
