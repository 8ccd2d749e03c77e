#include "publish/TargetStore.h"

#include "ini/BigIniFile.h"
#include "platform/DataFolder.h"

namespace publish {

namespace {

std::string storeFile() {
    return platform::dataFolder() + "Publish.ini";
}

} // namespace

std::optional<Target> loadTarget(const std::string& group) {
    TBigIniFile ini(storeFile(), TBigIniFile::kNoLineLimit);
    if (!ini.SectionExists(group))
        return std::nullopt;
    Target t;
    const std::string protocol = ini.ReadString(group, "Protocol", "sftp");
    t.protocol = protocol == "ftps"  ? Protocol::Ftps
                 : protocol == "ftp" ? Protocol::Ftp
                                     : Protocol::Sftp;
    t.host = ini.ReadString(group, "Host", "");
    t.port = ini.ReadInteger(group, "Port", 0);
    t.user = ini.ReadString(group, "User", "");
    t.folder = normalFolder(ini.ReadString(group, "Folder", "/"));
    t.webAddress = ini.ReadString(group, "WebAddress", "");
    t.identityFile = ini.ReadString(group, "IdentityFile", "");
    return t;
}

void saveTarget(const std::string& group, const Target& t) {
    TBigIniFile ini(storeFile(), TBigIniFile::kNoLineLimit);
    ini.EraseSection(group);
    ini.WriteString(group, "Protocol", protocolName(t.protocol));
    ini.WriteString(group, "Host", t.host);
    ini.WriteInteger(group, "Port", t.port);
    ini.WriteString(group, "User", t.user);
    ini.WriteString(group, "Folder", normalFolder(t.folder));
    ini.WriteString(group, "WebAddress", t.webAddress);
    ini.WriteString(group, "IdentityFile", t.identityFile);
    ini.UpdateFile();
}

std::string keyStoreAccount(const Target& t) {
    return std::string(protocolName(t.protocol)) + "://" + t.user + "@" + t.host + ":" +
           std::to_string(effectivePort(t));
}

} // namespace publish
