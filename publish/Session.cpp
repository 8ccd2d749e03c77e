#include "publish/Session.h"

#include "platform/FileSystem.h"
#include "publish/TrustStore.h"

#include <curl/curl.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <mutex>

namespace publish {

namespace {

void globalInit() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

size_t collect(char* data, size_t size, size_t n, void* user) {
    auto* sink = static_cast<std::pair<std::string*, std::uint64_t>*>(user);
    if (sink->first->size() + size * n > sink->second)
        return 0; // too large: stop
    sink->first->append(data, size * n);
    return size * n;
}

size_t discard(char*, size_t size, size_t n, void*) {
    return size * n;
}

size_t readFromFile(char* buffer, size_t size, size_t n, void* user) {
    return std::fread(buffer, size, n, static_cast<std::FILE*>(user));
}

int seekFile(void* user, curl_off_t offset, int origin) {
    return fseeko(static_cast<std::FILE*>(user), static_cast<off_t>(offset), origin) == 0
               ? CURL_SEEKFUNC_OK
               : CURL_SEEKFUNC_FAIL;
}

struct ReadBytes {
    const std::string* bytes;
    std::size_t at = 0;
};

size_t readFromBytes(char* buffer, size_t size, size_t n, void* user) {
    auto* r = static_cast<ReadBytes*>(user);
    const std::size_t len = std::min(size * n, r->bytes->size() - r->at);
    std::memcpy(buffer, r->bytes->data() + r->at, len);
    r->at += len;
    return len;
}

bool missing(CURLcode rc) {
    return rc == CURLE_REMOTE_FILE_NOT_FOUND || rc == CURLE_FTP_COULDNT_RETR_FILE ||
           rc == CURLE_REMOTE_ACCESS_DENIED;
}

std::string quoted(const std::string& path) {
    if (path.find_first_of("\"\r\n") != std::string::npos)
        throw PublishError(ErrorKind::Local, "The name \"" + path + "\" cannot be published");
    return "\"" + path + "\"";
}

} // namespace

struct Session::Impl {
    CURL* curl = nullptr;
    SessionHooks hooks;
    char error[CURL_ERROR_SIZE] = {};
    std::string trustFailure; // set by the host key check when it refuses
    std::string userKnownHosts;
    std::string pin; // a confirmed certificate's public key
    bool cancelled = false;
    std::string entryPath; // FTP: the folder the login starts in, as the host names it
    std::pair<Impl*, const Target*> keyData{this, nullptr};
};

namespace {

int onHostKey(CURL*, const curl_khkey* known, const curl_khkey* found, curl_khmatch match,
              void* user) {
    auto* self = static_cast<std::pair<Session::Impl*, const Target*>*>(user);
    Session::Impl& impl = *self->first;
    const Target& t = *self->second;
    const std::string blob(found->key, found->len ? found->len : std::strlen(found->key));
    (void)known;
    const std::string host = knownHostsName(t.host, effectivePort(t));
    if (match == CURLKHMATCH_OK)
        return CURLKHSTAT_FINE;
    const std::string fingerprint = sshFingerprint(blob);
    const std::string type = sshKeyType(blob);
    const KnownKey own = lookupKnownHost(impl.hooks.ownKnownHosts, host, type, blob);
    if (match == CURLKHMATCH_MISMATCH || own == KnownKey::Changed) {
        impl.trustFailure =
            "The host key of " + t.host + ":" + std::to_string(effectivePort(t)) +
            " has changed (it now shows " + type + " " + fingerprint +
            "). Someone may be intercepting the connection, or the host was reinstalled. "
            "Nothing was sent; remove the old key from " +
            (match == CURLKHMATCH_MISMATCH ? impl.userKnownHosts : impl.hooks.ownKnownHosts) +
            " only once the host's owner confirms the new key.";
        return CURLKHSTAT_REJECT;
    }
    if (own == KnownKey::Same)
        return CURLKHSTAT_FINE;
    TrustQuestion q{t.host, effectivePort(t), false, type, fingerprint};
    if (impl.hooks.confirm && impl.hooks.confirm(q)) {
        rememberKnownHost(impl.hooks.ownKnownHosts, host, type, blob);
        return CURLKHSTAT_FINE;
    }
    impl.trustFailure = "The host " + t.host + ":" + std::to_string(effectivePort(t)) +
                        " is not known (its " + type + " key is " + fingerprint +
                        "); it was not trusted, so nothing was sent.";
    return CURLKHSTAT_REJECT;
}

int onProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t ulnow) {
    auto* impl = static_cast<Session::Impl*>(user);
    if (impl->hooks.progress && !impl->hooks.progress(static_cast<std::uint64_t>(ulnow))) {
        impl->cancelled = true;
        return 1;
    }
    return 0;
}

} // namespace

Session::Session(const Target& target, SessionHooks hooks)
    : impl_(std::make_unique<Impl>()), target_(target) {
    globalInit();
    impl_->curl = curl_easy_init();
    if (!impl_->curl)
        throw PublishError(ErrorKind::Local, "The transfer library could not start");
    impl_->hooks = std::move(hooks);
    impl_->keyData.second = &target_;
    impl_->userKnownHosts = target.knownHosts.empty() ? userKnownHostsFile() : target.knownHosts;
    if (target.protocol == Protocol::Ftps)
        impl_->pin =
            lookupCertificate(impl_->hooks.ownCertificates, target.host, effectivePort(target));
}

Session::~Session() {
    curl_easy_cleanup(impl_->curl);
}

namespace {

std::string rootUrl(const Target& t) {
    const std::string url = transferUrl(t, "");
    const auto slash = url.find('/', url.find("://") + 3);
    return url.substr(0, slash + 1);
}

} // namespace

// Sets what every operation needs, runs the operation and turns a failure
// into a PublishError. `setup` sets the operation's own options.
#define QM_SET(option, value) curl_easy_setopt(c, option, value)

static void commonOptions(Session::Impl& impl, const Target& t, const std::string& url) {
    CURL* c = impl.curl;
    curl_easy_reset(c);
    impl.error[0] = '\0';
    QM_SET(CURLOPT_URL, url.c_str());
    QM_SET(CURLOPT_ERRORBUFFER, impl.error);
    QM_SET(CURLOPT_NOSIGNAL, 1L);
    QM_SET(CURLOPT_CONNECTTIMEOUT, 20L);
    QM_SET(CURLOPT_LOW_SPEED_LIMIT, 1L);
    QM_SET(CURLOPT_LOW_SPEED_TIME, 30L);
    QM_SET(CURLOPT_SERVER_RESPONSE_TIMEOUT, 30L);
    QM_SET(CURLOPT_WRITEFUNCTION, discard);
    if (std::getenv("QM_PUBLISH_TRACE")) // the protocol dialogue on standard error
        QM_SET(CURLOPT_VERBOSE, 1L);
    if (!t.user.empty())
        QM_SET(CURLOPT_USERNAME, t.user.c_str());
    if (!t.password.empty())
        QM_SET(CURLOPT_PASSWORD, t.password.c_str());
    if (t.protocol == Protocol::Sftp) {
        long types = 0;
        if (!t.identityFile.empty()) {
            types |= CURLSSH_AUTH_PUBLICKEY;
            QM_SET(CURLOPT_SSH_PRIVATE_KEYFILE, t.identityFile.c_str());
            if (!t.password.empty()) // a key file's passphrase, when it has one
                QM_SET(CURLOPT_KEYPASSWD, t.password.c_str());
        }
        if (!t.password.empty())
            types |= CURLSSH_AUTH_PASSWORD | CURLSSH_AUTH_KEYBOARD;
        if (types == 0)
            types = CURLSSH_AUTH_AGENT;
        QM_SET(CURLOPT_SSH_AUTH_TYPES, types);
        QM_SET(CURLOPT_SSH_KNOWNHOSTS, impl.userKnownHosts.c_str());
        QM_SET(CURLOPT_SSH_KEYFUNCTION, onHostKey);
        QM_SET(CURLOPT_SSH_KEYDATA, &impl.keyData);
        QM_SET(CURLOPT_NEW_FILE_PERMS, 0644L);
        QM_SET(CURLOPT_NEW_DIRECTORY_PERMS, 0755L);
    }
    if (t.protocol == Protocol::Ftps) {
        QM_SET(CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL));
        if (!impl.pin.empty()) {
            // A certificate the user confirmed: its own key is checked instead.
            QM_SET(CURLOPT_SSL_VERIFYPEER, 0L);
            QM_SET(CURLOPT_SSL_VERIFYHOST, 0L);
            QM_SET(CURLOPT_PINNEDPUBLICKEY, impl.pin.c_str());
        }
    }
}

// Asks about a certificate the system's store does not vouch for. The probe
// logs in anonymously, so no password travels before the user has decided.
static bool confirmCertificate(Session::Impl& impl, const Target& t) {
    Target probe = t;
    probe.user.clear();
    probe.password.clear();
    CURL* c = impl.curl;
    commonOptions(impl, probe, rootUrl(t));
    QM_SET(CURLOPT_SSL_VERIFYPEER, 0L);
    QM_SET(CURLOPT_SSL_VERIFYHOST, 0L);
    QM_SET(CURLOPT_CERTINFO, 1L);
    QM_SET(CURLOPT_NOBODY, 1L);
    curl_easy_perform(c);
    curl_certinfo* info = nullptr;
    if (curl_easy_getinfo(c, CURLINFO_CERTINFO, &info) != CURLE_OK || !info ||
        info->num_of_certs < 1)
        return false;
    std::string pem;
    for (curl_slist* s = info->certinfo[0]; s; s = s->next)
        if (std::strncmp(s->data, "Cert:", 5) == 0)
            pem = s->data + 5;
    const CertificateInfo cert = inspectCertificate(pem);
    if (cert.pin.empty())
        return false;
    TrustQuestion q{t.host, effectivePort(t), true, cert.subject, cert.fingerprint};
    if (!impl.hooks.confirm || !impl.hooks.confirm(q)) {
        impl.trustFailure = "The certificate of " + t.host + ":" +
                            std::to_string(effectivePort(t)) +
                            " is not signed by an authority this system trusts (fingerprint " +
                            cert.fingerprint + "); it was not trusted, so nothing was sent.";
        return false;
    }
    rememberCertificate(impl.hooks.ownCertificates, t.host, effectivePort(t), cert.pin);
    impl.pin = cert.pin;
    return true;
}

static CURLcode run(Session::Impl& impl, const Target& t, const std::string& url,
                    const std::function<void(CURL*)>& setup) {
    commonOptions(impl, t, url);
    setup(impl.curl);
    impl.trustFailure.clear();
    impl.cancelled = false;
    CURLcode rc = curl_easy_perform(impl.curl);
    if (rc == CURLE_PEER_FAILED_VERIFICATION && t.protocol == Protocol::Ftps && impl.pin.empty() &&
        confirmCertificate(impl, t)) {
        commonOptions(impl, t, url);
        setup(impl.curl);
        rc = curl_easy_perform(impl.curl);
    }
    if (rc == CURLE_OK && t.protocol != Protocol::Sftp && impl.entryPath.empty()) {
        const char* entry = nullptr;
        if (curl_easy_getinfo(impl.curl, CURLINFO_FTP_ENTRY_PATH, &entry) == CURLE_OK && entry)
            impl.entryPath = entry;
    }
    return rc;
}

static void check(Session::Impl& impl, const Target& t, CURLcode rc, const std::string& what) {
    if (rc == CURLE_OK)
        return;
    const std::string where = describe(t);
    const std::string detail = impl.error[0] ? impl.error : curl_easy_strerror(rc);
    if (!impl.trustFailure.empty())
        throw PublishError(ErrorKind::Trust, impl.trustFailure);
    switch (rc) {
    case CURLE_ABORTED_BY_CALLBACK:
        throw PublishError(ErrorKind::Cancelled, "Publishing was cancelled");
    case CURLE_LOGIN_DENIED:
        throw PublishError(ErrorKind::Login, "The host " + t.host + " refused the login of \"" +
                                                 t.user + "\": wrong password or key (" + detail +
                                                 ")");
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
        throw PublishError(ErrorKind::Trust, "The certificate or host key of " + t.host +
                                                 " could not be verified (" + detail +
                                                 "); nothing was sent.");
    case CURLE_USE_SSL_FAILED:
        throw PublishError(ErrorKind::Trust, "The host " + t.host +
                                                 " does not offer encryption (FTPS); nothing "
                                                 "was sent.");
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_CONNECT:
    case CURLE_OPERATION_TIMEDOUT:
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_PARTIAL_FILE:
    case CURLE_SSH:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_FTP_ACCEPT_TIMEOUT:
    case CURLE_FTP_CANT_GET_HOST:
    case CURLE_FTP_WEIRD_PASV_REPLY:
        throw PublishError(ErrorKind::Connection,
                           "The connection to " + where + " failed while " + what + ": " + detail);
    default:
        throw PublishError(ErrorKind::Remote,
                           "The host refused " + what + " (" + where + "): " + detail);
    }
}

std::optional<std::string> Session::download(const std::string& path, std::uint64_t limit) {
    std::string body;
    std::pair<std::string*, std::uint64_t> sink{&body, limit};
    const CURLcode rc = run(*impl_, target_, transferUrl(target_, path), [&](CURL* c) {
        QM_SET(CURLOPT_WRITEFUNCTION, collect);
        QM_SET(CURLOPT_WRITEDATA, &sink);
    });
    if (missing(rc))
        return std::nullopt;
    check(*impl_, target_, rc, "reading " + path);
    return body;
}

std::optional<std::uint64_t> Session::size(const std::string& path) {
    const CURLcode rc = run(*impl_, target_, transferUrl(target_, path),
                            [&](CURL* c) { QM_SET(CURLOPT_NOBODY, 1L); });
    if (missing(rc))
        return std::nullopt;
    check(*impl_, target_, rc, "reading the size of " + path);
    curl_off_t length = -1;
    curl_easy_getinfo(impl_->curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    if (length < 0)
        return std::nullopt;
    return static_cast<std::uint64_t>(length);
}

void Session::upload(const std::string& localFile, const std::string& path, std::uint64_t offset) {
    std::FILE* f = std::fopen(localFile.c_str(), "rb");
    if (!f)
        throw PublishError(ErrorKind::Local, "Cannot open file \"" + localFile + "\". " +
                                                 platform::systemReason(errno));
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> closer(f, std::fclose);
    fseeko(f, 0, SEEK_END);
    const curl_off_t total = ftello(f);
    fseeko(f, 0, SEEK_SET);
    const CURLcode rc = run(*impl_, target_, transferUrl(target_, path), [&](CURL* c) {
        fseeko(f, 0, SEEK_SET);
        QM_SET(CURLOPT_UPLOAD, 1L);
        QM_SET(CURLOPT_READFUNCTION, readFromFile);
        QM_SET(CURLOPT_READDATA, f);
        QM_SET(CURLOPT_SEEKFUNCTION, seekFile);
        QM_SET(CURLOPT_SEEKDATA, f);
        QM_SET(CURLOPT_INFILESIZE_LARGE, total);
        if (offset > 0)
            QM_SET(CURLOPT_RESUME_FROM_LARGE, static_cast<curl_off_t>(offset));
        QM_SET(CURLOPT_FTP_CREATE_MISSING_DIRS, static_cast<long>(CURLFTP_CREATE_DIR_RETRY));
        QM_SET(CURLOPT_NOPROGRESS, 0L);
        QM_SET(CURLOPT_XFERINFOFUNCTION, onProgress);
        QM_SET(CURLOPT_XFERINFODATA, impl_.get());
    });
    check(*impl_, target_, rc, "sending " + path);
}

void Session::uploadBytes(const std::string& bytes, const std::string& path) {
    ReadBytes source{&bytes};
    const CURLcode rc = run(*impl_, target_, transferUrl(target_, path), [&](CURL* c) {
        source.at = 0;
        QM_SET(CURLOPT_UPLOAD, 1L);
        QM_SET(CURLOPT_READFUNCTION, readFromBytes);
        QM_SET(CURLOPT_READDATA, &source);
        QM_SET(CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(bytes.size()));
        QM_SET(CURLOPT_FTP_CREATE_MISSING_DIRS, static_cast<long>(CURLFTP_CREATE_DIR_RETRY));
    });
    check(*impl_, target_, rc, "sending " + path);
}

static CURLcode quote(Session::Impl& impl, const Target& t, const std::vector<std::string>& cmds) {
    curl_slist* list = nullptr;
    for (const auto& cmd : cmds)
        list = curl_slist_append(list, cmd.c_str());
    const CURLcode rc = run(impl, t, rootUrl(t), [&](CURL* c) {
        QM_SET(CURLOPT_NOBODY, 1L);
        QM_SET(CURLOPT_QUOTE, list);
    });
    curl_slist_free_all(list);
    return rc;
}

// The path a command names: absolute from the login folder when the host said
// which that is (a reused connection may stand in another folder).
static std::string commandPath(const Session::Impl& impl, const Target& t,
                               const std::string& path) {
    const std::string p = remotePath(t, path);
    if (t.protocol == Protocol::Sftp || impl.entryPath.empty())
        return p;
    return impl.entryPath + (impl.entryPath.back() == '/' ? "" : "/") + p;
}

void Session::rename(const std::string& from, const std::string& to) {
    const std::string a = commandPath(*impl_, target_, from), b = commandPath(*impl_, target_, to);
    if (target_.protocol == Protocol::Sftp) {
        // SFTP's rename will not replace a file on most servers: when it
        // refuses, the old file goes first, just before the new one takes
        // its name in the same request.
        CURLcode rc = quote(*impl_, target_, {"rename " + quoted(a) + " " + quoted(b)});
        if (rc == CURLE_QUOTE_ERROR)
            rc = quote(*impl_, target_,
                       {"*rm " + quoted(b), "rename " + quoted(a) + " " + quoted(b)});
        check(*impl_, target_, rc, "renaming " + from + " to " + to);
    } else {
        quoted(a), quoted(b);
        check(*impl_, target_, quote(*impl_, target_, {"RNFR " + a, "RNTO " + b}),
              "renaming " + from + " to " + to);
    }
}

void Session::remove(const std::string& path) {
    const std::string a = commandPath(*impl_, target_, path);
    const CURLcode rc = quote(
        *impl_, target_, {target_.protocol == Protocol::Sftp ? "rm " + quoted(a) : "DELE " + a});
    if (rc == CURLE_QUOTE_ERROR && !size(path))
        return; // already gone
    check(*impl_, target_, rc, "removing " + path);
}

#undef QM_SET

} // namespace publish
