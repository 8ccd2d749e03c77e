// The date chart's folder: a private per-user folder under the temporary
// folder, written afresh at every opening, removed without following links.
#include "browsers/ChartFolder.h"
#include "archive/ExeMod.h"
#include "browsers/Addresses.h"
#include "browsers/ChartPage.h"
#include "browsers/EngineModule.h"
#include "platform/FileSystem.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <filesystem>
#include <stdlib.h>
#include <sys/stat.h>
#ifndef _WIN32
#include <unistd.h>
#endif

namespace fs = std::filesystem;
using testsupport::readBytes;
using testsupport::TempDir;
using testsupport::writeBytes;

namespace {

// Points the program's temporary folder at `dir` for one test.
using ScopedTmpDir = testsupport::ScopedTempFolder;

// The chart as the program writes it this year: the shipped pattern with
// this year's dates (mended: it was a fixed page valid for one year).
std::string shippedChart(int year = browsers::CurrentYear()) {
    return browsers::FillChart(
        readBytes(std::string(getenv("QM_SOURCE_DIR")) + "/resources/chart.html"), year);
}

#ifndef _WIN32
unsigned modeOf(const std::string& path) {
    struct stat st {};
    lstat(path.c_str(), &st);
    return st.st_mode & 07777;
}

std::string mine(const TempDir& tmp) {
    return tmp.file("quillmere-" + std::to_string(geteuid()));
}
#endif

} // namespace

TEST(ChartFolder, AddsTheSeparatorOnlyWhenMissing) {
    using testsupport::native;
    EXPECT_EQ(browsers::ChartFolderFor("/var/tmp/user"), "/var/tmp/user" + native("/LI/"));
    EXPECT_EQ(browsers::ChartFolderFor("/var/tmp/user/"), "/var/tmp/user/" + native("LI/"));
}

#ifdef _WIN32
TEST(ChartFolder, PrivateFolderRulesOfASharedTemporaryFolder) {
    GTEST_SKIP() << "Windows gives each user a temporary folder of their own: no private "
                    "folder, modes or owners to check there";
}

TEST(ChartFolder, LiesInTheUsersTemporaryFolder) {
    TempDir tmp;
    ScopedTmpDir env(tmp.path());
    EXPECT_EQ(browsers::ChartFolder(), tmp.folder() + "LI\\");
}
#else
TEST(ChartFolder, LiesInAPrivateFolderOfThisUser) {
    TempDir tmp;
    ScopedTmpDir env(tmp.path()); // reported without a trailing separator
    EXPECT_EQ(browsers::ChartFolder(), mine(tmp) + "/LI/");
    EXPECT_EQ(modeOf(mine(tmp)), 0700u);

    // A folder of ours left open to others is closed again and reused.
    chmod(mine(tmp).c_str(), 0777);
    EXPECT_EQ(browsers::UserTempFolder(), mine(tmp) + "/");
    EXPECT_EQ(modeOf(mine(tmp)), 0700u);
}

TEST(ChartFolder, APlantedLinkInPlaceOfThePrivateFolderIsNotFollowed) {
    TempDir tmp, victim;
    ScopedTmpDir env(tmp.path());
    writeBytes(victim.file("keep.txt"), "precious");
    fs::create_directory_symlink(victim.path(), mine(tmp));

    const std::string folder = browsers::ChartFolder();
    EXPECT_EQ(folder.rfind(mine(tmp) + "-", 0), 0u) << folder; // a fresh folder beside it
    EXPECT_EQ(modeOf(folder.substr(0, folder.size() - 4)), 0700u);
    const std::string chart = browsers::WriteChart(folder);
    EXPECT_EQ(readBytes(chart), shippedChart());
    browsers::RemoveChartFolder(folder);
    EXPECT_FALSE(fs::exists(folder.substr(0, folder.size() - 4))); // nothing left behind

    EXPECT_FALSE(fs::exists(victim.file("LI")));
    EXPECT_EQ(readBytes(victim.file("keep.txt")), "precious");
    EXPECT_TRUE(fs::is_symlink(mine(tmp)));
}

TEST(ChartFolder, AnotherUsersFolderIsNotUsed) {
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to hand a folder to another user";
    TempDir tmp;
    ScopedTmpDir env(tmp.path());
    fs::create_directory(mine(tmp));
    ASSERT_EQ(chown(mine(tmp).c_str(), 65534, 65534), 0);
    const std::string folder = browsers::UserTempFolder();
    EXPECT_NE(folder, mine(tmp) + "/");
    EXPECT_EQ(folder.rfind(mine(tmp) + "-", 0), 0u) << folder;
}

#endif

TEST(ChartFolder, IsWrittenAtEveryOpeningAndRemovedWithItsContent) {
    TempDir tmp;
    ScopedTmpDir env(tmp.path());
    const std::string folder = browsers::ChartFolder();

    // A folder left behind by an earlier run, with a stale chart.
    fs::create_directories(folder);
    writeBytes(folder + "chart.html", "stale");
    writeBytes(folder + "other.txt", "x");
    EXPECT_EQ(browsers::WriteChart(folder), folder + "chart.html");
    EXPECT_EQ(readBytes(folder + "chart.html"), shippedChart());

    browsers::RemoveChartFolder(folder);
    EXPECT_FALSE(fs::exists(folder.substr(0, folder.size() - 1)));
#ifndef _WIN32
    EXPECT_FALSE(fs::exists(mine(tmp))); // the private folder too, once empty
#endif

    // The next opening writes it again.
    browsers::WriteChart(folder);
    EXPECT_EQ(readBytes(folder + "chart.html"), shippedChart());
    browsers::RemoveChartFolder(folder);
    EXPECT_FALSE(fs::exists(folder + "chart.html"));
}

#ifndef _WIN32
TEST(ChartFolder, LinksInsideOrInPlaceOfTheChartFolderAreNeverFollowed) {
    TempDir tmp, victim;
    ScopedTmpDir env(tmp.path());
    writeBytes(victim.file("chart.html"), "theirs");
    writeBytes(victim.file("keep.txt"), "precious");
    const std::string folder = browsers::ChartFolder();
    const std::string li = folder.substr(0, folder.size() - 1);

    // "LI" itself a link: replaced by a real folder, the target untouched.
    fs::create_directories(browsers::UserTempFolder());
    fs::create_directory_symlink(victim.path(), li);
    browsers::WriteChart(folder);
    EXPECT_FALSE(fs::is_symlink(li));
    EXPECT_EQ(readBytes(victim.file("chart.html")), "theirs");

    // The chart file a link, and a link inside the folder: removal and
    // rewriting touch the links only.
    fs::remove(folder + "chart.html");
    fs::create_symlink(victim.file("chart.html"), folder + "chart.html");
    fs::create_directory_symlink(victim.path(), folder + "sub");
    browsers::WriteChart(folder);
    EXPECT_EQ(readBytes(victim.file("chart.html")), "theirs");
    EXPECT_EQ(readBytes(folder + "chart.html"), shippedChart());
    browsers::RemoveChartFolder(folder);
    EXPECT_FALSE(fs::exists(li));
    EXPECT_EQ(readBytes(victim.file("keep.txt")), "precious");

    // A link in the folder's place when the window goes: only the link goes.
    fs::create_directories(browsers::UserTempFolder());
    fs::create_directory_symlink(victim.path(), li);
    browsers::RemoveChartFolder(folder);
    EXPECT_FALSE(fs::is_symlink(li));
    EXPECT_EQ(readBytes(victim.file("keep.txt")), "precious");
}

#endif

TEST(ChartFolder, AChartThatCannotBeWrittenIsReportedWithItsPath) {
    TempDir tmp;
    ScopedTmpDir env(tmp.path());
    const std::string folder = browsers::ChartFolder();
    // A plain file where the folder belongs (root ignores permissions).
    writeBytes(folder.substr(0, folder.size() - 1), "not a folder");
    try {
        browsers::WriteChart(folder);
        FAIL() << "no error";
    } catch (const platform::IoError& e) {
#ifdef _WIN32
        const std::string reason = "No such file or directory";
#else
        const std::string reason = "Not a directory";
#endif
        EXPECT_EQ(std::string(e.what()),
                  "Cannot create file \"" + folder + "chart.html\". " + reason);
    }
}

TEST(Chart, IsOneSelfContainedLatin1PageWithBothTables) {
    const std::string chart = shippedChart(2026);
    ASSERT_FALSE(chart.empty());
    EXPECT_EQ(chart.rfind("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01//EN\"", 0), 0u);
    EXPECT_NE(chart.find("charset=ISO-8859-1"), std::string::npos);
    for (unsigned char c : chart)
        ASSERT_TRUE(c < 0x80 || c >= 0xA0) << "not a printable ISO-8859-1 byte: " << int(c);
    // No pictures, scripts or links of any kind.
    std::string lower = chart;
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const char* banned : {"<img", "<script", "<a ", "<link", "<object", "<embed", "<iframe",
                               "href=", "src=", "url(", "http:", "https:"})
        EXPECT_EQ(lower.find(banned), std::string::npos) << banned;

    auto rowsOf = [&](const std::string& heading) {
        const size_t at = chart.find(heading);
        EXPECT_NE(at, std::string::npos) << heading;
        const size_t start = chart.find("<table", at), end = chart.find("</table>", start);
        const std::string table = chart.substr(start, end - start);
        int rows = 0; // data rows: those with cells, not headings
        for (size_t p = table.find("<tr>"); p != std::string::npos; p = table.find("<tr>", p + 1))
            rows += table.compare(p + 4, 3, "<td") == 0;
        return rows;
    };
    EXPECT_EQ(rowsOf("United States Copyright Dates Table"), 6);
    EXPECT_EQ(rowsOf("Non-US Copyright Dates Table"), 5);
    EXPECT_NE(chart.find("&quot;Legal Aid&quot;"), std::string::npos);
    EXPECT_NE(chart.find("2026"), std::string::npos);
    // The outdated cut-off would give users a wrong answer; 1923 is named
    // only by the sound-recording rules, which differ.
    EXPECT_EQ(chart.find("Published before 1923"), std::string::npos);
    for (size_t at = chart.find("1923"); at != std::string::npos; at = chart.find("1923", at + 1))
        EXPECT_NE(chart.rfind("Sound recordings follow their own rules", at), std::string::npos);
    EXPECT_NE(chart.find("so only those published before\n1926 are free on 1 January 2026"),
              std::string::npos);
    EXPECT_NE(chart.find("Published before 1931"), std::string::npos);
    EXPECT_NE(chart.find("Published before 1 July 1909"), std::string::npos);
}

TEST(Addresses, LocalPathsAreThoseWithoutAScheme) {
    EXPECT_TRUE(browsers::IsLocalPath("/tmp/quillmere-0/LI/chart.html"));
    EXPECT_TRUE(browsers::IsLocalPath("C:\\Temp\\LI\\chart.html"));
    EXPECT_FALSE(browsers::IsLocalPath("about:blank"));
    EXPECT_FALSE(browsers::IsLocalPath("https://www.gutenberg.org/"));
    EXPECT_FALSE(browsers::IsLocalPath(""));
}

TEST(Addresses, ResearchCaptionsNameTheirSitesAndProductPagesLieOnOurSite) {
    const auto research = browsers::ResearchTabs();
    ASSERT_EQ(research.size(), 13u);
    for (size_t i = 0; i < 10; ++i) {
        // The host, without "https://" and a leading "www.", up to the path.
        std::string host = research[i].address;
        ASSERT_EQ(host.rfind("https://", 0), 0u) << host;
        host = host.substr(8, host.find('/', 8) - 8);
        if (host.rfind("www.", 0) == 0)
            host.erase(0, 4);
        EXPECT_EQ(host, research[i].caption);
    }
    EXPECT_TRUE(std::string(research[0].address).ends_with("/used/"));
    for (auto tabs : {browsers::DerivativeWorksTabs(), browsers::ECommerceTabs(),
                      browsers::LegalInformationTabs()})
        for (const auto& tab : tabs)
            if (*tab.address) {
                // A path on the product website, when the user has set one.
                EXPECT_EQ(std::string(tab.address).rfind("/software/", 0), 0u) << tab.address;
            }
}

TEST(OwnPages, ShowOfflineUnlessAProductWebsiteIsSet) {
    const browsers::TabPage intro = browsers::DerivativeWorksTabs()[0];
    EXPECT_EQ(browsers::TabAddress(intro, "", "/tmp/q/DW/"), "/tmp/q/DW/deriv_intro.html");
    EXPECT_EQ(browsers::TabAddress(intro, "https://example.org//", "/tmp/q/DW/"),
              "https://example.org/software/deriv_intro");
    // Tabs that are not our pages keep their addresses.
    EXPECT_EQ(browsers::TabAddress(browsers::ResearchTabs()[1], "https://example.org", ""),
              "https://archive.org/");
    // Every page of ours is in the archive of this program.
    for (auto tabs : {browsers::DerivativeWorksTabs(), browsers::ECommerceTabs(),
                      browsers::LegalInformationTabs()})
        for (const browsers::TabPage& tab : tabs)
            if (*tab.document) {
                EXPECT_EQ(
                    ExeMod::GetDocument(tab.document),
                    readBytes(std::string(getenv("QM_SOURCE_DIR")) + "/resources/" + tab.document))
                    << tab.document;
                EXPECT_EQ(std::string(tab.address),
                          std::string("/software/") +
                              std::string(tab.document).substr(0, std::strlen(tab.document) - 5));
            }
}

TEST(OwnPages, LinksFromOurPagesToTheWebLeadOut) {
    EXPECT_TRUE(browsers::LeadsOut("file:///tmp/q/DW/deriv_tools.html", "https://www.gimp.org/"));
    EXPECT_TRUE(browsers::LeadsOut("FILE:///C:/Temp/LI/legal_aid.html", "HTTP://example.org/"));
    EXPECT_TRUE(browsers::LeadsOut("file:///tmp/a.html", "mailto:someone@example.org"));
    // Within our pages, and on the web, links stay in the window.
    EXPECT_FALSE(browsers::LeadsOut("file:///tmp/a.html", "file:///tmp/b.html"));
    EXPECT_FALSE(
        browsers::LeadsOut("https://example.org/software/legal_aid", "https://www.copyright.gov/"));
    EXPECT_FALSE(browsers::LeadsOut("file:///tmp/a.html", "javascript:alert(1)"));
}

// The web engine module is found from wherever the program lies: beside it, in
// the installed layout, in the build folder, and, for a copy of the executable
// moved elsewhere, at the folder it was installed to.
TEST(EngineModule, IsLookedForInOrderAndFoundFromAMovedExecutable) {
    using testsupport::native;
    TempDir root;
    const std::string name = "libqm_webengine.so";
    const std::string bin = root.file("usr/bin/");
    const std::string installed = root.file("usr/lib/quillmere");
    fs::create_directories(bin);
    fs::create_directories(installed);
    EXPECT_EQ(
        browsers::EngineModuleCandidates(bin, installed, name),
        (std::vector<std::string>{bin + name, native(bin + "../lib/quillmere/" + name),
                                  native(bin + "../lib/" + name), native(installed + "/" + name)}));
    EXPECT_EQ(browsers::EngineModuleCandidates(bin, "", name).size(), 3u);

    EXPECT_EQ(browsers::FindEngineModule(browsers::EngineModuleCandidates(bin, installed, name)),
              "");
    writeBytes(installed + "/" + name, "module");
    // The installed program: ../lib/quillmere/ from its folder.
    EXPECT_EQ(browsers::FindEngineModule(browsers::EngineModuleCandidates(bin, installed, name)),
              native(bin + "../lib/quillmere/" + name));
    // Copied elsewhere (by the user, or by the start-up routine for a read-only
    // medium into the user's data folder): the installed folder.
    const std::string moved = root.file("home/.local/share/Quillmere/quillmere/");
    fs::create_directories(moved);
    EXPECT_EQ(browsers::FindEngineModule(browsers::EngineModuleCandidates(moved, installed, name)),
              native(installed + "/" + name));
    // A portable copy's own module beside it comes first.
    writeBytes(moved + name, "its own");
    EXPECT_EQ(browsers::FindEngineModule(browsers::EngineModuleCandidates(moved, installed, name)),
              moved + name);
    // A folder of that name is no module.
    fs::remove(moved + name);
    fs::create_directories(moved + name);
    EXPECT_EQ(browsers::FindEngineModule(browsers::EngineModuleCandidates(moved, installed, name)),
              native(installed + "/" + name));
}
