// A fresh temporary folder for one test, removed with everything in it after,
// and environment variables set for one test. Both work on Windows too.
#pragma once

#include "platform/FileSystem.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

namespace testsupport {

// The path with the system's separator in place of every "/".
inline std::string native(std::string path) {
    for (char& c : path)
        if (c == '/')
            c = platform::kPathSeparator;
    return path;
}

class TempDir {
public:
    TempDir() {
        static std::atomic<unsigned> counter{0};
        const auto base = std::filesystem::temp_directory_path();
        const auto seed = static_cast<unsigned long long>(
            std::chrono::steady_clock::now().time_since_epoch().count());
        for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
            const auto candidate =
                base / ("qmtest-" + std::to_string((seed + counter++ * 7919ULL) % 100000000ULL));
            std::error_code ec;
            if (std::filesystem::create_directory(candidate, ec))
                path_ = candidate.string();
        }
        while (path_.size() > 1 && (path_.back() == '/' || path_.back() == '\\'))
            path_.pop_back();
    }
    ~TempDir() {
        std::error_code ec;
        // Give back write permission first, so read-only test files go too.
        for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
             !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
            std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The folder, without a trailing separator.
    const std::string& path() const { return path_; }
    // The folder with a trailing separator, as the program folder is given.
    std::string folder() const { return path_ + platform::kPathSeparator; }
    // A file or folder inside; "/" in `name` becomes the system's separator.
    std::string file(const std::string& name) const {
        return path_ + platform::kPathSeparator + native(name);
    }

private:
    std::string path_;
};

// Sets (or, with no value, removes) an environment variable until the end of
// the scope, then puts back what was there.
class ScopedEnv {
public:
    ScopedEnv(std::string name, std::optional<std::string> value) : name_(std::move(name)) {
        if (const char* old = std::getenv(name_.c_str()))
            old_ = old;
        set(name_, value);
    }
    ~ScopedEnv() { set(name_, old_); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

    static void set(const std::string& name, const std::optional<std::string>& value) {
#ifdef _WIN32
        // An empty value removes the variable there.
        _putenv_s(name.c_str(), value ? value->c_str() : "");
#else
        if (value)
            setenv(name.c_str(), value->c_str(), 1);
        else
            unsetenv(name.c_str());
#endif
    }

private:
    std::string name_;
    std::optional<std::string> old_;
};

// Points the system's temporary folder (platform::tempFolder) at `folder`
// for the scope: TMPDIR here, TMP and TEMP on Windows.
class ScopedTempFolder {
public:
    explicit ScopedTempFolder(const std::string& folder)
#ifdef _WIN32
        : tmp_("TMP", folder), temp_("TEMP", folder) {
    }

private:
    ScopedEnv tmp_, temp_;
#else
        : tmpdir_("TMPDIR", folder) {
    }

private:
    ScopedEnv tmpdir_;
#endif
};

inline void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

inline std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace testsupport
