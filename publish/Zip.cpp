#include "publish/Zip.h"

#include "platform/FileSystem.h"
#include "publish/Manifest.h"

#include <zip.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>

namespace publish {

void zipFolder(const std::string& folder, const std::string& zipPath) {
    const Manifest files = scanFolder(folder); // also reads every file once
    const std::string part = zipPath + ".part";
    std::remove(part.c_str());
    int error = 0;
    zip_t* zip = zip_open(part.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!zip) {
        zip_error_t ze;
        zip_error_init_with_code(&ze, error);
        const std::string reason = zip_error_strerror(&ze);
        zip_error_fini(&ze);
        throw platform::IoError("Cannot create file \"" + zipPath + "\". " + reason, EIO);
    }
    auto failWith = [&](const std::string& what) {
        const std::string reason = zip_strerror(zip);
        zip_discard(zip);
        std::remove(part.c_str());
        throw platform::IoError(what + " " + reason, EIO);
    };
    for (const auto& f : files) {
        const std::string source = (platform::fsPath(folder) / platform::fsPath(f.path)).string();
        zip_source_t* src = zip_source_file(zip, source.c_str(), 0, -1);
        if (!src)
            failWith("Cannot read file \"" + source + "\".");
        if (zip_file_add(zip, f.path.c_str(), src, ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE) < 0) {
            zip_source_free(src);
            failWith("Cannot add \"" + f.path + "\" to \"" + zipPath + "\".");
        }
    }
    if (zip_close(zip) != 0)
        failWith("Cannot write file \"" + zipPath + "\".");
    std::error_code ec;
    std::filesystem::rename(platform::fsPath(part), platform::fsPath(zipPath), ec);
    if (ec) {
        std::remove(part.c_str());
        throw platform::IoError("Cannot create file \"" + zipPath + "\". " + ec.message(),
                                ec.value());
    }
}

} // namespace publish
