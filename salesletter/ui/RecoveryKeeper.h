// Keeps a recovery copy of the wizard's record while the wizard is open, and
// offers a copy left behind by a program that ended without saving.
//
//   auto* form = new TCreateSaleslettersForm(owner);
//   auto* keeper = new RecoveryKeeper(*form, RecoveryFolder());
//   QTimer::singleShot(0, keeper, &RecoveryKeeper::offerRestore); // once shown
//
// The copy is written a few seconds after the last change and at least once a
// minute while changes go on. It is removed once its content is safe: after a
// save that put the record on disk, after New Project, and when the wizard
// closes through its close prompt. When the program ends any other way it
// stays, and the next wizard offers it.
//
// Each copy has a lock file beside it ("<copy>.lock", QLockFile) held for as
// long as its program runs, so a running program's copy is never offered to
// another; the lock of a program that is gone is stale and is taken over.
// Scratch files of writes killed in mid-way are swept when a keeper starts,
// once a day old. The keeper belongs to the form and ends with it. The disk work runs on a
// thread of its own (RecoveryWriter): a slow disk never holds up typing.
#pragma once

#include <cstdint>
#include <memory>
#include <QObject>
#include <QTimer>
#include <string>

class QLockFile;
class RecoveryWriter;
class TCreateSaleslettersForm;

class RecoveryKeeper : public QObject {
    Q_OBJECT
public:
    static constexpr int kQuietMs = 3000;    // write this long after the last change
    static constexpr int kLongestMs = 60000; // and at least this often while changes go on

    RecoveryKeeper(TCreateSaleslettersForm& form, std::string folder);
    ~RecoveryKeeper() override;

    // This wizard's copy (it exists only while there are unsaved changes).
    const std::string& copyPath() const { return path_; }
    // True while changes wait for their write or are being written.
    bool pending() const;
    // Tests shorten the delays.
    void setDelays(int quietMs, int longestMs);

public slots:
    // Offers the most recent copy that no running program holds, once: Yes
    // restores it into the form, No moves it to "Discarded". A copy that cannot
    // be read is reported by name, once: it is moved to "Unreadable". Returns
    // true when a copy was restored.
    bool offerRestore();
    // Writes the copy now when changes are waiting, and waits until it is on disk.
    void flush();

private:
    void edited();
    void saved();
    void safe();
    void post(); // hands the record to the writer's thread
    void reportFailure(const std::string& reason);
    void sweepLocks(); // removes the stale locks of copies that were never written

    TCreateSaleslettersForm& form_;
    std::string folder_;
    std::string path_;
    std::unique_ptr<QLockFile> lock_;
    std::unique_ptr<RecoveryWriter> writer_; // ends before the lock is given up
    QTimer quiet_;
    QTimer longest_;
    bool dirty_ = false;
    bool closed_ = false;
    bool failureShown_ = false;
    std::int64_t lastChange_ = 0;
};
