// Publishing to pyftpdlib on loopback: FTPS with a self-signed certificate
// (asked once with its fingerprint, then pinned), plain FTP with a password,
// a refused login, and the seller's own files left alone.
#include "platform/DataFolder.h"
#include "publish/Publisher.h"
#include "tests/publish/Servers.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

using testsupport::readBytes;
using testsupport::writeBytes;

namespace {

namespace fs = std::filesystem;

class FtpPublish : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        platform::setDataFolderForTesting(dir_.folder());
        fs::create_directories(dir_.file("ftp"));
        fs::create_directories(dir_.file("root"));
        fs::create_directories(dir_.file("page/images"));
        server_ = std::make_unique<testsupport::FtpServer>(dir_.file("ftp"), dir_.file("root"),
                                                           GetParam());
        ASSERT_TRUE(server_->started()) << testsupport::slurp(server_->log());
        target_.protocol = GetParam() ? publish::Protocol::Ftps : publish::Protocol::Ftp;
        target_.host = "127.0.0.1";
        target_.port = server_->port();
        target_.user = testsupport::FtpServer::kUser;
        target_.password = testsupport::FtpServer::kPassword;
        target_.folder = "/public_html";
        writeBytes(dir_.file("page/index.html"), "<html>Old headline</html>\r\n");
        writeBytes(dir_.file("page/images/header.jpg"), std::string(200000, 'h'));
        hooks_.ownCertificates = dir_.file("certificates");
        hooks_.confirm = [this](const publish::TrustQuestion& q) {
            asked_.push_back(q);
            return true;
        };
    }
    void TearDown() override { platform::setDataFolderForTesting(""); }

    std::string remote(const std::string& name) { return dir_.file("root/public_html/" + name); }
    publish::Report run() {
        return publish::publishFolder(target_, dir_.file("page"), false, hooks_);
    }

    testsupport::TempDir dir_;
    std::unique_ptr<testsupport::FtpServer> server_;
    publish::Target target_;
    publish::Hooks hooks_;
    std::vector<publish::TrustQuestion> asked_;
};

} // namespace

TEST_P(FtpPublish, PublishesOnlyWhatChangedAndLeavesOtherFilesAlone) {
    auto report = run();
    EXPECT_EQ(report.sent, (std::vector<std::string>{"images/header.jpg", "index.html"}));
    EXPECT_EQ(readBytes(remote("index.html")), "<html>Old headline</html>\r\n");
    EXPECT_EQ(readBytes(remote("images/header.jpg")), std::string(200000, 'h'));
    writeBytes(remote("images/mine.gif"), "the seller's own");

    report = run();
    EXPECT_TRUE(report.sent.empty());

    writeBytes(dir_.file("page/index.html"), "<html>New headline</html>\r\n");
    fs::remove(dir_.file("page/images/header.jpg"));
    report = run();
    EXPECT_EQ(report.sent, std::vector<std::string>{"index.html"});
    EXPECT_EQ(report.removed, std::vector<std::string>{"images/header.jpg"});
    EXPECT_EQ(readBytes(remote("index.html")), "<html>New headline</html>\r\n");
    EXPECT_FALSE(fs::exists(remote("images/header.jpg")));
    EXPECT_EQ(readBytes(remote("images/mine.gif")), "the seller's own");
    EXPECT_EQ(asked_.size(), GetParam() ? 1u : 0u); // the certificate, once
}

TEST_P(FtpPublish, ASelfSignedCertificateIsAskedOnceAndPinned) {
    if (!GetParam())
        GTEST_SKIP() << "plain FTP has no certificate";
    auto dryRun = [this] {
        return publish::publishFolder(target_, dir_.file("page"), true, hooks_);
    };
    EXPECT_EQ(dryRun().plan.send.size(), 2u);
    ASSERT_EQ(asked_.size(), 1u);
    EXPECT_TRUE(asked_[0].certificate);
    const auto r = testsupport::runProcess({"/usr/bin/openssl", "x509", "-noout", "-fingerprint",
                                            "-sha256", "-in", server_->certificate()});
    EXPECT_NE(r.out.find(asked_[0].fingerprint), std::string::npos) << r.out;
    dryRun();
    EXPECT_EQ(asked_.size(), 1u); // remembered

    // Another certificate on the same host: the pin refuses it.
    server_->stop();
    server_->replaceCertificate();
    ASSERT_TRUE(server_->restart());
    try {
        dryRun();
        ADD_FAILURE() << "a different certificate passed the pin";
    } catch (const publish::PublishError& e) {
        EXPECT_EQ(e.kind(), publish::ErrorKind::Trust) << e.what();
    }
    EXPECT_EQ(asked_.size(), 1u);
}

TEST_P(FtpPublish, WrongPasswordIsReported) {
    target_.password = "wrong";
    hooks_.confirm = [](const publish::TrustQuestion&) { return true; };
    try {
        run();
        ADD_FAILURE() << "a wrong password was accepted";
    } catch (const publish::PublishError& e) {
        EXPECT_EQ(e.kind(), publish::ErrorKind::Login) << e.what();
    }
    EXPECT_FALSE(fs::exists(remote("index.html")));
}

TEST_P(FtpPublish, AnUntrustedCertificateStopsEverything) {
    if (!GetParam())
        GTEST_SKIP() << "plain FTP has no certificate";
    hooks_.confirm = [this](const publish::TrustQuestion& q) {
        asked_.push_back(q);
        return false;
    };
    try {
        run();
        ADD_FAILURE() << "an unconfirmed certificate was trusted";
    } catch (const publish::PublishError& e) {
        EXPECT_EQ(e.kind(), publish::ErrorKind::Trust) << e.what();
    }
    EXPECT_EQ(asked_.size(), 1u);
    EXPECT_FALSE(fs::exists(remote("index.html")));
}

INSTANTIATE_TEST_SUITE_P(TlsAndPlain, FtpPublish, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Ftps" : "Ftp"; });
