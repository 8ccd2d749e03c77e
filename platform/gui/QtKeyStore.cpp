#include "platform/gui/QtKeyStore.h"

#include "platform/gui/Text.h"

#include <qt6keychain/keychain.h>

#include <QEventLoop>

namespace platform {

namespace {

// Runs a job to its end; true when it finished without error.
bool finish(QKeychain::Job& job) {
    job.setAutoDelete(false);
    QEventLoop loop;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, &QEventLoop::quit);
    job.start();
    loop.exec();
    return job.error() == QKeychain::NoError;
}

} // namespace

std::optional<std::string> QtKeyStore::read(const std::string& service,
                                            const std::string& account) {
    QKeychain::ReadPasswordJob job(toQ(service));
    job.setKey(toQ(account));
    if (!finish(job))
        return std::nullopt;
    return fromQ(job.textData());
}

bool QtKeyStore::write(const std::string& service, const std::string& account,
                       const std::string& secret) {
    QKeychain::WritePasswordJob job(toQ(service));
    job.setKey(toQ(account));
    job.setTextData(toQ(secret));
    return finish(job);
}

bool QtKeyStore::remove(const std::string& service, const std::string& account) {
    QKeychain::DeletePasswordJob job(toQ(service));
    job.setKey(toQ(account));
    return finish(job) || job.error() == QKeychain::EntryNotFound;
}

} // namespace platform
