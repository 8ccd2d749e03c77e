// Where a finished page goes: a folder on the seller's own host reached over
// SFTP, FTPS (explicit TLS) or plain FTP, and the public web address of that
// folder. Passwords are never part of a stored target (they live in the key
// store); the one here is filled in just before publishing.
#pragma once

#include <string>

namespace publish {

enum class Protocol { Sftp, Ftps, Ftp };

struct Target {
    Protocol protocol = Protocol::Sftp;
    std::string host;
    int port = 0; // 0: the protocol's own (22 or 21)
    std::string user;
    std::string folder = "/"; // absolute path on the host, ends with "/"
    std::string webAddress;   // public address of the folder; empty: not checked
    std::string identityFile; // SFTP private key file; empty: the SSH agent / password
    std::string knownHosts;   // SFTP: the user's known-hosts file; empty: ~/.ssh/known_hosts
    std::string password;     // never stored with the target
};

const char* protocolName(Protocol p); // "sftp", "ftps", "ftp"
int defaultPort(Protocol p);
int effectivePort(const Target& t);

// Parses "sftp://user@host:port/path" (also ftps:// and ftp://). Throws
// std::invalid_argument naming what is wrong. A password in the address is
// refused: it would end up in shell histories and process lists.
Target parseTargetUrl(const std::string& url);

// The address of `path` (relative to the target folder) for the transfer
// library: "sftp://host:port/folder/path" (FTPS uses ftp:// with TLS
// required). Each path segment is percent-encoded.
std::string transferUrl(const Target& t, const std::string& path);

// The path that commands on the host use for `path` (relative to the target
// folder): absolute over SFTP; relative to the login folder over FTP, where
// hosts commonly start the user in a folder of their own ("/" stands for it).
std::string remotePath(const Target& t, const std::string& path);

// "user@host:port/folder" for messages.
std::string describe(const Target& t);

// Folder always absolute and ending with "/"; "//" collapsed.
std::string normalFolder(std::string folder);

} // namespace publish
