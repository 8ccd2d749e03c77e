#include "RecoveryWriter.h"

#include <exception>

RecoveryWriter::RecoveryWriter(std::function<void(const std::string&)> onError)
    : onError_(std::move(onError)), thread_([this] { run(); }) {}

RecoveryWriter::~RecoveryWriter() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void RecoveryWriter::write(const std::string& path, RecoveryCopy copy) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!jobs_.empty() && jobs_.back().path == path && jobs_.back().copy)
            jobs_.back().copy = std::move(copy);
        else
            jobs_.push_back({path, std::move(copy)});
    }
    wake_.notify_all();
}

void RecoveryWriter::remove(const std::string& path) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!jobs_.empty() && jobs_.back().path == path && jobs_.back().copy)
            jobs_.pop_back();
        jobs_.push_back({path, std::nullopt});
    }
    wake_.notify_all();
}

bool RecoveryWriter::wait() {
    std::unique_lock<std::mutex> lock(mutex_);
    done_.wait(lock, [this] { return jobs_.empty() && !running_; });
    return lastOk_;
}

bool RecoveryWriter::busy() {
    std::lock_guard<std::mutex> lock(mutex_);
    return !jobs_.empty() || running_;
}

void RecoveryWriter::run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stop_ || !jobs_.empty(); });
        if (jobs_.empty())
            return; // stopped, and everything given is done
        Job job = std::move(jobs_.front());
        jobs_.pop_front();
        running_ = true;
        lock.unlock();
        std::string error;
        try {
            if (job.copy)
                WriteRecovery(job.path, *job.copy);
            else
                RemoveRecovery(job.path);
        } catch (const std::exception& e) {
            error = e.what();
        }
        if (!error.empty() && onError_)
            onError_(error);
        lock.lock();
        running_ = false;
        lastOk_ = error.empty();
        done_.notify_all();
    }
}
