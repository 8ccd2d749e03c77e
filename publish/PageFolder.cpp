#include "publish/PageFolder.h"

#include "ini/BigIniFile.h"
#include "platform/FileSystem.h"
#include "salesletter/Export.h"
#include "salesletter/ProjectFile.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <stdexcept>

namespace publish {

PageFolder::PageFolder(const TSalesLetter& letter) {
    namespace fs = std::filesystem;
    static std::atomic<unsigned> counter{0};
    const auto base = fs::temp_directory_path();
    const auto seed = static_cast<unsigned long long>(
        std::chrono::steady_clock::now().time_since_epoch().count());
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
        const auto candidate =
            base /
            ("quillmere-page-" + std::to_string((seed + counter++ * 7919ULL) % 1000000000ULL));
        std::error_code ec;
        if (fs::create_directory(candidate, ec)) {
            fs::permissions(candidate, fs::perms::owner_all, fs::perm_options::replace, ec);
            path_ = candidate.string();
        }
    }
    if (path_.empty())
        throw platform::IoError("Cannot create a temporary folder in \"" + base.string() + "\".",
                                EEXIST);
    try {
        ExportSalesLetter(letter, path_ + platform::kPathSeparator + "index.html");
    } catch (...) {
        std::error_code ec;
        fs::remove_all(platform::fsPath(path_), ec);
        throw;
    }
}

PageFolder::~PageFolder() {
    std::error_code ec;
    std::filesystem::remove_all(platform::fsPath(path_), ec);
}

TSalesLetter loadProjectFile(const std::string& project) {
    platform::readFile(project); // a missing file is reported, not loaded as empty
    {
        TBigIniFile ini(project, TBigIniFile::kNoLineLimit);
        if (!ini.SectionExists(kProjectSection))
            throw std::runtime_error(project + " is not a salesletter project file (it has no [" +
                                     kProjectSection + "] section)");
    }
    TSalesLetter letter;
    LoadProject(letter, project);
    return letter;
}

} // namespace publish
