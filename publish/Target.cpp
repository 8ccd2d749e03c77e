#include "publish/Target.h"

#include <stdexcept>

namespace publish {

const char* protocolName(Protocol p) {
    switch (p) {
    case Protocol::Sftp:
        return "sftp";
    case Protocol::Ftps:
        return "ftps";
    case Protocol::Ftp:
        return "ftp";
    }
    return "sftp";
}

int defaultPort(Protocol p) {
    return p == Protocol::Sftp ? 22 : 21;
}

int effectivePort(const Target& t) {
    return t.port > 0 ? t.port : defaultPort(t.protocol);
}

std::string normalFolder(std::string folder) {
    if (folder.empty() || folder.front() != '/')
        folder.insert(folder.begin(), '/');
    std::string out;
    for (char c : folder)
        if (!(c == '/' && !out.empty() && out.back() == '/'))
            out += c;
    if (out.back() != '/')
        out += '/';
    return out;
}

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::string percentDecode(const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size() && hexValue(s[i + 1]) >= 0 && hexValue(s[i + 2]) >= 0) {
            out += static_cast<char>(hexValue(s[i + 1]) * 16 + hexValue(s[i + 2]));
            i += 2;
        } else {
            out += s[i];
        }
    }
    return out;
}

std::string percentEncodePath(const std::string& path) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : path) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
            c == '-' || c == '_' || c == '.' || c == '~' || c == '/') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

} // namespace

Target parseTargetUrl(const std::string& url) {
    Target t;
    const auto scheme = url.find("://");
    if (scheme == std::string::npos)
        throw std::invalid_argument("\"" + url +
                                    "\" is no publish address (sftp://user@host/folder, "
                                    "ftps://… or ftp://…)");
    const std::string name = url.substr(0, scheme);
    if (name == "sftp")
        t.protocol = Protocol::Sftp;
    else if (name == "ftps")
        t.protocol = Protocol::Ftps;
    else if (name == "ftp")
        t.protocol = Protocol::Ftp;
    else
        throw std::invalid_argument("Unknown protocol \"" + name +
                                    "\" in the publish address (use sftp, ftps or ftp)");
    std::string rest = url.substr(scheme + 3);
    const auto slash = rest.find('/');
    std::string authority = rest.substr(0, slash);
    t.folder = normalFolder(slash == std::string::npos ? "/" : percentDecode(rest.substr(slash)));
    const auto at = authority.rfind('@');
    if (at != std::string::npos) {
        const std::string userInfo = authority.substr(0, at);
        if (userInfo.find(':') != std::string::npos)
            throw std::invalid_argument("The publish address holds a password; give it through "
                                        "--password-env or the key store instead");
        t.user = percentDecode(userInfo);
        authority = authority.substr(at + 1);
    }
    std::string host = authority;
    if (!host.empty() && host.front() == '[') {
        const auto close = host.find(']');
        if (close == std::string::npos)
            throw std::invalid_argument("Unclosed \"[\" in the publish address");
        t.host = host.substr(1, close - 1);
        host = host.substr(close + 1);
        if (!host.empty() && host.front() == ':')
            host = ":" + host.substr(1);
        else
            host.clear();
    } else {
        const auto colon = host.rfind(':');
        t.host = host.substr(0, colon);
        host = colon == std::string::npos ? "" : host.substr(colon);
    }
    if (!host.empty()) {
        const std::string digits = host.substr(1);
        if (digits.empty() || digits.size() > 5 ||
            digits.find_first_not_of("0123456789") != std::string::npos || std::stoi(digits) < 1 ||
            std::stoi(digits) > 65535)
            throw std::invalid_argument("\"" + digits + "\" is no port number");
        t.port = std::stoi(digits);
    }
    if (t.host.empty())
        throw std::invalid_argument("The publish address names no host");
    return t;
}

std::string transferUrl(const Target& t, const std::string& path) {
    const bool v6 = t.host.find(':') != std::string::npos;
    std::string url = t.protocol == Protocol::Sftp ? "sftp://" : "ftp://";
    url += v6 ? "[" + t.host + "]" : t.host;
    url += ":" + std::to_string(effectivePort(t));
    url += percentEncodePath(t.protocol == Protocol::Sftp ? remotePath(t, path)
                                                          : "/" + remotePath(t, path));
    return url;
}

std::string remotePath(const Target& t, const std::string& path) {
    const std::string folder = normalFolder(t.folder);
    return (t.protocol == Protocol::Sftp ? folder : folder.substr(1)) + path;
}

std::string describe(const Target& t) {
    std::string s = protocolName(t.protocol);
    s += "://";
    if (!t.user.empty())
        s += t.user + "@";
    s += t.host + ":" + std::to_string(effectivePort(t)) + normalFolder(t.folder);
    return s;
}

} // namespace publish
