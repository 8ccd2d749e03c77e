#include "publish/ui/PublishForm.h"

#include "platform/gui/Handlers.h"
#include "platform/gui/Text.h"
#include "platform/KeyStore.h"
#include "platform/Services.h"
#include "publish/PageFolder.h"
#include "publish/TargetStore.h"
#include "publish/ui/PublishProgressForm.h"
#include "publish/Zip.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

using platform::fromQ;
using platform::toQ;

namespace {

const char kPlainFtpWarning[] =
    "Plain FTP sends your password and your page unencrypted: anyone on the way can read "
    "them. Choose SFTP or FTPS if your host offers either.\n\nPublish over plain FTP anyway?";

std::string trimmed(const QLineEdit* e) {
    return fromQ(e->text().trimmed());
}

std::string thousands(std::uint64_t n) {
    std::string s = std::to_string(n);
    for (int i = static_cast<int>(s.size()) - 3; i > 0; i -= 3)
        s.insert(static_cast<std::size_t>(i), ",");
    return s;
}

} // namespace

TPublishForm::TPublishForm(QWidget* owner, std::string group,
                           std::function<std::optional<TSalesLetter>()> letterSource)
    : QDialog(owner), group_(std::move(group)), letterSource_(std::move(letterSource)) {
    setWindowTitle(toQ("Publish - " + group_));
    setMinimumWidth(480);
    auto* outer = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    cbProtocol = new QComboBox(this);
    cbProtocol->addItems({"SFTP", "FTPS (explicit TLS)", "FTP (unencrypted)"});
    form->addRow("Protocol:", cbProtocol);
    edHost = new QLineEdit(this);
    edHost->setPlaceholderText("www.example.com");
    form->addRow("Host:", edHost);
    sePort = new QSpinBox(this);
    sePort->setRange(1, 65535);
    form->addRow("Port:", sePort);
    edUser = new QLineEdit(this);
    form->addRow("User:", edUser);
    edFolder = new QLineEdit("/", this);
    edFolder->setPlaceholderText("/public_html/cookbook");
    form->addRow("Remote folder:", edFolder);
    edWebAddress = new QLineEdit(this);
    edWebAddress->setPlaceholderText("https://www.example.com/cookbook/");
    form->addRow("Web address:", edWebAddress);
    edPassword = new QLineEdit(this);
    edPassword->setEchoMode(QLineEdit::Password);
    edPassword->setPlaceholderText("kept in the desktop's key store");
    form->addRow("Password:", edPassword);
    auto* keyRow = new QHBoxLayout;
    edKeyFile = new QLineEdit(this);
    edKeyFile->setPlaceholderText("none: the SSH agent or the password");
    btnKeyFile = new QPushButton("…", this);
    btnKeyFile->setFixedWidth(30);
    keyRow->addWidget(edKeyFile);
    keyRow->addWidget(btnKeyFile);
    form->addRow("Key file:", keyRow);
    outer->addLayout(form);
    auto* buttons = new QHBoxLayout;
    btnPublish = new QPushButton("Publish", this);
    btnSaveZip = new QPushButton("Save as ZIP…", this);
    btnClose = new QPushButton("Close", this);
    buttons->addWidget(btnPublish);
    buttons->addWidget(btnSaveZip);
    buttons->addStretch(1);
    buttons->addWidget(btnClose);
    outer->addLayout(buttons);
    for (QPushButton* b : {btnPublish, btnSaveZip, btnClose, btnKeyFile})
        b->setAutoDefault(false);

    if (const auto stored = publish::loadTarget(group_))
        ShowTarget(*stored);
    else
        cbProtocolChange();
    connect(cbProtocol, &QComboBox::currentIndexChanged, this, &TPublishForm::cbProtocolChange);
    platform::connectGuarded(btnPublish, &QPushButton::clicked, this,
                             &TPublishForm::btnPublishClick);
    platform::connectGuarded(btnSaveZip, &QPushButton::clicked, this,
                             &TPublishForm::btnSaveZipClick);
    platform::connectGuarded(btnKeyFile, &QPushButton::clicked, this,
                             &TPublishForm::btnKeyFileClick);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);
}

void TPublishForm::ShowTarget(const publish::Target& t) {
    const QSignalBlocker block(cbProtocol);
    cbProtocol->setCurrentIndex(static_cast<int>(t.protocol));
    edHost->setText(toQ(t.host));
    sePort->setValue(publish::effectivePort(t));
    edUser->setText(toQ(t.user));
    edFolder->setText(toQ(t.folder));
    edWebAddress->setText(toQ(t.webAddress));
    edKeyFile->setText(toQ(t.identityFile));
    if (const auto pw =
            platform::keyStore().read(publish::kKeyStoreService, publish::keyStoreAccount(t)))
        edPassword->setText(toQ(*pw));
}

void TPublishForm::cbProtocolChange() {
    const auto p = static_cast<publish::Protocol>(cbProtocol->currentIndex());
    sePort->setValue(publish::defaultPort(p));
    edKeyFile->setEnabled(p == publish::Protocol::Sftp);
    btnKeyFile->setEnabled(p == publish::Protocol::Sftp);
}

publish::Target TPublishForm::TargetFromFields() const {
    publish::Target t;
    t.protocol = static_cast<publish::Protocol>(cbProtocol->currentIndex());
    t.host = trimmed(edHost);
    t.port = sePort->value();
    t.user = trimmed(edUser);
    t.folder = publish::normalFolder(trimmed(edFolder));
    t.webAddress = trimmed(edWebAddress);
    t.password = fromQ(edPassword->text());
    if (t.protocol == publish::Protocol::Sftp)
        t.identityFile = trimmed(edKeyFile);
    return t;
}

void TPublishForm::btnKeyFileClick() {
    platform::FileDialogOptions o;
    o.title = "Choose your SSH private key";
    o.showHidden = true;
    const auto files = platform::services().openFiles(o);
    if (!files.empty())
        edKeyFile->setText(toQ(files.front()));
}

void TPublishForm::btnPublishClick() {
    const publish::Target target = TargetFromFields();
    if (target.host.empty()) {
        platform::messageBox("Enter the host name of your web space.", "Warning",
                             platform::Icon::Warning, platform::Buttons::Ok);
        return;
    }
    if (target.protocol == publish::Protocol::Ftp &&
        platform::messageBox(kPlainFtpWarning, "Warning", platform::Icon::Warning,
                             platform::Buttons::YesNo) != platform::Answer::Yes)
        return;
    publish::saveTarget(group_, target);
    const std::string account = publish::keyStoreAccount(target);
    if (target.password.empty())
        platform::keyStore().remove(publish::kKeyStoreService, account);
    else if (!platform::keyStore().write(publish::kKeyStoreService, account, target.password))
        platform::messageBox("The desktop's key store could not keep the password; it is used "
                             "for this publish only.",
                             "Warning", platform::Icon::Warning, platform::Buttons::Ok);
    const auto letter = letterSource_();
    if (!letter)
        return;
    const publish::PageFolder page(*letter);
    TPublishProgressForm progress(this, target, page.path());
    progress.exec();
    if (progress.error) {
        const bool cancelled = progress.error->kind() == publish::ErrorKind::Cancelled;
        platform::messageBox(cancelled
                                 ? "Publishing was cancelled; the site is as it was."
                                 : std::string(progress.error->what()) +
                                       (progress.error->kind() == publish::ErrorKind::Connection
                                            ? "\n\nThe page online is unchanged. Publish "
                                              "again to finish: what arrived is not sent "
                                              "twice."
                                            : ""),
                             cancelled ? "Publish" : "Warning",
                             cancelled ? platform::Icon::Information : platform::Icon::Warning,
                             platform::Buttons::Ok);
        return;
    }
    const publish::Report& r = *progress.report;
    std::string text = r.sent.empty() && r.removed.empty()
                           ? "The page online is already up to date; nothing was sent."
                           : "The page is published: " + std::to_string(r.sent.size()) +
                                 " file(s) sent (" + thousands(r.bytesSent) + " bytes), " +
                                 std::to_string(r.removed.size()) + " old file(s) removed.";
    for (const auto& note : r.notes)
        text += "\n\n" + note;
    if (r.web != publish::WebCheck::NotSet)
        text += "\n\n" + r.webMessage;
    platform::messageBox(text, "Publish",
                         r.matches() ? platform::Icon::Information : platform::Icon::Warning,
                         platform::Buttons::Ok);
}

void TPublishForm::btnSaveZipClick() {
    const auto letter = letterSource_();
    if (!letter)
        return;
    platform::FileDialogOptions o;
    o.title = "Save as ZIP";
    o.filter = "ZIP archives (*.zip)|*.zip";
    o.fileName = "page.zip";
    const auto file = platform::services().saveFile(o);
    if (!file)
        return;
    const publish::PageFolder page(*letter);
    publish::zipFolder(page.path(), *file);
    platform::messageBox("The page and its pictures are saved in " + *file +
                             ". Upload it with your host's file manager and unpack it there.",
                         "Save as ZIP", platform::Icon::Information, platform::Buttons::Ok);
}
