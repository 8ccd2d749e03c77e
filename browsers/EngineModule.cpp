#include "EngineModule.h"

#include "platform/FileSystem.h"

namespace browsers {
namespace {

std::string withSeparator(std::string folder) {
    if (!folder.empty() && folder.back() != '/' && folder.back() != '\\')
        folder += platform::kPathSeparator;
    return folder;
}

} // namespace

std::vector<std::string> EngineModuleCandidates(const std::string& programFolder,
                                                const std::string& installFolder,
                                                const std::string& fileName) {
    const std::string program = withSeparator(programFolder);
    const std::string up =
        program + ".." + platform::kPathSeparator + "lib" + platform::kPathSeparator;
    std::vector<std::string> places = {
        program + fileName, up + "quillmere" + platform::kPathSeparator + fileName, up + fileName};
    if (!installFolder.empty())
        places.push_back(withSeparator(installFolder) + fileName);
    return places;
}

std::string FindEngineModule(const std::vector<std::string>& candidates) {
    for (const std::string& place : candidates)
        if (platform::fileExists(place))
            return place;
    return {};
}

} // namespace browsers
