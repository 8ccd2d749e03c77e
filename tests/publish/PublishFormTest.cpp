// The Publish window against a loopback sshd: the target kept per group in the
// data folder, the password in the key store and nowhere else, an unknown
// host asked about with its fingerprint, the progress window by bytes, plain
// FTP only after the warning, and Save as ZIP.
#include "publish/ui/PublishForm.h"
#include "platform/DataFolder.h"
#include "platform/FileSystem.h"
#include "platform/KeyStore.h"
#include "platform/ScriptedServices.h"
#include "publish/TargetStore.h"
#include "publish/ui/PublishProgressForm.h"
#include "tests/publish/Servers.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>

#include <cstdlib>
#include <filesystem>

using testsupport::readBytes;
using testsupport::writeBytes;

namespace {

namespace fs = std::filesystem;

class PublishWindow : public ::testing::Test {
protected:
    void SetUp() override {
        const char* bin = std::getenv("QM_BIN_DIR");
        ASSERT_NE(bin, nullptr);
        // The program's templates, from the command-line compiler built with them.
        fs::copy_file(std::string(bin) + "/quillmere-compile", dir_.file("quillmere"));
        platform::setProgramPathForTesting(dir_.file("quillmere"));
        platform::setDataFolderForTesting(dir_.folder());
        setenv("HOME", dir_.path().c_str(), 1); // no real known-hosts file
        previousStore_ = platform::setKeyStore(&keys_);
        fs::create_directories(dir_.file("ssh"));
        fs::create_directories(dir_.file("pictures"));
        server_ = std::make_unique<testsupport::SshServer>(dir_.file("ssh"));
        ASSERT_TRUE(server_->started()) << testsupport::slurp(server_->log());
        writeBytes(dir_.file("pictures/header.jpg"), "\xFF\xD8\xFF" + std::string(6 << 20, 'h'));
        letter_.SelectTemplate(1);
        letter_["PT"] = "The Heirloom Kitchen";
        letter_["HG"] = dir_.file("pictures/header.jpg");
        form_ = std::make_unique<TPublishForm>(nullptr, "Cookbooks",
                                               [this] { return std::optional(letter_); });
    }
    void TearDown() override {
        form_.reset();
        platform::setKeyStore(previousStore_);
        platform::setDataFolderForTesting("");
        platform::setProgramPathForTesting("");
    }
    void fillSftp() {
        form_->cbProtocol->setCurrentIndex(0);
        form_->edHost->setText("127.0.0.1");
        form_->sePort->setValue(server_->port());
        form_->edUser->setText(QString::fromStdString(testsupport::currentUser()));
        form_->edFolder->setText(QString::fromStdString(dir_.file("remote")));
        form_->edKeyFile->setText(QString::fromStdString(server_->identity()));
    }
    // Saves a picture of `w` when QM_SHOT_DIR names a folder (run under Xvfb).
    static void shot(QWidget* w, const char* name) {
        if (const char* folder = std::getenv("QM_SHOT_DIR"))
            w->grab().save(QString(folder) + "/" + name);
    }

    testsupport::TempDir dir_;
    platform::MemoryKeyStore keys_;
    platform::KeyStore* previousStore_ = nullptr;
    platform::ScriptedServices services_;
    platform::ScopedServices scoped_{services_};
    std::unique_ptr<testsupport::SshServer> server_;
    TSalesLetter letter_;
    std::unique_ptr<TPublishForm> form_;
};

} // namespace

TEST_F(PublishWindow, PublishesWithProgressAfterAskingAboutTheHost) {
    fillSftp();
    form_->edWebAddress->setText("http://127.0.0.1:9/"); // nothing listens there
    form_->edPassword->setText("key passphrase unused");
    form_->show();
    shot(form_.get(), "i25-publish-dialog.png");

    // Watch the progress window while it works.
    int bestValue = 0;
    QString fileShown;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* p = qobject_cast<TPublishProgressForm*>(w); p && p->isVisible()) {
                if (p->ProgressBar->value() > bestValue && p->ProgressBar->value() < 1000 &&
                    bestValue == 0)
                    shot(p, "i25-publish-progress.png");
                bestValue = std::max(bestValue, p->ProgressBar->value());
                if (p->lblFile->text().contains("images/"))
                    fileShown = p->lblFile->text();
            }
    });
    watch.start(5);
    services_.answers = {platform::Answer::Yes, platform::Answer::Ok};
    form_->btnPublish->click();
    watch.stop();

    ASSERT_EQ(services_.messages.size(), 2u);
    EXPECT_EQ(services_.messages[0].caption, "Unknown Host");
    EXPECT_NE(services_.messages[0].text.find(server_->fingerprint()), std::string::npos);
    EXPECT_EQ(services_.messages[1].caption, "Publish");
    EXPECT_NE(services_.messages[1].text.find("2 file(s) sent"), std::string::npos)
        << services_.messages[1].text;
    EXPECT_NE(services_.messages[1].text.find("could not be reached"), std::string::npos);
    EXPECT_EQ(readBytes(dir_.file("remote/images/header.jpg")),
              "\xFF\xD8\xFF" + std::string(6 << 20, 'h'));
    EXPECT_TRUE(fs::exists(dir_.file("remote/index.html")));
    EXPECT_GT(bestValue, 0);
    EXPECT_FALSE(fileShown.isEmpty());

    // The target is kept for the group, the password only in the key store.
    const auto stored = publish::loadTarget("Cookbooks");
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->port, server_->port());
    EXPECT_EQ(stored->identityFile, server_->identity());
    EXPECT_EQ(keys_.read(publish::kKeyStoreService, publish::keyStoreAccount(*stored)),
              "key passphrase unused");
    EXPECT_EQ(readBytes(dir_.file("Publish.ini")).find("passphrase"), std::string::npos);

    // A new window shows the group's target again; a second publish sends nothing.
    TPublishForm again(nullptr, "Cookbooks", [this] { return std::optional(letter_); });
    EXPECT_EQ(again.edHost->text(), "127.0.0.1");
    EXPECT_EQ(again.edPassword->text(), "key passphrase unused");
    services_.answers = {platform::Answer::Ok};
    again.btnPublish->click();
    ASSERT_EQ(services_.messages.size(), 3u);
    EXPECT_NE(services_.messages[2].text.find("already up to date"), std::string::npos)
        << services_.messages[2].text;
}

TEST_F(PublishWindow, PlainFtpOnlyAfterTheWarning) {
    form_->cbProtocol->setCurrentIndex(2);
    EXPECT_EQ(form_->sePort->value(), 21);
    EXPECT_FALSE(form_->edKeyFile->isEnabled());
    form_->edHost->setText("127.0.0.1");
    services_.answers = {platform::Answer::No};
    form_->btnPublish->click();
    ASSERT_EQ(services_.messages.size(), 1u);
    EXPECT_NE(services_.messages[0].text.find("unencrypted"), std::string::npos);
    EXPECT_FALSE(publish::loadTarget("Cookbooks")); // nothing kept, nothing sent
}

TEST_F(PublishWindow, SavesTheExportAsZip) {
    services_.saveFileAnswers = {dir_.file("page.zip")};
    services_.answers = {platform::Answer::Ok};
    form_->btnSaveZip->click();
    ASSERT_TRUE(fs::exists(dir_.file("page.zip")));
    const auto list = testsupport::runProcess({"/usr/bin/unzip", "-Z1", dir_.file("page.zip")});
    EXPECT_EQ(list.out, "images/header.jpg\nindex.html\n");
}
