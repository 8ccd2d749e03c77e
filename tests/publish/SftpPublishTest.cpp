// Publishing to a real OpenSSH server on loopback: only what changed is sent,
// files travel under temporary names and index.html is placed last, files
// the program never published stay, host keys are checked, and a dropped
// connection or a cancel leaves the old page live.
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

class SftpPublish : public ::testing::Test {
protected:
    void SetUp() override {
        platform::setDataFolderForTesting(dir_.folder());
        fs::create_directories(dir_.file("ssh"));
        fs::create_directories(dir_.file("page/images"));
        server_ = std::make_unique<testsupport::SshServer>(dir_.file("ssh"));
        ASSERT_TRUE(server_->started()) << testsupport::slurp(server_->log());
        writeBytes(dir_.file("known_hosts"), server_->knownHostsLine());
        target_.protocol = publish::Protocol::Sftp;
        target_.host = "127.0.0.1";
        target_.port = server_->port();
        target_.user = testsupport::currentUser();
        target_.folder = dir_.file("remote/site");
        target_.identityFile = server_->identity();
        target_.knownHosts = dir_.file("known_hosts");
        page("<html>Old headline</html>\r\n");
        writeBytes(dir_.file("page/images/header.jpg"), std::string(300000, 'h'));
        writeBytes(dir_.file("page/images/cover.png"), std::string(200000, 'c'));
    }
    void TearDown() override { platform::setDataFolderForTesting(""); }

    void page(const std::string& html) { writeBytes(dir_.file("page/index.html"), html); }
    std::string remote(const std::string& name) { return dir_.file("remote/site/" + name); }
    publish::Report run(publish::Hooks hooks = {}, bool dryRun = false) {
        hooks.ownKnownHosts = dir_.file("own_known_hosts");
        return publish::publishFolder(target_, dir_.file("page"), dryRun, hooks);
    }
    // Names in the remote folder that start with ".quillmere-" and end ".part".
    std::vector<std::string> temporaries() {
        std::vector<std::string> out;
        for (const auto& e : fs::recursive_directory_iterator(dir_.file("remote")))
            if (e.path().filename().string().find(".part") != std::string::npos)
                out.push_back(e.path().string());
        return out;
    }

    testsupport::TempDir dir_;
    std::unique_ptr<testsupport::SshServer> server_;
    publish::Target target_;
};

std::vector<std::string> sorted(std::vector<std::string> v) {
    std::sort(v.begin(), v.end());
    return v;
}

} // namespace

TEST_F(SftpPublish, SendsOnlyWhatChangedAndLeavesOtherFilesAlone) {
    // First publish: everything, pictures before the page.
    std::vector<std::string> order;
    publish::Hooks hooks;
    hooks.progress = [&](const publish::Progress& p) {
        if (order.empty() || order.back() != p.file)
            order.push_back(p.file);
    };
    auto report = run(hooks);
    EXPECT_EQ(report.sent,
              (std::vector<std::string>{"images/cover.png", "images/header.jpg", "index.html"}));
    EXPECT_EQ(order.back(), "index.html");
    EXPECT_EQ(report.bytesSent, 500000u + 27u);
    EXPECT_EQ(readBytes(remote("index.html")), "<html>Old headline</html>\r\n");
    EXPECT_EQ(readBytes(remote("images/header.jpg")), std::string(300000, 'h'));
    EXPECT_TRUE(temporaries().empty());
    const auto manifest = publish::parseManifest(readBytes(remote(publish::kManifestName)));
    ASSERT_EQ(manifest.size(), 3u);
    EXPECT_EQ(manifest[2].sha256, publish::sha256Hex("<html>Old headline</html>\r\n"));

    // The seller's own files beside the page.
    writeBytes(remote("favicon.ico"), "mine");
    writeBytes(remote("images/logo.gif"), "mine too");

    // Unchanged: nothing sent.
    report = run();
    EXPECT_TRUE(report.sent.empty());
    EXPECT_EQ(report.bytesSent, 0u);

    // A published picture deleted on the host by other means comes back.
    fs::remove(remote("images/cover.png"));
    report = run();
    EXPECT_EQ(report.sent, std::vector<std::string>{"images/cover.png"});
    EXPECT_EQ(readBytes(remote("images/cover.png")), std::string(200000, 'c'));

    // A changed headline: only the page.
    page("<html>New headline</html>\r\n");
    report = run();
    EXPECT_EQ(report.sent, std::vector<std::string>{"index.html"});
    EXPECT_EQ(readBytes(remote("index.html")), "<html>New headline</html>\r\n");

    // A changed picture and one dropped: the picture is replaced, the old one
    // removed, the seller's files untouched.
    writeBytes(dir_.file("page/images/header.jpg"), std::string(1000, 'H'));
    fs::remove(dir_.file("page/images/cover.png"));
    report = run();
    EXPECT_EQ(report.sent, std::vector<std::string>{"images/header.jpg"});
    EXPECT_EQ(report.removed, std::vector<std::string>{"images/cover.png"});
    EXPECT_EQ(readBytes(remote("images/header.jpg")), std::string(1000, 'H'));
    EXPECT_FALSE(fs::exists(remote("images/cover.png")));
    EXPECT_EQ(readBytes(remote("favicon.ico")), "mine");
    EXPECT_EQ(readBytes(remote("images/logo.gif")), "mine too");
    EXPECT_TRUE(temporaries().empty());
}

TEST_F(SftpPublish, DryRunChangesNothing) {
    const auto report = run({}, true);
    EXPECT_EQ(report.plan.send.size(), 3u);
    EXPECT_EQ(report.plan.bytesToSend, 500027u);
    EXPECT_TRUE(report.sent.empty());
    EXPECT_FALSE(fs::exists(dir_.file("remote/site")));
}

TEST_F(SftpPublish, UnknownHostIsAskedOnceAndAChangedKeyRefused) {
    writeBytes(dir_.file("known_hosts"), ""); // the host is known nowhere
    std::vector<publish::TrustQuestion> asked;
    publish::Hooks hooks;
    hooks.confirm = [&](const publish::TrustQuestion& q) {
        asked.push_back(q);
        return false;
    };
    try {
        run(hooks);
        ADD_FAILURE() << "an unknown host was trusted without asking";
    } catch (const publish::PublishError& e) {
        EXPECT_EQ(e.kind(), publish::ErrorKind::Trust) << e.what();
    }
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].fingerprint, server_->fingerprint());
    EXPECT_EQ(asked[0].keyType, "ssh-ed25519");
    EXPECT_FALSE(fs::exists(dir_.file("remote/site")));

    // Trusted once: remembered in the program's own file, not asked again.
    hooks.confirm = [&](const publish::TrustQuestion& q) {
        asked.push_back(q);
        return true;
    };
    run(hooks);
    run(hooks);
    EXPECT_EQ(asked.size(), 2u);
    EXPECT_TRUE(fs::exists(remote("index.html")));

    // The host comes back with another key: refused, without a question.
    server_->stop();
    server_->replaceHostKey();
    ASSERT_TRUE(server_->restart());
    page("<html>Must not arrive</html>");
    try {
        run(hooks);
        ADD_FAILURE() << "a changed host key was accepted";
    } catch (const publish::PublishError& e) {
        EXPECT_EQ(e.kind(), publish::ErrorKind::Trust);
        EXPECT_NE(std::string(e.what()).find("has changed"), std::string::npos) << e.what();
    }
    EXPECT_EQ(asked.size(), 2u);
    EXPECT_EQ(readBytes(remote("index.html")), "<html>Old headline</html>\r\n");
}

TEST_F(SftpPublish, AKeyWithAPassphraseOpensWithThePassword) {
    const std::string key = dir_.file("locked_key");
    testsupport::runProcess(
        {"/usr/bin/ssh-keygen", "-q", "-t", "ed25519", "-N", "open sesame", "-f", key});
    const std::string authorized = dir_.file("ssh/authorized_keys");
    writeBytes(authorized, readBytes(authorized) + readBytes(key + ".pub"));
    target_.identityFile = key;
    target_.password = "open sesame";
    run();
    EXPECT_TRUE(fs::exists(remote("index.html")));
}

TEST_F(SftpPublish, RefusedLoginIsReported) {
    target_.identityFile.clear();
    target_.password = "not the password";
    try {
        run();
        ADD_FAILURE() << "a wrong password was accepted";
    } catch (const publish::PublishError& e) {
        EXPECT_EQ(e.kind(), publish::ErrorKind::Login) << e.what();
        EXPECT_NE(std::string(e.what()).find(target_.user), std::string::npos);
    }
}

TEST_F(SftpPublish, DroppedConnectionKeepsTheOldPageAndARetryFinishes) {
    run();
    page("<html>New headline</html>\r\n");
    // Bytes that differ along the file, so a resume from a wrong place shows.
    std::string header(4 << 20, '\0');
    for (std::size_t i = 0; i < header.size(); ++i)
        header[i] = static_cast<char>((i * 7 + i / 4096) % 251);
    writeBytes(dir_.file("page/images/header.jpg"), header);
    writeBytes(dir_.file("page/images/extra.jpg"), std::string(3 << 20, 'X'));
    publish::Hooks hooks;
    bool killed = false;
    hooks.progress = [&](const publish::Progress& p) {
        if (!killed && p.done > (5u << 20)) { // inside the second picture
            killed = true;
            server_->stop();
        }
    };
    try {
        run(hooks);
        ADD_FAILURE() << "the upload went on without its server";
    } catch (const publish::PublishError& e) {
        EXPECT_EQ(e.kind(), publish::ErrorKind::Connection) << e.what();
    }
    ASSERT_TRUE(killed);
    // The old page is live, with all its pictures.
    EXPECT_EQ(readBytes(remote("index.html")), "<html>Old headline</html>\r\n");
    EXPECT_EQ(readBytes(remote("images/header.jpg")), std::string(300000, 'h'));
    EXPECT_FALSE(fs::exists(remote("images/extra.jpg")));

    ASSERT_TRUE(server_->restart());
    const auto report = run();
    EXPECT_EQ(sorted(report.sent),
              (std::vector<std::string>{"images/extra.jpg", "images/header.jpg", "index.html"}));
    // extra.jpg had arrived whole and is not sent again; header.jpg goes on
    // from where it stopped.
    EXPECT_LT(report.bytesSent, (4u << 20));
    EXPECT_TRUE(readBytes(remote("images/header.jpg")) == header);
    EXPECT_EQ(readBytes(remote("images/extra.jpg")), std::string(3 << 20, 'X'));
    EXPECT_EQ(readBytes(remote("index.html")), "<html>New headline</html>\r\n");
    EXPECT_TRUE(temporaries().empty());
}

TEST_F(SftpPublish, CancelLeavesTheSiteAsItWas) {
    run();
    page("<html>New headline</html>\r\n");
    writeBytes(dir_.file("page/images/header.jpg"), std::string(3 << 20, 'N'));
    writeBytes(dir_.file("page/images/extra.jpg"), std::string(3 << 20, 'X'));
    publish::Hooks hooks;
    std::uint64_t seen = 0;
    hooks.progress = [&](const publish::Progress& p) { seen = p.done; };
    hooks.cancelled = [&] { return seen > (4u << 20); };
    try {
        run(hooks);
        ADD_FAILURE() << "cancel was ignored";
    } catch (const publish::PublishError& e) {
        EXPECT_EQ(e.kind(), publish::ErrorKind::Cancelled) << e.what();
    }
    EXPECT_EQ(readBytes(remote("index.html")), "<html>Old headline</html>\r\n");
    EXPECT_EQ(readBytes(remote("images/header.jpg")), std::string(300000, 'h'));
    EXPECT_FALSE(fs::exists(remote("images/extra.jpg")));
    EXPECT_TRUE(temporaries().empty());
}

TEST_F(SftpPublish, TheWebAddressIsFetchedAndCompared) {
    // A web server for the remote folder, as the host's would be.
    fs::create_directories(dir_.file("remote/site"));
    const int port = testsupport::freePort();
    const pid_t web =
        testsupport::spawn({"/usr/bin/python3", "-m", "http.server", std::to_string(port), "--bind",
                            "127.0.0.1", "--directory", dir_.file("remote")},
                           dir_.file("http.log"));
    ASSERT_TRUE(testsupport::waitUntilAccepting(port, web));
    const std::string base = "http://127.0.0.1:" + std::to_string(port) + "/";

    target_.webAddress = base + "site";
    auto report = run();
    EXPECT_EQ(report.web, publish::WebCheck::Same) << report.webMessage;
    EXPECT_TRUE(report.matches());

    // An address that shows another page: the site does not match.
    target_.webAddress = base + "elsewhere/";
    fs::create_directories(dir_.file("remote/elsewhere"));
    writeBytes(dir_.file("remote/elsewhere/index.html"), "<html>Another page</html>");
    report = run();
    EXPECT_EQ(report.web, publish::WebCheck::Different) << report.webMessage;
    EXPECT_FALSE(report.matches());
    testsupport::killTree(web);

    // Nobody answers: reported, but the upload stands.
    target_.webAddress = base + "site/";
    report = run();
    EXPECT_EQ(report.web, publish::WebCheck::Unreachable);
    EXPECT_TRUE(report.matches());
}
