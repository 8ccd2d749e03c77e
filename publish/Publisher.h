// Publishing a finished page folder (index.html and images/) to a target:
// only what changed is sent; every file travels under a temporary name and is
// renamed into place once all have arrived, pictures first and index.html
// last, so visitors see the old page or the new one, never a mixture. Files
// the program published before and no longer needs go after the new page is
// in place; files it never published are not touched. The command line and
// the Publish window both use this.
#pragma once

#include "publish/Manifest.h"
#include "publish/Session.h"
#include "publish/Target.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace publish {

struct Plan {
    Manifest local;                  // what the page folder holds
    Manifest remote;                 // what the manifest says is published
    std::vector<FileEntry> send;     // pictures first, index.html last
    std::vector<std::string> remove; // published before, no longer part of the page
    std::uint64_t bytesToSend = 0;
    bool manifestDamaged = false; // the remote manifest could not be read
};

// Pictures (and anything else) in path order, index.html last.
Plan makePlan(Manifest local, Manifest remote);

struct Progress {
    std::uint64_t done = 0;  // bytes of this publish sent so far
    std::uint64_t total = 0; // bytes to send in all
    std::string file;        // the file being sent or placed
};

enum class WebCheck { NotSet, Same, Different, Unreachable };

struct Report {
    Plan plan;
    std::vector<std::string> sent;    // placed on the host
    std::vector<std::string> removed; // old files removed
    std::vector<std::string> notes;   // things the user should know
    std::uint64_t bytesSent = 0;
    WebCheck web = WebCheck::NotSet;
    std::string webMessage;
    // The host now holds the page (and the web address, when reachable, shows it).
    bool matches() const { return web != WebCheck::Different; }
};

struct Hooks {
    std::function<void(const Progress&)> progress;
    std::function<bool()> cancelled; // polled during transfers
    std::function<bool(const TrustQuestion&)> confirm;
    std::string ownKnownHosts;   // default: the data folder's "known_hosts"
    std::string ownCertificates; // default: the data folder's "trusted_certificates"
};

// The remote manifest and the plan, without changing anything on the host.
Plan planPublish(Session& session, const std::string& pageFolder);

// Publishes `pageFolder`. Throws PublishError; on Cancelled the temporary
// files are removed and the host is as it was. After a dropped connection
// the temporary files stay, so the next publish resumes where this one
// stopped. With `dryRun` only the plan is made.
Report publishFolder(const Target& target, const std::string& pageFolder, bool dryRun, Hooks hooks);

// The temporary name a file travels under: beside it, named after its content.
std::string temporaryName(const FileEntry& f);

// Fetches `address` over HTTP(S) and compares it with `expected`.
WebCheck checkWebPage(const std::string& address, const std::string& expected,
                      std::string& message);

} // namespace publish
