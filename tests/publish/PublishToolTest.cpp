// quillmere-compile --publish and --zip: the page exported as Finish writes
// it, published to a loopback sshd; exit 0 only when the host holds it; an
// unknown host refused; --dry-run changes nothing; the ZIP holds the same
// files as the export.
#include "platform/DataFolder.h"
#include "publish/Manifest.h"
#include "salesletter/Export.h"
#include "salesletter/ProjectFile.h"
#include "tests/publish/Servers.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

using testsupport::readBytes;
using testsupport::writeBytes;

namespace {

namespace fs = std::filesystem;

class PublishTool : public ::testing::Test {
protected:
    void SetUp() override {
        const char* bin = std::getenv("QM_BIN_DIR");
        ASSERT_NE(bin, nullptr);
        tool_ = std::string(bin) + "/quillmere-compile";
        fs::create_directories(dir_.file("ssh"));
        fs::create_directories(dir_.file("pictures"));
        fs::create_directories(dir_.file("home"));
        server_ = std::make_unique<testsupport::SshServer>(dir_.file("ssh"));
        ASSERT_TRUE(server_->started()) << testsupport::slurp(server_->log());
        writeBytes(dir_.file("known_hosts"), server_->knownHostsLine());
        writeBytes(dir_.file("pictures/Header Banner.jpg"),
                   "\xFF\xD8\xFF" + std::string(50000, 'h'));
        writeBytes(dir_.file("pictures/cover.png"),
                   std::string("\x89PNG\r\n\x1A\n", 8) + std::string(40000, 'c'));
        letter_.SelectTemplate(1);
        letter_["PT"] = "The Heirloom Kitchen";
        letter_["Headline"] = "Cook like your great-grandmother";
        letter_["HG"] = dir_.file("pictures/Header Banner.jpg");
        letter_["EC"] = dir_.file("pictures/cover.png");
        SaveProject(letter_, project());
        url_ = "sftp://" + testsupport::currentUser() +
               "@127.0.0.1:" + std::to_string(server_->port()) + dir_.file("remote");
    }
    std::string project() const { return dir_.file("kitchen.prj"); }
    testsupport::ProcessResult run(std::vector<std::string> args) {
        args.insert(args.begin(), tool_);
        // A home and data folder of the test's own: no real known-hosts file.
        return testsupport::runProcess(
            args, {"HOME=" + dir_.file("home"), "XDG_DATA_HOME=" + dir_.file("home")});
    }
    testsupport::ProcessResult publishRun(std::vector<std::string> extra = {}) {
        std::vector<std::string> args{"--publish",
                                      url_,
                                      project(),
                                      "--identity",
                                      server_->identity(),
                                      "--known-hosts",
                                      dir_.file("known_hosts")};
        args.insert(args.end(), extra.begin(), extra.end());
        return run(args);
    }

    testsupport::TempDir dir_;
    std::unique_ptr<testsupport::SshServer> server_;
    TSalesLetter letter_;
    std::string tool_, url_;
};

} // namespace

TEST_F(PublishTool, PublishesTheExportedPageAndThenNothing) {
    auto dry = publishRun({"--dry-run"});
    EXPECT_EQ(dry.exitCode, 0) << dry.err;
    EXPECT_NE(dry.out.find("would send   index.html"), std::string::npos) << dry.out;
    EXPECT_NE(dry.out.find("would send   images/header-banner.jpg"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir_.file("remote")));

    auto r = publishRun();
    ASSERT_EQ(r.exitCode, 0) << r.err;
    // The same files as --export writes.
    ASSERT_EQ(run({"--export", dir_.file("export"), project()}).exitCode, 0);
    for (const char* name : {"index.html", "images/header-banner.jpg", "images/cover.png"})
        EXPECT_EQ(readBytes(dir_.file("remote/") + name), readBytes(dir_.file("export/") + name))
            << name;
    EXPECT_TRUE(fs::exists(dir_.file("remote/") + publish::kManifestName));

    r = publishRun();
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("0 sent (0 bytes)"), std::string::npos) << r.out;

    // A changed headline: only the page travels.
    letter_["Headline"] = "Bake like your great-grandmother";
    SaveProject(letter_, project());
    dry = publishRun({"--dry-run"});
    EXPECT_NE(dry.out.find("1 to send"), std::string::npos) << dry.out;
    r = publishRun();
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("sent    index.html\n1 sent"), std::string::npos) << r.out;
    EXPECT_NE(readBytes(dir_.file("remote/index.html")).find("Bake like"), std::string::npos);
}

TEST_F(PublishTool, RefusesAnUnknownHostAndBadArguments) {
    writeBytes(dir_.file("known_hosts"), "");
    const auto r = publishRun();
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find(server_->fingerprint()), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dir_.file("remote/index.html")));

    EXPECT_EQ(run({"--publish", "sftp://u:pw@host/x", project()}).exitCode, 2);
    EXPECT_EQ(run({"--publish", "gopher://host/x", project()}).exitCode, 2);
    EXPECT_EQ(run({"--publish", url_}).exitCode, 2);
    EXPECT_EQ(run({"--publish", url_, project(), "--password-env", "QM_NO_SUCH_VARIABLE"}).exitCode,
              2);
    EXPECT_EQ(run({"--zip", dir_.file("page.zip")}).exitCode, 2);
    // Never an archive over the project itself or another project file.
    const std::string before = readBytes(project());
    EXPECT_EQ(run({"--zip", project(), project()}).exitCode, 2);
    EXPECT_EQ(run({"--zip", dir_.file("other.PRJ"), project()}).exitCode, 2);
    EXPECT_EQ(readBytes(project()), before);
    EXPECT_FALSE(fs::exists(dir_.file("other.PRJ")));
}

TEST_F(PublishTool, ZipHoldsTheExportedFiles) {
    const auto r = run({"--zip", dir_.file("page.zip"), project()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    ASSERT_EQ(run({"--export", dir_.file("export"), project()}).exitCode, 0);
    const auto list = testsupport::runProcess({"/usr/bin/unzip", "-Z1", dir_.file("page.zip")});
    EXPECT_EQ(list.out, "images/cover.png\nimages/header-banner.jpg\nindex.html\n");
    const auto page =
        testsupport::runProcess({"/usr/bin/unzip", "-p", dir_.file("page.zip"), "index.html"});
    EXPECT_EQ(page.out, readBytes(dir_.file("export/index.html")));
    EXPECT_FALSE(fs::exists(dir_.file("page.zip.part")));

    // A missing picture: no archive at all.
    fs::remove(dir_.file("pictures/cover.png"));
    EXPECT_EQ(run({"--zip", dir_.file("other.zip"), project()}).exitCode, 1);
    EXPECT_FALSE(fs::exists(dir_.file("other.zip")));
}
