#include "ChartFolder.h"

#include "ChartPage.h"

#include "archive/ExeMod.h"
#include "platform/FileSystem.h"

#include <ctime>
#include <filesystem>
#include <system_error>

#ifndef _WIN32
#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace browsers {

namespace {

std::string withoutSeparator(std::string path) {
    while (path.size() > 1 && (path.back() == '/' || path.back() == '\\'))
        path.pop_back();
    return path;
}

#ifndef _WIN32
// The user's private folder under the shared temporary folder:
// "quillmere-<uid>", or "quillmere-<uid>-XXXXXX" when that name is taken.
constexpr const char* kPrivateFolderPrefix = "quillmere-";

bool isLink(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

// A real folder (not a link) owned by us, closed to everyone else.
bool isPrivateFolder(const std::string& path) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != geteuid())
        return false;
    // Ours, so we may close it; a folder we made ourselves stays usable.
    if ((st.st_mode & 077) != 0 && chmod(path.c_str(), 0700) != 0)
        return false;
    return true;
}
#endif

} // namespace

std::string ChartFolderFor(const std::string& tempFolder) {
    std::string folder = tempFolder;
    if (folder.empty() || (folder.back() != '/' && folder.back() != '\\'))
        folder += platform::kPathSeparator;
    return folder + "LI" + platform::kPathSeparator;
}

std::string UserTempFolder() {
#ifdef _WIN32
    return platform::tempFolder();
#else
    const std::string base = platform::tempFolder();
    const std::string mine = base + kPrivateFolderPrefix + std::to_string(geteuid());
    const int made = mkdir(mine.c_str(), 0700) == 0 ? 0 : errno;
    if (made == 0)
        chmod(mine.c_str(), 0700); // whatever the umask left of it
    if (made == 0 || (made == EEXIST && isPrivateFolder(mine)))
        return mine + '/';
    if (made == EEXIST) {
        // The name is taken by something we must not trust: use a fresh
        // folder that nobody else can have prepared.
        std::string pattern = mine + "-XXXXXX";
        if (mkdtemp(pattern.data()))
            return pattern + '/';
    }
    // Cannot create anything here (a read-only temporary folder): the write
    // of the chart reports it.
    return mine + '/';
#endif
}

std::string ChartFolder() {
    return ChartFolderFor(UserTempFolder());
}

void PrepareChartFolder(const std::string& folder) {
    const std::string path = withoutSeparator(folder);
#ifndef _WIN32
    if (isLink(path))
        unlink(path.c_str());
    platform::forceDirectories(path);
    const std::string chart = path + '/' + kChartName;
    if (isLink(chart))
        unlink(chart.c_str());
#else
    platform::forceDirectories(path);
#endif
}

void RemoveChartFolder(const std::string& folder) {
    // remove_all removes links themselves and does not descend into them;
    // the path is given without its trailing separator, which would make the
    // system resolve a link in the folder's place.
    const std::string path = withoutSeparator(folder);
    std::error_code ec;
    std::filesystem::remove_all(platform::fsPath(path), ec);
#ifndef _WIN32
    // Our private folder goes too once it is empty, so nothing is left
    // behind in the shared temporary folder (rmdir refuses links and
    // folders that still hold something).
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return;
    const std::string parent = path.substr(0, slash);
    const std::string name = parent.substr(parent.find_last_of('/') + 1);
    if (name.rfind(kPrivateFolderPrefix, 0) == 0)
        rmdir(parent.c_str());
#endif
}

std::string WriteChart(const std::string& folder, int year) {
    PrepareChartFolder(folder);
    const std::string file = folder + kChartName;
#ifndef _WIN32
    if (isLink(file))
        unlink(file.c_str());
#endif
    ExeMod::SaveBytesToFile(ChartPage(year ? year : CurrentYear()), file);
    return file;
}

int CurrentYear() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    return local.tm_year + 1900;
}

std::string PagesFolder(const char* name) {
    return UserTempFolder() + name + platform::kPathSeparator;
}

std::string WriteDocument(const std::string& folder, const std::string& name) {
    PrepareChartFolder(folder);
    const std::string file = folder + name;
#ifndef _WIN32
    if (isLink(file))
        unlink(file.c_str());
#endif
    ExeMod::ExtractDocument(name, file);
    return file;
}

} // namespace browsers
