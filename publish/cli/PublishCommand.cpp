// The publishing modes of quillmere-compile. The page is exported to a private
// temporary folder as the wizard's Finish would write it, then published to
// the target or packed into a ZIP. Host keys are never trusted on first
// sight here: an unknown host is refused unless its key is in the user's
// known-hosts file (or --known-hosts FILE) or was confirmed in the program's
// Publish window. Passwords never come on the command line.
#include "publish/cli/PublishCommand.h"

#include "publish/PageFolder.h"
#include "publish/Publisher.h"
#include "publish/Zip.h"
#include "salesletter/cli/OutputCheck.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

namespace {

const char kUsage[] =
    "usage: quillmere-compile --publish TARGET PROJECT [--identity FILE] [--known-hosts FILE]\n"
    "                         [--password-env NAME] [--dry-run]\n"
    "       quillmere-compile --zip FILE PROJECT\n"
    "  TARGET  sftp://user@host[:port]/folder, ftps://… (explicit TLS) or ftp://…\n"
    "  --identity FILE      SFTP private key (default: the running SSH agent)\n"
    "  --known-hosts FILE   trusted host keys (default: ~/.ssh/known_hosts)\n"
    "  --password-env NAME  the environment variable that holds the password\n"
    "  --dry-run            list what would be sent and removed, change nothing\n";

std::string oneLine(std::string text) {
    for (char& c : text)
        if (c == '\r' || c == '\n')
            c = ' ';
    return text;
}

int fail(const std::string& message) {
    std::fprintf(stderr, "quillmere-compile: %s\n", oneLine(message).c_str());
    return 1;
}

int usage() {
    std::fputs(kUsage, stderr);
    return 2;
}

std::string sizeText(std::uint64_t bytes) {
    return std::to_string(bytes) + " bytes";
}

int publishCommand(const std::vector<std::string>& args) {
    std::vector<std::string> positional;
    std::string identity, knownHosts, passwordEnv;
    bool dryRun = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& into) {
            if (i + 1 >= args.size() || args[i + 1].empty())
                return false;
            into = args[++i];
            return true;
        };
        if (a == "--identity"       ? !value(identity)
            : a == "--known-hosts"  ? !value(knownHosts)
            : a == "--password-env" ? !value(passwordEnv)
                                    : false)
            return usage();
        if (a == "--dry-run")
            dryRun = true;
        else if (a == "--identity" || a == "--known-hosts" || a == "--password-env")
            continue;
        else if (!a.empty() && a[0] == '-')
            return usage();
        else
            positional.push_back(a);
    }
    if (positional.size() != 2 || positional[0].empty() || positional[1].empty())
        return usage();
    publish::Target target;
    try {
        target = publish::parseTargetUrl(positional[0]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "quillmere-compile: %s\n", oneLine(e.what()).c_str());
        return 2;
    }
    target.identityFile = identity;
    target.knownHosts = knownHosts;
    if (!passwordEnv.empty()) {
        const char* password = std::getenv(passwordEnv.c_str());
        if (!password) {
            std::fprintf(stderr, "quillmere-compile: the environment variable %s is not set\n",
                         passwordEnv.c_str());
            return 2;
        }
        target.password = password;
    }
    if (target.protocol == publish::Protocol::Ftp && !target.password.empty())
        std::fprintf(stderr, "quillmere-compile: warning: plain FTP sends the password "
                             "unencrypted; use sftp:// or ftps:// where the host offers it\n");

    const TSalesLetter letter = publish::loadProjectFile(positional[1]);
    publish::PageFolder page(letter);
    publish::Hooks hooks;
    hooks.confirm = [](const publish::TrustQuestion& q) {
        std::fprintf(stderr,
                     "quillmere-compile: %s %s:%d is not known: %s %s. If that is the host's "
                     "own, add it to the known-hosts file (--known-hosts FILE) or confirm it "
                     "once in the Publish window.\n",
                     q.certificate ? "the certificate of" : "the host key of", q.host.c_str(),
                     q.port, q.keyType.c_str(), q.fingerprint.c_str());
        return false;
    };
    const publish::Report report = publish::publishFolder(target, page.path(), dryRun, hooks);
    for (const auto& note : report.notes)
        std::fprintf(stderr, "quillmere-compile: %s\n", oneLine(note).c_str());
    const auto& plan = report.plan;
    if (dryRun) {
        for (const auto& f : plan.send)
            std::printf("would send   %s (%s)\n", f.path.c_str(), sizeText(f.size).c_str());
        for (const auto& p : plan.remove)
            std::printf("would remove %s\n", p.c_str());
        std::printf("%zu to send (%s), %zu to remove, %zu unchanged on %s\n", plan.send.size(),
                    sizeText(plan.bytesToSend).c_str(), plan.remove.size(),
                    plan.local.size() - plan.send.size(), publish::describe(target).c_str());
        return 0;
    }
    for (const auto& p : report.sent)
        std::printf("sent    %s\n", p.c_str());
    for (const auto& p : report.removed)
        std::printf("removed %s\n", p.c_str());
    std::printf("%zu sent (%s), %zu removed, %zu unchanged on %s\n", report.sent.size(),
                sizeText(report.bytesSent).c_str(), report.removed.size(),
                plan.local.size() - plan.send.size(), publish::describe(target).c_str());
    if (report.web != publish::WebCheck::NotSet)
        std::fprintf(report.web == publish::WebCheck::Same ? stdout : stderr, "%s\n",
                     oneLine(report.webMessage).c_str());
    return report.matches() ? 0 : 1;
}

int zipCommand(const std::vector<std::string>& args) {
    if (args.size() != 2 || args[0].empty() || args[1].empty() || args[0][0] == '-')
        return usage();
    // Never an archive over the project or another project file.
    if (const std::string refusal = OutputRefusal(args[1], args[0]); !refusal.empty()) {
        std::fprintf(stderr, "quillmere-compile: %s\n", oneLine(refusal).c_str());
        return 2;
    }
    const TSalesLetter letter = publish::loadProjectFile(args[1]);
    publish::PageFolder page(letter);
    publish::zipFolder(page.path(), args[0]);
    return 0;
}

} // namespace

bool IsPublishCommand(const char* firstArgument) {
    return std::strcmp(firstArgument, "--publish") == 0 || std::strcmp(firstArgument, "--zip") == 0;
}

int RunPublishCommand(int argc, char** argv) {
    const std::vector<std::string> args(argv + 2, argv + argc);
    try {
        return std::strcmp(argv[1], "--zip") == 0 ? zipCommand(args) : publishCommand(args);
    } catch (const std::exception& e) {
        return fail(e.what());
    }
}
