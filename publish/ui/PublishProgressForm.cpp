#include "publish/ui/PublishProgressForm.h"

#include "platform/gui/Handlers.h"
#include "platform/gui/Text.h"
#include "platform/Services.h"

#include <QLabel>
#include <QMetaObject>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

TPublishProgressForm::TPublishProgressForm(QWidget* owner, publish::Target target,
                                           std::string pageFolder)
    : QDialog(owner), target_(std::move(target)), pageFolder_(std::move(pageFolder)) {
    setWindowTitle("Publishing");
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    auto* where = new QLabel(platform::toQ("To " + publish::describe(target_)), this);
    layout->addWidget(where);
    ProgressBar = new QProgressBar(this);
    ProgressBar->setRange(0, 1000);
    ProgressBar->setValue(0);
    ProgressBar->setMinimumWidth(380);
    layout->addWidget(ProgressBar);
    lblFile = new QLabel("Connecting…", this);
    layout->addWidget(lblFile);
    btnCancel = new QPushButton("Cancel", this);
    btnCancel->setAutoDefault(false);
    layout->addWidget(btnCancel, 0, Qt::AlignRight);
    connect(btnCancel, &QPushButton::clicked, this, &TPublishProgressForm::btnCancelClick);
}

TPublishProgressForm::~TPublishProgressForm() {
    cancelled_ = true;
    if (worker_.joinable())
        worker_.join();
}

void TPublishProgressForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!started_) {
        started_ = true;
        QMetaObject::invokeMethod(
            this, [this] { start(); }, Qt::QueuedConnection);
    }
}

void TPublishProgressForm::start() {
    publish::Hooks hooks;
    hooks.progress = [this](const publish::Progress& p) {
        QMetaObject::invokeMethod(
            this, [this, p] { showProgress(p); }, Qt::QueuedConnection);
    };
    hooks.cancelled = [this] { return cancelled_.load(); };
    hooks.confirm = [this](const publish::TrustQuestion& q) {
        bool yes = false;
        QMetaObject::invokeMethod(
            this,
            [&] {
                const std::string text =
                    (q.certificate ? "The certificate of " + q.host +
                                         " is not signed by an authority this "
                                         "computer trusts.\n\nSubject: " +
                                         q.keyType + "\nSHA-256 fingerprint: " + q.fingerprint
                                   : "This is the first connection to " + q.host + " (port " +
                                         std::to_string(q.port) + ").\n\n" + q.keyType +
                                         " key fingerprint: " + q.fingerprint) +
                    "\n\nCompare the fingerprint with the one your host shows you. Trust this "
                    "host and remember it?";
                yes = platform::messageBox(text, "Unknown Host", platform::Icon::Warning,
                                           platform::Buttons::YesNo) == platform::Answer::Yes;
            },
            Qt::BlockingQueuedConnection);
        return yes;
    };
    worker_ = std::thread([this, hooks] {
        std::optional<publish::Report> r;
        std::optional<publish::PublishError> e;
        try {
            r = publish::publishFolder(target_, pageFolder_, false, hooks);
        } catch (const publish::PublishError& failure) {
            e = failure;
        } catch (const std::exception& failure) {
            e = publish::PublishError(publish::ErrorKind::Local, failure.what());
        }
        QMetaObject::invokeMethod(
            this,
            [this, r, e] {
                report = r;
                error = e;
                done_ = true;
                accept();
            },
            Qt::QueuedConnection);
    });
}

void TPublishProgressForm::showProgress(const publish::Progress& p) {
    if (p.total > 0)
        ProgressBar->setValue(static_cast<int>(p.done * 1000 / p.total));
    if (!cancelled_)
        lblFile->setText(platform::toQ(p.file + "  (" + std::to_string(p.done / 1024) + " of " +
                                       std::to_string(p.total / 1024) + " KB)"));
}

void TPublishProgressForm::btnCancelClick() {
    cancelled_ = true;
    btnCancel->setEnabled(false);
    lblFile->setText("Cancelling: removing what was sent…");
}

void TPublishProgressForm::reject() {
    if (done_)
        QDialog::reject();
    else
        btnCancelClick(); // the window closes once the host is as it was
}
