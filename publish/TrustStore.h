// The hosts the user trusts: SSH host keys in OpenSSH's known-hosts format
// (the user's own file is read; the program keeps its own for keys confirmed
// in a question) and confirmed TLS certificates, pinned by their public key.
#pragma once

#include <string>

namespace publish {

enum class KnownKey { Unknown, Same, Changed };

// "host" for port 22, "[host]:port" otherwise (as OpenSSH writes it).
std::string knownHostsName(const std::string& host, int port);
// The key type written at the start of an SSH public key blob ("ssh-ed25519").
std::string sshKeyType(const std::string& blob);
// ~/.ssh/known_hosts (%USERPROFILE%\.ssh\known_hosts on Windows).
std::string userKnownHostsFile();

// Looks `host` up in a known-hosts file with plain (not hashed) names: Same
// when a line of the key's type holds this key, Changed when lines of that
// type hold only other keys, Unknown otherwise (also for a missing file).
KnownKey lookupKnownHost(const std::string& file, const std::string& host, const std::string& type,
                         const std::string& blob);
// Adds a line for the key; the file is replaced atomically, its folder made.
void rememberKnownHost(const std::string& file, const std::string& host, const std::string& type,
                       const std::string& blob);

struct CertificateInfo {
    std::string subject;
    std::string fingerprint; // SHA-256 of the certificate, "AB:CD:…"
    std::string pin;         // "sha256//<base64>" of its public key
};
// Reads a PEM certificate; an empty pin when it is none.
CertificateInfo inspectCertificate(const std::string& pem);
// The pin remembered for host:port, or "".
std::string lookupCertificate(const std::string& file, const std::string& host, int port);
void rememberCertificate(const std::string& file, const std::string& host, int port,
                         const std::string& pin);

std::string base64(const std::string& bytes);

} // namespace publish
