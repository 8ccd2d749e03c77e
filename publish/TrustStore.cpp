#include "publish/TrustStore.h"

#include "platform/FileSystem.h"
#include "publish/Session.h"

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>

#include <cstdlib>
#include <sstream>
#include <vector>

namespace publish {

namespace {

std::string sha256Raw(const std::string& bytes) {
    unsigned char d[EVP_MAX_MD_SIZE];
    unsigned n = 0;
    EVP_Digest(bytes.data(), bytes.size(), d, &n, EVP_sha256(), nullptr);
    return std::string(reinterpret_cast<char*>(d), n);
}

std::string readIfThere(const std::string& file) {
    if (file.empty() || !platform::fileExists(file))
        return {};
    return platform::readFile(file);
}

void appendLine(const std::string& file, const std::string& line) {
    if (file.empty())
        return;
    std::string text = readIfThere(file);
    if (!text.empty() && text.back() != '\n')
        text += '\n';
    text += line + "\n";
    const auto slash = file.find_last_of("/\\");
    if (slash != std::string::npos)
        platform::forceDirectories(file.substr(0, slash));
    platform::saveFileAtomic(file, text);
}

std::vector<std::string> words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> out;
    for (std::string w; in >> w;)
        out.push_back(w);
    return out;
}

} // namespace

std::string base64(const std::string& bytes) {
    std::string out(4 * ((bytes.size() + 2) / 3) + 1, '\0');
    const int n = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()),
                                  reinterpret_cast<const unsigned char*>(bytes.data()),
                                  static_cast<int>(bytes.size()));
    out.resize(static_cast<std::size_t>(n));
    return out;
}

std::string sshFingerprint(const std::string& keyBlob) {
    std::string b = base64(sha256Raw(keyBlob));
    while (!b.empty() && b.back() == '=')
        b.pop_back();
    return "SHA256:" + b;
}

std::string knownHostsName(const std::string& host, int port) {
    return port == 22 ? host : "[" + host + "]:" + std::to_string(port);
}

std::string sshKeyType(const std::string& blob) {
    if (blob.size() < 4)
        return "unknown";
    const auto* p = reinterpret_cast<const unsigned char*>(blob.data());
    const std::size_t len = (std::size_t{p[0]} << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
    if (len == 0 || len > 64 || blob.size() < 4 + len)
        return "unknown";
    return blob.substr(4, len);
}

std::string userKnownHostsFile() {
#ifdef _WIN32
    const char* home = std::getenv("USERPROFILE");
    return std::string(home ? home : "") + "\\.ssh\\known_hosts";
#else
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.ssh/known_hosts";
#endif
}

KnownKey lookupKnownHost(const std::string& file, const std::string& host, const std::string& type,
                         const std::string& blob) {
    std::istringstream in(readIfThere(file));
    const std::string key = base64(blob);
    KnownKey result = KnownKey::Unknown;
    for (std::string line; std::getline(in, line);) {
        const auto w = words(line);
        if (w.size() < 3 || w[0].front() == '#' || w[1] != type)
            continue;
        std::istringstream names(w[0]);
        bool named = false;
        for (std::string n; std::getline(names, n, ',');)
            named = named || n == host;
        if (!named)
            continue;
        if (w[2] == key)
            return KnownKey::Same;
        result = KnownKey::Changed;
    }
    return result;
}

void rememberKnownHost(const std::string& file, const std::string& host, const std::string& type,
                       const std::string& blob) {
    appendLine(file, host + " " + type + " " + base64(blob));
}

CertificateInfo inspectCertificate(const std::string& pem) {
    CertificateInfo info;
    BIO* bio = BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size()));
    X509* cert = bio ? PEM_read_bio_X509(bio, nullptr, nullptr, nullptr) : nullptr;
    BIO_free(bio);
    if (!cert)
        return info;
    unsigned char* der = nullptr;
    int len = i2d_X509(cert, &der);
    if (len > 0) {
        const std::string digest = sha256Raw(std::string(reinterpret_cast<char*>(der), len));
        static const char hex[] = "0123456789ABCDEF";
        for (unsigned char c : digest) {
            if (!info.fingerprint.empty())
                info.fingerprint += ':';
            info.fingerprint += hex[c >> 4];
            info.fingerprint += hex[c & 15];
        }
    }
    OPENSSL_free(der);
    der = nullptr;
    len = i2d_X509_PUBKEY(X509_get_X509_PUBKEY(cert), &der);
    if (len > 0)
        info.pin = "sha256//" + base64(sha256Raw(std::string(reinterpret_cast<char*>(der), len)));
    OPENSSL_free(der);
    char subject[512] = {};
    X509_NAME_oneline(X509_get_subject_name(cert), subject, sizeof subject);
    info.subject = subject;
    X509_free(cert);
    return info;
}

std::string lookupCertificate(const std::string& file, const std::string& host, int port) {
    std::istringstream in(readIfThere(file));
    const std::string name = host + ":" + std::to_string(port);
    for (std::string line; std::getline(in, line);) {
        const auto w = words(line);
        if (w.size() == 2 && w[0] == name && w[1].rfind("sha256//", 0) == 0)
            return w[1];
    }
    return {};
}

void rememberCertificate(const std::string& file, const std::string& host, int port,
                         const std::string& pin) {
    appendLine(file, host + ":" + std::to_string(port) + " " + pin);
}

} // namespace publish
