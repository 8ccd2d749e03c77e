#include "UserFiles.h"

#include "FileSystem.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

namespace platform {

namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::string withoutSeparator(std::string folder) {
    while (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\'))
        folder.pop_back();
    return folder;
}

#ifndef _WIN32
// XDG_DOCUMENTS_DIR="$HOME/Documents" from ~/.config/user-dirs.dirs.
std::string userDirsEntry(const std::string& home) {
    std::string config = environment("XDG_CONFIG_HOME");
    if (config.empty())
        config = home + "/.config";
    std::ifstream in(config + "/user-dirs.dirs");
    std::string line;
    const std::string key = "XDG_DOCUMENTS_DIR=";
    while (std::getline(in, line)) {
        if (line.compare(0, key.size(), key) != 0)
            continue;
        std::string value = line.substr(key.size());
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        if (value.compare(0, 5, "$HOME") == 0)
            value = home + value.substr(5);
        return value;
    }
    return {};
}
#endif

} // namespace

std::string documentsFolder() {
#ifdef _WIN32
    const std::string home = withoutSeparator(environment("USERPROFILE"));
    // A drive's top ("C:\\", which loses its separator above) is no home.
    if (home.empty() || home == "\\" || home == "/" || (home.size() == 2 && home[1] == ':'))
        return {};
    const std::string documents = home + "\\Documents";
#else
    const std::string home = withoutSeparator(environment("HOME"));
    if (home.empty() || home == "/")
        return {};
    std::string documents = environment("XDG_DOCUMENTS_DIR");
    if (documents.empty())
        documents = userDirsEntry(home);
    // The XDG rule: a documents folder that is the home folder itself, or is
    // not there, means "none set".
    if (documents.empty() || withoutSeparator(documents) == home || !folderExists(documents))
        documents = home + "/Documents";
#endif
    return folderExists(documents) ? withoutSeparator(documents) : home;
}

bool sameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    const bool same = fs::equivalent(fsPath(a), fsPath(b), ec);
    return !ec && same;
}

std::string fileStamp(const std::string& path) {
    std::error_code ec;
    const fs::path p = fsPath(path);
    const auto size = fs::file_size(p, ec);
    if (ec)
        return {};
    const auto time = fs::last_write_time(p, ec);
    if (ec)
        return {};
    return std::to_string(size) + ":" + std::to_string(time.time_since_epoch().count());
}

} // namespace platform
