// Faults for the reliability tests: the files a folder holds, a stand-in
// executable carrying sales-page templates, and a child process that the
// system kills at an exact byte of a write.
#pragma once

#include "archive/ArchiveFormat.h"
#include "support/TempDir.h"

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <map>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace faults {

// The names in `folder`, sorted, without the names in `ignore`.
inline std::vector<std::string> entries(const std::string& folder,
                                        const std::vector<std::string>& ignore = {}) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(folder, ec)) {
        std::string name = e.path().filename().string();
        if (std::find(ignore.begin(), ignore.end(), name) == ignore.end())
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// An executable image followed by the archive records of `documents`, as the
// build appends them.
inline std::string standInExecutable(const std::map<std::string, std::string>& documents) {
    std::string image = "\x7f"
                        "ELF stand-in program bytes\n";
    for (const auto& [name, body] : documents)
        image += archiveformat::MakeRecord(name, body);
    return image;
}

// How a child process ended.
struct ChildEnd {
    bool killed = false; // by a signal
    int signal = 0;
    int status = 0; // exit status when not killed
};

inline ChildEnd waitChild(pid_t child) {
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
    }
    if (WIFSIGNALED(status))
        return {true, WTERMSIG(status), 0};
    return {false, 0, WEXITSTATUS(status)};
}

// Runs `work` in a child process that the system kills the moment it tries to
// write beyond byte `bytes` of any file (the file size limit, with its signal
// left deadly and no core dump). The child ends with status 0 when `work`
// returns first, 1 when it throws.
template <class F> ChildEnd runKilledAtByte(long long bytes, F work) {
    pid_t child = fork();
    if (child == 0) {
        rlimit core{0, 0};
        setrlimit(RLIMIT_CORE, &core);
        rlimit size{};
        getrlimit(RLIMIT_FSIZE, &size);
        size.rlim_cur = static_cast<rlim_t>(bytes);
        setrlimit(RLIMIT_FSIZE, &size);
        signal(SIGXFSZ, SIG_DFL);
        int code = 0;
        try {
            work();
        } catch (...) {
            code = 1;
        }
        _exit(code);
    }
    return waitChild(child);
}

// Takes away the right to create files in `folder` for as long as it lives.
// Permission bits do not bind the administrator, so when the test runs as root
// it also acts as an ordinary user (the "nobody" account) meanwhile.
class NoWriteRight {
public:
    explicit NoWriteRight(std::string folder) : folder_(std::move(folder)) {
        ::chmod(folder_.c_str(), 0555);
        if (::geteuid() == 0)
            asNobody_ = ::seteuid(65534) == 0;
    }
    ~NoWriteRight() {
        if (asNobody_)
            (void)!::seteuid(0);
        ::chmod(folder_.c_str(), 0755);
    }
    // Whether permission bits bind now (not as root unless the account could be dropped).
    bool binds() const { return asNobody_ || ::geteuid() != 0; }

private:
    std::string folder_;
    bool asNobody_ = false;
};

// Makes the files `paths` unreadable for as long as it lives (as root, by also
// acting as the "nobody" account meanwhile).
class NoReadRight {
public:
    explicit NoReadRight(std::vector<std::string> paths) : paths_(std::move(paths)) {
        for (const std::string& p : paths_)
            ::chmod(p.c_str(), 0);
        if (::geteuid() == 0)
            asNobody_ = ::seteuid(65534) == 0;
    }
    ~NoReadRight() {
        if (asNobody_)
            (void)!::seteuid(0);
        for (const std::string& p : paths_)
            ::chmod(p.c_str(), 0644);
    }
    bool binds() const { return asNobody_ || ::geteuid() != 0; }

private:
    std::vector<std::string> paths_;
    bool asNobody_ = false;
};

} // namespace faults
