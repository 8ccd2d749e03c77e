// One connection to a publish target through libcurl: SFTP (libssh2) or FTP
// with or without TLS. The connection is kept between operations. Host keys
// and certificates are checked here: the user's known-hosts file and the
// program's own, then the `confirm` callback for one never seen before.
#pragma once

#include "publish/Target.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace publish {

enum class ErrorKind {
    Connection, // could not connect, or the connection dropped: a retry may finish
    Login,      // user name, password or key refused
    Trust,      // host key changed or refused, certificate not trusted
    Cancelled,  // the user cancelled
    Remote,     // the host refused an operation (permissions, disk full, …)
    Local,      // a local file could not be read
    Mismatch,   // what arrived differs from what was sent
};

class PublishError : public std::runtime_error {
public:
    PublishError(ErrorKind kind, const std::string& message)
        : std::runtime_error(message), kind_(kind) {}
    ErrorKind kind() const { return kind_; }

private:
    ErrorKind kind_;
};

// What the user is asked about a host never seen before.
struct TrustQuestion {
    std::string host;
    int port = 0;
    bool certificate = false; // false: an SSH host key; true: a TLS certificate
    std::string keyType;      // "ssh-ed25519", …; the certificate's subject
    std::string fingerprint;  // "SHA256:…" (SSH, as ssh-keygen shows it); hex pairs (TLS)
};

struct SessionHooks {
    // Answers a TrustQuestion; true trusts the key and remembers it. Unset: refuse.
    std::function<bool(const TrustQuestion&)> confirm;
    // Bytes of the current upload so far; return false to cancel.
    std::function<bool(std::uint64_t sent)> progress;
    std::string ownKnownHosts;   // the program's own known-hosts file
    std::string ownCertificates; // confirmed certificates: "host:port sha256//<pin>" lines
};

class Session {
public:
    Session(const Target& target, SessionHooks hooks);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // A remote file (relative to the target folder); nothing when it is missing.
    std::optional<std::string> download(const std::string& path, std::uint64_t limit);
    // The size of a remote file; nothing when it is missing.
    std::optional<std::uint64_t> size(const std::string& path);
    // Sends a local file to `path`, missing folders created; resumes from
    // `offset` (bytes already there).
    void upload(const std::string& localFile, const std::string& path, std::uint64_t offset);
    // Sends bytes to `path`.
    void uploadBytes(const std::string& bytes, const std::string& path);
    // Renames `from` onto `to`, replacing it.
    void rename(const std::string& from, const std::string& to);
    // Removes a file; a missing one is no failure.
    void remove(const std::string& path);

    const Target& target() const { return target_; }

    struct Impl; // the transfer library's handle and the hooks

private:
    std::unique_ptr<Impl> impl_;
    Target target_;
};

// "SHA256:<base64 without padding>" of an SSH public key blob.
std::string sshFingerprint(const std::string& keyBlob);

} // namespace publish
