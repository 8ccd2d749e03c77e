#include "WebBrowser.h"

#include "browsers/Addresses.h"
#include "browsers/EngineModule.h"
#include "browsers/OfflinePage.h"
#include "platform/gui/Text.h"
#include "platform/Services.h"
#include "WebViewFactory.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QOpenGLWidget>
#include <QPluginLoader>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTimer>
#include <QUrl>
#include <QVariant>
#include <QVBoxLayout>

#include <utility>

#ifndef _WIN32
#include <unistd.h>
#endif

// Qt's process-wide OpenGL context that web engine views share (exported by
// Qt GUI; normally created by the application object).
QOpenGLContext* qt_gl_global_share_context();
void qt_gl_set_global_share_context(QOpenGLContext* context);

namespace {

bool engineEnabled = true;

// The web engine renders through a process-wide shared OpenGL context, which
// the application object creates only when Qt::AA_ShareOpenGLContexts was set
// before it. The program sets it at start; should it be missing, the context is
// made here, before the engine loads, since the engine crashes without one.
void ensureSharedGlContext() {
    if (QCoreApplication::testAttribute(Qt::AA_ShareOpenGLContexts) && qt_gl_global_share_context())
        return;
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    if (!qt_gl_global_share_context()) {
        auto* context = new QOpenGLContext(qApp);
        context->create(); // may fail without a GPU; the engine then renders in software
        qt_gl_set_global_share_context(context);
    }
}

// Chromium refuses to run as root with its sandbox on; a root session (as on
// build machines) turns it off unless the caller chose otherwise.
void prepareEngineEnvironment() {
#ifndef _WIN32
    if (geteuid() != 0 || qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        return;
    if (qEnvironmentVariable("QTWEBENGINE_CHROMIUM_FLAGS").contains("--no-sandbox"))
        return;
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
#endif
}

// Where the engine plugin may lie: $QM_WEBENGINE_PLUGIN when set, else the
// places of browsers::EngineModuleCandidates. A build without the engine
// (where Qt has none, as with MinGW) looks nowhere.
QStringList pluginCandidates() {
#if !QM_WEBENGINE
    return {};
#else
    if (qEnvironmentVariableIsSet("QM_WEBENGINE_PLUGIN"))
        return {qEnvironmentVariable("QM_WEBENGINE_PLUGIN")};
    QStringList list;
    for (const std::string& place : browsers::EngineModuleCandidates(
             platform::fromQ(QCoreApplication::applicationDirPath()) + "/", QM_INSTALL_BIN_DIR,
             QM_WEBENGINE_INSTALL_DIR, QM_WEBENGINE_PLUGIN_NAME))
        list << platform::toQ(place);
    return list;
#endif
}

// Whether any candidate file exists (when none does, there is nothing to wait for).
bool anyPluginFile() {
    for (const QString& file : pluginCandidates())
        if (QFile::exists(file))
            return true;
    return false;
}

bool engineTried = false;

struct Engine {
    WebViewFactory* factory = nullptr;
    QString error;
};

// Loads the plugin once per run; later calls give the same result.
const Engine& engine() {
    static Engine e = [] {
        engineTried = true;
        Engine result;
        if (!WebBrowser::EngineBuilt()) {
            result.error =
                QStringLiteral("This copy of the program is built without a web engine.");
            return result;
        }
        prepareEngineEnvironment();
        ensureSharedGlContext();
        const QStringList files = pluginCandidates();
        QStringList refused;
        for (const QString& file : files) {
            if (!QFile::exists(file))
                continue;
            // A module another user could have put there is never loaded.
            if (const std::string why = browsers::UntrustedModuleReason(platform::fromQ(file));
                !why.empty()) {
                refused << QStringLiteral("%1 (%2)").arg(file, platform::toQ(why));
                continue;
            }
            QPluginLoader loader(file);
            if (QObject* instance = loader.instance()) {
                result.factory = qobject_cast<WebViewFactory*>(instance);
                if (result.factory)
                    break;
                result.error = QStringLiteral("%1 is not the web engine module.").arg(file);
            } else {
                result.error = loader.errorString();
            }
        }
        if (!result.factory && result.error.isEmpty())
            result.error = QStringLiteral("The web engine module is missing (looked for %1).")
                               .arg(files.join(", "));
        if (!result.factory && !refused.isEmpty())
            result.error += QStringLiteral(" Not loaded, as another user could have put it "
                                           "there: %1.")
                                .arg(refused.join("; "));
        return result;
    }();
    return e;
}

// Stands where the web view will be until the engine is loaded. The view draws
// through OpenGL, and a window made without any such widget would have to be
// made afresh (unmapped and mapped again) when the view joins it; with this
// one in it from the start the window stays as it is.
class EnginePlaceholder : public QOpenGLWidget {
public:
    using QOpenGLWidget::QOpenGLWidget;

protected:
    void paintGL() override {
        if (!context())
            return;
        QOpenGLFunctions* gl = context()->functions();
        gl->glClearColor(1, 1, 1, 1);
        gl->glClear(GL_COLOR_BUFFER_BIT);
    }
};

QUrl toUrl(const std::string& address) {
    const QString text = platform::toQ(address);
    if (browsers::IsLocalPath(address))
        return QUrl::fromLocalFile(text);
    return QUrl::fromUserInput(text);
}

// The engine shows a page given as text through a data: address, which it
// refuses beyond 2 MB once the text is percent-encoded.
bool fitsDataAddress(const QByteArray& utf8) {
    constexpr qsizetype limit = 2 * 1024 * 1024 - 256; // room for "data:text/html;..."
    if (utf8.size() * 3 <= limit)
        return true;
    return utf8.size() <= limit && utf8.toPercentEncoding().size() <= limit;
}

// `html` with a <base> element first in its head, so that relative addresses
// point into `base` wherever the page itself was written.
QByteArray withBase(const QByteArray& html, const QUrl& base) {
    const QByteArray element = "<base href=\"" + base.toEncoded() + "\">";
    const qsizetype head = html.toLower().indexOf("<head>");
    if (head < 0)
        return element + html;
    QByteArray out = html;
    out.insert(head + 6, element);
    return out;
}

} // namespace

WebBrowser::~WebBrowser() = default;

WebBrowser::WebBrowser(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    if (!engineEnabled) {
        showWithoutEngine({});
        return;
    }
    // The first browser of a run waits for its first paint, so its window is
    // on screen before the engine (about half a second) loads.
    if (!engineTried && anyPluginFile()) {
        pending_ = true;
        // Only where OpenGL works (not on the offscreen platform of tests).
        ensureSharedGlContext();
        if (QOpenGLContext* shared = qt_gl_global_share_context(); shared && shared->isValid()) {
            placeholder_ = new EnginePlaceholder(this);
            layout->addWidget(placeholder_);
        }
    } else {
        attachEngine();
    }
}

void WebBrowser::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    if (pending_ && !scheduled_) {
        scheduled_ = true;
        QTimer::singleShot(0, this, [this] {
            pending_ = false;
            attachEngine();
        });
    }
}

void WebBrowser::attachEngine() {
    const Engine& e = engine();
    if (!e.factory) {
        delete placeholder_;
        placeholder_ = nullptr;
        showWithoutEngine(lastAddress_);
        return;
    }
    view_ = e.factory->createView(this);
    connect(view_, SIGNAL(loadFinished(bool)), this, SIGNAL(LoadFinished(bool)));
    connect(view_, SIGNAL(loadFailed(QUrl)), this, SLOT(pageFailed(QUrl)));
    layout()->addWidget(view_);
    delete placeholder_;
    placeholder_ = nullptr;
    applyLinkPolicy();
    if (noFileAccess_)
        e.factory->denyScriptFileAccess(view_);
    if (htmlWaiting_) {
        htmlWaiting_ = false;
        SetHtml(std::exchange(waitingHtml_, {}), waitingBase_);
    } else if (!lastAddress_.empty()) {
        e.factory->load(view_, toUrl(lastAddress_));
    }
}

// Without the engine: a local page (the program's own) as plain text under one
// line that says so; anything else as a message.
void WebBrowser::showWithoutEngine(const std::string& address) {
    const QString error = engineEnabled ? engine().error : QString();
    if (!message_) {
        message_ = new QLabel(this);
        message_->setWordWrap(true);
        message_->setTextInteractionFlags(Qt::TextSelectableByMouse);
        text_ = new QTextBrowser(this);
        // Links between our own pages stay here; the rest go to the user's browser.
        text_->setOpenLinks(false);
        connect(text_, &QTextBrowser::anchorClicked, this, [this](const QUrl& link) {
            const QUrl target = text_->source().resolved(link);
            if (target.isLocalFile())
                text_->setSource(target);
            else
                platform::services().openDocument(platform::fromQ(target.toString()));
        });
        auto* box = static_cast<QVBoxLayout*>(layout());
        box->addWidget(message_);
        box->addWidget(text_, 1);
    }
    const bool localPage =
        !address.empty() && browsers::IsLocalPath(address) && QFile::exists(platform::toQ(address));
    // A web page the user asked for opens in the user's own browser, since it
    // cannot be shown here (web and mail addresses, as links leading out of our
    // own pages; not with the engine turned off by a test).
    const bool webPage = engineEnabled && browsers::LeadsOut("file:///", address);
    if (localPage) {
        message_->setText(
            EngineBuilt()
                ? tr("The web engine is missing, so this page is shown as plain text.")
                : tr("This page is shown as plain text; web pages open in your web browser."));
        message_->setToolTip(error);
        message_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        message_->setContentsMargins(6, 4, 6, 4);
        text_->setSource(QUrl::fromLocalFile(platform::toQ(address)));
        text_->show();
        static_cast<QVBoxLayout*>(layout())->setStretchFactor(message_, 0);
    } else if (webPage) {
        platform::services().openDocument(address);
        message_->setText(tr("This page cannot be shown here, so it has opened in your web "
                             "browser:\n%1")
                              .arg(platform::toQ(address)));
        message_->setToolTip(error);
        message_->setAlignment(Qt::AlignCenter);
        text_->hide();
        static_cast<QVBoxLayout*>(layout())->setStretchFactor(message_, 1);
    } else {
        QString text =
            tr("Web pages cannot be shown here because the web engine is not available.");
        if (!error.isEmpty())
            text += "\n\n" + error;
        message_->setText(text);
        message_->setAlignment(Qt::AlignCenter);
        text_->hide();
        static_cast<QVBoxLayout*>(layout())->setStretchFactor(message_, 1);
    }
}

void WebBrowser::Navigate(const std::string& address) {
    lastAddress_ = address;
    offlineAddress_.clear();
    if (view_)
        engine().factory->load(view_, toUrl(address));
    else if (message_)
        showWithoutEngine(address);
}

std::string WebBrowser::Title() const {
    return view_ ? platform::fromQ(engine().factory->title(view_)) : std::string();
}

void WebBrowser::PageText(const std::function<void(const std::string&)>& done) {
    if (!view_) {
        done(std::string());
        return;
    }
    engine().factory->pageText(view_, [done](const QString& text) { done(platform::fromQ(text)); });
}

void WebBrowser::OpenLinksLeadingOutInUserBrowser() {
    linksOut_ = true;
}

void WebBrowser::DenyScriptFileAccess() {
    noFileAccess_ = true;
    if (view_)
        engine().factory->denyScriptFileAccess(view_);
}

void WebBrowser::applyLinkPolicy() {
    engine().factory->setLinkPolicy(view_, [this](const QUrl& from, const QUrl& to) {
        const std::string target = platform::fromQ(to.toString());
        switch (browsers::OfflineActionOf(target)) {
        case browsers::OfflineAction::TryAgain:
            // Not from inside the engine's own call.
            QTimer::singleShot(0, this, [this, again = offlineAddress_] {
                if (!again.empty())
                    Navigate(again);
            });
            return false;
        case browsers::OfflineAction::OpenInBrowser:
            if (!offlineAddress_.empty())
                platform::services().openDocument(offlineAddress_);
            return false;
        case browsers::OfflineAction::None:
            break;
        }
        if (!linksOut_ || !browsers::LeadsOut(platform::fromQ(from.toString()), target))
            return true;
        platform::services().openDocument(target);
        return false;
    });
}

// A web page that cannot be reached gets our own page instead of the
// engine's error page: what it wanted to open, and the ways on.
void WebBrowser::pageFailed(const QUrl& url) {
    if (!view_ || url.isLocalFile())
        return;
    offlineAddress_ = platform::fromQ(url.toString());
    engine().factory->setHtml(view_, platform::toQ(browsers::OfflinePageHtml(offlineAddress_)),
                              QUrl(QString::fromLatin1(browsers::kOfflinePageBase)));
    emit OfflinePageShown(offlineAddress_);
}

bool WebBrowser::EngineBuilt() {
    return QM_WEBENGINE != 0;
}

void WebBrowser::SetEngineEnabledForTesting(bool enabled) {
    engineEnabled = enabled;
}

void WebBrowser::SetHtml(const std::string& html, const std::string& baseFolder) {
    const QUrl base = QUrl::fromLocalFile(QDir(platform::toQ(baseFolder)).absolutePath() + '/');
    if (!view_) {
        if (pending_) { // shown once the engine has come
            htmlWaiting_ = true;
            waitingHtml_ = html;
            waitingBase_ = baseFolder;
        }
        return;
    }
    const QByteArray utf8 = QByteArray::fromStdString(html);
    // A page whose scripts may read no files is served by the engine module
    // itself, whatever its size.
    if (noFileAccess_ || fitsDataAddress(utf8)) {
        engine().factory->setHtml(view_, QString::fromUtf8(utf8), base);
        return;
    }
    // Too large for the engine to take as text: a private file of our own.
    if (!scratch_)
        scratch_ = std::make_unique<QTemporaryDir>();
    QFile file(scratch_->filePath("page.html"));
    if (scratch_->isValid() && file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
        file.write(withBase(utf8, base)) >= 0 && file.flush()) {
        file.close();
        engine().factory->load(view_, QUrl::fromLocalFile(file.fileName()));
        return;
    }
    const QString reason = scratch_->isValid() ? file.errorString() : scratch_->errorString();
    engine().factory->setHtml(
        view_,
        tr("<p>The page is too large to be shown from memory, and the temporary file "
           "%1 cannot be written: %2</p>")
            .arg(file.fileName().toHtmlEscaped(), reason.toHtmlEscaped()),
        base);
}

void WebBrowser::RunJavaScript(const std::string& script,
                               const std::function<void(const std::string&)>& done) {
    if (!view_) {
        done(std::string());
        return;
    }
    engine().factory->runJavaScript(view_, platform::toQ(script), [done](const QVariant& result) {
        done(platform::fromQ(result.toString()));
    });
}
