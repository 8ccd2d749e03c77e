#include "EngineModule.h"

#include "platform/FileSystem.h"

#include <filesystem>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace browsers {
namespace {

std::string withSeparator(std::string folder) {
    if (!folder.empty() && folder.back() != '/' && folder.back() != '\\')
        folder += platform::kPathSeparator;
    return folder;
}

bool sameFolder(const std::string& a, const std::string& b) {
    if (a.empty() || b.empty())
        return false;
    namespace fs = std::filesystem;
    std::error_code ec;
    if (fs::equivalent(platform::fsPath(a), platform::fsPath(b), ec) && !ec)
        return true;
    // Where the system cannot tell files apart by identity (Wine, some network
    // drives), the same absolute, normalised path is the same folder.
    auto normal = [](const std::string& path) {
        std::error_code e;
        fs::path p = fs::weakly_canonical(platform::fsPath(path), e);
        if (e)
            p = fs::absolute(platform::fsPath(path), e).lexically_normal();
        std::string text = p.generic_string();
        while (text.size() > 1 && text.back() == '/')
            text.pop_back();
#ifdef _WIN32
        for (char& c : text)
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
#endif
        return text;
    };
    return normal(a) == normal(b);
}

#ifndef _WIN32
// Why an entry owned and protected as `st` says may not be trusted.
std::string untrusted(const struct stat& st, const char* what) {
    if (st.st_uid != ::geteuid() && st.st_uid != 0)
        return std::string(what) + " belongs to another user";
    if (st.st_mode & (S_IWGRP | S_IWOTH))
        return std::string(what) + " may be written by other users";
    return {};
}
#endif

} // namespace

std::vector<std::string> EngineModuleCandidates(const std::string& programFolder,
                                                const std::string& installBinFolder,
                                                const std::string& installFolder,
                                                const std::string& fileName) {
    std::vector<std::string> places;
    const std::string installed =
        installFolder.empty() ? std::string() : withSeparator(installFolder) + fileName;
#ifndef _WIN32
    const bool isInstalled =
        sameFolder(programFolder, installBinFolder) || sameFolder(programFolder, "/usr/bin");
#else
    const bool isInstalled = sameFolder(programFolder, installBinFolder);
#endif
    if (!isInstalled) {
        const std::string program = withSeparator(programFolder);
        places.push_back(program + fileName);
        places.push_back(program + ".." + platform::kPathSeparator + "lib" +
                         platform::kPathSeparator + "quillmere" + platform::kPathSeparator +
                         fileName);
    }
    if (!installed.empty())
        places.push_back(installed);
    return places;
}

std::string UntrustedModuleReason([[maybe_unused]] const std::string& file) {
#ifdef _WIN32
    return {};
#else
    std::error_code ec;
    const std::filesystem::path real = std::filesystem::canonical(platform::fsPath(file), ec);
    if (ec)
        return "it cannot be found (" + ec.message() + ")";
    struct stat st {};
    if (::stat(real.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return "it is not a file";
    if (std::string why = untrusted(st, "it"); !why.empty())
        return why;
    if (::stat(real.parent_path().c_str(), &st) != 0)
        return "its folder cannot be examined";
    if (std::string why = untrusted(st, "its folder"); !why.empty())
        return why;
    return {};
#endif
}

EngineModuleChoice FindEngineModule(const std::vector<std::string>& candidates) {
    EngineModuleChoice choice;
    for (const std::string& place : candidates) {
        if (!platform::fileExists(place))
            continue;
        if (std::string why = UntrustedModuleReason(place); !why.empty()) {
            choice.refused.push_back(place + ": " + why);
            continue;
        }
        choice.file = place;
        break;
    }
    return choice;
}

} // namespace browsers
