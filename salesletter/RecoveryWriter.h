// Writes recovery copies on a thread of its own, so that a slow disk never
// holds up typing. Jobs run in the order they were given; a write that is
// still waiting is replaced by a newer one for the same copy, and a removal
// drops the waiting write it follows. The destructor finishes what was given.
#pragma once

#include "Recovery.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

class RecoveryWriter {
public:
    // `onError` is called on the writer's thread with the reason of each
    // failed job (the message names the file).
    explicit RecoveryWriter(std::function<void(const std::string&)> onError = {});
    ~RecoveryWriter();
    RecoveryWriter(const RecoveryWriter&) = delete;
    RecoveryWriter& operator=(const RecoveryWriter&) = delete;

    void write(const std::string& path, RecoveryCopy copy);
    void remove(const std::string& path);
    // Waits until every job given so far is done; true when the last one succeeded.
    bool wait();
    // True while jobs wait or run.
    bool busy();

private:
    struct Job {
        std::string path;
        std::optional<RecoveryCopy> copy; // none: remove
    };
    void run();

    std::function<void(const std::string&)> onError_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable done_;
    std::deque<Job> jobs_;
    bool running_ = false; // a job is being done
    bool stop_ = false;
    bool lastOk_ = true;
    std::thread thread_;
};
