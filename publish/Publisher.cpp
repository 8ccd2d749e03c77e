#include "publish/Publisher.h"

#include "platform/DataFolder.h"
#include "platform/FileSystem.h"

#include <curl/curl.h>

#include <algorithm>
#include <map>

namespace publish {

namespace {

constexpr std::uint64_t kManifestLimit = 16u << 20;

std::string folderJoin(const std::string& folder, const std::string& relative) {
    std::string path = folder;
    if (!path.empty() && path.back() != '/' && path.back() != platform::kPathSeparator)
        path += platform::kPathSeparator;
    for (char c : relative)
        path += c == '/' ? platform::kPathSeparator : c;
    return path;
}

bool isPage(const FileEntry& f) {
    return f.path == "index.html";
}

} // namespace

std::string temporaryName(const FileEntry& f) {
    const auto slash = f.path.rfind('/');
    const std::string dir = slash == std::string::npos ? "" : f.path.substr(0, slash + 1);
    return dir + ".quillmere-" + f.sha256.substr(0, 20) + ".part";
}

Plan makePlan(Manifest local, Manifest remote) {
    Plan plan;
    std::map<std::string, const FileEntry*> before;
    for (const auto& f : remote)
        before[f.path] = &f;
    std::map<std::string, bool> now;
    for (const auto& f : local) {
        now[f.path] = true;
        const auto it = before.find(f.path);
        if (it == before.end() || it->second->size != f.size || it->second->sha256 != f.sha256) {
            plan.send.push_back(f);
            plan.bytesToSend += f.size;
        }
    }
    std::stable_partition(plan.send.begin(), plan.send.end(),
                          [](const FileEntry& f) { return !isPage(f); });
    for (const auto& f : remote)
        if (!now.count(f.path))
            plan.remove.push_back(f.path);
    plan.local = std::move(local);
    plan.remote = std::move(remote);
    return plan;
}

Plan planPublish(Session& session, const std::string& pageFolder) {
    Manifest local = scanFolder(pageFolder);
    local.erase(std::remove_if(local.begin(), local.end(),
                               [](const FileEntry& f) {
                                   return f.path == kManifestName || !safeRelativePath(f.path);
                               }),
                local.end());
    Manifest remote;
    bool damaged = false;
    if (const auto text = session.download(kManifestName, kManifestLimit)) {
        try {
            remote = parseManifest(*text);
        } catch (const std::exception&) {
            damaged = true; // send everything, remove nothing
        }
    }
    Plan plan = makePlan(std::move(local), std::move(remote));
    plan.manifestDamaged = damaged;
    // The manifest says what was sent; a file since removed or changed on the
    // host by other means is sent again, so success means the host holds the page.
    std::vector<FileEntry> missing;
    for (const auto& f : plan.local) {
        const bool planned = std::any_of(plan.send.begin(), plan.send.end(),
                                         [&](const FileEntry& s) { return s.path == f.path; });
        if (!planned && session.size(f.path) != f.size)
            missing.push_back(f);
    }
    if (!missing.empty()) {
        for (auto& f : missing)
            plan.bytesToSend += f.size;
        plan.send.insert(plan.send.begin(), missing.begin(), missing.end());
        std::stable_partition(plan.send.begin(), plan.send.end(),
                              [](const FileEntry& f) { return !isPage(f); });
    }
    return plan;
}

namespace {

size_t collectPage(char* data, size_t size, size_t n, void* user) {
    auto* body = static_cast<std::string*>(user);
    if (body->size() + size * n > (64u << 20))
        return 0;
    body->append(data, size * n);
    return size * n;
}

// Removes this run's temporary files after a cancel, without being cancelled itself.
void removeTemporaries(Session& session, const std::vector<std::string>& names) {
    for (const auto& name : names) {
        try {
            session.remove(name);
        } catch (const PublishError&) {
        }
    }
}

} // namespace

WebCheck checkWebPage(const std::string& address, const std::string& expected,
                      std::string& message) {
    CURL* c = curl_easy_init();
    std::string body;
    char error[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(c, CURLOPT_URL, address.c_str());
    curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(c, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_TIMEOUT, 30L);
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, error);
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, collectPage);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &body);
    // Ask past caches: the page has just changed.
    curl_slist* headers = curl_slist_append(nullptr, "Cache-Control: no-cache");
    curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers);
    const CURLcode rc = curl_easy_perform(c);
    long status = 0;
    curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &status);
    curl_slist_free_all(headers);
    curl_easy_cleanup(c);
    if (rc != CURLE_OK) {
        message = "The page at " + address + " could not be reached (" +
                  (error[0] ? error : curl_easy_strerror(rc)) + "); the upload itself is done.";
        return WebCheck::Unreachable;
    }
    if (status != 200) {
        message = "The page at " + address + " answered with status " + std::to_string(status) +
                  " instead of the page; check that the web address belongs to the folder.";
        return WebCheck::Different;
    }
    if (body != expected) {
        message = "The page at " + address +
                  " differs from the one just published; check that the web address belongs "
                  "to the folder (a cache may also still hold the old page).";
        return WebCheck::Different;
    }
    message = "The page at " + address + " shows the published page.";
    return WebCheck::Same;
}

Report publishFolder(const Target& target, const std::string& pageFolder, bool dryRun,
                     Hooks hooks) {
    const std::string data = platform::dataFolder();
    SessionHooks sh;
    sh.confirm = hooks.confirm;
    sh.ownKnownHosts = hooks.ownKnownHosts.empty() ? data + "known_hosts" : hooks.ownKnownHosts;
    sh.ownCertificates =
        hooks.ownCertificates.empty() ? data + "trusted_certificates" : hooks.ownCertificates;
    Progress progress;
    sh.progress = [&](std::uint64_t now) {
        if (hooks.progress) {
            Progress p = progress;
            p.done += now;
            hooks.progress(p);
        }
        return !(hooks.cancelled && hooks.cancelled());
    };
    Session session(target, sh);
    Report report;
    report.plan = planPublish(session, pageFolder);
    const Plan& plan = report.plan;
    if (plan.manifestDamaged)
        report.notes.push_back(std::string("The record of published files (") + kManifestName +
                               ") on the host could not be read: every file is sent and no old "
                               "file is removed.");
    if (dryRun)
        return report;
    progress.total = plan.bytesToSend;

    // 1. Everything travels under temporary names; a file that arrived
    // whole before a dropped connection is not sent again.
    std::vector<std::string> temporaries;
    try {
        for (const auto& f : plan.send) {
            const std::string tmp = temporaryName(f);
            progress.file = f.path;
            if (hooks.progress)
                hooks.progress(progress);
            std::uint64_t there = session.size(tmp).value_or(0);
            temporaries.push_back(tmp);
            if (there > f.size) {
                session.remove(tmp);
                there = 0;
            }
            if (there < f.size) {
                progress.done += there;
                session.upload(folderJoin(pageFolder, f.path), tmp, there);
                report.bytesSent += f.size - there;
                progress.done -= there;
            }
            progress.done += f.size;
            const auto arrived = session.size(tmp);
            if (!arrived || *arrived != f.size) {
                session.remove(tmp);
                throw PublishError(ErrorKind::Mismatch,
                                   f.path + " arrived with " +
                                       (arrived ? std::to_string(*arrived) : "no") +
                                       " bytes instead of " + std::to_string(f.size) +
                                       "; nothing was changed on the host.");
            }
            if (hooks.cancelled && hooks.cancelled())
                throw PublishError(ErrorKind::Cancelled, "Publishing was cancelled");
        }
    } catch (const PublishError& e) {
        if (e.kind() == ErrorKind::Cancelled)
            removeTemporaries(session, temporaries);
        throw;
    }

    // 2. Into place: pictures first, the page last.
    for (const auto& f : plan.send) {
        progress.file = f.path;
        if (hooks.progress)
            hooks.progress(progress);
        session.rename(temporaryName(f), f.path);
        report.sent.push_back(f.path);
    }

    // 3. Old files the page no longer uses.
    std::vector<FileEntry> kept = plan.local;
    for (const auto& path : plan.remove) {
        try {
            session.remove(path);
            report.removed.push_back(path);
        } catch (const PublishError& e) {
            if (e.kind() == ErrorKind::Connection)
                throw;
            report.notes.push_back("The old file " + path + " could not be removed: " + e.what());
            for (const auto& f : plan.remote)
                if (f.path == path)
                    kept.push_back(f); // tried again next time
        }
    }

    // 4. The record of what is published, replaced in one step.
    if (!plan.send.empty() || !plan.remove.empty() || plan.manifestDamaged || plan.remote.empty()) {
        std::sort(kept.begin(), kept.end(),
                  [](const auto& a, const auto& b) { return a.path < b.path; });
        const std::string json = manifestJson(kept);
        const std::string tmp = std::string(".quillmere-publish.json.part");
        session.uploadBytes(json, tmp);
        session.rename(tmp, kManifestName);
    }

    // 5. What visitors see.
    if (!target.webAddress.empty()) {
        std::string address = target.webAddress;
        if (address.back() != '/')
            address += '/';
        address += "index.html";
        const auto page = std::find_if(plan.local.begin(), plan.local.end(), isPage);
        if (page != plan.local.end()) {
            report.web =
                checkWebPage(address, platform::readFile(folderJoin(pageFolder, "index.html")),
                             report.webMessage);
        }
    }
    return report;
}

} // namespace publish
