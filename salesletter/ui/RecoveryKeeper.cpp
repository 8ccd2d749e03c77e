#include "RecoveryKeeper.h"
#include "CreateSaleslettersForm.h"

#include "platform/FileSystem.h"
#include "platform/gui/Text.h"
#include "platform/Services.h"
#include "salesletter/ProjectFile.h"
#include "salesletter/Recovery.h"
#include "salesletter/RecoveryWriter.h"

#include <ctime>
#include <exception>
#include <QDateTime>
#include <QDir>
#include <QLockFile>

namespace {

const char kRestoreCaption[] = "Restore Sales Letter";

std::unique_ptr<QLockFile> lockFor(const std::string& copy) {
    auto lock = std::make_unique<QLockFile>(platform::toQ(copy + ".lock"));
    // Only a lock whose program is gone is stale, however old it is.
    lock->setStaleLockTime(0);
    return lock;
}

bool sameLetter(const TSalesLetter& a, const TSalesLetter& b) {
    if (a.CB1 != b.CB1 || a.CB2 != b.CB2 || a.CB3 != b.CB3)
        return false;
    for (std::size_t i = 0; i < TSalesLetter::kFieldCount; ++i)
        if (a.at(i) != b.at(i))
            return false;
    return true;
}

std::string localTime(std::int64_t seconds) {
    return platform::fromQ(
        QDateTime::fromSecsSinceEpoch(seconds).toString(QStringLiteral("yyyy-MM-dd HH:mm")));
}

void warn(const std::string& text) {
    platform::messageBox(text, "Warning", platform::Icon::Warning, platform::Buttons::Ok);
}

} // namespace

RecoveryKeeper::RecoveryKeeper(TCreateSaleslettersForm& form, std::string folder)
    : QObject(&form), form_(form), folder_(std::move(folder)) {
    path_ = NewRecoveryPath(folder_);
    if (platform::folderExists(folder_) || platform::forceDirectories(folder_)) {
        lock_ = lockFor(path_);
        if (!lock_->tryLock(0))
            lock_.reset();
    }
    writer_ = std::make_unique<RecoveryWriter>([this](const std::string& reason) {
        QMetaObject::invokeMethod(
            this, [this, reason] { reportFailure(reason); }, Qt::QueuedConnection);
    });

    quiet_.setSingleShot(true);
    quiet_.setInterval(kQuietMs);
    longest_.setSingleShot(true);
    longest_.setInterval(kLongestMs);
    connect(&quiet_, &QTimer::timeout, this, &RecoveryKeeper::post);
    connect(&longest_, &QTimer::timeout, this, &RecoveryKeeper::post);

    connect(&form_, &TCreateSaleslettersForm::letterEdited, this, &RecoveryKeeper::edited);
    connect(&form_, &TCreateSaleslettersForm::projectSaved, this, &RecoveryKeeper::saved);
    connect(&form_, &TCreateSaleslettersForm::projectReset, this, &RecoveryKeeper::safe);
    // The wizard finishes only through its close prompt: the user chose to leave.
    connect(&form_, &QDialog::finished, this, [this] {
        safe();
        closed_ = true;
    });
}

// A program that ends without the close prompt leaves its copy behind; the
// lock goes, so the next program may offer the copy.
RecoveryKeeper::~RecoveryKeeper() {
    writer_.reset(); // what was given is written before the lock goes
}

bool RecoveryKeeper::pending() const {
    return dirty_ || writer_->busy();
}

void RecoveryKeeper::setDelays(int quietMs, int longestMs) {
    quiet_.setInterval(quietMs);
    longest_.setInterval(longestMs);
}

void RecoveryKeeper::edited() {
    if (closed_)
        return;
    dirty_ = true;
    lastChange_ = static_cast<std::int64_t>(std::time(nullptr));
    quiet_.start();
    if (!longest_.isActive())
        longest_.start();
}

void RecoveryKeeper::flush() {
    post();
    writer_->wait();
}

void RecoveryKeeper::post() {
    quiet_.stop();
    longest_.stop();
    if (!dirty_ || closed_)
        return;
    RecoveryCopy copy;
    copy.letter = form_.Letter();
    copy.projectFile = form_.Untitled() ? std::string() : form_.CurrentFile();
    copy.caption = platform::fromQ(form_.windowTitle());
    copy.lastChange = lastChange_;
    const TCreateSaleslettersForm::WelcomeChoice welcome = form_.Welcome();
    copy.group = welcome.group;
    copy.project = welcome.project;
    copy.name = welcome.name;
    copy.projectStamp = copy.projectFile.empty() ? std::string() : form_.CurrentFileStamp();
    writer_->write(path_, std::move(copy));
    dirty_ = false;
}

void RecoveryKeeper::reportFailure(const std::string& reason) {
    // Said once: a message on every later attempt would stop the typing.
    if (failureShown_)
        return;
    failureShown_ = true;
    warn("Quillmere cannot keep a recovery copy of this sales letter. " + reason +
         " Save your work with Save Project.");
}

void RecoveryKeeper::saved() {
    // Only a file that really holds the record makes the copy unneeded; a save
    // whose write failed, or that had to cut a value, keeps it.
    try {
        TSalesLetter onDisk;
        ::LoadProject(onDisk, form_.CurrentFile());
        if (sameLetter(onDisk, form_.Letter()))
            safe();
    } catch (const std::exception&) {
        // The copy stays.
    }
}

void RecoveryKeeper::safe() {
    quiet_.stop();
    longest_.stop();
    dirty_ = false;
    writer_->remove(path_);
    writer_->wait();
}

void RecoveryKeeper::sweepLocks() {
    // A program killed before it wrote anything leaves only its lock behind.
    QDir folder(platform::toQ(folder_));
    for (const QString& name : folder.entryList({QStringLiteral("*.prj.lock")}, QDir::Files)) {
        std::string lock = platform::fromQ(folder.filePath(name));
        std::string copy = lock.substr(0, lock.size() - 5);
        if (copy != path_ && !platform::fileExists(copy)) {
            std::unique_ptr<QLockFile> gone = lockFor(copy);
            if (gone->tryLock(0))
                gone->unlock();
        }
    }
}

bool RecoveryKeeper::offerRestore() {
    sweepLocks();
    for (const std::string& candidate : ListRecoveries(folder_)) {
        if (candidate == path_)
            continue;
        std::unique_ptr<QLockFile> theirs = lockFor(candidate);
        if (!theirs->tryLock(0))
            continue; // its program is still running
        RecoveryCopy copy;
        try {
            copy = ReadRecovery(candidate);
        } catch (const std::exception& e) {
            warn(std::string(e.what()) + " It was left in place.");
            continue;
        }
        std::string question =
            "The sales letter you were writing was not saved when Quillmere last closed (" +
            copy.caption + ", last change " + localTime(copy.lastChange) + "). Restore it?";
        if (platform::messageBox(question, kRestoreCaption, platform::Icon::Question,
                                 platform::Buttons::YesNo) != platform::Answer::Yes) {
            try {
                DiscardRecovery(candidate);
            } catch (const std::exception& e) {
                warn(e.what());
            }
            return false;
        }
        // A whole restore: the welcome page, the file the letter came from
        // (with what it held then, so a later change on disk is noticed) and
        // the text.
        form_.SetWelcome({copy.group, copy.project, copy.name});
        form_.RestoreRecovered(copy.letter, copy.projectFile, copy.projectStamp);
        // The restored record is unsaved work: it gets this wizard's copy at once,
        // and only then does the old copy go.
        dirty_ = true;
        lastChange_ = copy.lastChange;
        post();
        if (writer_->wait()) {
            try {
                RemoveRecovery(candidate);
            } catch (const std::exception& e) {
                warn(e.what());
            }
        }
        return true;
    }
    return false;
}
