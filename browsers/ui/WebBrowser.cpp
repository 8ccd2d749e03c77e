#include "WebBrowser.h"

#include "browsers/Addresses.h"
#include "platform/gui/Text.h"
#include "platform/Services.h"
#include "WebViewFactory.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QOpenGLContext>
#include <QPluginLoader>
#include <QTemporaryDir>
#include <QUrl>
#include <QVariant>
#include <QVBoxLayout>

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

// Where the engine plugin may lie: $QM_WEBENGINE_PLUGIN when set, else beside
// the executable or in the lib folder next to its folder.
QStringList pluginCandidates() {
    const QString name = QStringLiteral(QM_WEBENGINE_PLUGIN_NAME);
    if (qEnvironmentVariableIsSet("QM_WEBENGINE_PLUGIN"))
        return {qEnvironmentVariable("QM_WEBENGINE_PLUGIN")};
    const QDir dir(QCoreApplication::applicationDirPath());
    return {dir.filePath(name), dir.filePath("../lib/" + name)};
}

struct Engine {
    WebViewFactory* factory = nullptr;
    QString error;
};

// Loads the plugin once per run; later calls give the same result.
const Engine& engine() {
    static Engine e = [] {
        Engine result;
        prepareEngineEnvironment();
        ensureSharedGlContext();
        for (const QString& file : pluginCandidates()) {
            if (!QFile::exists(file)) {
                result.error = QStringLiteral("%1 is missing.").arg(file);
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
        return result;
    }();
    return e;
}

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
    const Engine* e = engineEnabled ? &engine() : nullptr;
    if (e && e->factory) {
        view_ = e->factory->createView(this);
        connect(view_, SIGNAL(loadFinished(bool)), this, SIGNAL(LoadFinished(bool)));
        layout->addWidget(view_);
    } else {
        QString text =
            tr("Web pages cannot be shown here because the web engine is not available.");
        if (e && !e->error.isEmpty())
            text += "\n\n" + e->error;
        message_ = new QLabel(text, this);
        message_->setAlignment(Qt::AlignCenter);
        message_->setWordWrap(true);
        message_->setTextInteractionFlags(Qt::TextSelectableByMouse);
        layout->addWidget(message_);
    }
}

void WebBrowser::Navigate(const std::string& address) {
    lastAddress_ = address;
    if (view_)
        engine().factory->load(view_, toUrl(address));
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
    if (!view_)
        return;
    engine().factory->setLinkPolicy(view_, [](const QUrl& from, const QUrl& to) {
        const std::string target = platform::fromQ(to.toString());
        if (!browsers::LeadsOut(platform::fromQ(from.toString()), target))
            return true;
        platform::services().openDocument(target);
        return false;
    });
}

void WebBrowser::SetEngineEnabledForTesting(bool enabled) {
    engineEnabled = enabled;
}

void WebBrowser::SetHtml(const std::string& html, const std::string& baseFolder) {
    const QUrl base = QUrl::fromLocalFile(QDir(platform::toQ(baseFolder)).absolutePath() + '/');
    const QByteArray utf8 = QByteArray::fromStdString(html);
    if (!view_)
        return;
    if (fitsDataAddress(utf8)) {
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
