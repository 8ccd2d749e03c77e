// Real servers for publishing tests, each started by the test on loopback on
// a free high port and stopped with it: OpenSSH's sshd (its own host key and
// an authorised key made here) and pyftpdlib (FTP, or FTPS with a
// certificate made here). Every wait is bounded.
#pragma once

#include "tests/archive/RunProcess.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <netinet/in.h>
#include <pwd.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace testsupport {

inline std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline int freePort() {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = 0;
    bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t len = sizeof a;
    getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
    close(s);
    return ntohs(a.sin_port);
}

inline bool accepting(int port) {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(static_cast<uint16_t>(port));
    const bool ok = connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    close(s);
    return ok;
}

// The process and every process it started (found through /proc).
inline void killTree(pid_t root) {
    std::vector<pid_t> doomed{root};
    for (std::size_t i = 0; i < doomed.size(); ++i) {
        DIR* d = opendir("/proc");
        while (dirent* e = d ? readdir(d) : nullptr) {
            const pid_t pid = static_cast<pid_t>(std::atoi(e->d_name));
            if (pid <= 0)
                continue;
            std::istringstream stat(slurp("/proc/" + std::string(e->d_name) + "/stat"));
            std::string skip, comm, state;
            pid_t parent = 0;
            stat >> skip;
            // The command name may hold spaces: it ends at the last ')'.
            const std::string rest = stat.str();
            const auto close = rest.rfind(')');
            if (close == std::string::npos)
                continue;
            std::istringstream tail(rest.substr(close + 1));
            tail >> state >> parent;
            if (parent == doomed[i])
                doomed.push_back(pid);
        }
        if (d)
            closedir(d);
    }
    for (pid_t pid : doomed)
        kill(pid, SIGKILL);
    waitpid(root, nullptr, 0);
}

inline pid_t spawn(const std::vector<std::string>& args, const std::string& log) {
    const pid_t pid = fork();
    if (pid == 0) {
        std::freopen(log.c_str(), "a", stdout);
        std::freopen(log.c_str(), "a", stderr);
        std::vector<char*> argv;
        for (const auto& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

inline bool waitUntilAccepting(int port, pid_t pid) {
    for (int i = 0; i < 200; ++i) {
        if (accepting(port))
            return true;
        if (waitpid(pid, nullptr, WNOHANG) == pid)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

inline std::string currentUser() {
    const passwd* pw = getpwuid(getuid());
    return pw ? pw->pw_name : "root";
}

class Server {
public:
    virtual ~Server() { stop(); }
    int port() const { return port_; }
    bool running() const { return pid_ > 0; }
    void stop() {
        if (pid_ > 0)
            killTree(pid_);
        pid_ = -1;
    }
    // Starts again on the same port (after stop()).
    bool restart() {
        for (int i = 0; i < 100 && accepting(port_); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        return launch();
    }
    const std::string& log() const { return log_; }

protected:
    virtual bool launch() = 0;
    int port_ = freePort();
    pid_t pid_ = -1;
    std::string log_;
};

class SshServer : public Server {
public:
    explicit SshServer(const std::string& dir) : dir_(dir) {
        log_ = dir + "/sshd.log";
        for (const char* name : {"host_key", "user_key"})
            runProcess(
                {"/usr/bin/ssh-keygen", "-q", "-t", "ed25519", "-N", "", "-f", dir + "/" + name});
        std::rename((dir + "/user_key.pub").c_str(), (dir + "/authorized_keys").c_str());
        std::ofstream(dir + "/sshd_config")
            << "Port " << port_ << "\nListenAddress 127.0.0.1\nHostKey " << dir
            << "/host_key\nAuthorizedKeysFile " << dir
            << "/authorized_keys\nPasswordAuthentication no\nKbdInteractiveAuthentication no\n"
               "PermitRootLogin prohibit-password\nStrictModes no\nUsePAM no\n"
               "Subsystem sftp internal-sftp\nPidFile "
            << dir << "/sshd.pid\n";
        mkdir("/run/sshd", 0755); // privilege separation folder (as root)
        started_ = launch();
    }
    bool started() const { return started_; }
    std::string identity() const { return dir_ + "/user_key"; }
    // The line a known-hosts file holds for this server.
    std::string knownHostsLine() const {
        std::istringstream pub(slurp(dir_ + "/host_key.pub"));
        std::string type, key;
        pub >> type >> key;
        return "[127.0.0.1]:" + std::to_string(port_) + " " + type + " " + key + "\n";
    }
    // "SHA256:…" as ssh-keygen shows it.
    std::string fingerprint() const {
        const auto r = runProcess({"/usr/bin/ssh-keygen", "-l", "-f", dir_ + "/host_key.pub"});
        std::istringstream in(r.out);
        std::string bits, fp;
        in >> bits >> fp;
        return fp;
    }
    // A new host key, as after a reinstall (takes effect at the next restart).
    void replaceHostKey() {
        std::remove((dir_ + "/host_key").c_str());
        std::remove((dir_ + "/host_key.pub").c_str());
        runProcess(
            {"/usr/bin/ssh-keygen", "-q", "-t", "ed25519", "-N", "", "-f", dir_ + "/host_key"});
    }

protected:
    bool launch() override {
        pid_ = spawn({"/usr/sbin/sshd", "-D", "-e", "-f", dir_ + "/sshd_config"}, log_);
        if (!waitUntilAccepting(port_, pid_)) {
            stop();
            return false;
        }
        return true;
    }

private:
    std::string dir_;
    bool started_ = false;
};

class FtpServer : public Server {
public:
    // `tls`: explicit TLS required for logins and data (FTPS).
    FtpServer(const std::string& dir, const std::string& root, bool tls) : dir_(dir), root_(root) {
        log_ = dir + "/ftpd.log";
        if (tls) {
            cert_ = dir + "/ftpd.pem";
            replaceCertificate();
        }
        std::ofstream(dir + "/ftpd.py")
            << "import sys\n"
               "from pyftpdlib.authorizers import DummyAuthorizer\n"
               "from pyftpdlib.handlers import FTPHandler, TLS_FTPHandler, TLS_DTPHandler\n"
               "from pyftpdlib.servers import FTPServer\n"
               // pyftpdlib drops a passive data connection that speaks before
               // the transfer command; libcurl starts its TLS handshake at once.
               "class DTP(TLS_DTPHandler):\n"
               "    def readable(self):\n"
               "        if self._ssl_requested and not self._ssl_established:\n"
               "            return True\n"
               "        return super().readable()\n"
               "port, root, user, password, cert = sys.argv[1:6]\n"
               "auth = DummyAuthorizer()\n"
               "auth.add_user(user, password, root, perm='elradfmwMT')\n"
               "handler = TLS_FTPHandler if cert else FTPHandler\n"
               "if cert:\n"
               "    handler.certfile = cert\n"
               "    handler.tls_control_required = True\n"
               "    handler.tls_data_required = True\n"
               "    handler.dtp_handler = DTP\n"
               "handler.authorizer = auth\n"
               "FTPServer(('127.0.0.1', int(port)), handler).serve_forever()\n";
        started_ = launch();
    }
    bool started() const { return started_; }
    static constexpr const char* kUser = "seller";
    static constexpr const char* kPassword = "s3cret-words";
    std::string certificate() const { return cert_; }
    // A new self-signed certificate (takes effect at the next restart).
    void replaceCertificate() {
        std::remove(cert_.c_str());
        runProcess({"/usr/bin/openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt",
                    "ec_paramgen_curve:prime256v1", "-nodes", "-subj", "/CN=127.0.0.1", "-days",
                    "2", "-keyout", cert_, "-out", cert_});
    }

protected:
    bool launch() override {
        pid_ = spawn({"/usr/bin/python3", dir_ + "/ftpd.py", std::to_string(port_), root_, kUser,
                      kPassword, cert_},
                     log_);
        if (!waitUntilAccepting(port_, pid_)) {
            stop();
            return false;
        }
        return true;
    }

private:
    std::string dir_, root_, cert_;
    bool started_ = false;
};

} // namespace testsupport
