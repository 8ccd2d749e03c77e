// Shared pieces of the fuzz targets: desktop services that never show
// anything, and one private scratch folder per fuzzing process.
#pragma once

#include "platform/Services.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <unistd.h>

namespace fuzzsupport {

// Answers every question as a user who cancels would and records nothing, so
// long runs neither block on a box nor grow any list.
class QuietServices : public platform::Services {
public:
    platform::Answer messageBox(const std::string&, const std::string&, platform::Icon,
                                platform::Buttons buttons) override {
        ++messages;
        return buttons == platform::Buttons::Ok ? platform::Answer::Ok : platform::Answer::No;
    }
    std::optional<std::string> inputQuery(const std::string&, const std::string&,
                                          const std::string&) override {
        return std::nullopt;
    }
    void showError(const std::string&) override { ++messages; }
    std::vector<std::string> openFiles(const platform::FileDialogOptions&) override { return {}; }
    std::optional<std::string> saveFile(const platform::FileDialogOptions&) override {
        return std::nullopt;
    }
    std::optional<std::string> selectFolder(const std::string&, const std::string&, bool) override {
        return std::nullopt;
    }
    std::optional<std::uint32_t> chooseColor(std::uint32_t) override { return std::nullopt; }
    void openDocument(const std::string&) override {}
    void startProgram(const std::string&, const std::vector<std::string>&) override {}
    void playSound(const std::string&) override {}
    void minimizeApplication() override {}
    void processEvents() override {}

    // Message boxes and error reports since the last reset.
    int messages = 0;
};

// The services of this process, installed on first use.
inline QuietServices& quietServices() {
    static QuietServices services;
    static bool installed = (platform::setServices(&services), true);
    (void)installed;
    return services;
}

// A private folder for the files a target writes, on a memory file system
// when there is one (the crash-safe writes flush to disk, which would make
// every run wait for the disk), removed when the process ends normally. The
// folders of earlier processes that ended abnormally (a crash stops the
// process at once) are removed when the next one starts.
class ScratchFolder {
public:
    ScratchFolder() {
        std::string base = "/dev/shm";
        if (::access(base.c_str(), W_OK) != 0)
            base = std::filesystem::temp_directory_path().string();
        removeAbandoned(base);
        std::string tmpl = base + "/qmfuzz-" + std::to_string(::getpid()) + "-XXXXXX";
        if (!::mkdtemp(tmpl.data())) {
            std::perror("mkdtemp");
            std::abort();
        }
        path_ = tmpl;
    }
    ~ScratchFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& path() const { return path_; }
    std::string file(std::string_view name) const { return path_ + "/" + std::string(name); }

private:
    // qmfuzz-<process id>-XXXXXX folders of processes that no longer run.
    static void removeAbandoned(const std::string& base) {
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(base, ec)) {
            const std::string name = entry.path().filename().string();
            if (name.rfind("qmfuzz-", 0) != 0)
                continue;
            const long pid = std::strtol(name.c_str() + 7, nullptr, 10);
            if (pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
                std::filesystem::remove_all(entry.path(), ec);
        }
    }

    std::string path_;
};

inline ScratchFolder& scratch() {
    static ScratchFolder folder;
    return folder;
}

inline void writeBytes(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        std::abort();
    }
}

inline std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A property did not hold: report it and stop, so libFuzzer saves the input.
[[noreturn]] inline void fail(const char* what) {
    std::fprintf(stderr, "PROPERTY VIOLATED: %s\n", what);
    std::fflush(stderr);
    std::abort();
}

inline void check(bool condition, const char* what) {
    if (!condition)
        fail(what);
}

} // namespace fuzzsupport
