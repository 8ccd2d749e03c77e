#include "ScratchFile.h"

#include "FileSystem.h"

#include <cerrno>
#include <random>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace platform {
namespace {

std::string randomName() {
    static std::mt19937_64 rng{std::random_device{}() ^ static_cast<std::uint64_t>(tickCount())};
    static const char digits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::string name;
    for (int i = 0; i < 12; ++i)
        name += digits[rng() % 36];
    return name;
}

// Creates `path` only when it does not exist yet, readable by its owner
// alone, and writes `data`. Returns 0 or the error number; EEXIST when the
// name is taken.
int createNew(const std::string& path, std::string_view data) {
#ifdef _WIN32
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_TEMPORARY, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_FILE_EXISTS ? EEXIST : EACCES;
    DWORD written = 0;
    const bool ok = data.empty() || (WriteFile(h, data.data(), static_cast<DWORD>(data.size()),
                                               &written, nullptr) &&
                                     written == data.size());
    CloseHandle(h);
    return ok ? 0 : EIO;
#else
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return errno;
    int error = 0;
    std::size_t done = 0;
    while (done < data.size() && !error) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n > 0)
            done += static_cast<std::size_t>(n);
        else if (n < 0 && errno != EINTR)
            error = errno;
        else if (n == 0)
            error = EIO;
    }
    if (::close(fd) != 0 && !error)
        error = errno;
    return error;
#endif
}

} // namespace

ScratchFile::ScratchFile(std::string_view suffix, std::string_view data) {
    const std::string folder = tempFolder();
    int error = EEXIST;
    for (int attempt = 0; attempt < 100 && error == EEXIST; ++attempt) {
        path_ = folder + "qm-" + randomName() + std::string(suffix);
        error = createNew(path_, data);
    }
    if (error) {
        if (error != EEXIST)
            deleteFile(path_);
        throw IoError("Cannot create file \"" + path_ + "\". " + systemReason(error), error);
    }
}

ScratchFile::~ScratchFile() {
    deleteFile(path_);
}

} // namespace platform
