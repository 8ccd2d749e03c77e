// Publishing a page with 40 pictures (20 MB in all) to an OpenSSH server this
// program starts on loopback: the first publish, then an unchanged one, then
// one with a changed headline. Prints the times and the bytes sent.
#include "platform/DataFolder.h"
#include "publish/Publisher.h"
#include "tests/publish/Servers.h"
#include "tests/support/TempDir.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>

int main() {
    testsupport::TempDir dir;
    platform::setDataFolderForTesting(dir.folder());
    std::filesystem::create_directories(dir.file("ssh"));
    std::filesystem::create_directories(dir.file("page/images"));
    testsupport::SshServer server(dir.file("ssh"));
    if (!server.started()) {
        std::fprintf(stderr, "publish_bench: sshd did not start:\n%s\n",
                     testsupport::slurp(server.log()).c_str());
        return 1;
    }
    testsupport::writeBytes(dir.file("known_hosts"), server.knownHostsLine());
    std::mt19937 random(25);
    std::string html = "<html><body>\r\n";
    for (int i = 0; i < 40; ++i) {
        std::string picture(512 * 1024, '\0');
        for (char& c : picture)
            c = static_cast<char>(random());
        const std::string name = "images/picture-" + std::to_string(i) + ".jpg";
        testsupport::writeBytes(dir.file("page/" + name), picture);
        html += "<img src=\"" + name + "\">\r\n";
    }
    testsupport::writeBytes(dir.file("page/index.html"), html + "</body></html>\r\n");

    publish::Target target;
    target.host = "127.0.0.1";
    target.port = server.port();
    target.user = testsupport::currentUser();
    target.folder = dir.file("remote");
    target.identityFile = server.identity();
    target.knownHosts = dir.file("known_hosts");

    std::printf("%-26s %10s %8s %14s\n", "publish", "seconds", "files", "bytes sent");
    auto run = [&](const char* what) {
        const auto start = std::chrono::steady_clock::now();
        const auto report = publish::publishFolder(target, dir.file("page"), false, {});
        const double s =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("%-26s %10.3f %8zu %14llu\n", what, s, report.sent.size(),
                    static_cast<unsigned long long>(report.bytesSent));
    };
    run("first (40 pictures, 20 MB)");
    run("unchanged");
    testsupport::writeBytes(dir.file("page/index.html"), html + "<h1>New</h1></body></html>\r\n");
    run("changed headline");
    platform::setDataFolderForTesting("");
    return 0;
}
